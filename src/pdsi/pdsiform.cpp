// The daily series of the Palmer index: read the three elements of the daily
// observation file, line them up on a calendar that starts on a 1 January,
// convert to metric units and write one record per day.
#include "pdsi/pdsiform.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstddef>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"
#include "records/warnings.h"

namespace pdsi {
namespace {

constexpr int kDailyUnit = 80, kSeriesUnit = 81;

// Data records read from the daily file (of every element together); the
// rest of the file is ignored.
constexpr int kMaxDailyRecords = 50000;
// Rows of the daily series; the calendar walk stops adding rows here.
constexpr std::size_t kMaxSeriesRows = 50000;

// The daily file's mark for a day without a value.
constexpr int kMissingDay = -999;

// 5/9 and the inch in millimetres, as the 4-byte reals the conversion uses.
constexpr float kFahrenheitToCelsius = 0.5555556f;
constexpr float kMillimetresPerInch = 25.4f;

// One month of one element as it stands in the daily file.
struct ElementRecord {
  int year = 0;
  int month = 0;
  std::array<int, 31> day{};
};

enum Element { kPrcp, kTmax, kTmin, kElements };
constexpr std::array<std::string_view, kElements> kElementCodes{"PRCP", "TMAX", "TMIN"};

// A deque grows in blocks without copying what it holds, so a full table
// never needs twice its size while it is read.
using ElementTable = std::deque<ElementRecord>;

struct DailySeries {
  std::vector<int> year;
  std::vector<int> doy;
  std::vector<float> tmin;
  std::vector<float> tmax;
  std::vector<float> prcp;
  std::size_t size() const { return year.size(); }
};

// Reads the data records after the header into one table per element. Reading
// stops quietly at the end of the file or at the first record that cannot be
// read (a day value with a decimal point, for one).
std::array<ElementTable, kElements> read_elements(const std::string& name) {
  static const records::Layout kHeader{"A1"};
  records::open(kDailyUnit, name, records::Presence::MustExist);
  std::string header;
  records::must_read_columns(kDailyUnit, kHeader, {records::Target::text(header, 1)});

  std::array<ElementTable, kElements> tables;
  // The targets live across the loop: a null value keeps what the previous
  // record put there, as list-directed reading defines.
  int station = 0, elevation = 0, month = 0, year = 0;
  float latitude = 0.0f, longitude = 0.0f;
  std::string element;
  std::array<int, 31> day{};
  for (int n = 0; n < kMaxDailyRecords; ++n) {
    const records::ReadStatus status = records::read_list(
        kDailyUnit, {station, latitude, longitude, elevation, records::Target::text(element, 4),
                     month, year, std::span<int>(day)});
    if (status == records::ReadStatus::Bad) records::warn_rest_ignored(kDailyUnit);
    if (status != records::ReadStatus::Ok) break;
    for (int e = 0; e < kElements; ++e) {
      if (element == kElementCodes[e]) {
        tables[e].push_back(ElementRecord{year, month, day});
        break;
      }
    }
  }
  records::close(kDailyUnit);
  return tables;
}

// First index at or after `from` whose record satisfies the test, or the size
// of the table when none does.
template <typename Test>
std::size_t find_from(const ElementTable& table, std::size_t from, Test test) {
  for (std::size_t i = from; i < table.size(); ++i) {
    if (test(table[i])) return i;
  }
  return table.size();
}

// Moves the three cursors to the first January from which every element has
// a record: the latest first year, in it the largest month of the three, and
// from there the next January (or that month itself when it is January).
// False when some element lacks a record on the way.
bool align(const std::array<ElementTable, kElements>& tables,
           std::array<std::size_t, kElements>& cursor) {
  for (const ElementTable& t : tables) {
    if (t.empty()) return false;
  }
  int start_year = tables[0].front().year;
  for (const ElementTable& t : tables) start_year = std::max(start_year, t.front().year);

  for (int e = 0; e < kElements; ++e) {
    cursor[e] =
        find_from(tables[e], 0, [&](const ElementRecord& r) { return r.year == start_year; });
    if (cursor[e] == tables[e].size()) return false;
  }
  int start_month = tables[0][cursor[0]].month;
  for (int e = 0; e < kElements; ++e)
    start_month = std::max(start_month, tables[e][cursor[e]].month);

  for (int e = 0; e < kElements; ++e) {
    cursor[e] = find_from(tables[e], cursor[e],
                          [&](const ElementRecord& r) { return r.month == start_month; });
    cursor[e] =
        find_from(tables[e], cursor[e], [](const ElementRecord& r) { return r.month == 1; });
    if (cursor[e] == tables[e].size()) return false;
  }
  return true;
}

float day_value(int value) {
  return value == kMissingDay ? kMissingDaily : static_cast<float>(value);
}

// A calendar month, ordered by year and then month.
struct YearMonth {
  int year = 0;
  int month = 0;
  auto operator<=>(const YearMonth&) const = default;
};

bool in_calendar(const ElementRecord& r) { return r.month >= 1 && r.month <= 12; }

// The last calendar month the walk visits: the latest year and month among
// the precipitation records from the cursor on whose month is 1 to 12.
YearMonth last_month(const ElementTable& prcp, std::size_t from) {
  YearMonth last{prcp[from].year, prcp[from].month};
  for (std::size_t i = from; i < prcp.size(); ++i) {
    if (in_calendar(prcp[i])) last = std::max(last, YearMonth{prcp[i].year, prcp[i].month});
  }
  return last;
}

// Moves the cursor over the records that can no longer match the month (Y,
// M): earlier months, and months outside 1 to 12. The record it stops at
// gives the days of (Y, M) when it is for that month; null otherwise.
const ElementRecord* record_for(const ElementTable& table, std::size_t& cursor, YearMonth ym) {
  while (cursor < table.size() &&
         (!in_calendar(table[cursor]) || YearMonth{table[cursor].year, table[cursor].month} < ym)) {
    ++cursor;
  }
  if (cursor < table.size() && YearMonth{table[cursor].year, table[cursor].month} == ym) {
    return &table[cursor++];
  }
  return nullptr;
}

// Appends the days of month (Y, M): each element's value from its record, or
// 9999.0 when the element has no record for the month.
void append_month(DailySeries& s, YearMonth ym,
                  const std::array<const ElementRecord*, kElements>& rec) {
  const MonthTables month_tables = jday(ym.year);
  auto value = [&](int e, int d) { return rec[e] ? day_value(rec[e]->day[d]) : kMissingDaily; };
  const int first = month_tables.first[ym.month - 1];
  for (int d = 0; d < month_tables.length[ym.month - 1] && s.size() < kMaxSeriesRows; ++d) {
    s.year.push_back(ym.year);
    s.doy.push_back(first + d);
    s.tmin.push_back(value(kTmin, d));
    s.tmax.push_back(value(kTmax, d));
    s.prcp.push_back(value(kPrcp, d));
  }
}

// Walks the calendar, month by month, from the January at the precipitation
// cursor to the last month of the precipitation records. Every month gets
// its days, each element supplying the month from its own record when it has
// one: a month without a precipitation record still has its place, with
// 9999.0 for its precipitation, and a record out of order or repeated for a
// month already walked is passed over.
DailySeries walk(const std::array<ElementTable, kElements>& tables,
                 std::array<std::size_t, kElements> cursor) {
  DailySeries s;
  const YearMonth last = last_month(tables[kPrcp], cursor[kPrcp]);
  YearMonth ym{tables[kPrcp][cursor[kPrcp]].year, 1};
  while (s.size() < kMaxSeriesRows) {
    std::array<const ElementRecord*, kElements> rec{};
    for (int e = 0; e < kElements; ++e) rec[e] = record_for(tables[e], cursor[e], ym);
    append_month(s, ym, rec);
    if (ym == last || (ym.month == 12 && ym.year == std::numeric_limits<int>::max())) break;
    ym = ym.month == 12 ? YearMonth{ym.year + 1, 1} : YearMonth{ym.year, ym.month + 1};
  }
  return s;
}

}  // namespace

MonthTables jday(int year) {
  MonthTables t{{1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
                {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
  if (year % 4 == 0) {
    for (int m = 2; m < 12; ++m) ++t.first[m];
    t.length[1] = 29;
  }
  return t;
}

void convert(std::span<float> tmin, std::span<float> tmax, std::span<float> prcp) {
  // (v - 32) x 5/9 and (v / 100) x 25.4, each evaluated in double from the
  // 4-byte value and rounded once: 225 hundredths give 57.149999... mm.
  auto celsius = [](float& v) {
    if (v != kMissingDaily) {
      v = records::round_to_float((double(v) - 32.0) * double(kFahrenheitToCelsius));
    }
  };
  for (float& v : tmin) celsius(v);
  for (float& v : tmax) celsius(v);
  for (float& v : prcp) {
    if (v != kMissingDaily) {
      v = records::round_to_float(double(v) / 100.0 * double(kMillimetresPerInch));
    }
  }
}

void pdsiform(std::string_view station_id) {
  static const records::Layout kSeriesRecord{"I4,',',I3,',',F7.1,',',F7.1,',',F7.1,',',F7.1"};
  const std::string id(station_id);
  const std::array<ElementTable, kElements> tables =
      read_elements(catalogue::file_name(id, catalogue::kDailyFile.suffix));

  DailySeries s;
  std::array<std::size_t, kElements> cursor{};
  if (align(tables, cursor)) s = walk(tables, cursor);
  convert(s.tmin, s.tmax, s.prcp);

  records::open(kSeriesUnit, catalogue::file_name(id, catalogue::kPdsiDaily.suffix));
  // An empty series still empties the file, so that no earlier run's series
  // is read in its place.
  records::start_output(kSeriesUnit);
  records::note_source(catalogue::file_name(id, catalogue::kPdsiDaily.suffix),
                       catalogue::file_name(id, catalogue::kDailyFile.suffix));
  for (std::size_t i = 0; i < s.size(); ++i) {
    records::write(kSeriesUnit, kSeriesRecord,
                   {s.year[i], s.doy[i], s.tmin[i], s.tmax[i], 0.0f, s.prcp[i]});
  }
  records::close(kSeriesUnit);
}

}  // namespace pdsi
