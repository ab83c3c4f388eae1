// Warnings: one line on standard error, "drought: warning: <file><text>", at
// most once per file until forget_warnings() (the start of a station run).
#pragma once

#include <string>
#include <string_view>

namespace records {

void warn(std::string_view file, std::string_view text);
// The warning for a read of the number that stopped at a record that cannot
// be read (status Bad): its line, the value as diagnostics show it, and that
// the rest of the file is ignored.
void warn_rest_ignored(int unit);
void forget_warnings();
// Tests: while set, warnings are appended to *sink instead.
void set_warning_sink(std::string* sink);

}  // namespace records
