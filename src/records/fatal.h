// An input/output failure that the calling stage does not handle raises
// FatalError; the entry point prints its one-line diagnostic and ends the
// program with exit status 2.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace records {

// An input/output failure that ends the program: "<operation> <file>: <cause>".
struct FatalError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void fatal(std::string_view operation, std::string_view file, std::string_view cause);

// A value of a file as diagnostics show it: bytes outside printable ASCII as
// \xNN, and at most 40 characters (then "..."), so that a diagnostic stays one
// short printable line whatever the file held (a NUL byte would otherwise cut
// it, and control bytes would reach the terminal).
std::string shown(std::string_view value);

}  // namespace records
