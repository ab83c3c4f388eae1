#include "compute/fit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "compute/numlib.h"
#include "compute/spipe3.h"
#include "records/console.h"

namespace {

struct Console {
  std::string out;
  Console() { records::set_console_sink(&out); }
  ~Console() { records::set_console_sink(nullptr); }
};

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Ten years of monthly totals (inches, 4-byte) with zeros; every November has
// only two positive totals. The same formula as tests/spei/independent.py.
std::array<float, compute::kSpiSlots> gamma_series() {
  std::array<float, compute::kSpiSlots> s;
  s.fill(-99.0f);
  for (int k = 0; k < 120; ++k) {
    const int m = k % 12, y = k / 12;
    double v = ((k * 29) % 17) * 0.37 + 0.05 * (k % 5);
    if ((k * 7) % 11 == 3) v = 0.0;
    if (m == 10) v = (y == 2 || y == 6) ? 1.5 : 0.0;
    s[static_cast<std::size_t>(k)] = static_cast<float>(v);
  }
  return s;
}

// Gamma SPI of the 1-month sums: Thom's shape and scale, the 4-byte
// probability of zero and the SPI from the mixed probability, pinned from
// tests/spei/independent.py (mpmath, regularized incomplete gamma function at
// 50 digits). November (two positive sums) fails: one fit message, then the
// distribution function's refusal for each of its ten sums, missing values.
TEST(GammaSpi, SmallSeriesWithZeros) {
  Console console;
  const auto series = gamma_series();
  catalogue::Choices choices;
  choices.spi_distribution = catalogue::SpiDistribution::Gamma;
  compute::SpiPeriod r;
  compute::spipe3(1, series, -99.0f, 10, r, {}, choices);
  struct Month {
    std::size_t m;
    double q, shape, scale;
    std::array<double, 10> spi;
  };
  const Month months[] = {
      {0,
       0.20000000298023224,
       5.2771078146370053916,
       0.64997724938270127118,
       {-0.841621222928, 0.163327846947, -0.841621222928, -0.0813581344535, 1.53012087165,
        -0.321796896909, 1.33551900062, -0.414353297987, 1.13281944534, -0.617211220635}},
      {4,
       0.10000000149011612,
       2.9777773742088373445,
       1.0552240225406916708,
       {1.26579786261, -0.393601581751, 1.10578539509, -0.662441367298, 0.937674871714,
        -0.773493621911, 0.76035192374, -1.03598982587, 0.572476330744, -1.28155155705}},
  };
  for (const Month& e : months) {
    EXPECT_EQ(r.pzero[e.m], static_cast<float>(e.q));
    EXPECT_NEAR(r.para[e.m][0], e.shape, 1e-13 * e.shape);
    EXPECT_NEAR(r.para[e.m][1], e.scale, 1e-13 * e.scale);
    EXPECT_EQ(r.para[e.m][2], e.q);  // the parameter record's third column
    for (std::size_t y = 0; y < 10; ++y)
      EXPECT_NEAR(r.spi[e.m + 12 * y], e.spi[y], 1e-6) << e.m << " " << y;
  }
  EXPECT_EQ(r.positive[10], 2);
  EXPECT_EQ(r.spi[10], -99.0f);
  EXPECT_EQ(count(console.out, "ROUTINE PELGAM : FEWER THAN 3 POSITIVE DATA VALUES"), 1);
  EXPECT_EQ(count(console.out, "ROUTINE CDFGAM : PARAMETERS INVALID"), 10);
  EXPECT_EQ(count(console.out, "*** ERROR ***"), 11);
}

// The fit shared with other stages: unbiased L-moments against the exact ones
// (rational arithmetic in independent.py) of the positive sums, the zero sum
// only in the probability of zero, and the mixed distribution function.
TEST(MonthFit, UnbiasedEstimatorAndMixedProbability) {
  Console console;
  const std::vector<double> sums{3.25, 0.5, 0.0, 0.75, 7.0, 2.0, 2.0, 11.125};
  catalogue::Choices choices;
  choices.lmoments = catalogue::LMoments::Unbiased;
  const compute::MonthFit fit = compute::fit_month(sums, choices);
  ASSERT_TRUE(fit.ok);
  EXPECT_EQ(fit.p_zero, static_cast<double>(0.125f));
  EXPECT_NEAR(fit.lmom[0], 3.8035714285714285714, 1e-15);
  EXPECT_NEAR(fit.lmom[1], 2.172619047619047619, 1e-15);
  EXPECT_NEAR(fit.lmom[2], 0.45205479452054794521, 1e-15);
  std::array<double, 4> four{};
  std::array<double, 7> sorted{0.5, 0.75, 2.0, 2.0, 3.25, 7.0, 11.125};
  int ifail = 1;
  compute::samlmr(sorted, 7, four, 0.0, 0.0, ifail);
  EXPECT_NEAR(four[3], 0.20547945205479452055, 1e-13);
  // The default estimator (positions j / n) gives other L-moments.
  EXPECT_GT(std::fabs(compute::fit_month(sums, {}).lmom[1] - fit.lmom[1]), 0.1);
  // p_zero + (1 - p_zero) F, F the Pearson III of the fitted parameters.
  const double f = compute::cdfpe3(4.0, fit.para, ifail, -99.0f);
  EXPECT_EQ(compute::cdf_month(fit, 4.0), 0.125 + 0.875 * f);
  EXPECT_EQ(console.out, "");
  // No sum at all: a failed fit, a NaN probability of zero; its distribution
  // function prints the refusal and gives a NaN.
  const compute::MonthFit none = compute::fit_month({}, choices);
  EXPECT_FALSE(none.ok);
  EXPECT_TRUE(std::isnan(none.p_zero));
  EXPECT_TRUE(std::isnan(compute::cdf_month(none, 1.0)));
  EXPECT_EQ(count(console.out, "*** ERROR ***"), 2);  // samlmr's and cdfpe3's messages
}

}  // namespace
