// An input/output failure that the calling stage does not handle raises
// FatalError; the entry point prints its one-line diagnostic and ends the
// program with exit status 2.
#pragma once

#include <stdexcept>
#include <string_view>

namespace records {

// An input/output failure that ends the program: "<operation> <file>: <cause>".
struct FatalError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void fatal(std::string_view operation, std::string_view file, std::string_view cause);

}  // namespace records
