// Warnings: one line on standard error, "drought: warning: <file><text>", at
// most once per file and subject until forget_warnings() (the start of a
// station run).
#pragma once

#include <string_view>

namespace records {

// What a warning is about: where the reading of a file stopped (or that it
// is missing), or a value the run goes on with although it is out of range.
enum class Subject { Reading, Range };

void warn(std::string_view file, std::string_view text, Subject subject = Subject::Reading);

// The warning for a read of the number that stopped short of its targets: at
// a value that cannot be read (status Bad: its line and the value as
// diagnostics show it) or at the end of the file inside a record (status End
// after a record cut short: its line), each followed by "the rest of the file
// is ignored". Nothing for a read that ended with the file.
void warn_rest_ignored(int unit);

// The start of a station run: the warnings given are forgotten, and so are
// the notes about the files the last run wrote (fatal.h).
void forget_warnings();

}  // namespace records
