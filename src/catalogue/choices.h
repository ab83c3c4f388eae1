// The choices of a run that change values: the reference period, the SPI
// fitting choices and the indices of --extended with their settings. The
// driver takes them from the command line and hands each stage what it uses.
#pragma once

#include <optional>

#include "catalogue/years.h"

namespace catalogue {

// How the SPI run estimates L-moments: plotting positions j / n (the stored
// files' default) or the unbiased estimator.
enum class LMoments { Positions, Unbiased };

// The distribution the SPI run fits to the positive sums of a calendar month.
enum class SpiDistribution { Pearson3, Gamma };

// The distribution the SPEI stage fits to the water-balance sums.
enum class SpeiDistribution { LogLogistic, Pearson3 };

struct Choices {
  // The reference years requested (--reference); each station run uses the
  // part of them that lies in its data years.
  std::optional<YearRange> reference;
  LMoments lmoments = LMoments::Positions;
  SpiDistribution spi_distribution = SpiDistribution::Pearson3;
  // --extended: the water balance, complete Palmer indices, SPEI, drought
  // events and the precipitation needed to end a drought.
  bool extended = false;
  SpeiDistribution spei_distribution = SpeiDistribution::LogLogistic;
  // Drought events: a value at or below start begins a run, a value above end
  // ends the event; a run of at least min_months months makes an event. Unset
  // thresholds take the defaults of each index (-1 and 0 for the SPI-like
  // indices, -2 and -0.5 for the Palmer index).
  std::optional<double> event_start;
  std::optional<double> event_end;
  int event_min = 2;
};

// Thresholds of the SPI-like indices and of the Palmer index when unset.
inline constexpr double kEventStart = -1.0;
inline constexpr double kEventEnd = 0.0;
inline constexpr double kPalmerEventStart = -2.0;
inline constexpr double kPalmerEventEnd = -0.5;

}  // namespace catalogue
