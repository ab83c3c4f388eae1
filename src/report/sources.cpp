#include "report/sources.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <span>
#include <utility>

#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/text.h"

namespace report {

namespace {

namespace fs = std::filesystem;

constexpr int kUnit = 40;                // the file number the report reads through
constexpr std::size_t kFieldWidth = 40;  // longest field text kept
constexpr std::size_t kIdWidth = 6;      // station ID in file names
constexpr int kMonthsPerYear = 12;
constexpr int kPercentYears = 200;  // years the percent-of-normal table holds
constexpr int kDecileYears = 150;   // years the decile table holds
constexpr int kStatRows = kPeriods;
constexpr int kFirstYear = 1;  // years outside this range mark a damaged record
constexpr int kLastYear = 9999;

// Missing markers of the files.
constexpr float kTableMissing = -9999.0f;  // monthly precipitation tables
constexpr float kSpiMissing = -99.0f;      // SPI results, percent of normal
constexpr float kDecileMissing = -99.0f;   // decile codes
constexpr float kNoMarker = 0.0f;          // EDI, Palmer: NaN and asterisks only

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

bool all_asterisks(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c == '*'; });
}

// The value of a field; false when the text is neither a number nor a form of
// missing value (the file is then damaged at this record).
bool to_value(std::string_view text, float marker, bool has_marker, Value& v) {
  v = Value{};
  text = trim(text);
  if (text.empty() || all_asterisks(text)) return true;
  double number = 0.0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if (!std::isfinite(number)) return true;
  if (has_marker && static_cast<float>(number) == marker) return true;
  v.present = true;
  v.number = number;
  // A value written without its leading zero (".50", "-.50") gets it back.
  const std::size_t point = text.starts_with("-.") ? 1 : text.starts_with(".") ? 0 : text.npos;
  v.text = text;
  if (point != text.npos) v.text.insert(point, 1, '0');
  return true;
}

bool to_int(std::string_view text, int& n) {
  text = trim(text);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

template <std::size_t N, std::size_t... I>
records::ReadStatus read_fields(std::array<std::string, N>& f, std::index_sequence<I...>) {
  for (auto& s : f) s.clear();
  return records::read_list(kUnit, {records::Target::text(f[I], kFieldWidth)...});
}

// Whether the file ends with a complete record, and with an empty record
// after it when the file is written so.
bool ends_complete(const std::string& path, bool empty_last) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  const auto size = static_cast<long long>(in.tellg());
  if (size <= 0) return false;
  const long long tail = std::min<long long>(size, 3);
  std::string end(static_cast<std::size_t>(tail), '\0');
  in.seekg(size - tail);
  in.read(end.data(), tail);
  if (!in || end.back() != '\n') return false;
  if (!empty_last) return true;
  return end.ends_with("\n\r\n") || end.ends_with("\n\n");
}

class Reader {
 public:
  explicit Reader(Station& st) : st_(st) {}

  // Reads the file record by record as N fields: a header record first when
  // header names its first field, then the rows, each handed to row(fields),
  // which returns false for a value that cannot be read. Returns the number
  // of rows read, or -1 when the file is missing.
  template <std::size_t N, class Row>
  int read(std::string_view suffix, const char* header, bool empty_last, Row&& row) {
    FileReport file{station_file(st_.id, suffix)};
    std::error_code ec;
    if (!fs::is_regular_file(file.name, ec)) {
      file.state = FileState::Missing;
      st_.files.push_back(file);
      return -1;
    }
    st_.any_file = true;
    const auto when = fs::last_write_time(file.name, ec);
    if (!ec) {
      const auto sys = std::chrono::file_clock::to_sys(when);
      st_.newest = std::max(
          st_.newest, std::chrono::system_clock::to_time_t(
                          std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys)));
    }
    std::array<std::string, N> f;
    int rows = 0;
    int line = 0;
    try {
      records::open(kUnit, file.name);
      if (header != nullptr) {
        const auto status = read_fields(f, std::make_index_sequence<N>());
        ++line;
        if (status != records::ReadStatus::Ok || trim(f[0]) != header) {
          file.state = status == records::ReadStatus::End && trim(f[0]).empty()
                           ? FileState::CutShort
                           : FileState::Damaged;
          file.line = status == records::ReadStatus::End ? 0 : line;
        }
      }
      while (file.state == FileState::Ok) {
        const auto status = read_fields(f, std::make_index_sequence<N>());
        ++line;
        if (status == records::ReadStatus::End) {
          if (!trim(f[0]).empty()) {  // a record broken off by the end of the file
            file.state = FileState::CutShort;
            file.line = rows;
          }
          break;
        }
        if (status != records::ReadStatus::Ok || !row(f)) {
          file.state = FileState::Damaged;
          file.line = line;
          break;
        }
        ++rows;
      }
      records::close(kUnit);
    } catch (const records::FatalError&) {
      file.state = FileState::Damaged;
      file.line = line;
      records::close_all();
    }
    if (file.state == FileState::Ok && !ends_complete(file.name, empty_last)) {
      file.state = FileState::CutShort;
      file.line = rows;
    }
    st_.files.push_back(file);
    return rows;
  }

  // Marks the file just read cut short when it holds fewer rows than expected.
  void expect(int rows, int expected) {
    FileReport& file = st_.files.back();
    if (rows >= 0 && expected > 0 && rows < expected && file.state == FileState::Ok) {
      file.state = FileState::CutShort;
      file.line = rows;
    }
  }

 private:
  Station& st_;
};

Track& track(Station& st, Index index, Series series, int period = 0) {
  return *const_cast<Track*>(find_track(st, index, series, period));
}

// One year of twelve monthly values after `skip` leading fields and the year.
bool year_row(std::span<const std::string> f, std::size_t skip, float marker, Track& t) {
  int year = 0;
  if (!to_int(f[skip], year) || year < kFirstYear || year > kLastYear) return false;
  for (int m = 0; m < kMonthsPerYear; ++m) {
    Cell c{year, m + 1, {}};
    if (!to_value(f[skip + 1 + static_cast<std::size_t>(m)], marker, true, c.value)) return false;
    t.cells.push_back(std::move(c));
  }
  return true;
}

// One month: year, month, then the values of the given fields into the tracks.
bool month_row(std::span<const std::string> f, float marker, bool has_marker,
               std::span<const std::pair<std::size_t, Track*>> into) {
  int year = 0;
  int month = 0;
  if (!to_int(f[0], year) || !to_int(f[1], month) || year < kFirstYear || year > kLastYear ||
      month < 1 || month > kMonthsPerYear) {
    return false;
  }
  for (const auto& [field, t] : into) {
    Cell c{year, month, {}};
    if (!to_value(f[field], marker, has_marker, c.value)) return false;
    t->cells.push_back(std::move(c));
  }
  return true;
}

// The observed and the interpolated file of an index with one record a year
// of N fields, the 12 months after field `skip`. Each is expected to hold
// min(years, cap) records; with `learn`, a first file read when years is not
// known yet tells it.
template <std::size_t N>
void read_year_files(Station& st, Reader& reader, Index index, const char* observed,
                     const char* interpolated, std::size_t skip, float marker, bool empty_last,
                     int& years, int cap, bool learn) {
  const std::pair<const char*, Series> files[] = {{observed, Series::Observed},
                                                  {interpolated, Series::Interpolated}};
  for (const auto& [suffix, series] : files) {
    Track& t = track(st, index, series);
    const int rows = reader.read<N>(suffix, nullptr, empty_last,
                                    [&](const auto& f) { return year_row(f, skip, marker, t); });
    reader.expect(rows, std::min(years, cap));
    if (learn && years <= 0 && rows > 0) years = rows;
  }
}

void read_monthly_tables(Station& st, Reader& reader, int& years) {
  read_year_files<14>(st, reader, Index::Precip, "-spiformat.csv", "-spi-interpolated.csv", 1,
                      kTableMissing, false, years, std::numeric_limits<int>::max(), true);
}

void read_spi(Station& st, Reader& reader, int years) {
  const std::pair<const char*, Series> files[] = {{"-spi-results.csv", Series::Observed},
                                                  {"-spi-results-int.csv", Series::Interpolated}};
  for (const auto& [suffix, series] : files) {
    std::array<std::pair<std::size_t, Track*>, kPeriods> into;
    for (std::size_t p = 0; p < kPeriods; ++p) {
      into[p] = {2 + p, &track(st, Index::Spi, series, kPeriodMonths[p])};
    }
    const int rows = reader.read<2 + kPeriods>(suffix, nullptr, false, [&](const auto& f) {
      return month_row(f, kSpiMissing, true, into);
    });
    reader.expect(rows, years * kMonthsPerYear);
  }
}

void read_stats(Station& st, Reader& reader) {
  int row = 0;
  const int rows = reader.read<kStatFields>("-spi-stats.csv", "rmean", false, [&](const auto& f) {
    if (row >= kStatRows) return true;  // rows beyond the seven periods are ignored
    for (std::size_t k = 0; k < kStatFields; ++k) {
      if (!to_value(f[k], kNoMarker, false, st.stats[static_cast<std::size_t>(row)][k])) {
        return false;
      }
    }
    ++row;
    return true;
  });
  reader.expect(rows, kStatRows);
  st.has_stats = row > 0;
}

void read_indices(Station& st, Reader& reader, int years) {
  read_year_files<13>(st, reader, Index::PctNormal, "-pctnorm.csv", "-pctnormint.csv", 0,
                      kSpiMissing, true, years, kPercentYears, false);
  const std::pair<const char*, Series> edi[] = {{"-EDI.csv", Series::Observed},
                                                {"-EDIint.csv", Series::Interpolated}};
  for (const auto& [suffix, series] : edi) {
    const std::pair<std::size_t, Track*> into[] = {{6, &track(st, Index::Edi, series)}};
    reader.read<7>(suffix, "YEAR", true,
                   [&](const auto& f) { return month_row(f, kNoMarker, false, into); });
  }
  read_year_files<14>(st, reader, Index::Decile, "-deciles.csv", "-decilesint.csv", 1,
                      kDecileMissing, false, years, kDecileYears, false);
}

void read_palmer(Station& st, Reader& reader) {
  const std::pair<std::size_t, Track*> into[] = {{2, &track(st, Index::PalmerZ, Series::Observed)},
                                                 {3, &track(st, Index::PalmerX, Series::Observed)}};
  reader.read<4>("-pdsi.csv", "YEAR", false,
                 [&](const auto& f) { return month_row(f, kNoMarker, false, into); });
}

}  // namespace

const char* index_name(Index index) {
  static constexpr std::array<const char*, kIndexCount> names{
      "precip", "spi", "pct_normal", "edi", "decile", "palmer_z", "palmer_x"};
  return names[static_cast<std::size_t>(index)];
}

const char* series_name(Series series) {
  return series == Series::Observed ? "observed" : "interpolated";
}

std::string station_file(std::string_view id, std::string_view suffix) {
  return records::fit(id, kIdWidth) + std::string(suffix);
}

const Track* find_track(const Station& station, Index index, Series series, int period) {
  for (const Track& t : station.tracks) {
    if (t.index == index && t.series == series && t.period == period) return &t;
  }
  return nullptr;
}

Station read_station(std::string_view id) {
  Station st;
  st.id = std::string(trim(records::fit(id, kIdWidth)));
  for (int i = 0; i < kIndexCount; ++i) {
    const auto index = static_cast<Index>(i);
    const bool palmer = index == Index::PalmerZ || index == Index::PalmerX;
    for (Series series : {Series::Observed, Series::Interpolated}) {
      if (palmer && series == Series::Interpolated) continue;  // from the daily file only
      if (index == Index::Spi) {
        for (int p : kPeriodMonths) st.tracks.push_back({index, p, series, {}});
      } else {
        st.tracks.push_back({index, 0, series, {}});
      }
    }
  }
  Reader reader(st);
  int years = 0;
  read_monthly_tables(st, reader, years);
  read_spi(st, reader, years);
  read_stats(st, reader);
  read_indices(st, reader, years);
  read_palmer(st, reader);
  return st;
}

std::string warning_text(const Station& station, const FileReport& file) {
  std::string text = station.id + ": " + file.name;
  switch (file.state) {
    case FileState::Ok:
      return text + " is complete";
    case FileState::Missing:
      return text + " is missing";
    case FileState::CutShort:
      return text + " is cut short after " + std::to_string(file.line) + " data records";
    case FileState::Damaged:
      return text + " cannot be read at record " + std::to_string(file.line) +
             "; the records before it are used";
  }
  return text;
}

}  // namespace report
