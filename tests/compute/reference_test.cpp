// Fits restricted to a reference period: only the sums whose last month lies
// in the reference years are counted and fitted; every slot is transformed.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "compute/spicompute.h"
#include "compute/spipe3.h"
#include "records/console.h"
#include "support/tempdir.h"

namespace {

using compute::FitSlots;
using compute::kSpiSlots;
using compute::SpiPeriod;

constexpr float kMiss = -99.0f;

struct Fixture : testing_support::TempDir {
  std::string console;
  std::array<float, kSpiSlots> series;
  Fixture() {
    records::set_console_sink(&console);
    series.fill(kMiss);
  }
  ~Fixture() { records::set_console_sink(nullptr); }
};

// Twelve years of ((7y + 3m) mod 11) * 0.37 + 0.1 in 4-byte arithmetic, with
// dry Januaries in year 2 (outside the reference years 4 to 9) and year 5
// (inside them).
void twelve_years(std::array<float, kSpiSlots>& series) {
  for (int y = 1; y <= 12; ++y)
    for (int m = 1; m <= 12; ++m)
      series[static_cast<std::size_t>(12 * (y - 1) + m - 1)] =
          static_cast<float>((7 * y + 3 * m) % 11) * 0.37f + 0.1f;
  series[12] = series[48] = 0.0f;
}

// The 1-month fit of the twelve years above on the given reference slots.
SpiPeriod fit_twelve_years(Fixture& f, FitSlots fit) {
  twelve_years(f.series);
  SpiPeriod r;
  compute::spipe3(1, f.series, kMiss, compute::kSpiYears, r, fit);
  return r;
}

// Expected values from an independent computation (tests/review/reference-check as a
// module, 30 digits): L-moments with positions j/n of the January sums of
// years 4 to 9, the Pearson III shape from the exact relation between tau3 and
// the shape, and the normal quantile of the mixed probability.
TEST(ReferencePeriod, FitsTheReferenceYearsAndTransformsEveryYear) {
  Fixture f;
  const SpiPeriod r = fit_twelve_years(f, FitSlots{36, 107});
  EXPECT_EQ(r.count[0], 6);
  EXPECT_EQ(r.positive[0], 5);
  EXPECT_EQ(r.pzero[0], 1.0f / 6.0f);  // the dry January of year 2 is not counted
  EXPECT_NEAR(r.lmom[0][0], 1.72799996286631, 1e-12);
  EXPECT_NEAR(r.lmom[0][1], 1.08559996038675, 1e-12);
  EXPECT_NEAR(r.lmom[0][2], 0.489019879257462, 1e-12);
  EXPECT_NEAR(r.para[0][0], 1.72799996287, 1e-9);
  EXPECT_NEAR(r.para[0][1], 2.46969373208, 1e-4);
  EXPECT_NEAR(r.para[0][2], 3.00108826222, 1e-4);
  const std::array<std::pair<int, double>, 6> spi{{{0, 1.2121617817075885},
                                                   {12, -0.967421566101701},
                                                   {48, -0.967421566101701},
                                                   {132, 1.2121617817075885},
                                                   {5, 0.02170417719726926},
                                                   {137, 0.02170417719726926}}};
  for (const auto& [slot, value] : spi)
    EXPECT_NEAR(r.spi[static_cast<std::size_t>(slot)], value, 2e-4) << "slot " << slot;
  EXPECT_EQ(r.count[5], 6);
}

// Beyond 12 months the non-overlapping windows are chosen over the whole
// series first: the December windows of 24 months end in years 2, 4, 6, ...,
// so the reference years 11 to 21 hold those of years 12 to 20 (5 windows,
// where windows chosen from year 11 on would give 6).
TEST(ReferencePeriod, LongPeriodsKeepTheirWindows) {
  Fixture f;
  for (int i = 0; i < 12 * 30; ++i) f.series[static_cast<std::size_t>(i)] = 0.5f + 0.01f * (i % 17);
  SpiPeriod r;
  compute::spipe3(24, f.series, kMiss, compute::kSpiYears, r, FitSlots{120, 251});
  EXPECT_EQ(r.count[11], 5);
  EXPECT_EQ(r.positive[11], 5);
}

// Too few sums in the reference years fail as too few sums always do: the
// message, zero parameters, and no SPI in any year of that month.
TEST(ReferencePeriod, TooFewReferenceSumsLeaveTheMonthMissing) {
  Fixture f;
  const SpiPeriod r = fit_twelve_years(f, FitSlots{36, 59});
  EXPECT_EQ(r.count[0], 2);
  EXPECT_EQ(r.para[0][1], 0.0);
  for (int y = 0; y < 12; ++y) EXPECT_EQ(r.spi[static_cast<std::size_t>(12 * y)], kMiss);
  EXPECT_NE(f.console.find(" *** ERROR *** ROUTINE SAMLMR : PARAMETER NMOM INVALID"),
            std::string::npos);
}

TEST(ReferencePeriod, YearsBecomeSlotsOfTheSeries) {
  const auto slots = [](int first, int last) {
    const FitSlots s = compute::fit_slots(1950, {first, last});
    return std::pair{s.first, s.last};
  };
  EXPECT_EQ(slots(1951, 1952), std::pair(12, 35));
  EXPECT_EQ(slots(1900, 1949), std::pair(-12, -1));  // before the data: nothing fitted
  EXPECT_EQ(slots(1990, 2200).second, kSpiSlots + 11);
  const FitSlots all = compute::fit_slots(1950, catalogue::kAllYears);
  EXPECT_LE(all.first, 0);
  EXPECT_GE(all.last, kSpiSlots - 1);
}

}  // namespace
