#include "prep/readit.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

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

struct PrcpRow {
  int station = 0, year = 0, month = 0;
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

records::ReadStatus read_daily(DailyRecord& r) {
  return records::read_list(
      kDailyUnit, {r.station, r.latitude, r.other_real, r.other_int,
                   records::Target::text(r.element, 4), r.month, r.year, std::span<float>(r.days)});
}

void write_row(int station, int year, int month, std::span<const float> days) {
  static const records::Layout kFillRecord{"I6,',',A4,',',I4,',',I2,',',31(F8.2,',')"};
  records::write(kFillUnit, kFillRecord, {station, "PRCP", year, month, days});
}

}  // namespace

void check_month_walk(std::string_view file, int first_year, int first_month, int last_year) {
  // A first month past December leaves the first year without a month, but
  // every later year is still walked whole (and written, one record a year, by
  // the monthly tables): it counts as the month after December, so that no
  // month value can make a walk of any length pass for a short one.
  const int counted_month = std::min(first_month, 13);
  if (months_to_december(first_year, counted_month, last_year) > kMaxMonths) {
    records::fatal("read", file,
                   "data span from " + std::to_string(first_month) + "/" +
                       std::to_string(first_year) + " to December " + std::to_string(last_year) +
                       " is longer than " + std::to_string(kMaxMonths) + " months");
  }
}

void write_monthly_table(int unit, int station, const DataSpan& span,
                         const std::function<int(int year, int month)>& total) {
  static const records::Layout kTableRecord{"I6,',',I4,',',12(I7,',')"};
  std::array<int, 12> totals{};
  walk_years(span.first_year, 1, span.last_year, [&](int year, int month) {
    const bool outside = (year == span.first_year && month < span.first_month) ||
                         (year == span.last_year && month > span.last_month);
    totals[static_cast<std::size_t>(month - 1)] = outside ? kMissingMonth : total(year, month);
    if (month == 12)
      records::write(unit, kTableRecord, {station, year, std::span<const int>(totals)});
  });
}

DataSpan readit(std::string_view station_id) {
  // Reads the first column of a record only: skips the header whatever it holds.
  static const records::Layout kSkipRecord{"A1"};
  const std::string daily_name = std::string(station_id) + ".csv";
  records::open(kDailyUnit, daily_name, records::Presence::MayBeMissing);

  std::string header;
  records::must_read_columns(kDailyUnit, kSkipRecord, {records::Target::text(header, 1)});

  DailyRecord rec;
  records::must_read_list(kDailyUnit, {rec.station, rec.latitude, rec.other_real, rec.other_int,
                                       records::Target::text(rec.element, 4), rec.month, rec.year,
                                       std::span<float>(rec.days)});
  DataSpan span;
  span.first_year = rec.year;
  span.first_month = rec.month;
  const int first_station = rec.station;
  records::step_back(kDailyUnit);

  std::vector<PrcpRow> prcp;
  for (int count = 0; count < kMaxDailyRecords; ++count) {
    const records::ReadStatus status = read_daily(rec);
    if (status == records::ReadStatus::Bad) records::warn_rest_ignored(kDailyUnit);
    if (status != records::ReadStatus::Ok) break;
    if (records::text_equal(rec.element, "PRCP")) {
      prcp.push_back(PrcpRow{rec.station, rec.year, rec.month, rec.days});
    }
    // "SNOW", "TMAX", "TMIN", "SNWD" and any other code are passed over here.
  }
  // The last year and month taken from the file, whatever the record's element
  // and also when the read of that record stopped at a bad day value.
  span.last_year = rec.year;
  span.last_month = rec.month;
  records::close(kDailyUnit);

  const std::string fill_name = std::string(station_id) + "-fill-prcp.csv";
  check_month_walk(daily_name, span.first_year, span.first_month, span.last_year);

  records::open(kFillUnit, fill_name, records::Presence::MayBeMissing);
  // A span without a month to walk (its last year before its first, or a first
  // month past December in a one-year span) writes no record; the file is
  // emptied all the same, so that the monthly table meets the end of an empty
  // file instead of reading a fill file that an earlier run left behind.
  records::start_output(kFillUnit);
  static const std::array<float, kFillDays> kGapDays = [] {
    std::array<float, kFillDays> a;
    a.fill(kFillGapValue);
    return a;
  }();

  // Walk the calendar from the first month of the span as read (a month 0 or
  // a negative one included) to December of the last year. A row is written
  // when its month comes up; the pointer stops at a row out of calendar
  // order, and every later month becomes a gap record.
  std::size_t next = 0;
  bool first_month_of_walk = true;
  walk_years(span.first_year, span.first_month, span.last_year, [&](int year, int month) {
    if (first_month_of_walk) {
      first_month_of_walk = false;
      if (!prcp.empty()) {
        const PrcpRow& row = prcp[0];
        write_row(row.station, row.year, row.month, row.days);
        next = 1;
        return;
      }
    }
    if (next < prcp.size() && prcp[next].year == year && prcp[next].month == month) {
      write_row(prcp[next].station, year, month, prcp[next].days);
      ++next;
      return;
    }
    // Gap: the station of the row at the pointer, of the last row once every
    // row is written, of the first data record when there is no row at all.
    const int station =
        prcp.empty() ? first_station : prcp[std::min(next, prcp.size() - 1)].station;
    write_row(station, year, month, kGapDays);
  });
  records::close(kFillUnit);
  return span;
}

}  // namespace prep
