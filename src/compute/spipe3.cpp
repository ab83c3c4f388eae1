#include "compute/spipe3.h"

#include <algorithm>
#include <cstdint>
#include <limits>

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

}  // namespace

void spipe3(int nrun, std::span<const float> series, float missing, int nyears, SpiPeriod& out,
            FitSlots fit) {
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

  // Accumulated sums in 8 bytes, slot index 0-based (slot i + 1 of the series).
  std::array<double, kSpiSlots> sums;
  sums.fill(miss);
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

  // Fit each calendar month to the positive sums that end in it.
  const int step = sample_step(nrun);
  const int lead = std::min(nrun, nslots + 1) - 1;  // slots before the first sum
  std::array<double, kSpiYears + 1> sample{};
  std::array<double, kSpiYears + 1> sorted{};
  for (int m0 = 0; m0 < 12; ++m0) {
    const int first = lead + m0;  // 0-based slot of the first candidate
    const int c = ((nrun - 1) % 12 + m0) % 12;
    int n = 0, zeros = 0, npos = 0;
    for (int s = first; s < nslots;) {
      const double v = sums[static_cast<std::size_t>(s)];
      if (v == miss) {
        s += 12;
        continue;
      }
      if (s < fit.first || s > fit.last) {  // a window outside the reference years
        s += step;
        continue;
      }
      ++n;
      if (v > 0.0) {
        if (npos < static_cast<int>(sample.size())) sample[static_cast<std::size_t>(npos++)] = v;
      } else {
        ++zeros;
      }
      s += step;
    }
    // z / n of two integers rounded to 4 bytes; 0/0 (no sum at all) is a NaN.
    out.pzero[static_cast<std::size_t>(c)] =
        n == 0 ? std::numeric_limits<float>::quiet_NaN()
               : static_cast<float>(zeros) / static_cast<float>(n);
    out.count[static_cast<std::size_t>(c)] = n;
    out.positive[static_cast<std::size_t>(c)] = npos;

    // The flags are not looked at: a failed fit leaves zero parameters, which
    // the distribution function refuses slot by slot below.
    int ifail = 0;
    std::array<double, 3>& lmom = out.lmom[static_cast<std::size_t>(c)];
    sort(sample, sorted, npos, nyears);
    samlmr(sorted, npos, lmom, kPlottingA, kPlottingB, ifail);
    pelpe3(lmom, out.para[static_cast<std::size_t>(c)], ifail);
  }

  // The distribution function of every slot with a sum, under its calendar
  // month's parameters (message lines come out in slot order).
  std::array<int, kSpiSlots> months;
  std::array<int, kSpiSlots> slots;
  std::array<double, kSpiSlots> f;
  std::array<int, kSpiSlots> flags;
  std::size_t count = 0;
  for (int i = nrun - 1; i < nslots; ++i) {
    const std::size_t slot = static_cast<std::size_t>(i);
    if (sums[slot] == miss) continue;
    months[count] = i % 12;
    slots[count] = i;
    f[count] =
        cdfpe3(sums[slot], out.para[static_cast<std::size_t>(i % 12)], flags[count], missing);
    ++count;
  }

  // Mixed probability p = z + (1 - z) F(sum), clipped, and its normal quantile.
  // The quantile writes nothing here: p lies in [0.001, 0.999] or is a NaN.
  const double low = static_cast<double>(kProbLow);
  const double high = static_cast<double>(kProbHigh);
  for (std::size_t k = 0; k < count; ++k) {
    if (flags[k] != 0) continue;
    const std::size_t slot = static_cast<std::size_t>(slots[k]);
    const std::size_t c = static_cast<std::size_t>(months[k]);
    const double z = static_cast<double>(out.pzero[c]);
    double p = z + (1.0 - z) * f[k];
    if (p > high) p = high;
    if (p < low) p = low;
    out.prob[slot] = records::round_to_float(p);
    out.spi[slot] = records::round_to_float(quastn(p));
  }
}

}  // namespace compute
