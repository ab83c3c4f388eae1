#include "pdsi/dl.h"

#include <gtest/gtest.h>

#include <cmath>

// Expected day lengths are the 4-byte results of an independent minute-by-
// minute computation with every stored value rounded to single precision:
//   python3 tests/pdsi/palmer_reference.py dl MONTH YEAR DAYS LATITUDE

TEST(DayLength, MatchesTheQuotedMonthlyMeans) {
  EXPECT_EQ(pdsi::dl(1, 1951, 31, 40.0f), 9.808601379394531f);   // about 9.81 h
  EXPECT_EQ(pdsi::dl(7, 1951, 31, 40.0f), 14.841397285461426f);  // about 14.84 h
  // Twilight to -1.5 degrees makes the equinox day longer than 12 h.
  EXPECT_EQ(pdsi::dl(3, 1951, 31, 0.0f), 12.200540542602539f);
  // The southern January is long.
  EXPECT_EQ(pdsi::dl(1, 1951, 31, -40.0f), 14.782796859741211f);
}

TEST(DayLength, LeapYearsShiftTheDaysFromMarchOn) {
  // February 1952 runs over days 32 to 60, March 1952 over days 61 to 91.
  EXPECT_EQ(pdsi::dl(2, 1952, 29, 40.0f), 10.801149368286133f);
  EXPECT_EQ(pdsi::dl(3, 1952, 31, 40.0f), 12.079569816589355f);
  EXPECT_EQ(pdsi::dl(3, 1951, 31, 40.0f), 12.035484313964844f);
  // 1900 is a leap year here as well.
  EXPECT_EQ(pdsi::dl(3, 1900, 31, 40.0f), pdsi::dl(3, 1952, 31, 40.0f));
  // The number of days comes from the series, not from the calendar.
  EXPECT_EQ(pdsi::dl(1, 1951, 15, 40.0f), 9.615554809570312f);
}

TEST(DayLength, PolarDayAndNight) {
  // At 70 degrees north the June sun never sets; in December it stays more
  // than 1.5 degrees below the horizon all day (noon elevation about -3.4).
  EXPECT_EQ(pdsi::dl(6, 1951, 30, 70.0f), 24.0f);
  EXPECT_EQ(pdsi::dl(12, 1951, 31, 70.0f), 0.0f);
}

TEST(DayLength, MonthWithoutDaysOrOutsideTheCalendarGivesZero) {
  EXPECT_EQ(pdsi::dl(1, 1951, 0, 40.0f), 0.0f);
  EXPECT_EQ(pdsi::dl(13, 1951, 31, 40.0f), 0.0f);
  EXPECT_EQ(pdsi::dl(0, 1951, 31, 40.0f), 0.0f);
}

// The minute test compares the sine of the elevation with a threshold found
// once; it must agree with the elevation itself, asin(sine) x 180 / pi stored
// as a 4-byte real and compared with -1.5, on every float near the threshold,
// and a sine that rounded above 1 has no elevation at all.
TEST(DayLength, SineThresholdAgreesWithTheElevationTest) {
  const float threshold = pdsi::daylight_sine_threshold();
  auto by_elevation = [](float sine) {
    const float elevation = static_cast<float>(std::asin(double(sine)) * 180.0 / double(3.1416f));
    return elevation > -1.5f;
  };
  EXPECT_NEAR(threshold, std::sin(-1.5 * 3.14159265358979 / 180.0), 1e-5);
  float below = threshold, above = threshold;
  for (int i = 0; i < 5000; ++i) {
    below = std::nextafter(below, -2.0f);
    EXPECT_FALSE(by_elevation(below)) << below;
    EXPECT_TRUE(by_elevation(above)) << above;
    above = std::nextafter(above, 2.0f);
  }
  EXPECT_TRUE(by_elevation(1.0f));
  EXPECT_FALSE(by_elevation(std::nextafter(1.0f, 2.0f)));
}
