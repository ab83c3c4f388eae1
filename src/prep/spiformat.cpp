#include "prep/spiformat.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "prep/readit.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"

namespace prep {
namespace {

constexpr int kFillUnit = 82;
constexpr int kTableUnit = 83;
constexpr int kGapListUnit = 84;

constexpr int kMaxFillRecords = 5000;
static const records::Layout kGapDayRecord{"I4,',',I2,',',I2,','"};

// One fill-file record as read list-directed; the year and month keep their
// values from one read to the next.
struct FillRecord {
  int station = 0;
  std::string element;
  int year = 0;
  int month = 0;
  std::array<float, kFillDays> days{};
};

records::ReadStatus read_fill(FillRecord& r) {
  return records::read_list(kFillUnit, {r.station, records::Target::text(r.element, 4), r.year,
                                        r.month, std::span<float>(r.days)});
}

// The total of one month's daily row, listing its gap days. Values of 0 or
// more are added, the integer total truncated after each addition; gap days
// are listed and counted; other negative values (-999, no value) are passed
// over. A month of 31 gap days is missing.
int month_total(const std::array<float, kFillDays>& days, int year, int month) {
  int total = 0;
  int gaps = 0;
  for (int day = 1; day <= kFillDays; ++day) {
    const float v = days[static_cast<std::size_t>(day - 1)];
    if (v >= 0.0f) {
      total = records::trunc_to_int(double(total) + double(v));
    } else if (v == kFillGapValue) {
      records::write(kGapListUnit, kGapDayRecord, {year, month, day});
      ++gaps;
      if (gaps == kFillDays) total = kMissingMonth;
    }
  }
  return total;
}

}  // namespace

void spiformat(std::string_view station_id) {
  const std::string fill_name = catalogue::file_name(station_id, catalogue::kFillFile.suffix);
  records::open(kFillUnit, fill_name, records::Presence::MayBeMissing);

  FillRecord rec;
  records::must_read_list(kFillUnit, {rec.station, records::Target::text(rec.element, 4), rec.year,
                                      rec.month, std::span<float>(rec.days)});
  const int station = rec.station;
  const int first_year = rec.year;
  const int first_month = rec.month;
  records::step_back(kFillUnit);

  std::vector<std::array<float, kFillDays>> rows;
  for (int count = 0; count < kMaxFillRecords; ++count) {
    if (read_fill(rec) != records::ReadStatus::Ok) break;
    rows.push_back(rec.days);
  }
  const int last_year = rec.year;
  const int last_month = rec.month;
  records::close(kFillUnit);

  check_month_walk(fill_name, first_year, first_month, last_year);

  records::open(kTableUnit, catalogue::file_name(station_id, catalogue::kObservedTable.suffix));
  // A fill file whose first record is dated after its last year gives no
  // year to write; the table is emptied all the same, so that the SPI run and
  // the monthly indices never read a table that an earlier run left behind.
  records::start_output(kTableUnit);
  records::open(kGapListUnit, catalogue::file_name(station_id, catalogue::kGapDays.suffix));
  // The list holds this run's gap days only, and is empty without any.
  records::start_output(kGapListUnit);

  // Each month inside the span takes the next daily row in file order; the
  // row's own year and month are not looked at. A month left without a row
  // (reading stopped early) is missing.
  std::size_t next = 0;
  const MonthSource source{fill_name,
                           [&](int year, int month) {
                             return next < rows.size() ? month_total(rows[next++], year, month)
                                                       : kMissingMonth;
                           },
                           [&](int year, int month, std::size_t) {
                             return records::source_of(fill_name) + ": the PRCP total of " +
                                    std::to_string(month) + "/" + std::to_string(year);
                           }};
  write_monthly_table(kTableUnit, station, {first_year, first_month, last_year, last_month},
                      source);
  records::close(kTableUnit);
  records::close(kGapListUnit);
}

}  // namespace prep
