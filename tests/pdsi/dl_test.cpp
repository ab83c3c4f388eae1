#include "pdsi/dl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

// Expected day lengths are the 4-byte results of an independent minute-by-
// minute computation with every stored value rounded to single precision
// (dl(MONTH, YEAR, DAYS, LATITUDE) of tests/review/review_palmer.py).

TEST(DayLength, MatchesTheQuotedMonthlyMeans) {
  EXPECT_EQ(pdsi::dl(1, 1951, 31, 40.0f), 9.808601379394531f);   // about 9.81 h
  EXPECT_EQ(pdsi::dl(7, 1951, 31, 40.0f), 14.841397285461426f);  // about 14.84 h
  // Twilight to -1.5 degrees makes the equinox day longer than 12 h.
  EXPECT_EQ(pdsi::dl(3, 1951, 31, 0.0f), 12.200540542602539f);
  // The southern January is long.
  EXPECT_EQ(pdsi::dl(1, 1951, 31, -40.0f), 14.782796859741211f);
}

TEST(DayLength, PolarDayAndNight) {
  // At 70 degrees north the June sun never sets; in December it stays more
  // than 1.5 degrees below the horizon all day (noon elevation about -3.4).
  EXPECT_EQ(pdsi::dl(6, 1951, 30, 70.0f), 24.0f);
  EXPECT_EQ(pdsi::dl(12, 1951, 31, 70.0f), 0.0f);
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

namespace {

// The straightforward computation: every minute through the cosine. dl skips
// the cosine for minutes far from sunrise, sunset and a zenith sun; it must
// give the very same floats.
float reference_dl(int month, int year, int days, float latitude) {
  static const int kFirstDay[12] = {1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};
  const float dsin[4] = {3.631f, 0.03838f, 0.07659f, 0.0f};
  const float dcos[4] = {-22.97f, -0.3885f, -0.1587f, -0.01021f};
  const float esin[4] = {-7.343f, -9.47f, -0.3289f, -0.1955f};
  const float ecos[4] = {0.5519f, -3.02f, -0.07581f, -0.1245f};
  const double pi = double(3.1416f);
  auto f = [](double v) { return static_cast<float>(v); };
  if (days <= 0 || month < 1 || month > 12) return 0.0f;
  int first = kFirstDay[month - 1];
  if (year % 4 == 0 && month >= 3) ++first;
  const float w = f(2.0 * pi / 365.0);
  const float phi = f(double(latitude) * pi / 180.0);
  const float threshold = pdsi::daylight_sine_threshold();
  float total = 0.0f;
  for (int n = first; n < first + days; ++n) {
    float decl = 0.3964f, eq = 0.002733f;
    for (int j = 1; j <= 4; ++j) {
      const float angle = f(double(j) * double(w) * double(n));
      const double s = std::sin(double(angle)), c = std::cos(double(angle));
      decl = f(double(decl) + double(dsin[j - 1]) * s);
      decl = f(double(decl) + double(dcos[j - 1]) * c);
      eq = f(double(eq) + double(esin[j - 1]) * s);
      eq = f(double(eq) + double(ecos[j - 1]) * c);
    }
    const float delta = f(double(decl) * pi / 180.0);
    const float eq_hours = f(double(eq) / 60.0);
    int minutes = 0;
    for (int h = 0; h < 24; ++h) {
      for (int i = 1; i <= 60; ++i) {
        const float t = f(double(h) + double(i) / 60.0 + double(eq_hours));
        const float hour_angle = f(std::fabs(double(t) - 12.0) * pi / 12.0);
        const float sine =
            f(std::sin(double(phi)) * std::sin(double(delta)) +
              std::cos(double(phi)) * std::cos(double(delta)) * std::cos(double(hour_angle)));
        if (sine >= threshold && sine <= 1.0f) ++minutes;
      }
    }
    total = f(double(total) + double(f(double(minutes) / 60.0)));
  }
  return f(double(total) / double(days));
}

}  // namespace

// A whole year (and a day) per call: a minute gained or lost on any day shows
// in the mean. Latitudes every degree (off the round values), the polar
// circles, the tropics where the noon sun reaches the zenith, and the poles.
TEST(DayLength, EqualsTheMinuteByMinuteComputation) {
  std::vector<float> latitudes;
  for (int k = -90; k < 90; ++k) latitudes.push_back(static_cast<float>(k) + 0.37f);
  for (float lat : {0.0f, 23.44f, 23.45f, 22.9f, -23.44f, 66.56f, 66.6f, -66.56f, 89.9f, 89.95f,
                    89.99f, 90.0f, -90.0f, 90.5f, 1000.0f, std::nanf("")})
    latitudes.push_back(lat);
  for (float lat : latitudes) {
    const int year = lat > 0 ? 1951 : 1952;
    const float expected = reference_dl(1, year, 366, lat);
    const float got = pdsi::dl(1, year, 366, lat);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got)) << lat;
    } else {
      EXPECT_EQ(got, expected) << "latitude " << lat;
    }
  }
  // Months as the Palmer stage asks for them.
  for (float lat : {47.61f, 40.78f, -33.9f, 64.8f, 71.3f}) {
    for (int month = 1; month <= 12; ++month) {
      EXPECT_EQ(pdsi::dl(month, 1952, 31, lat), reference_dl(month, 1952, 31, lat))
          << month << " " << lat;
    }
  }
}

// The minutes that dl decides without the cosine, around every crossing of
// the daylight threshold and of a sine of 1 (a noon sun in the zenith), on
// days of every declination over a fine grid of latitudes: a decided minute
// must agree with the full test, and the float nearest each crossing must be
// left to the full test (the margins around the crossings exist).
TEST(DayLength, MinutesDecidedWithoutTheCosineAgreeWithTheFullTest) {
  const float threshold = pdsi::daylight_sine_threshold();
  const double pi = double(3.1416f);
  int crossings = 0;
  for (float lat = -89.8f; lat < 90.0f; lat += 0.45f) {
    for (float decl : {-23.44f, -17.3f, -8.1f, 0.0f, 5.2f, 14.9f, 23.44f, lat}) {
      if (std::fabs(decl) > 23.5f) continue;
      const float phi = static_cast<float>(double(lat) * pi / 180.0);
      const float delta = static_cast<float>(double(decl) * pi / 180.0);
      const double a = std::sin(double(phi)) * std::sin(double(delta));
      const double b = std::cos(double(phi)) * std::cos(double(delta));
      for (double level : {double(threshold), 1.0}) {
        const double x = (level - a) / b;
        if (!(x > -1.0 && x < 1.0)) continue;
        const double crossing = std::acos(x);
        for (double h0 : {crossing, 2.0 * 3.141592653589793 - crossing}) {
          ++crossings;
          const float nearest = static_cast<float>(h0);
          EXPECT_EQ(pdsi::sure_daylight(a, b, nearest), -1) << lat << " " << decl << " " << h0;
          float below = nearest, above = nearest;
          for (int i = 0; i < 300; ++i) {
            for (float h : {below, above}) {
              const float sine = static_cast<float>(a + b * std::cos(double(h)));
              const int full = sine >= threshold && sine <= 1.0f ? 1 : 0;
              const int decided = pdsi::sure_daylight(a, b, h);
              if (decided >= 0) {
                ASSERT_EQ(decided, full) << lat << " " << decl << " " << h;
              }
            }
            below = std::nextafter(below, 0.0f);
            above = std::nextafter(above, 7.0f);
          }
        }
      }
    }
  }
  EXPECT_GT(crossings, 1000);
}
