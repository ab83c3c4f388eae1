// Station files written under temporary names (".drought-import.XXXXXX")
// beside their final names, and a station's two files put in place as a pair:
// the daily file first; when the monthly file cannot follow, or a signal
// comes between the two, the old daily file is put back (or the new one
// removed when there was none), so that no station is ever left with a new
// file beside an old one.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace importer {

// The reason put_pair_in_place gives when a signal came between the two files.
inline constexpr std::string_view kInterrupted = "interrupted";

// The unique part of a temporary name; all zero for none.
using TempName = std::array<char, 6>;
inline constexpr TempName kNoTemp{};

// A temporary file being written; removed when this ends, unless kept.
struct TempFile {
  std::string path;
  int fd = -1;

  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();
};

// Makes a new temporary file in dir. False, with the reason in error.
bool create_temp(const std::string& dir, TempFile& file, std::string& error);
// Appends text; target names the file it stands for, in messages.
bool write_temp(TempFile& file, std::string_view text, const std::string& target,
                std::string& error);
// Closes the file with the permissions of a file made by name and keeps it:
// its name goes to name.
bool keep_temp(TempFile& file, const std::string& target, TempName& name, std::string& error);

// The path of a kept temporary file of dir.
std::string temp_path(const std::string& dir, const TempName& name);
// Removes a kept temporary file (none: nothing) and forgets its name.
void remove_temp(const std::string& dir, TempName& name);

// Puts the kept files daily and monthly of dir in place as <id>.csv and
// <id>_PRCP.csv, both or neither; their names are forgotten when they are in
// place. False, with the reason in error (kInterrupted for a signal).
bool put_pair_in_place(const std::string& dir, TempName& daily, TempName& monthly,
                       const std::string& id, std::string& error);

// The names of a station's files in dir.
std::string daily_path(const std::string& dir, const std::string& id);
std::string monthly_path(const std::string& dir, const std::string& id);

}  // namespace importer
