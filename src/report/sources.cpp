#include "report/sources.h"

#include <limits>
#include <span>
#include <utility>

#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "report/reader.h"

namespace report {

namespace {

using namespace reading;

constexpr int kYears = catalogue::kLongestRecordYears;
constexpr long long kMonthRows = static_cast<long long>(kYears) * kMonthsPerYear;
constexpr std::size_t kOptionsWidth = 4096;  // longest options line kept
// Events: at most one every second month in each of the twelve event series.
constexpr long long kEventRows = kMonthRows / 2 * 12;
// Needed: two series, three periods, four horizons, two targets.
constexpr long long kNeededRows = 2 * 3 * 4 * 2;

constexpr float kTableMissing = static_cast<float>(catalogue::kMissingMonth);
constexpr float kDecileMissing = static_cast<float>(catalogue::kMissingDecile);
constexpr float kNoMarker = 0.0f;  // EDI, statistics: NaN and asterisks only

Track& track(Station& st, Index index, Series series, int period = 0) {
  return *const_cast<Track*>(find_track(st, index, series, period));
}

constexpr std::array<Series, 2> kBoth{Series::Observed, Series::Interpolated};

// The observed and the interpolated file of an index with one record a year
// of N fields, the 12 months after field `skip`. Each is expected to hold
// min(years, cap) records; with `learn`, a first file read when years is not
// known yet tells it.
template <std::size_t N>
void read_year_files(Station& st, Reader& reader, Index index,
                     std::array<const catalogue::FileRow*, 2> rows_of, std::size_t skip,
                     float marker, bool empty_last, int& years, int cap, bool learn) {
  for (std::size_t s = 0; s < kBoth.size(); ++s) {
    Track& t = track(st, index, kBoth[s]);
    const int rows = reader.read<N>(rows_of[s]->suffix, {kNoHeader, empty_last, kYears},
                                    [&](const auto& f) { return year_row(f, skip, marker, t); });
    reader.expect(rows, std::min(years, cap));
    if (learn && years <= 0 && rows > 0) years = rows;
  }
}

void read_spi(Station& st, Reader& reader, int years) {
  const std::array<const catalogue::FileRow*, 2> files{&catalogue::kSpiResults,
                                                       &catalogue::kSpiResultsInt};
  for (std::size_t s = 0; s < kBoth.size(); ++s) {
    std::array<std::pair<std::size_t, Track*>, kPeriods> into;
    for (std::size_t p = 0; p < kPeriods; ++p)
      into[p] = {2 + p, &track(st, Index::Spi, kBoth[s], kPeriodMonths[p])};
    const int rows = reader.read<2 + kPeriods>(
        files[s]->suffix, {kNoHeader, false, kMonthRows},
        [&](const auto& f) { return month_row(f, catalogue::kMissingSpi, true, into); });
    reader.expect(rows, years * kMonthsPerYear);
  }
}

void read_stats(Station& st, Reader& reader) {
  std::size_t row = 0;
  const int rows = reader.read<kStatFields>(
      catalogue::kSpiStats.suffix, {{"rmean"}, false, kPeriods}, [&](const auto& f) {
        if (row >= kPeriods) return true;  // rows beyond the seven periods are ignored
        for (std::size_t k = 0; k < kStatFields; ++k)
          if (!to_value(f[k], kNoMarker, false, st.stats[row][k])) return false;
        ++row;
        return true;
      });
  reader.expect(rows, kPeriods);
  st.has_stats = row > 0;
}

void read_indices(Station& st, Reader& reader, int years) {
  read_year_files<13>(st, reader, Index::PctNormal, {&catalogue::kPctNorm, &catalogue::kPctNormInt},
                      0, catalogue::kMissingPercent, true, years, catalogue::kPercentYears, false);
  const std::array<const catalogue::FileRow*, 2> edi{&catalogue::kEdi, &catalogue::kEdiInt};
  for (std::size_t s = 0; s < kBoth.size(); ++s) {
    const std::pair<std::size_t, Track*> into[] = {{6, &track(st, Index::Edi, kBoth[s])}};
    reader.read<7>(edi[s]->suffix, {{"YEAR"}, true, kMonthRows},
                   [&](const auto& f) { return month_row(f, kNoMarker, false, into); });
  }
  read_year_files<14>(st, reader, Index::Decile, {&catalogue::kDeciles, &catalogue::kDecilesInt}, 1,
                      kDecileMissing, false, years, catalogue::kDecileYears, false);
}

void read_palmer(Station& st, Reader& reader) {
  const std::pair<std::size_t, Track*> into[] = {{2, &track(st, Index::PalmerZ, Series::Observed)},
                                                 {3, &track(st, Index::PalmerX, Series::Observed)}};
  reader.read<4>(catalogue::kPdsi.suffix, {{"YEAR"}, false, kMonthRows}, [&](const auto& f) {
    return month_row(f, catalogue::kMissingPalmer, true, into);
  });
  const std::pair<std::size_t, Track*> complete[] = {
      {3, &track(st, Index::Pdsi, Series::Observed)},
      {4, &track(st, Index::Phdi, Series::Observed)},
      {5, &track(st, Index::Pmdi, Series::Observed)}};
  reader.read<10>(
      catalogue::kPalmer.suffix, {kAnyHeader, false, kMonthRows, true},
      [&](const auto& f) { return month_row(f, catalogue::kMissingPalmer, true, complete); });
}

void read_spei(Station& st, Reader& reader) {
  std::array<std::pair<std::size_t, Track*>, kPeriods> into;
  for (std::size_t p = 0; p < kPeriods; ++p)
    into[p] = {2 + p, &track(st, Index::Spei, Series::Observed, kPeriodMonths[p])};
  reader.read<2 + kPeriods>(
      catalogue::kSpei.suffix, {kAnyHeader, false, kMonthRows, true},
      [&](const auto& f) { return month_row(f, catalogue::kMissingSpi, true, into); });
}

// A text field of a tidy file: blanks trimmed.
std::string field(std::string_view s) { return std::string(trim(s)); }

void read_events(Station& st, Reader& reader) {
  reader.read<14>(
      catalogue::kEvents.suffix, {{"station"}, false, kEventRows, true}, [&](const auto& f) {
        Event e{field(f[1]),          field(f[2]), field(f[3]), field(f[5]), field(f[6]),
                field(f[11]),         {},          {},          {},          {},
                field(f[12]) == "yes"};
        st.events.push_back(e);
        Event& b = st.events.back();
        return to_value(f[7], kNoMarker, false, b.duration) &&
               to_value(f[8], kNoMarker, false, b.severity) &&
               to_value(f[9], kNoMarker, false, b.intensity) &&
               to_value(f[10], kNoMarker, false, b.peak);
      });
}

void read_needed(Station& st, Reader& reader) {
  reader.read<10>(
      catalogue::kNeeded.suffix, {{"station"}, false, kNeededRows, true}, [&](const auto& f) {
        st.needed.push_back(
            {field(f[1]), field(f[2]), field(f[3]), field(f[4]), field(f[5]), {}, {}, {}, {}});
        Needed& n = st.needed.back();
        return to_value(f[6], kNoMarker, false, n.inches) &&
               to_value(f[7], kNoMarker, false, n.mm) &&
               to_value(f[8], kNoMarker, false, n.percent) &&
               to_value(f[9], kNoMarker, false, n.probability);
      });
}

// Runs read on the file's first records through the report's file number
// (the rest of the file is not read); a missing file reads nothing.
template <class Read>
void read_head(const std::string& name, Read&& read) {
  try {
    records::open(kUnit, name);
    if (!records::was_missing(kUnit)) read();
    records::close(kUnit);
  } catch (const records::FatalError& e) {
    records::close_all();
    if (std::string_view(e.what()).ends_with(": out of memory")) throw OutOfMemory{name};
  }
}

// Latitude, longitude and elevation from the first record of the daily file.
void read_place(Station& st) {
  std::array<std::string, 4> f;
  read_head(station_file(st.id, catalogue::kDailyFile.suffix), [&] {
    records::read_list(kUnit, {records::Target::text(f[0], kFieldWidth)});  // the header
    if (records::read_list(
            kUnit,
            {records::Target::text(f[0], kFieldWidth), records::Target::text(f[1], kFieldWidth),
             records::Target::text(f[2], kFieldWidth), records::Target::text(f[3], kFieldWidth)}) ==
        records::ReadStatus::Ok) {
      st.place = {field(f[1]), field(f[2]), field(f[3])};
    }
  });
}

// The one line of <id>-options.txt, when the file exists.
void read_options(Station& st) {
  std::string line;
  read_head(station_file(st.id, catalogue::kOptions.suffix), [&] {
    static const records::Layout kLine{"A"};
    if (records::read_columns(kUnit, kLine, {records::Target::text(line, kOptionsWidth)}) ==
        records::ReadStatus::Ok)
      st.options = field(line);
  });
}

void make_tracks(Station& st) {
  for (int i = 0; i < kIndexCount; ++i) {
    const auto index = static_cast<Index>(i);
    const bool observed_only = index >= Index::PalmerZ;  // the daily file has no interpolation
    for (Series series : kBoth) {
      if (observed_only && series == Series::Interpolated) continue;
      if (index == Index::Spi || index == Index::Spei) {
        for (int p : kPeriodMonths) st.tracks.push_back({index, p, series, {}});
      } else {
        st.tracks.push_back({index, 0, series, {}});
      }
    }
  }
}

}  // namespace

const char* index_name(Index index) {
  static constexpr std::array<const char*, kIndexCount> names{
      "precip",   "spi",  "pct_normal", "edi",  "decile", "palmer_z",
      "palmer_x", "pdsi", "phdi",       "pmdi", "spei"};
  return names[static_cast<std::size_t>(index)];
}

const char* series_name(Series series) {
  return series == Series::Observed ? "observed" : "interpolated";
}

std::string station_file(std::string_view id, std::string_view suffix) {
  return catalogue::file_name(id, suffix);
}

const Track* find_track(const Station& station, Index index, Series series, int period) {
  for (const Track& t : station.tracks)
    if (t.index == index && t.series == series && t.period == period) return &t;
  return nullptr;
}

Station read_station(std::string_view id) {
  Station st;
  st.id = std::string(trim(catalogue::station_id(id)));
  make_tracks(st);
  Reader reader(st);
  int years = 0;
  read_year_files<14>(st, reader, Index::Precip,
                      {&catalogue::kObservedTable, &catalogue::kInterpolatedTable}, 1,
                      kTableMissing, false, years, std::numeric_limits<int>::max(), true);
  read_spi(st, reader, years);
  read_stats(st, reader);
  read_indices(st, reader, years);
  read_palmer(st, reader);
  read_spei(st, reader);
  read_events(st, reader);
  read_needed(st, reader);
  read_options(st);
  read_place(st);
  return st;
}

bool worth_warning(const FileReport& file) {
  return file.state != FileState::Ok && !(file.optional && file.state == FileState::Missing);
}

std::string shown(std::string_view name) { return records::shown_name(name); }

std::string warning_text(const Station& station, const FileReport& file) {
  std::string text = shown(station.id) + ": " + shown(file.name);
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
    case FileState::TooLarge:
      return text + " is " + std::to_string(file.size) +
             " bytes, larger than any station writes; not read";
  }
  return text;
}

}  // namespace report
