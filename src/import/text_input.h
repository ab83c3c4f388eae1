// Input files read line by line, plain or gzip-compressed (told by their
// first two bytes; several gzip members in a row are read as one text), with
// a bound on the length of a line so that no input can fill memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "import/diagnostics.h"

namespace importer {

// The longest line read (without its end): an archive line has 269 bytes, a
// station list line about 90.
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

// Called with each line, without its LF (and a CR before it), and its 1-based
// number; returns false to stop reading.
using LineFunction = std::function<bool(std::string_view line, std::uint64_t number)>;

// Reads the file named path. False, with the reason in error ("cannot read
// NAME: ..."), when it cannot be opened or read, a line is longer than
// kMaxLineBytes, its compressed data are damaged or cut short, memory runs
// out, or a signal is taken (interrupt_signal()). Bytes after the last gzip
// member that are not another member are ignored with a warning in log.
bool read_lines(const std::string& path, const LineFunction& on_line, Log& log, std::string& error);

}  // namespace importer
