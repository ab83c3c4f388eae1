#include "prep/readit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/output.h"
#include "records/text.h"
#include "records/warnings.h"

namespace prep {
namespace {

constexpr int kDailyUnit = 80, kFillUnit = 81;

// Records of every element count toward this; the rest of the file is ignored.
constexpr int kMaxDailyRecords = 10000;

// The latitudes a station can have; the Palmer index takes the one of the
// first data record as it stands, a warning names one outside them.
constexpr float kMaxLatitude = 90.0f;

// One row of the fill file: a PRCP record of the daily file (line: where it
// stands there), or a gap row (line 0).
struct PrcpRow {
  int station = 0, year = 0, month = 0;
  long line = 0;
  std::array<float, kFillDays> days{};
};

// One daily record as read list-directed. The fields keep their values from
// one read to the next, so after a read that stops at a bad day value the year
// and month are those of the record that failed.
struct DailyRecord {
  int station = 0, other_int = 0, month = 0, year = 0;
  float latitude = 0, other_real = 0;
  std::string element;
  std::array<float, kFillDays> days{};
};

// What the fill file is made of.
struct DailyData {
  DataSpan span;
  int first_station = 0;      // of the first data record
  std::vector<PrcpRow> prcp;  // the PRCP records in file order
};

records::ReadStatus read_daily(DailyRecord& r) {
  return records::read_list(
      kDailyUnit, {r.station, r.latitude, r.other_real, r.other_int,
                   records::Target::text(r.element, 4), r.month, r.year, std::span<float>(r.days)});
}

std::string span_text(int first_year, int first_month, int last_year) {
  return "data span from " + std::to_string(first_month) + "/" + std::to_string(first_year) +
         " to December " + std::to_string(last_year);
}

// The first data record: the start of the span and the station of the gap
// rows when there is no PRCP record.
void read_first_record(const std::string& daily_name, DailyRecord& rec, DailyData& d) {
  records::must_read_list(kDailyUnit, {rec.station, rec.latitude, rec.other_real, rec.other_int,
                                       records::Target::text(rec.element, 4), rec.month, rec.year,
                                       std::span<float>(rec.days)});
  d.span.first_year = rec.year;
  d.span.first_month = rec.month;
  d.first_station = rec.station;
  if (!(std::fabs(rec.latitude) <= kMaxLatitude)) {
    records::warn(daily_name,
                  " line " + std::to_string(records::record_number(kDailyUnit)) + ": latitude " +
                      value_text(rec.latitude) + " is outside -90 to 90",
                  records::Subject::Range);
  }
  records::step_back(kDailyUnit);
}

// Reads the daily file: the span from its first data record to the last
// record read, and its PRCP records. Reading stops at the end of the file,
// at a record that cannot be read or is cut short (with a warning), or after
// kMaxDailyRecords records.
DailyData read_daily_file(const std::string& daily_name) {
  // Reads the first column of a record only: skips the header whatever it holds.
  static const records::Layout kSkipRecord{"A1"};
  records::open(kDailyUnit, daily_name, records::Presence::MayBeMissing);
  std::string header;
  records::must_read_columns(kDailyUnit, kSkipRecord, {records::Target::text(header, 1)});

  DailyRecord rec;
  DailyData d;
  read_first_record(daily_name, rec, d);
  for (int count = 0; count < kMaxDailyRecords; ++count) {
    if (read_daily(rec) != records::ReadStatus::Ok) {
      records::warn_rest_ignored(kDailyUnit);
      break;
    }
    // "SNOW", "TMAX", "TMIN", "SNWD" and any other code are passed over here.
    if (records::text_equal(rec.element, "PRCP"))
      d.prcp.push_back(
          PrcpRow{rec.station, rec.year, rec.month, records::record_number(kDailyUnit), rec.days});
  }
  // The last year and month taken from the file, whatever the record's element
  // and also when the read of that record stopped at a bad day value.
  d.span.last_year = rec.year;
  d.span.last_month = rec.month;
  records::close(kDailyUnit);
  return d;
}

// The value of a fill row in its comma-separated field (0 the station, 2 the
// year, 3 the month, 4 to 34 the days), as a diagnostic names it.
std::string field_value(const PrcpRow& row, std::ptrdiff_t field) {
  switch (field) {
    case 0:
      return "station " + std::to_string(row.station);
    case 2:
      return "year " + std::to_string(row.year);
    case 3:
      return "month " + std::to_string(row.month);
    default: {
      const std::size_t day = static_cast<std::size_t>(field - 3);
      return "day " + std::to_string(day) + " value " + value_text(row.days[day - 1]);
    }
  }
}

// Writes one row of the fill file. A row with a field that does not fit it
// (asterisks, which the monthly table cannot read back) is the cause of a
// fatal read of the fill file, named by its value and its place in the daily
// file.
void write_row(const std::string& daily_name, const PrcpRow& row) {
  static const records::Layout kFillRecord{"I6,',',A4,',',I4,',',I2,',',31(F8.2,',')"};
  static const records::Layout kAsFormed{"A"};
  const std::string text = records::format(
      kFillRecord, {row.station, "PRCP", row.year, row.month, std::span<const float>(row.days)});
  if (const std::ptrdiff_t field = unfit_field(text); field >= 0) {
    const std::string where =
        row.line > 0 ? daily_name + " line " + std::to_string(row.line) : daily_name;
    records::note_cause(records::attached_name(kFillUnit),
                        where + ": " + field_value(row, field) + " does not fit the fill file");
  }
  records::write(kFillUnit, kAsFormed, {text});
}

// Writes the fill file: the calendar from the first month of the span as read
// (a month 0 or a negative one included) to December of the last year. The
// first month of the walk takes the first PRCP row whatever its date; every
// later month takes the next row when it is dated that month, so that the
// rows stop at one out of calendar order and every later month becomes a gap
// row.
void write_fill_file(const std::string& fill_name, const std::string& daily_name,
                     const DailyData& d) {
  static const std::array<float, kFillDays> kGapDays = [] {
    std::array<float, kFillDays> a;
    a.fill(kFillGapValue);
    return a;
  }();
  records::open(kFillUnit, fill_name, records::Presence::MayBeMissing);
  // A span without a month to walk (its last year before its first, or a first
  // month past December in a one-year span) writes no record; the file is
  // emptied all the same, so that the monthly table meets the end of an empty
  // file instead of reading a fill file that an earlier run left behind.
  records::start_output(kFillUnit);
  records::note_source(fill_name, daily_name);
  const std::vector<PrcpRow>& prcp = d.prcp;
  std::size_t next = 0;
  bool walked = false;
  walk_years(d.span.first_year, d.span.first_month, d.span.last_year, [&](int year, int month) {
    const bool first = !walked;
    walked = true;
    if (next < prcp.size() && (first || (prcp[next].year == year && prcp[next].month == month))) {
      write_row(daily_name, prcp[next++]);
      return;
    }
    // Gap: the station of the row at the pointer, of the last row once every
    // row is written, of the first data record when there is no row at all.
    const int station =
        prcp.empty() ? d.first_station : prcp[std::min(next, prcp.size() - 1)].station;
    write_row(daily_name, PrcpRow{station, year, month, 0, kGapDays});
  });
  if (!walked) {
    records::note_cause(fill_name,
                        daily_name + ": " +
                            span_text(d.span.first_year, d.span.first_month, d.span.last_year) +
                            " holds no month");
  }
  records::close(kFillUnit);
}

}  // namespace

std::string value_text(float v) { return records::format_list({v}).substr(1); }

std::ptrdiff_t unfit_field(std::string_view record) {
  const std::size_t star = record.find('*');
  if (star == std::string_view::npos) return -1;
  return std::count(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(star), ',');
}

void check_month_walk(std::string_view file, int first_year, int first_month, int last_year) {
  // A first month past December leaves the first year without a month, but
  // every later year is still walked whole (and written, one record a year, by
  // the monthly tables): it counts as the month after December, so that no
  // month value can make a walk of any length pass for a short one.
  const int counted_month = std::min(first_month, 13);
  if (months_to_december(first_year, counted_month, last_year) > kMaxMonths) {
    records::fatal("read", file,
                   span_text(first_year, first_month, last_year) + " is longer than " +
                       std::to_string(kMaxMonths) + " months");
  }
}

void write_monthly_table(int unit, int station, const DataSpan& span, const MonthSource& source) {
  static const records::Layout kTableRecord{"I6,',',I4,',',12(I7,',')"};
  static const records::Layout kAsFormed{"A"};
  const std::string table = records::attached_name(unit);
  std::array<int, 12> totals{};
  std::array<std::size_t, 12> asked{};  // the index of each month's total
  std::size_t count = 0;                // totals asked so far
  walk_years(span.first_year, 1, span.last_year, [&](int year, int month) {
    const std::size_t m = static_cast<std::size_t>(month - 1);
    const bool outside = (year == span.first_year && month < span.first_month) ||
                         (year == span.last_year && month > span.last_month);
    if (outside) {
      totals[m] = kMissingMonth;
    } else {
      asked[m] = count++;
      totals[m] = source.total(year, month);
    }
    if (month != 12) return;
    const std::string text =
        records::format(kTableRecord, {station, year, std::span<const int>(totals)});
    // A field that does not fit (asterisks, which the SPI run cannot read
    // back): the station, or the total of a month.
    const std::ptrdiff_t field = unfit_field(text);
    if (field == 0)
      records::note_cause(table, records::source_of(source.file) + ": station " +
                                     std::to_string(station) + " does not fit the monthly table");
    if (field >= 2) {
      const std::size_t unfit = static_cast<std::size_t>(field - 2);
      records::note_cause(table, source.origin(year, static_cast<int>(unfit + 1), asked[unfit]) +
                                     " does not fit the monthly table");
    }
    records::write(unit, kAsFormed, {text});
  });
  records::note_source(table, source.file);
}

DataSpan readit(std::string_view station_id) {
  const std::string daily_name = catalogue::file_name(station_id, catalogue::kDailyFile.suffix);
  const DailyData daily = read_daily_file(daily_name);
  check_month_walk(daily_name, daily.span.first_year, daily.span.first_month, daily.span.last_year);
  write_fill_file(catalogue::file_name(station_id, catalogue::kFillFile.suffix), daily_name, daily);
  return daily.span;
}

}  // namespace prep
