// Reporting one station: checks its ID, reads its files, and writes
// <id>-report.html and <id>-indices.csv, each to a temporary file beside it
// that is then renamed over the previous one, so that a failed write leaves
// the previous page and table as they were. Diagnostics go to standard error,
// each one line beginning "drought-report: ".
#pragma once

#include <string>
#include <string_view>

namespace report {

inline constexpr int kInvalidIdStatus = 1;
inline constexpr int kFailStatus = 2;

// Prints one diagnostic line.
void warn(const std::string& text);

// Whether an ID argument can name files in the current directory: no '/',
// '\', NUL or other control byte anywhere in it.
bool valid_id_argument(std::string_view arg);

// Writes text to the file through a temporary file and a rename; false with
// the cause ("No space left on device") when it could not.
bool write_replacing(const std::string& name, std::string_view text, std::string& cause);

// Reports one station: 0 when its page and table were written,
// kInvalidIdStatus for an ID that is refused, kFailStatus otherwise. Throws
// OutOfMemory (naming the file) when memory runs out.
int report_station(std::string_view id, std::string_view version);

}  // namespace report
