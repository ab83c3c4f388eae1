#include "compute/fit.h"

#include <limits>
#include <vector>

#include "compute/numlib.h"
#include "compute/spipe3.h"

namespace compute {

namespace {

// The positive sums, ascending.
std::vector<double> sorted_positive(std::span<const double> sums) {
  std::vector<double> sample;
  for (const double v : sums)
    if (v > 0.0) sample.push_back(v);
  std::vector<double> sorted(sample.size());
  const int n = static_cast<int>(sample.size());
  sort(sample, sorted, n);
  return sorted;
}

}  // namespace

MonthFit fit_month(std::span<const double> sums, const catalogue::Choices& choices) {
  MonthFit fit;
  fit.distribution = choices.spi_distribution;
  const std::vector<double> sorted = sorted_positive(sums);
  const int n = static_cast<int>(sums.size());
  const int npos = static_cast<int>(sorted.size());
  // z / n of two integers rounded to 4 bytes; 0/0 (no sum at all) is a NaN.
  fit.p_zero = n == 0 ? std::numeric_limits<double>::quiet_NaN()
                      : static_cast<double>(static_cast<float>(n - npos) / static_cast<float>(n));

  const bool positions = choices.lmoments == catalogue::LMoments::Positions;
  const double a = positions ? kPlottingA : 0.0;
  const double b = positions ? kPlottingB : 0.0;
  int ifail = 0;
  if (fit.distribution == catalogue::SpiDistribution::Pearson3) {
    // A failed L-moment fit leaves zero L-moments, which pelpe3 refuses.
    samlmr(sorted, npos, fit.lmom, a, b, ifail);
    pelpe3(fit.lmom, fit.para, ifail);
    fit.ok = ifail == 0 && fit.para[1] > 0.0;
  } else {
    // The L-moment columns still describe the sample of a gamma fit; they are
    // computed only when the fit succeeded (then they cannot fail).
    pelgam(sorted, npos, fit.para, ifail);
    fit.ok = ifail == 0 && fit.para[0] > 0.0 && fit.para[1] > 0.0;
    if (fit.ok) samlmr(sorted, npos, fit.lmom, a, b, ifail);
  }
  return fit;
}

double cdf_month(const MonthFit& fit, double x) {
  constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();
  int ifail = 0;
  const double f = fit.distribution == catalogue::SpiDistribution::Pearson3
                       ? cdfpe3(x, fit.para, ifail, kNoValue)
                       : cdfgam(x, fit.para, ifail, kNoValue);
  if (ifail != 0 || !fit.ok) return std::numeric_limits<double>::quiet_NaN();
  return fit.p_zero + (1.0 - fit.p_zero) * f;
}

}  // namespace compute
