// What the importer says on standard error: warnings and summary lines,
// written out as they come so that a long run keeps no backlog, and names
// shown so that a byte of a file name cannot disturb the terminal.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace importer {

// Lines for standard error. With a stream they are written out in blocks and
// by flush(); without one (tests) they are kept in text.
struct Log {
  std::string text;
  std::FILE* stream = nullptr;
};

// Appends one line (its end is added).
void add(Log& log, std::string_view line);
// Appends "drought-import: " and the line.
void warn(Log& log, std::string_view what);
// Writes out what the log holds, when it has a stream.
void flush(Log& log);

// A file name or station ID as a diagnostic shows it: bytes outside printable
// ASCII as \xNN.
std::string shown(std::string_view name);

}  // namespace importer
