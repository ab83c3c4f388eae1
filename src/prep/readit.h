// Daily record reader: the first stage of a station run.
//
// Reads the daily observation file "<id>.csv" (a header line, then one record
// per element and month: station, latitude, a real, an integer, element code,
// month, year, 31 day values) and writes "<id>-fill-prcp.csv": one row of
// daily precipitation per month from the first month of the data to December
// of the last year, a row of gap values (-99.9) for every month that has no
// precipitation record. Returns the data span: the year and month of the first
// data record and of the last record read. Warns about a latitude outside -90
// to 90 in the first data record, and when reading stops at a record that
// cannot be read or is cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"

namespace prep {

struct DataSpan {
  int first_year = 0, first_month = 0, last_year = 0, last_month = 0;
};

// The fill file "<id>-fill-prcp.csv" that readit writes and spiformat reads:
// 31 day values per month, and the value of every day of a gap row.
inline constexpr int kFillDays = 31;
inline constexpr float kFillGapValue = catalogue::kGapDay;

// The longest month walk any reader of the monthly data holds.
inline constexpr std::int64_t kMaxMonths = 5000;

// Number of months from the first month of first_year to December of
// last_year (may be zero or negative for a backward span), in 64 bits so that
// no year value can overflow it.
inline std::int64_t months_to_december(int first_year, int first_month, int last_year) {
  return (std::int64_t{last_year} - first_year) * 12 + 13 - std::int64_t{first_month};
}

// Ends the program with a fatal diagnostic naming the file when the month walk
// from (first_year, first_month) to December of last_year is longer than
// kMaxMonths.
void check_month_walk(std::string_view file, int first_year, int first_month, int last_year);

// Calls visit(year, month) for every month from first_month of first_year
// (as it stands: a month 0 or a negative one is visited too) to December of
// last_year in calendar order (none when last_year < first_year), never
// stepping a year past the largest int.
template <class Visit>
void walk_years(int first_year, int first_month, int last_year, Visit visit) {
  for (int year = first_year; year <= last_year; ++year) {
    for (int month = year == first_year ? first_month : 1; month <= 12; ++month) visit(year, month);
    if (year == last_year) break;
  }
}

// The monthly table that spiformat and spi_format_interp write: one record a
// year from the first to the last year of the span, the station number, the
// year and 12 monthly totals in hundredths of an inch. Months before the
// first or after the last month of the span are missing (kMissingMonth);
// every other month, in calendar order, takes total(year, month).
//
// The table is noted as written from the file (records/fatal.h). A station or
// total that does not fit its field (asterisks, which the SPI run cannot read
// back) is noted as the cause of a fatal read of the table: the station with
// the file, the first such total by origin(year, month, index), which names
// the input value of the index-th total asked (0 the first), for example
// "123456_PRCP.csv line 19: value 1e+11".
inline constexpr int kMissingMonth = catalogue::kMissingMonth;
struct MonthSource {
  std::string file;
  std::function<int(int year, int month)> total;
  std::function<std::string(int year, int month, std::size_t index)> origin;
};
void write_monthly_table(int unit, int station, const DataSpan& span, const MonthSource& source);

// A value as diagnostics name it: the shortest text that reads back as it.
std::string value_text(float v);

// The comma-separated field (0 the first) of a record in which the first
// asterisk stands (a value written that does not fit its field), or -1.
std::ptrdiff_t unfit_field(std::string_view record);

DataSpan readit(std::string_view station_id);

}  // namespace prep
