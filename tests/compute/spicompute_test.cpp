#include "compute/spicompute.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "compute/spipe3.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/text.h"
#include "support/tempdir.h"

namespace {

using testing_support::read_file;
using testing_support::read_records;
using testing_support::write_file;

constexpr float kFill = -99.0f;

// A monthly table in the layout of the prepared tables: station, year and 12
// hundredths, each followed by a comma.
std::string table(int station, int y0, int y1, const std::function<int(int, int)>& value) {
  std::string text;
  char buf[32];
  for (int y = y0; y <= y1; ++y) {
    std::snprintf(buf, sizeof buf, "%6d,%4d,", station, y);
    text += buf;
    for (int m = 1; m <= 12; ++m) {
      std::snprintf(buf, sizeof buf, "%7d,", value(y, m));
      text += buf;
    }
    text += "\r\n";
  }
  return text;
}

int wet(int y, int m) { return 40 + (37 * y + 53 * m) % 300; }

void run_spi(const std::string& name, int first_year) {
  compute::spicompute(catalogue::file_arg(name.substr(0, 6), name.substr(6)), first_year, {});
}

struct SpiRun : testing_support::TempDir {
  std::string console;
  SpiRun() { records::set_console_sink(&console); }
};

TEST(TableReader, ReadsOneStationBlockIntoSlots) {
  SpiRun t;
  write_file("t.csv",
             "7,1950,1234,-9999,-9900,0,5,6,7,8,9,10,11,12\r\n"
             "7,1950,-9999,100,-9999,-9999,-9999,-9999,-9999,-9999,-9999,-9999,-9999,-9999\r\n"
             "7,1949,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "7,2070,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
             "7,2069,1677721701,1677721699,-1,-9998,1,1,1,1,1,1,1,1\r\n"
             "8,1950,1,1,1,1,1,1,1,1,1,1,1,1\r\n");
  records::open(10, "t.csv", records::Presence::MustExist);
  std::array<float, compute::kSpiSlots> series;
  series.fill(1.0f);
  int station = -1, end = -1;
  compute::read(series, 10, kFill, static_cast<float>(catalogue::kMissingMonth), 1950,
                compute::kSpiYears, station, end);
  EXPECT_EQ(station, 7);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(series[0], 12.34f);  // the later record's missing January leaves it
  EXPECT_EQ(series[1], 1.0f);    // overwritten by the later record
  EXPECT_EQ(series[2], kFill);   // -9900 is the fill value: missing as well
  EXPECT_EQ(series[3], 0.0f);
  EXPECT_EQ(series[4], 0.05f);
  EXPECT_EQ(series[12], kFill);  // no record for 1951
  // 1949 and 2070 have no slot; 2069 is the last year held. Large integers
  // are rounded once: 16777217.01 -> 16777218, 16777216.99 -> 16777216.
  const std::size_t last = 12 * 119;
  EXPECT_EQ(series[last], 16777218.0f);
  EXPECT_EQ(series[last + 1], 16777216.0f);
  EXPECT_EQ(series[last + 2], -0.01f);
  EXPECT_EQ(series[last + 3], -99.98f);
  for (std::size_t i = 13; i < last; ++i) ASSERT_EQ(series[i], kFill) << i;

  // The next block starts with the record that ended this one.
  compute::read(series, 10, kFill, static_cast<float>(catalogue::kMissingMonth), 1950,
                compute::kSpiYears, station, end);
  EXPECT_EQ(station, 8);
  EXPECT_EQ(end, 1);
  EXPECT_EQ(series[0], 0.01f);
  EXPECT_EQ(series[last], kFill);
}

TEST(SpiFiles, PeriodWithoutValuesWritesParametersOnly) {
  SpiRun t;
  write_file("short.csv", table(4, 1990, 1991, wet));
  run_spi("short.csv", 1990);
  records::close_all();
  EXPECT_EQ(read_records("fort.11").size(), 12u);
  EXPECT_EQ(read_records("fort.71")[0],
            "000004 24  1   0.00000000   0.00000000   0.00000000   0.00000000   0.00000000"
            "   0.00000000    0    0  NaN");
  for (const char* name : {"fort.12", "fort.13", "fort.14", "fort.72"}) {
    EXPECT_TRUE(std::filesystem::exists(name)) << name;
    EXPECT_EQ(read_file(name), "") << name;
  }
  EXPECT_NE(t.console.find(" *** ERROR *** ROUTINE SAMLMR : PARAMETER NMOM INVALID\r\n"),
            std::string::npos);
}

}  // namespace
