#include "prep/spi_format_interp.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"
#include "records/warnings.h"

namespace prep {
namespace {

constexpr int kMonthlyUnit = 85;
constexpr int kTableUnit = 86;

constexpr int kMaxMonthlyRecords = 5000;

bool inside_span(int year, int month, const DataSpan& span) {
  const bool after_start =
      year > span.first_year || (year == span.first_year && month >= span.first_month);
  const bool before_end =
      year < span.last_year || (year == span.last_year && month <= span.last_month);
  return after_start && before_end;
}

}  // namespace

void spi_format_interp(std::string_view station_id, const DataSpan& span) {
  const std::string monthly_name = catalogue::file_name(station_id, catalogue::kPrcpFile.suffix);
  check_month_walk(monthly_name, span.first_year, span.first_month, span.last_year);
  records::open(kMonthlyUnit, monthly_name, records::Presence::MayBeMissing);

  // Values inside the span, in hundredths of an inch, in file order, with
  // the value read and its line for a diagnostic.
  struct Value {
    float hundredths;
    float inches;
    long line;
  };
  std::vector<Value> values;
  int station = 0;  // of the last record read; 0 when none was
  for (int count = 0; count < kMaxMonthlyRecords; ++count) {
    int number = 0, other_int = 0, month = 0, year = 0;
    float other1 = 0, other2 = 0, inches = 0;
    const records::ReadStatus status =
        records::read_list(kMonthlyUnit, {number, other1, other2, other_int, month, year, inches});
    if (status == records::ReadStatus::Bad) records::warn_rest_ignored(kMonthlyUnit);
    if (status != records::ReadStatus::Ok) break;
    station = number;
    if (inside_span(year, month, span)) {
      values.push_back({records::round_to_float(double(inches) * 100.0), inches,
                        records::record_number(kMonthlyUnit)});
    }
  }
  if (records::was_missing(kMonthlyUnit))
    records::warn(monthly_name, ": No such file or directory; the interpolated series is empty");
  records::close(kMonthlyUnit);

  records::open(kTableUnit, catalogue::file_name(station_id, catalogue::kInterpolatedTable.suffix));
  // Each month inside the span takes the next value; adding 0.1 before the
  // truncation keeps a product stored just below a whole number (0.53 inches
  // times 100 is stored as 52.999996) from losing a hundredth.
  constexpr float kLift = 0.1f;
  std::size_t next = 0;
  const MonthSource source{
      monthly_name,
      [&](int, int) {
        return next < values.size()
                   ? records::trunc_to_int(double(values[next++].hundredths) + double(kLift))
                   : kMissingMonth;
      },
      [&](int, int, std::size_t index) {
        const Value& v = values[index];
        return monthly_name + " line " + std::to_string(v.line) + ": value " + value_text(v.inches);
      }};
  write_monthly_table(kTableUnit, station, span, source);
  records::close(kTableUnit);
}

}  // namespace prep
