#include "indices/computeedi.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>

#include "catalogue/catalogue.h"
#include "indices/edi.h"
#include "indices/monthly_table.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"
#include "records/text.h"

namespace indices {
namespace {

constexpr int kTableUnit = 82;
constexpr int kPrnUnit = 83;

// Month indices k = 12 * (year index) + month run from 1 to kMaxMonths; the
// arrays below are indexed from 1 so that k is used as is.
constexpr int kMaxMonths = 12 * kMaxTableYears;
// At most one EP sample per calendar month and year.
constexpr int kMaxSamples = kMaxTableYears;

using MonthSeries = std::array<float, kMaxMonths + 1>;

float add(float sum, double term) { return records::round_to_float(double(sum) + term); }

// The first (from January) or last (from December) month whose total is not
// missing; 0 when every month is missing.
int first_data_month(const std::array<int, 12>& totals) {
  for (int m = 1; m <= 12; ++m)
    if (totals[m - 1] != kMissingTotal) return m;
  return 0;
}
int last_data_month(const std::array<int, 12>& totals) {
  for (int m = 12; m >= 1; --m)
    if (totals[m - 1] != kMissingTotal) return m;
  return 0;
}

// Sum over j = 1..12 of (1/j) times the sum of the j values ending at x[last]:
// each inner sum rounded to single precision after every addition, each term
// s / j added in double and the total stored single.
float effective(const float* x, int last) {
  float ep = 0.0f;
  for (int j = 1; j <= 12; ++j) {
    float s = 0.0f;
    for (int l = last - j + 1; l <= last; ++l) s = add(s, x[l]);
    ep = add(ep, double(s) / j);
  }
  return ep;
}

// The months of the output period in order: calendar month and year, from
// month m0 of year y0 to month lm of year yL, each year's months in order.
// Also a period that begins in its last year ends at lm. The walk stops after
// `count` months, so that a table whose year fields skip years never walks
// past the effective precipitation computed.
template <typename Visit>
void walk_period(std::int64_t y0, int m0, std::int64_t y_last, int lm, int count, Visit visit) {
  int done = 0;
  for (std::int64_t y = y0; y <= y_last && done < count; ++y) {
    const int from = y == y0 ? m0 : 1;
    const int to = y == y_last ? lm : 12;
    for (int m = from; m <= to && done < count; ++m, ++done) visit(static_cast<int>(y), m, done);
  }
}

// Missing months take their calendar month's normal truncated to whole
// hundredths; a month without any total has the normal 0.
MonthSeries filled_months(const MonthlyTable& table, const std::array<float, 12>& normal) {
  MonthSeries p{};
  for (int i = 0; i < table.n; ++i) {
    for (int m = 1; m <= 12; ++m) {
      int t = table.total[i][m - 1];
      if (t == kMissingTotal) t = records::trunc_to_int(double(normal[m - 1]));
      p[12 * i + m] = static_cast<float>(t);
    }
  }
  return p;
}

// Climatological EP: the same window over two years of normals.
std::array<float, 13> climatological_ep(const std::array<float, 12>& normal) {
  std::array<float, 25> cycle{};
  for (int x = 1; x <= 12; ++x) cycle[x] = cycle[x + 12] = normal[x - 1];
  std::array<float, 13> cep{};
  for (int m = 1; m <= 12; ++m) cep[m] = effective(cycle.data(), m + 12);
  return cep;
}

// The output period: months k = first_k .. first_k + months - 1, from month m0
// of year y0 to month lm of year y_last.
struct Period {
  std::int64_t y0;
  int m0;
  std::int64_t y_last;
  int lm;
  int first_k;
  int months;
  template <typename Visit>
  void walk(Visit visit) const {
    walk_period(y0, m0, y_last, lm, months, visit);
  }
};

// Spread of EP about the climatological EP, per calendar month. One sample
// gives a divisor of 0: infinity or NaN, written as such.
std::array<float, 13> spread(const MonthSeries& ep, const std::array<float, 13>& cep,
                             const Period& period) {
  std::array<std::array<float, kMaxSamples>, 13> sample{};
  std::array<int, 13> count{};
  period.walk([&](int, int m, int step) {
    if (count[m] < kMaxSamples) sample[m][count[m]++] = ep[period.first_k + step];
  });
  std::array<float, 13> sd{};
  for (int m = 1; m <= 12; ++m) {
    float q = 0.0f;
    for (int r = 0; r < count[m]; ++r) {
      const double d = double(sample[m][r]) - double(cep[m]);
      q = add(q, d * d);
    }
    sd[m] = records::round_to_float(std::sqrt(double(q) / (count[m] - 1)));
  }
  return sd;
}

// EP, its departure from the climatological EP, the standardized departure
// and PRN of every month of the period.
void write_prn(const MonthlyTable& table, const Period& period) {
  static const records::Layout kPrnRecord{"I4,',',I2,',',4(F8.2,',')"};
  const std::array<float, 12> normal = monthly_normals(table);
  const MonthSeries p = filled_months(table, normal);
  const int last_k = period.first_k + period.months - 1;
  MonthSeries ep{};
  for (int k = period.first_k; k <= last_k; ++k) ep[k] = effective(p.data(), k);
  const std::array<float, 13> cep = climatological_ep(normal);
  const std::array<float, 13> sd = spread(ep, cep, period);
  float weight_sum = 0.0f;
  for (int j = 1; j <= 12; ++j) weight_sum = add(weight_sum, 1.0 / j);

  period.walk([&](int y, int m, int step) {
    const int k = period.first_k + step;
    const float dep = records::round_to_float(double(ep[k]) - double(cep[m]));
    const float sep = records::round_to_float(double(dep) / double(sd[m]));
    const float prn = records::round_to_float(double(dep) / double(weight_sum));
    records::write(kPrnUnit, kPrnRecord, {y, m, ep[k], dep, sep, prn});
  });
}

}  // namespace

void computeedi(std::string_view table_arg) {
  const std::string station = catalogue::station_of(table_arg);
  const std::string_view table_name = catalogue::trim_name(table_arg);

  // The first record gives the first year and the first data month; an empty
  // table or an unreadable first record is fatal. Stepping back lets the
  // table reading start with the same record.
  records::open(kTableUnit, table_name);
  int first_station = 0;
  int y1 = 0;
  std::array<int, 12> first{};
  records::must_read_list(kTableUnit, {first_station, y1, std::span<int>(first)});
  records::step_back(kTableUnit);
  const int fm = first_data_month(first);

  const MonthlyTable table = read_monthly_table(kTableUnit, kMaxTableYears);
  records::close(kTableUnit);
  const int n = table.n;
  const int y_last = n > 0 ? table.year[n - 1] : 0;
  const int lm = n > 0 ? last_data_month(table.total[n - 1]) : 0;

  records::open(kPrnUnit, catalogue::file_name(station, catalogue::kPrn.suffix));
  records::write_list(kPrnUnit, {"YEAR,MO,EP,DEP,SEP,PRN"});

  // EP exists for the months k = fm + 11 .. last_k whose twelve-month window
  // lies inside the data; with no first or last data month there is none and
  // the file keeps its header only. The output period starts at the month of
  // index first_k.
  const int first_k = fm + 11;
  const int last_k = 12 * (n - 1) + lm;
  if (n > 0 && fm > 0 && lm > 0 && last_k >= first_k) {
    const std::int64_t y0 = fm == 1 ? std::int64_t{y1} : std::int64_t{y1} + 1;
    const int m0 = fm == 1 ? 12 : fm - 1;
    write_prn(table, Period{y0, m0, y_last, lm, first_k, last_k - first_k + 1});
  }
  records::close(kPrnUnit);

  edi(table_arg);
}

}  // namespace indices
