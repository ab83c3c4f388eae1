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

// Console messages of the numerical routines go to a captured sink.
struct Quiet : testing_support::TempDir {
  std::string console;
  Quiet() { records::set_console_sink(&console); }
};

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
