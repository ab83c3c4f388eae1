// What the station report reads: the finished output files of one station in
// the current directory, gathered into monthly series. Reads <id>.csv (its
// first record: latitude, longitude, elevation), <id>-options.txt,
// <id>-spiformat.csv, <id>-spi-interpolated.csv, <id>-spi-results.csv,
// <id>-spi-results-int.csv, <id>-spi-stats.csv, <id>-pctnorm.csv,
// <id>-pctnormint.csv, <id>-EDI.csv, <id>-EDIint.csv, <id>-deciles.csv,
// <id>-decilesint.csv, <id>-pdsi.csv and, when they exist (drought
// --extended), <id>-palmer.csv, <id>-spei.csv, <id>-events.csv and
// <id>-needed.csv; writes nothing.
//
// Each file keeps its own missing markers; a marker, NaN, an infinity (with
// or without its sign, in any case), a field of asterisks or an empty field
// becomes a missing value, never a number. A file larger than a station of
// catalogue::kLongestRecordYears years could make is not read.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

namespace report {

using catalogue::kPeriodMonths;
using catalogue::kPeriods;
inline constexpr int kStatFields = 12;
inline constexpr std::array<const char*, kStatFields> kStatNames{
    "rmean", "imean", "r2", "RMSE", "MAE", "DMSE", "DMAE", "E", "RMSD", "MBE", "MAXdi", ">0.5"};

// The indices in the order of the tidy table.
enum class Index { Precip, Spi, PctNormal, Edi, Decile, PalmerZ, PalmerX, Pdsi, Phdi, Pmdi, Spei };
inline constexpr int kIndexCount = 11;
const char* index_name(Index index);

enum class Series { Observed, Interpolated };
const char* series_name(Series series);

// One value of a file: present with its number and its text as written (blanks
// trimmed, a leading point given its zero), or missing.
struct Value {
  bool present = false;
  double number = 0.0;
  std::string text;
};

struct Cell {
  int year = 0;
  int month = 0;
  Value value;
};

// One monthly series: an index of one series (and one period for the SPI and
// the SPEI), in file order.
struct Track {
  Index index = Index::Precip;
  int period = 0;  // months of accumulation for the SPI and SPEI, else 0
  Series series = Series::Observed;
  std::vector<Cell> cells;
};

// One drought event of <id>-events.csv.
struct Event {
  std::string index;                   // spi, spei, pdsi, edi
  std::string period;                  // months, as written
  std::string series;                  // observed, interpolated
  std::string start, end, peak_month;  // YYYY-MM; end empty while ongoing
  Value duration, severity, intensity, peak;
  bool ongoing = false;
};

// One row of <id>-needed.csv: the precipitation that brings the SPI of a
// period to a target within a horizon.
struct Needed {
  std::string series, period, horizon, target, month;
  Value inches, mm, percent, probability;
};

// How a file was found.
enum class FileState { Ok, Missing, CutShort, Damaged, TooLarge };

struct FileReport {
  std::string name;
  FileState state = FileState::Ok;
  int line = 0;             // Damaged: the record that could not be read; CutShort: records read
  std::uintmax_t size = 0;  // TooLarge: the size in bytes
  bool optional = false;    // a file of drought --extended: its absence is no warning
};

// Where the station is, as its daily file says (empty texts when unknown).
struct Place {
  std::string latitude, longitude, elevation;
};

struct Station {
  std::string id;  // as typed, without trailing blanks
  std::vector<FileReport> files;
  // Tracks in tidy-table order: index, then series, then period.
  std::vector<Track> tracks;
  // The comparison statistics: one row per accumulation period.
  std::array<std::array<Value, kStatFields>, kPeriods> stats{};
  bool has_stats = false;
  Place place;
  std::string options;  // the options of the run that changed values; empty: none
  std::vector<Event> events;
  std::vector<Needed> needed;
  std::time_t newest = 0;  // the newest modification time of the files read
  bool any_file = false;   // whether any of the station's files exists
};

// A file that could not be read for want of memory (std::bad_alloc while
// reading it).
struct OutOfMemory {
  std::string file;
};

// The file name of a station file: the 6-character station ID (cut or padded
// with blanks as the station run does) followed by the suffix.
std::string station_file(std::string_view id, std::string_view suffix);

// Reads every output file of the station from the current directory. Throws
// OutOfMemory.
Station read_station(std::string_view id);

// The track of an index, series and period, or nullptr.
const Track* find_track(const Station& station, Index index, Series series, int period = 0);

// Whether a file is to be named in a warning: not Ok, and not an optional
// file that is simply absent.
bool worth_warning(const FileReport& file);

// The warning for a file that is not Ok, without the program name, e.g.
// "100111: 100111-EDI.csv is missing".
std::string warning_text(const Station& station, const FileReport& file);

// A file name or ID as a diagnostic shows it: control bytes as \xNN.
std::string shown(std::string_view name);

}  // namespace report
