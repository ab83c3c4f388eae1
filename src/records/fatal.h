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

// Files the program writes and reads back in the same station run. The stage
// that writes one names the input it is written from, and the cause when it
// writes what no reader can read back (a field of asterisks, or no record
// where a reader needs one). A fatal error while reading the file then names
// that input instead of the file alone:
//   "read <cause>"                              when a cause is noted,
//   "read <file> (from <input>): <diagnostic>"  otherwise.
// The first cause noted for a file counts. An input that was itself written
// from another file stands for that one. The notes are forgotten at the start
// of a station run (forget_warnings) and by close_all.
void note_source(std::string_view file, std::string_view input);
void note_cause(std::string_view file, std::string_view cause);
// The input the file was written from, as noted, or the file itself.
std::string source_of(std::string_view file);

// A value of a file as diagnostics show it: bytes outside printable ASCII as
// \xNN, and at most 40 characters (then "..."), so that a diagnostic stays one
// short printable line whatever the file held (a NUL byte would otherwise cut
// it, and control bytes would reach the terminal).
std::string shown(std::string_view value);

// A file name (or a station ID) as diagnostics show it: control bytes as \xNN,
// every other byte as it is, so that a name cannot move the cursor or end the
// line of a diagnostic.
std::string shown_name(std::string_view name);

}  // namespace records
