#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "support/tempdir.h"

namespace testing_support {

std::string drought_exe() {
  const char* exe = std::getenv("DROUGHT_EXE");
  if (exe == nullptr || *exe == '\0') throw std::runtime_error("DROUGHT_EXE is not set");
  return exe;
}

ProgramResult run_drought(const std::filesystem::path& dir, const std::string& input,
                          const std::string& args) {
  const auto in = dir / ".stdin";
  const auto out = dir / ".stdout";
  const auto err = dir / ".stderr";
  write_file(in, input);
  const std::string command = "cd '" + dir.string() + "' && '" + drought_exe() + "' " + args +
                              " < '" + in.string() + "' > '" + out.string() + "' 2> '" +
                              err.string() + "'";
  const int raw = std::system(command.c_str());
  ProgramResult result;
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = read_file(out);
  result.err = read_file(err);
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

}  // namespace testing_support
