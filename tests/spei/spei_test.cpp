#include "spei/spei.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "compute/numlib.h"
#include "records/console.h"
#include "records/fatal.h"
#include "spei/loglogistic.h"
#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_file;
using testing_support::read_records;
using testing_support::TempDir;
using testing_support::write_file;

// A temporary directory whose console messages are captured.
struct Station : TempDir {
  std::string console;
  Station() { records::set_console_sink(&console); }
  ~Station() { records::set_console_sink(nullptr); }
  void run(const catalogue::Choices& choices = {},
           const catalogue::YearRange& reference = catalogue::kAllYears) {
    spei::spei("123456", choices, reference);
  }
};

std::string data_file(const char* name) {
  return read_file(std::string(DROUGHT_TEST_DATA_DIR) + "/spei/data/" + name);
}

int count_lines(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// data/small-water-balance.csv and data/small-spei.csv come from
// tests/spei/independent.py: eight years with negative D, a missing July 2004,
// and Marches whose 1-month D is always -10.00 (no fit). The expected SPEI is
// the 2010 log-logistic fitted by unbiased probability-weighted moments (a
// sample with negative skewness as the mirror image of its negation), at 50
// digits; no value lies within 1e-6 of a rounding tie.
TEST(Spei, SmallSeriesMatchesTheIndependentComputation) {
  Station s;
  write_file("123456-water-balance.csv", data_file("small-water-balance.csv"));
  s.run();
  EXPECT_EQ(read_file("123456-spei.csv"), data_file("small-spei.csv"));
  EXPECT_EQ(s.console, " *** ERROR *** ROUTINE SAMLMR : ALL DATA VALUES EQUAL\r\n");
}

// The January 1-month D of the small series (negative L-skewness), fitted
// and evaluated here; F pinned from independent.py.
TEST(Spei, LogLogisticFitOfNegativeSkewness) {
  std::array<double, 8> d{22.25, -27.75, 45.5, 2.0, 36.0, 22.0, 62.5, 9.25};
  std::array<double, 8> sorted{};
  compute::sort(d, sorted, 8);
  std::array<double, 3> lmom{}, para{};
  int ifail = 1;
  compute::samlmr(sorted, 8, lmom, 0.0, 0.0, ifail);
  spei::pelglo(lmom, para, ifail);
  ASSERT_EQ(ifail, 0);
  EXPECT_GT(para[2], 0.0);  // an upper bound
  // The mirror log-logistic of -D: b = 1 / |tau3| = -1 / k exactly in form.
  EXPECT_NEAR(1.0 / para[2], 14.033962264150943396, 1e-12);
  const std::array<std::pair<double, double>, 5> f{{{-30, 0.051253380879026039062},
                                                    {-5, 0.16418373194340344929},
                                                    {0, 0.20516042923186520303},
                                                    {10, 0.31179907288598865729},
                                                    {40, 0.73993715142967348486}}};
  for (const auto& [x, expected] : f) EXPECT_NEAR(spei::cdfglo(x, para), expected, 1e-14) << x;
  // Beyond the upper bound xi + alpha / k the distribution function is 1.
  EXPECT_EQ(spei::cdfglo(para[0] + para[1] / para[2] + 1.0, para), 1.0);
  EXPECT_EQ(spei::cdfglo(para[0] - para[1] / para[2] - 1e9, {para[0], para[1], -para[2]}), 0.0);
}

// Only windows whose last month lies in the reference years are fitted: two
// years leave two windows per calendar month and period, so nothing is fitted.
TEST(Spei, ReferenceYearsSelectTheFittedWindows) {
  Station s;
  write_file("123456-water-balance.csv", data_file("small-water-balance.csv"));
  s.run({}, {2007, 2008});
  const auto records = read_records("123456-spei.csv");
  ASSERT_EQ(records.size(), 97u);
  EXPECT_EQ(records[96], "2008,12,  -99.00,  -99.00,  -99.00,  -99.00,  -99.00,  -99.00,  -99.00");
  EXPECT_EQ(count_lines(s.console, "PARAMETER NMOM INVALID"), 84);
  // 2004 to 2008 (July 2004 missing): at least three windows per month, every
  // month fitted but the 1-month Marches; 2001, outside the years, is
  // transformed too.
  Station t;
  write_file("123456-water-balance.csv", data_file("small-water-balance.csv"));
  t.run({}, {2004, 2008});
  EXPECT_EQ(t.console, " *** ERROR *** ROUTINE SAMLMR : ALL DATA VALUES EQUAL\r\n");
  EXPECT_NE(read_records("123456-spei.csv")[1].substr(8, 8), "  -99.00");
}

// A header only gives a header only; months out of order or outside 1-12
// end the program with the file named.
TEST(Spei, WaterBalanceRecords) {
  Station s;
  write_file("123456-water-balance.csv", "YEAR,MONTH\r\n");
  s.run();
  EXPECT_EQ(read_records("123456-spei.csv"),
            std::vector<std::string>{"YEAR,MONTH,SPEI1,SPEI2,SPEI3,SPEI6,SPEI9,SPEI12,SPEI24"});
  const std::string row = ",1,2,3,4,5,6,7,8,9\r\n";
  for (const std::string& bad : {"2001,2" + row + "2001,1" + row, "2001,13" + row}) {
    write_file("123456-water-balance.csv", "h\r\n" + bad);
    EXPECT_THROW(s.run(), records::FatalError) << bad;
  }
}

// A long generated station (100 years, P a shifted gamma of shape 4, PE
// seasonal): the in-sample SPEI of every calendar month and period has mean
// near 0 and standard deviation near 1. The fit matches the sample's first
// three L-moments, so both depart from 0 and 1 only by the misfit of the
// distribution's shape, plus less than 0.01 from two decimals and clipping at
// 3.09. Measured: log-logistic |mean| <= 0.013, |sd - 1| <= 0.011; Pearson III
// |mean| <= 0.025, |sd - 1| <= 0.08 (its fitted lower bound can lie above the
// smallest sums, which then get -3.09). Tolerances: 0.03 and 0.05 for the
// log-logistic, 0.05 and 0.15 for Pearson III: about twice the measured
// misfit.
TEST(Spei, LongStationIsStandardized) {
  struct Case {
    catalogue::SpeiDistribution distribution;
    double mean, sd;  // tolerances
  };
  for (const auto [distribution, mean_tolerance, sd_tolerance] :
       {Case{catalogue::SpeiDistribution::LogLogistic, 0.03, 0.05},
        Case{catalogue::SpeiDistribution::Pearson3, 0.05, 0.15}}) {
    Station s;
    std::string text = "YEAR,MONTH,P,PE,ET,R,RO,L,PHAT,D,Z\r\n";
    std::uint64_t state = 12345;
    const auto uniform = [&state] {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int y = 1901; y <= 2000; ++y)
      for (int m = 1; m <= 12; ++m) {
        const double u = uniform() * uniform() * uniform() * uniform();
        const double p = 25.0 * -std::log(u + 1e-300) + 5.0 * m;
        const double pe = 20.0 + 12.0 * m - (m > 6 ? 20.0 * (m - 6) : 0.0) + 10.0 * uniform();
        char line[128];
        std::snprintf(line, sizeof line, "%d,%d,%.2f,%.2f,0,0,0,0,0,0,0\r\n", y, m, p, pe);
        text += line;
      }
    write_file("123456-water-balance.csv", text);
    catalogue::Choices choices;
    choices.spei_distribution = distribution;
    s.run(choices);
    EXPECT_EQ(s.console, "");
    const auto records = read_records("123456-spei.csv");
    for (int k = 0; k < 7; ++k)
      for (int m = 0; m < 12; ++m) {
        double sum = 0.0, sum2 = 0.0;
        int n = 0;
        for (std::size_t r = 1 + static_cast<std::size_t>(m); r < records.size(); r += 12) {
          const double v = std::stod(records[r].substr(8 + 9 * static_cast<std::size_t>(k), 8));
          if (v == -99.0) continue;
          sum += v;
          sum2 += v * v;
          ++n;
        }
        const double mean = sum / n, sd = std::sqrt((sum2 - n * mean * mean) / (n - 1));
        EXPECT_NEAR(mean, 0.0, mean_tolerance) << k << " " << m;
        EXPECT_NEAR(sd, 1.0, sd_tolerance) << k << " " << m;
      }
  }
}

// The usage errors of the fitting choices: one line, status 2, nothing written.
TEST(Spei, OptionErrors) {
  TempDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {"--spei-distribution gamma", "--spei-distribution gamma: expected loglogistic or pearson3"},
      {"--lmoments=exact", "--lmoments exact: expected positions or unbiased"},
      {"--spi-distribution weibull", "--spi-distribution weibull: expected pearson3 or gamma"},
  };
  for (const auto& [args, text] : cases) {
    const auto result = testing_support::run_drought(dir.path(), "", std::string(args) + " 123456");
    EXPECT_EQ(result.status, 2) << args;
    EXPECT_EQ(result.err, std::string("drought: ") + text + " (see drought --help)\r\n");
  }
}

}  // namespace
