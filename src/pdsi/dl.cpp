// Day length, minute by minute. Every quantity that the computation stores is
// a 4-byte real; each formula is evaluated in double from the stored values
// and rounded once where its result is stored:
//   - w = 2 pi / 365 and the latitude in radians, once per call;
//   - each angle j w n before its sine and cosine, which are taken in double;
//   - the declination and equation-of-time sums after every term, in the order
//     j = 1 to 4, sine term first; then the declination in radians and the
//     equation of time in hours;
//   - per minute the solar time, the hour angle, the sine of the elevation and
//     the elevation in degrees;
//   - the day length (minutes / 60), the running sum of the day lengths after
//     each day, and the mean.
// The decimal constants are 4-byte reals widened where they enter.
#include "pdsi/dl.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "records/numeric.h"

namespace pdsi {
namespace {

using records::round_to_float;

constexpr float kPi = 3.1416f;
// Daylight is counted from this solar elevation, in degrees.
constexpr float kTwilightElevation = -1.5f;

// Harmonic series of the solar declination (degrees) and of the equation of
// time (minutes) in the day of the year.
constexpr float kDeclinationMean = 0.3964f;
constexpr std::array<float, 4> kDeclinationSin{3.631f, 0.03838f, 0.07659f, 0.0f};
constexpr std::array<float, 4> kDeclinationCos{-22.97f, -0.3885f, -0.1587f, -0.01021f};
constexpr float kEquationMean = 0.002733f;
constexpr std::array<float, 4> kEquationSin{-7.343f, -9.47f, -0.3289f, -0.1955f};
constexpr std::array<float, 4> kEquationCos{0.5519f, -3.02f, -0.07581f, -0.1245f};

// Day of year of the first day of each month in a common year.
constexpr std::array<int, 12> kFirstDay{1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

constexpr int kMinutesPerDay = 1440;

// Whether a minute with this sine of the elevation is daylight, by the
// arithmetic itself: the elevation in degrees, stored, above the threshold.
bool daylight_by_elevation(float sine) {
  const float elevation = round_to_float(std::asin(double(sine)) * 180.0 / double(kPi));
  return elevation > kTwilightElevation;
}

// Orders floats of one sign range as integers, for a search over them.
std::int32_t ordered(float f) {
  const std::int32_t i = std::bit_cast<std::int32_t>(f);
  return i < 0 ? std::int32_t(0x80000000u - std::uint32_t(i)) : i;
}
float from_ordered(std::int32_t i) {
  return std::bit_cast<float>(i < 0 ? std::int32_t(0x80000000u - std::uint32_t(i)) : i);
}

// The stored elevation never decreases as its sine grows (asin and rounding
// both keep the order), so the daylight test is a threshold on the sine; it
// is found once, by bisection over the floats from -1 to 1.
float find_threshold() {
  std::int32_t lo = ordered(-1.0f);  // not daylight: elevation -90
  std::int32_t hi = ordered(1.0f);   // daylight: elevation 90
  while (hi - lo > 1) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (daylight_by_elevation(from_ordered(mid))) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return from_ordered(hi);
}

// Hours of the day at minute i of hour h (i = 1 to 60), as the double the
// solar time is built from: h + i / 60.
const std::array<double, kMinutesPerDay>& clock_hours() {
  static const std::array<double, kMinutesPerDay> hours = [] {
    std::array<double, kMinutesPerDay> a{};
    for (int h = 0; h < 24; ++h) {
      for (int i = 1; i <= 60; ++i) a[h * 60 + i - 1] = double(h) + double(i) / 60.0;
    }
    return a;
  }();
  return hours;
}

// Most minutes are far from sunrise, sunset and a noon sun in the zenith;
// for them the daylight test is decided without the cosine. With b > 0,
// a + b cos(H) falls as the hour angle H, folded into [0, pi], grows, so the
// day's minutes split by H into sure daylight, sure night, and a few minutes
// near the boundaries that take the full computation. The margins are far
// wider than every rounding on the way (the cosine, the sums, acos near +-1
// whose error is below sqrt(2 ulp) ~ 3e-8, the 4-byte rounding of the sine
// with ulp 1.2e-7 at most): a minute classed sure gives the same answer as
// the full computation would.
constexpr double kPiDouble = 3.141592653589793;
constexpr double kSineMargin = 1e-6;
constexpr double kAngleMargin = 1e-7;
// Below this b (latitude within about 0.06 degrees of a pole, or not a
// number) every minute takes the full computation.
constexpr double kMinSlope = 1e-3;

struct SureBounds {
  bool usable = false;
  double day_min = 0, day_max = -1;  // sure daylight: day_min <= H <= day_max
  double night_min = 4;              // sure night: H >= night_min

  // 1 sure daylight, 0 sure night, -1 undecided (see sure_daylight).
  int decide(float hour_angle) const {
    if (!usable) return -1;
    // cos(H) = cos(2 pi - H): the angle folded into [0, pi].
    const double folded =
        hour_angle <= kPiDouble ? double(hour_angle) : 2.0 * kPiDouble - double(hour_angle);
    if (folded <= day_max && folded >= day_min) return 1;
    return folded >= night_min ? 0 : -1;
  }
};

// The folded hour angle H at which a + b cos(H) = level: above it the sum is
// below the level; 0 when the level is out of reach, pi when always passed.
double angle_at(double level, double a, double b) {
  const double x = (level - a) / b;
  if (x >= 1.0) return 0.0;
  if (x <= -1.0) return kPiDouble;
  return std::acos(x);
}

SureBounds sure_bounds(double a, double b, float threshold) {
  SureBounds s;
  if (!(b > kMinSlope) || !std::isfinite(a) || !std::isfinite(b)) return s;
  s.usable = true;
  // Sure daylight: the sine at least the threshold + margin, and at most
  // 1 - margin (a sine that rounds above 1 is no daylight).
  s.day_max = angle_at(double(threshold) + kSineMargin, a, b) - kAngleMargin;
  s.day_min = angle_at(1.0 - kSineMargin, a, b) + kAngleMargin;
  // Sure night: the sine below the threshold - margin.
  s.night_min = angle_at(double(threshold) - kSineMargin, a, b) + kAngleMargin;
  return s;
}

}  // namespace

float daylight_sine_threshold() {
  static const float threshold = find_threshold();
  return threshold;
}

int sure_daylight(double a, double b, float hour_angle) {
  return sure_bounds(a, b, daylight_sine_threshold()).decide(hour_angle);
}

float dl(int month, int year, int days, float latitude) {
  if (days <= 0 || month < 1 || month > 12) return 0.0f;
  int first = kFirstDay[month - 1];
  if (year % 4 == 0 && month >= 3) ++first;

  const float w = round_to_float(2.0 * double(kPi) / 365.0);
  const float phi = round_to_float(double(latitude) * double(kPi) / 180.0);
  const double sin_phi = std::sin(double(phi));
  const double cos_phi = std::cos(double(phi));
  const float threshold = daylight_sine_threshold();
  const std::array<double, kMinutesPerDay>& hours = clock_hours();

  float total = 0.0f;
  for (int n = first; n < first + days; ++n) {
    float declination = kDeclinationMean;
    float equation = kEquationMean;
    for (int j = 1; j <= 4; ++j) {
      const float angle = round_to_float(double(j) * double(w) * double(n));
      const double s = std::sin(double(angle));
      const double c = std::cos(double(angle));
      declination = round_to_float(double(declination) + double(kDeclinationSin[j - 1]) * s);
      declination = round_to_float(double(declination) + double(kDeclinationCos[j - 1]) * c);
      equation = round_to_float(double(equation) + double(kEquationSin[j - 1]) * s);
      equation = round_to_float(double(equation) + double(kEquationCos[j - 1]) * c);
    }
    const float delta = round_to_float(double(declination) * double(kPi) / 180.0);
    const float equation_hours = round_to_float(double(equation) / 60.0);

    // sin(phi) sin(delta) + cos(phi) cos(delta) cos(hour angle): the two
    // products that do not change within the day are formed once, in the
    // same order and precision as in the whole expression.
    const double a = sin_phi * std::sin(double(delta));
    const double b = cos_phi * std::cos(double(delta));
    const SureBounds sure = sure_bounds(a, b, threshold);
    int minutes = 0;
    for (const double clock : hours) {
      // The longitude correction is 0, so solar time is the clock time plus
      // the equation of time.
      const float t = round_to_float(clock + double(equation_hours));
      const float hour_angle = round_to_float(std::fabs(double(t) - 12.0) * double(kPi) / 12.0);
      if (const int decided = sure.decide(hour_angle); decided >= 0) {
        minutes += decided;
        continue;
      }
      const float sine = round_to_float(a + b * std::cos(double(hour_angle)));
      minutes += (sine >= threshold && sine <= 1.0f) ? 1 : 0;
    }
    const float length = round_to_float(double(minutes) / 60.0);
    total = round_to_float(double(total) + double(length));
  }
  return round_to_float(double(total) / double(days));
}

}  // namespace pdsi
