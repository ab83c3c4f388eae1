#include "events/monthly_file.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"

namespace events {
namespace {

// Values beyond this many units have no whole number of hundredths in a
// 4-byte integer; no index comes near it.
constexpr double kLargestValue = 1.0e7;

int hundredths(double v, const std::optional<float>& missing) {
  if (!std::isfinite(v) || std::fabs(v) > kLargestValue) return kNoValue;
  if (missing && v == static_cast<double>(*missing)) return kNoValue;
  return records::trunc_to_int(std::round(v * 100.0));
}

// The row of (year, month) counted from the first month of the file; -1
// outside the rows a file may hold.
long long row_of(const MonthlyFile& f, int year, int month) {
  if (month < 1 || month > 12) return -1;
  const long long i = (std::int64_t{year} - f.first_year) * 12 + (month - f.first_month);
  return i < 0 || i >= static_cast<long long>(kMaxMonths) ? -1 : i;
}

void skip_header(int unit) {
  static const records::Layout kHeader{"A1"};
  std::string header;
  (void)records::read_columns(unit, kHeader, {records::Target::text(header, 1)});
}

}  // namespace

int MonthlyFile::value(int column, int year, int month) const {
  const long long i = row_of(*this, year, month);
  if (column < 0 || column >= static_cast<int>(columns.size()) || i < 0 ||
      i >= static_cast<long long>(months()))
    return kNoValue;
  return columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(i)];
}

MonthlyFile read_monthly(int unit, std::string_view name, const FileShape& shape) {
  MonthlyFile f;
  const std::size_t ncol = static_cast<std::size_t>(shape.columns);
  records::open(unit, name);
  if (shape.header) skip_header(unit);
  for (;;) {
    int year = 0, month = 0;  // month 0: the record's year or month was unreadable
    std::array<double, kMaxColumns> v;
    v.fill(std::nan(""));
    const auto status = records::read_list(unit, {year, month, std::span<double>(v.data(), ncol)});
    if (status == records::ReadStatus::End) break;
    if (month < 1 || month > 12) continue;
    if (f.columns.empty()) {
      f.first_year = year;
      f.first_month = month;
      f.columns.resize(ncol);
    }
    const long long i = row_of(f, year, month);
    if (i < 0) continue;
    const std::size_t row = static_cast<std::size_t>(i);
    for (std::size_t c = 0; c < ncol; ++c) {
      if (f.columns[c].size() <= row) f.columns[c].resize(row + 1, kNoValue);
      f.columns[c][row] = hundredths(v[c], shape.missing);
    }
  }
  records::close(unit);
  return f;
}

YearMonth month_after(int year, int month, long long i) {
  const long long n = std::int64_t{year} * 12 + (month - 1) + i;
  const long long y = n >= 0 ? n / 12 : -((-n + 11) / 12);
  return {static_cast<int>(y), static_cast<int>(n - y * 12) + 1};
}

}  // namespace events
