#include "events/needed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "compute/fit.h"
#include "compute/spicompute.h"
#include "events/events.h"
#include "events/monthly_file.h"
#include "events/tidy.h"
#include "records/files.h"
#include "records/input.h"

namespace events {
namespace {

constexpr int kTableUnit = 94, kSpiUnit = 95, kNeededUnit = 96;

constexpr std::string_view kHeader =
    "station,series,period,horizon,target,month,inches,mm,percent_of_normal,probability";

constexpr std::array<int, 4> kHorizons{1, 2, 3, 6};
constexpr std::array<double, 2> kTargets{-1.0, 0.0};

constexpr double kMillimetresPerInch = 25.4;  // exact by definition of the inch
// The inverse is found by halving to this many inches, and gives up beyond
// the largest sum (no precipitation total comes near it).
constexpr double kTolerance = 1.0e-6;
constexpr double kLargestSum = 1.0e6;

// One monthly table in inches as the SPI run reads it: slot 0 is January of
// the first year; the SPI missing marker where a month is missing.
struct Table {
  int first_year = 0;
  std::vector<float> months;
  long long last = -1;  // the slot of T, the last month with a value; -1: none
};

Table read_table(std::string_view id, const catalogue::FileRow& row) {
  Table t;
  t.months.assign(kMaxMonths, catalogue::kMissingSpi);
  records::open(kTableUnit, catalogue::file_name(id, row.suffix));
  int station = 0, end_flag = 0;
  std::array<int, 12> totals{};
  if (records::read_list(kTableUnit, {station, t.first_year, std::span<int>(totals)}) ==
      records::ReadStatus::Ok) {
    records::step_back(kTableUnit);
    compute::read(t.months, kTableUnit, catalogue::kMissingSpi,
                  static_cast<float>(catalogue::kMissingMonth), t.first_year,
                  catalogue::kLongestRecordYears, station, end_flag);
    for (std::size_t i = t.months.size(); i-- > 0;)
      if (t.months[i] != catalogue::kMissingSpi) {
        t.last = static_cast<long long>(i);
        break;
      }
  }
  records::close(kTableUnit);
  return t;
}

// The sum of the n months ending in slot s, as the SPI run forms it: an
// 8-byte sum of the 4-byte totals from the latest month back; none when a
// month is missing or lies before the first.
std::optional<double> window_sum(const Table& t, long long s, int n) {
  if (s - n + 1 < 0) return std::nullopt;
  double sum = 0.0;
  for (long long j = s; j > s - n; --j) {
    const float v = t.months[static_cast<std::size_t>(j)];
    if (v == catalogue::kMissingSpi) return std::nullopt;
    sum += static_cast<double>(v);
  }
  return sum;
}

// The n-month sums ending in a calendar month (0 to 11) that the SPI run fits:
// every complete window within its years whose last month lies in the
// reference years, in time order.
std::vector<double> fitted_sums(const Table& t, int n, int calendar_month,
                                const compute::FitSlots& fit) {
  std::vector<double> sums;
  for (long long s = calendar_month; s < compute::kSpiSlots; s += 12)
    if (s >= fit.first && s <= fit.last)
      if (const auto sum = window_sum(t, s, n)) sums.push_back(*sum);
  return sums;
}

// The fits and sums of one table, each made once per period and calendar month.
struct Fits {
  const Table& table;
  compute::FitSlots slots;
  const catalogue::Choices& choices;
  std::map<std::pair<int, int>, std::pair<std::vector<double>, compute::MonthFit>> made;

  const std::pair<std::vector<double>, compute::MonthFit>& of(int n, int calendar_month) {
    const auto key = std::make_pair(n, calendar_month);
    auto it = made.find(key);
    if (it == made.end()) {
      std::vector<double> sums = fitted_sums(table, n, calendar_month, slots);
      compute::MonthFit fit = compute::fit_month(sums, choices);
      it = made.emplace(key, std::make_pair(std::move(sums), fit)).first;
    }
    return it->second;
  }
};

// The least sum x >= 0 at which the mixed distribution function reaches p,
// to kTolerance inches by halving; none when it never does.
std::optional<double> inverse(const compute::MonthFit& fit, double p) {
  const auto reaches = [&fit, p](double x) { return compute::cdf_month(fit, x) >= p; };
  if (reaches(0.0)) return 0.0;
  double lo = 0.0, hi = 1.0;
  while (!reaches(hi)) {
    lo = hi;
    hi *= 2.0;
    if (hi > kLargestSum) return std::nullopt;
  }
  while (hi - lo > kTolerance) {
    const double mid = 0.5 * (lo + hi);
    (reaches(mid) ? hi : lo) = mid;
  }
  return 0.5 * (lo + hi);
}

// The standard normal distribution function: the probability whose normal
// quantile is the SPI value t.
double normal_cdf(double t) { return 0.5 * std::erfc(-t / std::sqrt(2.0)); }

double mean(const std::vector<double>& v) {
  double sum = 0.0;
  for (double x : v) sum += x;
  return v.empty() ? std::nan("") : sum / static_cast<double>(v.size());
}

struct Row {
  std::optional<double> inches, percent, probability;
};

// The precipitation of months T+1 .. T+h that brings the n-month SPI at T+h
// to the target; its percent of the normal h-month total and the probability
// of at least as much in those months.
Row needed_row(Fits& fits, long long T, int n, int h, double target) {
  Row row;
  const int calendar_month = static_cast<int>((T + h) % 12);
  const compute::MonthFit& n_fit = fits.of(n, calendar_month).second;
  if (!n_fit.ok) return row;
  const std::optional<double> total = inverse(n_fit, normal_cdf(target));
  const std::optional<double> known = h < n ? window_sum(fits.table, T, n - h) : 0.0;
  if (!total || !known) return row;
  const double r = std::max(0.0, *total - *known);  // below 0: already reached
  row.inches = r;
  const auto& [h_sums, h_fit] = fits.of(h, calendar_month);
  const double normal = mean(h_sums);
  if (normal > 0.0) row.percent = 100.0 * r / normal;
  if (h_fit.ok)
    row.probability = r == 0.0 ? 1.0 : std::clamp(1.0 - compute::cdf_month(h_fit, r), 0.0, 1.0);
  return row;
}

std::string field(const std::optional<double>& v, int decimals) {
  return v ? fixed_text(*v, decimals) : std::string();
}

struct SeriesInput {
  std::string_view name;
  const catalogue::FileRow* table;
  int spi_offset;  // the column of its 1-month SPI in the combined SPI table
};

// The lines of one series: none when its SPI at T lies above the start.
void series_rows(std::string_view id, const SeriesInput& in, const MonthlyFile& spi,
                 const catalogue::Choices& choices, const catalogue::YearRange& reference) {
  const Table table = read_table(id, *in.table);
  if (table.last < 0 || table.last >= compute::kSpiSlots) return;  // no SPI at T
  Fits fits{table, compute::fit_slots(table.first_year, reference), choices, {}};
  const YearMonth at = month_after(table.first_year, 1, table.last);
  const std::string head = station_field(id) + "," + std::string(in.name) + ",";
  for (std::size_t k = 0; k < kDroughtPeriods.size(); ++k) {
    const int n = kDroughtPeriods[k];
    const int value = spi.value(in.spi_offset + kDroughtColumns[k], at.year, at.month);
    if (!at_or_below(value, spi_thresholds(choices).start)) continue;
    for (int h : kHorizons) {
      if (h > n) continue;
      const std::string month = month_text(month_after(at.year, at.month, h));
      for (double target : kTargets) {
        const Row r = needed_row(fits, table.last, n, h, target);
        const std::optional<double> mm =
            r.inches ? std::optional(*r.inches * kMillimetresPerInch) : std::nullopt;
        write_line(kNeededUnit, head + std::to_string(n) + "," + std::to_string(h) + "," +
                                    fixed_text(target, 1) + "," + month + "," + field(r.inches, 2) +
                                    "," + field(mm, 1) + "," + field(r.percent, 1) + "," +
                                    field(r.probability, 3));
      }
    }
  }
}

}  // namespace

void needed(std::string_view id, const catalogue::Choices& choices,
            const catalogue::YearRange& reference) {
  const MonthlyFile spi =
      read_monthly(kSpiUnit, catalogue::file_name(id, catalogue::kSpiResults.suffix),
                   {false, 2 * catalogue::kPeriods, catalogue::kMissingSpi});
  records::open(kNeededUnit, catalogue::file_name(id, catalogue::kNeeded.suffix));
  write_line(kNeededUnit, kHeader);
  series_rows(id, {"observed", &catalogue::kObservedTable, 0}, spi, choices, reference);
  series_rows(id, {"interpolated", &catalogue::kInterpolatedTable, catalogue::kPeriods}, spi,
              choices, reference);
  records::close(kNeededUnit);
}

}  // namespace events
