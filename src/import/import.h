// Import of daily station archives: turns fixed-width archive files (one line
// per station, element and month) into the two station files that drought
// reads, "<id>.csv" (daily observations) and "<id>_PRCP.csv" (monthly totals).
//
// Two archive formats are read, told apart by their line length:
//   short: station ID 6 characters, units of the daily file (264 characters);
//   long:  station ID 11 characters, metric units (269 characters).
// Both hold year, month, element and 31 groups of value (5 columns),
// measurement flag, quality flag and source flag.
//
// The run, in the order of the files of this folder:
//   text_input      plain or gzip-compressed files, line by line, lines at most 1 MiB
//   station_list    the station list and the ID map, read whole before any archive
//   archive_lines   archive lines into records
//   station_runs    each station's records, built into its files under temporary
//                   names when a run of its lines ends, merged when it comes back
//   units           metric to daily-file units, the calendar
//   station_files   one station's records into the text of its two files
//   record_spill    records that a station's files cannot hold yet, set aside
//   temp_files      files under temporary names, a station's pair put in place
//   output          every station put in place when every input is read
//   interrupt       SIGINT, SIGTERM and SIGHUP taken between two steps
//   diagnostics     warnings and summary lines, names shown safely
//
// Why LF files without the record layer: the importer is a companion program,
// not a stage. It writes the two input files of a station in the form of the
// bundled examples (LF line ends, comma-separated plain decimal text), the
// files a user would otherwise fetch or make by hand, and reads none of the
// program's own files. The record layer is for the program's own files (CR LF
// records in layout codes on file numbers); these are neither, so the
// importer writes them directly and links no stage folder.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace importer {

inline constexpr int kDays = 31;
inline constexpr int kMissing = -999;          // a day without a value in the daily file
inline constexpr int kArchiveMissing = -9999;  // a day without a value in the archives
inline constexpr int kShortIdLength = 6;
inline constexpr int kLongIdLength = 11;
inline constexpr int kShortLineLength = 264;
inline constexpr int kLongLineLength = 269;
inline constexpr int kOutputIdLength = 6;
inline constexpr int kDefaultMinDays = 24;

enum class Format : std::uint8_t { kUnknown, kShort, kLong };

// The elements kept, in the order of the records of one month in the daily file.
enum Element : std::uint8_t { kPrcp, kSnow, kSnwd, kTmin, kTmax, kElementCount };
inline constexpr std::array<std::string_view, kElementCount> kElementNames = {
    "PRCP", "SNOW", "SNWD", "TMIN", "TMAX"};

// One kept archive line: daily-file units, kMissing for missing, dropped and
// past-the-month days. Plain data: records are kept in a temporary file as
// their bytes.
struct Record {
  std::int32_t year = 0;
  std::uint8_t month = 0;
  Element element = kPrcp;
  std::uint8_t dropped = 0;  // days written as missing for their quality flag
  std::uint32_t file = 0;    // index into the list of input names
  std::uint64_t line = 0;    // 1-based line number in that file
  std::array<std::int32_t, kDays> day{};
};

}  // namespace importer
