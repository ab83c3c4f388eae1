// The per-month Pearson type III SPI transform of one accumulation period.
//
// Reads a monthly precipitation series (inches, one slot per month, the
// missing marker where a month is missing) and returns, for each calendar
// month, the fitted L-moments and Pearson type III parameters, the counts of
// the fit and the probability of zero, and for each slot the accumulated
// precipitation, the mixed probability and the SPI value.
#pragma once

#include <array>
#include <span>

#include "catalogue/catalogue.h"
#include "catalogue/choices.h"

namespace compute {

// Capacities of the SPI engine: 120 years of 12 months.
inline constexpr int kSpiYears = catalogue::kSpiYears;
inline constexpr int kSpiSlots = 12 * kSpiYears;

// Plotting-position parameters of the L-moment fit. A is a negative zero and B
// a tiny positive number, so the fit takes the plotting-position estimator with
// positions j/n (n + B equals n in 8-byte arithmetic). Every parameter file and
// SPI value made so far uses this estimator.
inline constexpr double kPlottingA = -0.0;
inline constexpr double kPlottingB = 1.0e-30;

// Results of one period. Calendar-month arrays are indexed 0 (January) to 11;
// slot arrays 0 (January of the first year) to kSpiSlots - 1. Slots the
// transform does not reach hold the missing marker.
struct SpiPeriod {
  std::array<std::array<double, 3>, 12> lmom{};  // lambda1, lambda2, tau3
  std::array<std::array<double, 3>, 12> para{};  // mean, standard deviation, skewness (gamma:
                                                 // shape, scale, probability of zero)
  std::array<int, 12> count{};                   // non-missing sums
  std::array<int, 12> positive{};                // positive sums (the fit sample)
  std::array<float, 12> pzero{};                 // probability of zero
  std::array<float, kSpiSlots> spi{};
  std::array<float, kSpiSlots> prob{};
  std::array<float, kSpiSlots> accum{};
};

// The slots (0-based, inclusive) whose sums may enter the fit of their
// calendar month: the months of the reference years. The candidate windows
// are chosen over the whole series first, then only those ending inside this
// range are counted and fitted; every slot is transformed.
struct FitSlots {
  int first = 0;
  int last = kSpiSlots - 1;
};

// SPI of period length nrun (1 to 72 months; longer periods step by whole
// multiples of 12 months) over the first 12 * nyears slots of series.
// nyears is limited to kSpiYears and to the length of series.
// choices: the L-moment estimator and the distribution of the fit (see
// fit_month); a gamma fit's parameter records hold shape, scale and the
// probability of zero in para.
void spipe3(int nrun, std::span<const float> series, float missing, int nyears, SpiPeriod& out,
            FitSlots fit = {}, const catalogue::Choices& choices = {});

}  // namespace compute
