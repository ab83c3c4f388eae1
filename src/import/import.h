// Import of daily station archives: turns fixed-width archive files (one line
// per station, element and month) into the two station files that drought
// reads, "<id>.csv" (daily observations) and "<id>_PRCP.csv" (monthly totals).
//
// Two archive formats are read, told apart by their line length:
//   short: station ID 6 characters, units of the daily file (264 characters);
//   long:  station ID 11 characters, metric units (269 characters).
// Both hold year, month, element and 31 groups of value (5 columns),
// measurement flag, quality flag and source flag.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// The header line of every daily file.
extern const std::string_view kDailyHeader;

// Metric archive units to daily-file units, exact and rounded half away from zero.
int hundredths_inch_from_tenths_mm(int tenths_mm);  // PRCP
int tenths_inch_from_mm(int mm);                    // SNOW
int inches_from_mm(int mm);                         // SNWD
int fahrenheit_from_tenths_celsius(int tenths_c);   // TMAX, TMIN
// The inverse conversions, rounded the same way (used to write metric archives).
int tenths_mm_from_hundredths_inch(int hundredths_inch);
int mm_from_tenths_inch(int tenths_inch);
int mm_from_inches(int inches);
int tenths_celsius_from_fahrenheit(int fahrenheit);

// Days of a month of the Gregorian calendar.
int days_in_month(int year, int month);

// One kept archive line: daily-file units, kMissing for missing, dropped and
// past-the-month days.
struct Record {
  std::int32_t year = 0;
  std::uint8_t month = 0;
  Element element = kPrcp;
  std::uint8_t dropped = 0;  // days written as missing for their quality flag
  std::uint32_t file = 0;    // index into Archive::files
  std::uint64_t line = 0;    // 1-based line number in that file
  std::array<std::int32_t, kDays> day{};
};

struct Station {
  std::string source_id;
  Format format = Format::kUnknown;
  std::vector<Record> records;  // in the order read
};

// Everything read from the archive files of one run.
struct Archive {
  bool keep_flagged = false;                           // keep days with a quality flag
  std::vector<std::string> files;                      // names of the files read, for messages
  std::vector<Station> stations;                       // in order of first appearance
  std::unordered_map<std::string, std::size_t> index;  // format letter + source ID
  std::string messages;                                // warnings, one line each
  std::size_t last_station = 0;  // the station of the previous line, tried first
};

// Reading state of one archive file.
struct FileState {
  std::uint32_t file = 0;
  Format format = Format::kUnknown;  // set by the first line of a known length
  std::uint64_t line = 0;            // lines read so far
};

// Starts a new file of the given name; its lines go through add_lines.
FileState begin_file(Archive& archive, std::string name);
// Reads the lines of text (each ended by LF; a last line may lack it).
// Malformed lines become warnings in archive.messages and are skipped.
void add_lines(Archive& archive, FileState& state, std::string_view text);
// Reads one archive file, plain or gzip-compressed. False, with the reason in
// error, when it cannot be read.
bool read_archive_file(Archive& archive, const std::string& path, std::string& error);

// The whole content of a file, plain or gzip-compressed.
bool read_text_file(const std::string& path, std::string& text, std::string& error);

// A station's entry in the station list.
struct StationInfo {
  std::string latitude, longitude;  // as in the list
  std::string elevation;            // as in the list; written rounded to a whole number
};
using StationList = std::unordered_map<std::string, StationInfo>;
// Station list: the first four blank-separated fields of a line are ID,
// latitude, longitude and elevation; the first line of an ID counts.
StationList parse_station_list(std::string_view text);
// ID map: one "SOURCE-ID ID" pair per line, blank lines allowed. False, with
// the reason in error, on a malformed line.
bool parse_id_map(std::string_view text, std::unordered_map<std::string, std::string>& map,
                  std::string& error);

// True for a valid output ID: 6 digits.
bool valid_output_id(std::string_view id);

// The two station files of one station, built in memory.
struct StationFiles {
  std::string daily, monthly;
  int first_year = 0, first_month = 0, last_year = 0, last_month = 0;
  int filled_months = 0;  // months filled with the mean of their calendar month
  long dropped_days = 0;  // days dropped by quality flag
};
// Builds the station files of a station under the output ID. Duplicate lines
// become warnings in messages. False, with the reason in error, when the
// station cannot be written.
bool build_station(const Archive& archive, const Station& station, std::string_view id,
                   const StationInfo& info, int min_days, StationFiles& files,
                   std::string& messages, std::string& error);

// Appends one archive line (its format follows from the length of id): values in the units of the
// format, kArchiveMissing for a missing day; quality holds the quality flag of each day (blank:
// none).
void append_archive_line(std::string& out, std::string_view id, int year, int month,
                         Element element, const std::array<int, kDays>& values,
                         std::string_view quality = {});
// The archive lines of a daily file (the inverse of an import): the short
// format under the file's station numbers, or the long format, in metric
// units, under long_prefix (5 characters) followed by the station number.
std::string archive_from_daily(std::string_view daily, Format format,
                               std::string_view long_prefix = "XX000");

// How the output IDs are chosen.
struct Settings {
  std::string out_dir = ".";
  StationList stations;
  std::string as_id;                                    // --as: for every long-format station
  bool use_id_map = false;                              // --ids
  std::unordered_map<std::string, std::string> id_map;  // source ID -> output ID
  int min_days = kDefaultMinDays;
};

// Builds and writes every station of the archive into settings.out_dir,
// writing warnings, errors and one summary line per station to log. Returns
// the number of stations that were not written.
int write_stations(Archive& archive, const Settings& settings, std::string& log);

}  // namespace importer
