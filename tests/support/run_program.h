// Runs the drought executable as the operator would: in a given directory,
// with the replies on standard input, capturing both output streams.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;  // standard output, byte for byte
  std::string err;  // standard error
};

// The path of the drought executable under test (from DROUGHT_EXE).
std::string drought_exe();

// Runs the executable in dir with input on standard input; args, already
// quoted for the shell, follow the program name.
ProgramResult run_drought(const std::filesystem::path& dir, const std::string& input,
                          const std::string& args = "");

}  // namespace testing_support
