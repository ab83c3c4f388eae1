// The fit of one calendar month of the SPI run and its mixed distribution
// function, for the SPI run and for every stage that needs the SPI run's
// distributions (the same estimator, distribution and messages).
#pragma once

#include <array>
#include <span>

#include "catalogue/choices.h"

namespace compute {

struct MonthFit {
  bool ok = false;      // false: the fit failed (the SPI run writes missing values)
  double p_zero = 0.0;  // probability of a zero sum (a 4-byte quotient, widened)
  catalogue::SpiDistribution distribution = catalogue::SpiDistribution::Pearson3;
  std::array<double, 3> para{};  // Pearson III: location, scale, shape; gamma: shape, scale, 0
  std::array<double, 3> lmom{};  // L-moments of the positive sums (lambda1, lambda2, tau3)
};

// Fits the sums of one calendar month (missing sums already left out) exactly
// as the SPI run does with these choices (estimator, distribution), printing
// the numerical messages the SPI run prints. The SPI run's sums are 8-byte sums
// of 4-byte monthly totals in inches; any 8-byte values are accepted. No sum at
// all gives a NaN probability of zero and a failed fit.
MonthFit fit_month(std::span<const double> sums, const catalogue::Choices& choices);

// The mixed distribution function at x: p_zero + (1 - p_zero) * F(x), with F
// the fitted distribution function (as the SPI run, for every x; the gamma F is
// 0 for x <= 0). A failed fit prints the distribution function's refusal (one
// message line, as the SPI run prints per value) and returns a NaN.
double cdf_month(const MonthFit& fit, double x);

}  // namespace compute
