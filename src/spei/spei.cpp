#include "spei/spei.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "compute/numlib.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"
#include "spei/loglogistic.h"

namespace spei {

namespace {

constexpr int kBalanceUnit = 94;
constexpr int kSpeiUnit = 95;

// The value columns of a water-balance record: P, PE, ET, R, RO, L, P-hat, d, Z.
constexpr int kBalanceValues = 9;
constexpr std::size_t kP = 0, kPE = 1;

// The longest water balance read, in years (a year field far from the others
// would otherwise ask for an absurd series).
constexpr int kMaxYears = catalogue::kLongestRecordYears;

// Probabilities are clipped as in the SPI run: [0.001, 0.999] as 4-byte constants.
constexpr float kProbLow = 0.001f;
constexpr float kProbHigh = 0.999f;

const records::Layout kHeaderLine{"A1"};
const records::Layout kSpeiHeader{"A"};
const records::Layout kSpeiRecord{"I4,',',I2,7(',',F8.2)"};
const records::Layout kNoFit{
    "' *** ERROR *** ROUTINE SPEI :',' L-MOMENTS OUTSIDE THE DISTRIBUTION'"};

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// The water balance as a series of consecutive months from January of the
// first year: D = P - PE per slot (NaN where missing or absent), and the slot
// of every record in file order.
struct Balance {
  int first_year = 0;
  std::vector<double> d;
  std::vector<int> year, month, slot;
};

[[noreturn]] void bad_balance(const std::string& name, std::string_view cause) {
  records::fatal("read", name, cause);
}

// Adds one record to the series: its months must follow each other.
void add_month(Balance& b, const std::string& name, int year, int month, double d) {
  if (month < 1 || month > 12) bad_balance(name, "a month outside 1 to 12");
  if (b.year.empty()) b.first_year = year;
  const std::int64_t slot = 12 * (std::int64_t{year} - b.first_year) + month - 1;
  if (slot < 0 || (!b.slot.empty() && slot <= b.slot.back()))
    bad_balance(name, "months out of order");
  if (slot >= 12 * std::int64_t{kMaxYears}) bad_balance(name, "more than 1000 years");
  b.d.resize(static_cast<std::size_t>(slot) + 1, kMissing);
  b.d.back() = d;
  b.year.push_back(year);
  b.month.push_back(month);
  b.slot.push_back(static_cast<int>(slot));
}

Balance read_balance(const std::string& name) {
  records::open(kBalanceUnit, name, records::Presence::MustExist);
  Balance b;
  std::string header;
  if (records::read_columns(kBalanceUnit, kHeaderLine, {records::Target::text(header, 1)}) ==
      records::ReadStatus::Ok) {
    for (;;) {
      int year = 0, month = 0;
      std::array<double, kBalanceValues> v{};
      const records::ReadStatus status =
          records::read_list(kBalanceUnit, {year, month, std::span<double>(v)});
      if (status == records::ReadStatus::End) break;
      if (status == records::ReadStatus::Bad)
        bad_balance(name, "a record that cannot be read as year, month and 9 values");
      const bool missing =
          v[kP] == catalogue::kMissingBalance || v[kPE] == catalogue::kMissingBalance;
      add_month(b, name, year, month, missing ? kMissing : v[kP] - v[kPE]);
    }
  }
  records::close(kBalanceUnit);
  return b;
}

// Sums of D over the nrun months ending in each slot (NaN when one is missing).
std::vector<double> window_sums(const std::vector<double>& d, int nrun) {
  std::vector<double> sums(d.size(), kMissing);
  for (std::size_t i = static_cast<std::size_t>(nrun) - 1; i < d.size(); ++i) {
    double sum = 0.0;
    for (std::size_t j = i + 1 - static_cast<std::size_t>(nrun); j <= i; ++j) sum += d[j];
    sums[i] = sum;  // NaN propagates from a missing month
  }
  return sums;
}

struct Fit {
  bool ok = false;
  std::array<double, 3> para{};
};

// Fits one calendar month's sample by unbiased L-moments. A failure prints
// one message line (samlmr's, or that no distribution fits the L-moments).
Fit fit_sample(std::vector<double>& sample, catalogue::SpeiDistribution distribution) {
  std::vector<double> sorted(sample.size());
  const int n = static_cast<int>(sample.size());
  compute::sort(sample, sorted, n);
  std::array<double, 3> lmom{};
  Fit fit;
  int ifail = 0;
  compute::samlmr(sorted, n, lmom, 0.0, 0.0, ifail);
  if (ifail != 0) return fit;
  if (distribution == catalogue::SpeiDistribution::LogLogistic)
    pelglo(lmom, fit.para, ifail);
  else
    compute::pelpe3(lmom, fit.para, ifail);
  fit.ok = ifail == 0 && fit.para[1] > 0.0;
  if (!fit.ok) records::write(records::kConsoleOut, kNoFit);
  return fit;
}

// SPEI of one period per slot (the missing marker where there is none).
std::vector<float> period_spei(const Balance& b, int nrun, const catalogue::Choices& choices,
                               const catalogue::YearRange& reference) {
  const std::vector<double> sums = window_sums(b.d, nrun);
  std::vector<float> spei(sums.size(), catalogue::kMissingSpi);
  const double low = static_cast<double>(kProbLow);
  const double high = static_cast<double>(kProbHigh);
  std::vector<double> sample;
  for (std::size_t m = 0; m < 12; ++m) {
    sample.clear();
    for (std::size_t i = m; i < sums.size(); i += 12) {
      const int year = static_cast<int>(b.first_year + static_cast<std::int64_t>(i / 12));
      if (!std::isnan(sums[i]) && reference.contains(year)) sample.push_back(sums[i]);
    }
    const Fit fit = fit_sample(sample, choices.spei_distribution);
    if (!fit.ok) continue;
    for (std::size_t i = m; i < sums.size(); i += 12) {
      if (std::isnan(sums[i])) continue;
      int ifail = 0;
      double p = choices.spei_distribution == catalogue::SpeiDistribution::LogLogistic
                     ? cdfglo(sums[i], fit.para)
                     : compute::cdfpe3(sums[i], fit.para, ifail, catalogue::kMissingSpi);
      if (ifail != 0) continue;
      p = std::clamp(p, low, high);
      spei[i] = records::round_to_float(compute::quastn(p));
    }
  }
  return spei;
}

void write_spei(const std::string& name, const Balance& b,
                const std::array<std::vector<float>, catalogue::kPeriods>& columns) {
  records::open(kSpeiUnit, name);
  records::write(kSpeiUnit, kSpeiHeader,
                 {std::string_view("YEAR,MONTH,SPEI1,SPEI2,SPEI3,SPEI6,SPEI9,SPEI12,SPEI24")});
  std::array<float, catalogue::kPeriods> row;
  for (std::size_t r = 0; r < b.slot.size(); ++r) {
    const std::size_t slot = static_cast<std::size_t>(b.slot[r]);
    for (std::size_t k = 0; k < row.size(); ++k) row[k] = columns[k][slot];
    records::write(kSpeiUnit, kSpeiRecord, {b.year[r], b.month[r], std::span<const float>(row)});
  }
  records::close(kSpeiUnit);
}

}  // namespace

void spei(std::string_view station_id, const catalogue::Choices& choices,
          const catalogue::YearRange& reference) {
  const Balance b = read_balance(catalogue::file_name(station_id, catalogue::kWaterBalance.suffix));
  std::array<std::vector<float>, catalogue::kPeriods> columns;
  for (std::size_t k = 0; k < columns.size(); ++k)
    columns[k] = period_spei(b, catalogue::kPeriodMonths[k], choices, reference);
  write_spei(catalogue::file_name(station_id, catalogue::kSpei.suffix), b, columns);
}

}  // namespace spei
