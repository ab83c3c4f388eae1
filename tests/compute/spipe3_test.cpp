#include "compute/spipe3.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "records/console.h"
#include "support/tempdir.h"

namespace {

using compute::kSpiSlots;
using compute::spipe3;
using compute::SpiPeriod;

constexpr float kMiss = -99.0f;

struct Series {
  std::array<float, kSpiSlots> v;
  Series() { v.fill(kMiss); }
  float& at(int year, int month) {
    return v[static_cast<std::size_t>(12 * (year - 1) + month - 1)];
  }
};

std::size_t slot(int year, int month) {
  return static_cast<std::size_t>(12 * (year - 1) + month - 1);
}

int count_lines(const std::string& text, const std::string& line) {
  int n = 0;
  for (std::size_t pos = 0; (pos = text.find(line + "\r\n", pos)) != std::string::npos; ++pos) ++n;
  return n;
}

// Console messages of the numerical routines go to a captured sink.
struct Quiet : testing_support::TempDir {
  std::string console;
  Quiet() { records::set_console_sink(&console); }
};

TEST(Accumulation, LeadingSlotsAndMissingMonthsLeaveSumsMissing) {
  Quiet q;
  Series s;
  for (int y = 1; y <= 5; ++y)
    for (int m = 1; m <= 12; ++m) s.at(y, m) = 0.25f * static_cast<float>(m + y);
  s.at(2, 2) = kMiss;
  SpiPeriod r;
  spipe3(3, s.v, kMiss, compute::kSpiYears, r);
  for (std::size_t i : {slot(1, 1), slot(1, 2)}) {
    EXPECT_EQ(r.accum[i], kMiss);
    EXPECT_EQ(r.prob[i], kMiss);
    EXPECT_EQ(r.spi[i], kMiss);
  }
  EXPECT_EQ(r.accum[slot(1, 3)], 0.5f + 0.75f + 1.0f);
  // February of year 2 is in the windows ending in February, March and April.
  EXPECT_EQ(r.accum[slot(2, 1)], 3.0f + 3.25f + 0.75f);
  for (int m = 2; m <= 4; ++m) {
    EXPECT_EQ(r.accum[slot(2, m)], kMiss) << m;
    EXPECT_EQ(r.spi[slot(2, m)], kMiss) << m;
  }
  EXPECT_EQ(r.accum[slot(2, 5)], 1.25f + 1.5f + 1.75f);
  EXPECT_NE(r.spi[slot(2, 5)], kMiss);
  EXPECT_EQ(r.accum[slot(6, 1)], kMiss);  // beyond the data
}

TEST(MonthlyFit, ThreePositiveSumsAreFittedTwoFailWithMessages) {
  Quiet q;
  Series s;
  const float jan[] = {1.0f, 2.0f, 4.0f}, feb[] = {1.0f, 2.0f, 0.0f};
  for (int y = 1; y <= 3; ++y) {
    s.at(y, 1) = jan[y - 1];
    s.at(y, 2) = feb[y - 1];
  }
  SpiPeriod r;
  spipe3(1, s.v, kMiss, compute::kSpiYears, r);

  // Positions j/n over 1, 2, 4: b0 = 7/3, b1 = 17/9, b2 = 5/3, so
  // lambda1 = 7/3, lambda2 = 2 b1 - b0 = 13/9, tau3 = (6 b2 - 6 b1 + b0) / lambda2 = 9/13.
  EXPECT_NEAR(r.lmom[0][0], 7.0 / 3.0, 1e-14);
  EXPECT_NEAR(r.lmom[0][1], 13.0 / 9.0, 1e-14);
  EXPECT_NEAR(r.lmom[0][2], 9.0 / 13.0, 1e-14);
  EXPECT_EQ(r.count[0], 3);
  EXPECT_EQ(r.positive[0], 3);
  EXPECT_EQ(r.pzero[0], 0.0f);
  // SPI and probabilities from mpmath: gammainc of the fitted Pearson III,
  // then sqrt(2) erfinv(2p - 1), each rounded to 24 bits
  // (tests/compute/spi_reference.py functions lmoments, pearson3, cdf).
  EXPECT_EQ(r.prob[slot(2, 1)], 0.75481390953063965f);
  EXPECT_EQ(r.spi[slot(2, 1)], 0.68971693515777588f);
  EXPECT_EQ(r.spi[slot(3, 1)], 1.0556347370147705f);

  EXPECT_EQ(r.count[1], 3);
  EXPECT_EQ(r.positive[1], 2);
  EXPECT_EQ(r.pzero[1], 1.0f / 3.0f);
  for (int y = 1; y <= 3; ++y) {
    EXPECT_EQ(r.spi[slot(y, 2)], kMiss);
    EXPECT_EQ(r.prob[slot(y, 2)], kMiss);
    EXPECT_NE(r.accum[slot(y, 2)], kMiss);
  }
  for (double v : r.para[1]) EXPECT_EQ(v, 0.0);
  // One refused fit per month without three positive sums (February and the
  // ten empty months), one refused distribution per February slot.
  EXPECT_EQ(count_lines(q.console, " *** ERROR *** ROUTINE SAMLMR : PARAMETER NMOM INVALID"), 11);
  EXPECT_EQ(count_lines(q.console, " *** ERROR *** ROUTINE CDFPE3 : PARAMETERS INVALID"), 3);
}

TEST(MonthlyFit, ZeroSumsGiveTheProbabilityOfZero) {
  Quiet q;
  Series s;
  const float jul[] = {0.0f, 0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f};
  for (int y = 1; y <= 8; ++y) s.at(y, 7) = jul[y - 1];
  s.at(3, 8) = 1.0f;
  s.at(4, 8) = -0.5f;  // a negative sum counts as a zero one
  SpiPeriod r;
  spipe3(1, s.v, kMiss, compute::kSpiYears, r);
  EXPECT_EQ(r.count[6], 8);
  EXPECT_EQ(r.positive[6], 6);
  EXPECT_EQ(r.pzero[6], 0.25f);
  // The fit over 1..6 starts at 0.6549 (mpmath), so F(0) = 0 and p = 0.25;
  // quastn(0.25) = -0.674489750196... rounded to 24 bits.
  EXPECT_EQ(r.prob[slot(1, 7)], 0.25f);
  EXPECT_EQ(r.spi[slot(1, 7)], -0.67448975f);
  EXPECT_EQ(r.count[7], 2);
  EXPECT_EQ(r.positive[7], 1);
  EXPECT_EQ(r.pzero[7], 0.5f);
  // A month without any sum: 0/0.
  EXPECT_EQ(r.count[0], 0);
  EXPECT_TRUE(std::isnan(r.pzero[0]));
}

TEST(MonthlyFit, LongPeriodsSampleNonOverlappingWindows) {
  Quiet q;
  Series s;
  for (int y = 1; y <= 11; ++y)
    for (int m = 1; m <= 12; ++m) s.at(y, m) = 1.0f;
  s.at(3, 1) = kMiss;  // the 24-month window ending in December of year 4 is missing
  SpiPeriod r;
  spipe3(24, s.v, kMiss, compute::kSpiYears, r);
  // December: years 2, then 5 (one year after the missing window), 7, 9, 11.
  EXPECT_EQ(r.count[11], 5);
  EXPECT_EQ(r.spi[slot(2, 11)], kMiss);
  EXPECT_NE(r.spi[slot(2, 12)], kMiss);
}

TEST(Transform, ProbabilitiesAreClippedToTheFourByteBounds) {
  Quiet q;
  Series s;
  // Yearly totals 0, 12, 12, 0 repeating: every sampled December window
  // (years 1-2, 3-4, ...) holds 12, the others 24 (years 2-3) or 0 (4-5).
  for (int y = 1; y <= 120; ++y)
    for (int m = 1; m <= 12; ++m) s.at(y, m) = (y % 4 == 2 || y % 4 == 3) ? 1.0f : 0.0f;
  SpiPeriod r;
  spipe3(24, s.v, kMiss, compute::kSpiYears, r);
  EXPECT_EQ(r.positive[11], 60);
  // quastn of the clip bounds 0.999f and 0.001f, rounded to 24 bits.
  EXPECT_EQ(r.prob[slot(3, 12)], 0.999f);
  EXPECT_EQ(r.spi[slot(3, 12)], 3.0902361869812012f);
  EXPECT_EQ(r.prob[slot(5, 12)], 0.001f);
  EXPECT_EQ(r.spi[slot(5, 12)], -3.0902323722839355f);
}

}  // namespace
