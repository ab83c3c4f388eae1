// What the station report reads: the finished output files of one station in
// the current directory, gathered into monthly series. Reads <id>-spiformat.csv,
// <id>-spi-interpolated.csv, <id>-spi-results.csv, <id>-spi-results-int.csv,
// <id>-spi-stats.csv, <id>-pctnorm.csv, <id>-pctnormint.csv, <id>-EDI.csv,
// <id>-EDIint.csv, <id>-deciles.csv, <id>-decilesint.csv and <id>-pdsi.csv;
// writes nothing.
//
// Each file keeps its own missing markers; a marker, NaN, an infinity, a field
// of asterisks or an empty field becomes a missing value, never a number.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace report {

inline constexpr int kPeriods = 7;
inline constexpr std::array<int, kPeriods> kPeriodMonths{1, 2, 3, 6, 9, 12, 24};
inline constexpr int kStatFields = 12;
inline constexpr std::array<const char*, kStatFields> kStatNames{
    "rmean", "imean", "r2", "RMSE", "MAE", "DMSE", "DMAE", "E", "RMSD", "MBE", "MAXdi", ">0.5"};

// The indices in the order of the tidy table.
enum class Index { Precip, Spi, PctNormal, Edi, Decile, PalmerZ, PalmerX };
inline constexpr int kIndexCount = 7;
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

// One monthly series: an index of one series (and one period for the SPI),
// in file order.
struct Track {
  Index index = Index::Precip;
  int period = 0;  // months of accumulation for the SPI, else 0
  Series series = Series::Observed;
  std::vector<Cell> cells;
};

// How a file was found.
enum class FileState { Ok, Missing, CutShort, Damaged };

struct FileReport {
  std::string name;
  FileState state = FileState::Ok;
  int line = 0;  // Damaged: the record that could not be read; CutShort: records read
};

struct Station {
  std::string id;  // as typed, without trailing blanks
  std::vector<FileReport> files;
  // Tracks in tidy-table order: index, then series, then period.
  std::vector<Track> tracks;
  // The comparison statistics: one row per accumulation period.
  std::array<std::array<Value, kStatFields>, kPeriods> stats{};
  bool has_stats = false;
  std::time_t newest = 0;  // the newest modification time of the files read
  bool any_file = false;   // whether any of the station's files exists
};

// The file name of a station file: the 6-character station ID (cut or padded
// with blanks as the station run does) followed by the suffix.
std::string station_file(std::string_view id, std::string_view suffix);

// Reads every output file of the station from the current directory.
Station read_station(std::string_view id);

// The track of an index, series and period, or nullptr.
const Track* find_track(const Station& station, Index index, Series series, int period = 0);

// The warning for a file that is not Ok, without the program name, e.g.
// "100111: 100111-EDI.csv is missing".
std::string warning_text(const Station& station, const FileReport& file);

}  // namespace report
