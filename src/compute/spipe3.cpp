#include "compute/spipe3.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "compute/fit.h"
#include "compute/numlib.h"
#include "records/numeric.h"

namespace compute {

namespace {

// Probabilities are clipped to [0.001, 0.999] as 4-byte constants, so every
// SPI value lies within about -3.09 to 3.09.
constexpr float kProbLow = 0.001f;
constexpr float kProbHigh = 0.999f;

// Distance between the sums of one calendar month in the fit sample: a year
// for periods up to 12 months, otherwise whole multiples of 12 months so that
// the windows do not overlap (24 for 13 to 24 months, 36 for 25 to 36, ...).
// Any step beyond the last slot ends the search, so the step is capped there.
int sample_step(int nrun) {
  if (nrun <= 12) return 12;
  return static_cast<int>(std::min<std::int64_t>((std::int64_t{nrun} + 11) / 12 * 12, kSpiSlots));
}

using Sums = std::array<double, kSpiSlots>;

// Sums of nrun months ending in each slot (8 bytes; the missing marker where a
// month of the window is missing), also stored as 4-byte values in out.accum.
void accumulate(int nrun, std::span<const float> series, float missing, int nslots, Sums& sums,
                SpiPeriod& out) {
  sums.fill(static_cast<double>(missing));
  for (int i = nrun - 1; i < nslots; ++i) {
    double sum = 0.0;
    bool complete = true;
    for (int j = i; j > i - nrun; --j) {
      if (series[static_cast<std::size_t>(j)] == missing) {
        complete = false;
        break;
      }
      sum += static_cast<double>(series[static_cast<std::size_t>(j)]);
    }
    if (complete) {
      sums[static_cast<std::size_t>(i)] = sum;
      out.accum[static_cast<std::size_t>(i)] = records::round_to_float(sum);
    }
  }
}

// Fits each calendar month to the sums that end in it, in the order of the
// calendar months from that of the first sum (the order of the messages).
void fit_months(int nrun, int nslots, const Sums& sums, double miss, FitSlots fit,
                const catalogue::Choices& choices, std::array<MonthFit, 12>& fits, SpiPeriod& out) {
  const int step = sample_step(nrun);
  const int lead = std::min(nrun, nslots + 1) - 1;  // slots before the first sum
  std::vector<double> sample;
  for (int m0 = 0; m0 < 12; ++m0) {
    const std::size_t c = static_cast<std::size_t>(((nrun - 1) % 12 + m0) % 12);
    sample.clear();
    for (int s = lead + m0; s < nslots;) {
      const double v = sums[static_cast<std::size_t>(s)];
      if (v == miss) {
        s += 12;
        continue;
      }
      // A window outside the reference years is stepped over, not counted.
      if (s >= fit.first && s <= fit.last) sample.push_back(v);
      s += step;
    }
    fits[c] = fit_month(sample, choices);
    const MonthFit& f = fits[c];
    out.lmom[c] = f.lmom;
    out.para[c] = f.para;
    if (f.distribution == catalogue::SpiDistribution::Gamma) out.para[c][2] = f.p_zero;
    out.count[c] = static_cast<int>(sample.size());
    out.positive[c] = static_cast<int>(
        std::count_if(sample.begin(), sample.end(), [](double v) { return v > 0.0; }));
    out.pzero[c] = static_cast<float>(f.p_zero);  // exact: a 4-byte quotient
  }
}

// The mixed probability of every slot with a sum under its calendar month's
// fit, clipped, and its normal quantile. Message lines come out in slot order;
// the quantile writes none (p lies in [0.001, 0.999]).
void transform(int nrun, int nslots, const Sums& sums, double miss,
               const std::array<MonthFit, 12>& fits, SpiPeriod& out) {
  const double low = static_cast<double>(kProbLow);
  const double high = static_cast<double>(kProbHigh);
  for (int i = nrun - 1; i < nslots; ++i) {
    const std::size_t slot = static_cast<std::size_t>(i);
    if (sums[slot] == miss) continue;
    const MonthFit& fit = fits[slot % 12];
    double p = cdf_month(fit, sums[slot]);
    if (!fit.ok) continue;
    if (p > high) p = high;
    if (p < low) p = low;
    out.prob[slot] = records::round_to_float(p);
    out.spi[slot] = records::round_to_float(quastn(p));
  }
}

}  // namespace

void spipe3(int nrun, std::span<const float> series, float missing, int nyears, SpiPeriod& out,
            FitSlots fit, const catalogue::Choices& choices) {
  const double miss = missing;
  nyears = std::clamp(nyears, 0, std::min<int>(kSpiYears, static_cast<int>(series.size() / 12)));
  const int nslots = 12 * nyears;

  out = SpiPeriod{};
  out.spi.fill(missing);
  out.prob.fill(missing);
  out.accum.fill(missing);
  if (nrun < 1) {
    out.pzero.fill(std::numeric_limits<float>::quiet_NaN());
    return;
  }
  Sums sums;
  accumulate(nrun, series, missing, nslots, sums, out);
  std::array<MonthFit, 12> fits;
  fit_months(nrun, nslots, sums, miss, fit, choices, fits, out);
  transform(nrun, nslots, sums, miss, fits, out);
}

}  // namespace compute
