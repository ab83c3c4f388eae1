#include "indices/monthly_table.h"

#include <algorithm>
#include <span>

#include "catalogue/catalogue.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/text.h"

namespace indices {

MonthlyTable read_monthly_table(int unit, int max_years) {
  MonthlyTable table;
  const int limit = std::clamp(max_years, 0, kMaxTableYears);
  // A null value keeps the target's previous content: the station number
  // carries over from the last record, the year and totals of a fresh row are 0.
  int station = 0;
  while (table.n < limit) {
    int year = 0;
    std::array<int, 12> totals{};
    const records::ReadStatus status =
        records::read_list(unit, {station, year, std::span<int>(totals)});
    if (status != records::ReadStatus::Ok) break;
    table.year[table.n] = year;
    table.total[table.n] = totals;
    table.station = station;
    ++table.n;
  }
  return table;
}

std::array<float, 12> monthly_normals(const MonthlyTable& table,
                                      const catalogue::YearRange& reference) {
  std::array<float, 12> normal{};
  for (int m = 0; m < 12; ++m) {
    float sum = 0.0f;
    int count = 0;
    for (int i = 0; i < table.n; ++i) {
      const int t = table.total[i][m];
      if (t == kMissingTotal || !reference.contains(table.year[i])) continue;
      sum = records::round_to_float(double(sum) + double(t));
      ++count;
    }
    normal[m] = count > 0 ? records::round_to_float(double(sum) / count) : 0.0f;
  }
  return normal;
}

MonthlyTable read_monthly_table(std::string_view table_arg, int unit, int max_years) {
  records::open(unit, catalogue::trim_name(table_arg));
  const MonthlyTable table = read_monthly_table(unit, max_years);
  records::close(unit);
  return table;
}

std::string output_name(std::string_view table_arg, const catalogue::FileRow& observed,
                        const catalogue::FileRow& interpolated) {
  const std::string station = catalogue::station_of(table_arg);
  const bool is_observed =
      records::text_equal(catalogue::trim_name(table_arg),
                          catalogue::file_name(station, catalogue::kObservedTable.suffix));
  return catalogue::file_name(station, (is_observed ? observed : interpolated).suffix);
}

}  // namespace indices
