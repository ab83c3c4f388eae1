// The precipitation needed to end a drought, against an independent
// computation of the inverse distribution (tests/events/needed_reference.py).
#include "events/needed.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "compute/spicompute.h"
#include "compute/spipe3.h"
#include "events/csv_rows.h"
#include "records/files.h"
#include "records/numeric.h"
#include "support/tempdir.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(DROUGHT_TEST_DATA_DIR) / "events" / "data";

// NEED01 in a fresh directory: 15 years to September 2015. The observed SPI-3
// at September 2015 is -1.20, its SPI-6 -0.50 (above the start: no rows); the
// interpolated table has a wet August and September and an SPI-3 of -1.00.
void copy_station() {
  for (const char* f :
       {"NEED01-spiformat.csv", "NEED01-spi-interpolated.csv", "NEED01-spi-results.csv"})
    fs::copy_file(kData / f, f);
}

}  // namespace

TEST(NeededPrecipitation, InverseOfTheFittedDistributionAndAlreadyReached) {
  TempDir dir;
  copy_station();
  events::needed("NEED01", catalogue::Choices{}, catalogue::kAllYears);
  // series, horizon, target, month, then R (inches), percent of normal and
  // probability of the reference computation (40 digits, shape solved exactly).
  struct Expected {
    const char* series;
    const char* horizon;
    const char* target;
    const char* month;
    double inches, percent, probability;
  } expected[] = {
      {"observed", "1", "-1.0", "2015-10", 0.0, 0.0, 1.0},  // reached by August and September
      {"observed", "1", "0.0", "2015-10", 0.19621089, 11.51762, 0.85714285},
      {"observed", "2", "-1.0", "2015-11", 3.0036206, 60.530717, 0.75693109},
      {"observed", "2", "0.0", "2015-11", 4.847784, 97.695373, 0.38627083},
      {"observed", "3", "-1.0", "2015-12", 4.4574344, 65.626335, 0.84134475},
      {"observed", "3", "0.0", "2015-12", 6.0059468, 88.424919, 0.5},
      {"interpolated", "1", "-1.0", "2015-10", 0.0, 0.0, 1.0},
      {"interpolated", "1", "0.0", "2015-10", 0.0, 0.0, 1.0},
      {"interpolated", "2", "-1.0", "2015-11", 0.0, 0.0, 1.0},
      {"interpolated", "2", "0.0", "2015-11", 0.0, 0.0, 1.0},
      {"interpolated", "3", "-1.0", "2015-12", 4.4574344, 65.626335, 0.84134475},
      {"interpolated", "3", "0.0", "2015-12", 6.0059468, 88.424919, 0.5},
  };
  const auto rows = events_testing::csv_rows(read_file("NEED01-needed.csv"));
  ASSERT_EQ(rows.size(), std::size(expected) + 1);
  EXPECT_EQ(rows[0][0], "station");
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto& r = rows[i + 1];
    const Expected& e = expected[i];
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(r[0] + r[1] + r[2] + r[3] + r[4] + r[5],
              std::string("NEED01") + e.series + "3" + e.horizon + e.target + e.month);
    // The file's decimals, with the inverse found to better than 0.001 inch.
    EXPECT_NEAR(std::stod(r[6]), e.inches, 0.006) << i;
    EXPECT_NEAR(std::stod(r[7]), e.inches * 25.4, 0.06) << i;
    EXPECT_NEAR(std::stod(r[8]), e.percent, 0.06) << i;
    EXPECT_NEAR(std::stod(r[9]), e.probability, 0.0006) << i;
  }
  EXPECT_EQ(rows[1][6] + rows[1][7] + rows[1][8] + rows[1][9], "0.000.00.01.000");

  // An SPI-12 in drought brings in the 12-month period, whose December fit
  // holds the window of the table's first twelve months (R 3.3332467 inches,
  // 49.075039 % of normal for the target 0 at horizon 3).
  std::string results = read_file("NEED01-spi-results.csv");
  const std::string at = "2015, 9, -99.00, -99.00,  -1.20,  -0.50, -99.00, ";
  ASSERT_NE(results.find(at + "-99.00,"), std::string::npos);
  write_file("NEED01-spi-results.csv",
             results.replace(results.find(at), at.size() + 7, at + " -1.50,"));
  events::needed("NEED01", catalogue::Choices{}, catalogue::kAllYears);
  bool found = false;
  for (const auto& r : events_testing::csv_rows(read_file("NEED01-needed.csv")))
    if (r[1] + "," + r[2] + "," + r[3] + "," + r[4] == "observed,12,3,0.0") {
      found = true;
      EXPECT_NEAR(std::stod(r[6]), 3.3332467, 0.006);
      EXPECT_NEAR(std::stod(r[8]), 49.075039, 0.06);
    }
  EXPECT_TRUE(found);
}

// Octobers without precipitation but the first: the 1-month fit of October
// fails (one positive sum), so those rows have R and percent but no
// probability; the station not in drought gets the header alone.
TEST(NeededPrecipitation, FailedFitsAndNoDrought) {
  TempDir dir;
  copy_station();
  std::string table = read_file("NEED01-spiformat.csv");
  constexpr std::size_t kRecord = 108 + 2, kOctober = 12 + 9 * 8;                   // with CR LF
  for (std::size_t line = kRecord; line + kRecord < table.size(); line += kRecord)  // 2002-14
    table.replace(line + kOctober, 7, "      0");
  write_file("NEED01-spiformat.csv", table);
  fs::remove("NEED01-spi-interpolated.csv");
  events::needed("NEED01", catalogue::Choices{}, catalogue::kAllYears);
  const auto rows = events_testing::csv_rows(read_file("NEED01-needed.csv"));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_NE(rows[2][6], "");
  EXPECT_NE(rows[2][8], "");
  EXPECT_EQ(rows[2][9], "");
  EXPECT_NE(rows[3][9], "");  // November's 2-month fit holds the Novembers

  catalogue::Choices deeper;
  deeper.event_start = -1.5;
  events::needed("NEED01", deeper, catalogue::kAllYears);
  EXPECT_EQ(read_file("NEED01-needed.csv"),
            "station,series,period,horizon,target,month,inches,mm,percent_of_normal,"
            "probability\n");
}

// The SPI run itself, with the gamma distribution and reference years that
// leave out 2015: the total R of an observed row put into months T+1 .. T+h
// (all of it in T+h) gives the SPI of 3 months at T+h the row's target, to
// the rounding of R to 0.01 inch.
TEST(NeededPrecipitation, BringsTheSpiOfTheSpiRunToTheTarget) {
  TempDir dir;
  copy_station();
  catalogue::Choices gamma;
  gamma.spi_distribution = catalogue::SpiDistribution::Gamma;
  const catalogue::YearRange reference{2001, 2012};
  events::needed("NEED01", gamma, reference);
  const auto rows = events_testing::csv_rows(read_file("NEED01-needed.csv"));
  ASSERT_EQ(rows.size(), 13u);

  std::vector<float> table(compute::kSpiSlots);
  records::open(90, "NEED01-spiformat.csv");
  int station = 0, end_flag = 0;
  compute::read(table, 90, catalogue::kMissingSpi, catalogue::kMissingMonth, 2001,
                compute::kSpiYears, station, end_flag);
  records::close(90);
  const int T = 14 * 12 + 8;  // September 2015
  auto spi = std::make_unique<compute::SpiPeriod>();
  int checked = 0;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const int h = std::stoi(rows[i][3]);
    const double inches = std::stod(rows[i][6]);
    if (rows[i][1] != "observed" || inches == 0.0) continue;
    std::vector<float> series = table;
    for (int m = 1; m <= h; ++m) series[static_cast<std::size_t>(T + m)] = 0.0f;
    series[static_cast<std::size_t>(T + h)] = records::round_to_float(inches);
    compute::spipe3(3, series, catalogue::kMissingSpi, compute::kSpiYears, *spi,
                    compute::fit_slots(2001, reference), gamma);
    EXPECT_NEAR(spi->spi[static_cast<std::size_t>(T + h)], std::stod(rows[i][4]), 0.01)
        << rows[i][0] << " horizon " << h;
    ++checked;
  }
  EXPECT_EQ(checked, 5);  // the sixth is already reached
}
