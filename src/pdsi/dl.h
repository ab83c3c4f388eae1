// Day length for the Palmer potential evapotranspiration.
#pragma once

namespace pdsi {

// Mean length of the day, in hours, over the `days` days of a month that
// starts on the first day of calendar month `month` of `year` (a year
// divisible by 4 is a leap year), at `latitude` degrees north. Every minute of
// every day in which the sun stands higher than 1.5 degrees below the horizon
// counts as daylight. The minutes are sampled on local solar time with no
// longitude correction. A month without days, or outside 1 to 12, gives 0.
float dl(int month, int year, int days, float latitude);

// The smallest 4-byte sine of the solar elevation whose elevation in degrees,
// rounded to a 4-byte real, is above -1.5. A minute is daylight exactly when
// its sine lies from this value up to 1 (a sine that rounded above 1 has no
// elevation and is not daylight). Exposed so that a test can check it.
float daylight_sine_threshold();

// The daylight test of one minute decided without its cosine, on a day where
// the sine of the elevation is a + b cos(hour angle): 1 sure daylight, 0 sure
// night, -1 when the full computation must decide (the minutes near sunrise,
// sunset and a noon sun in the zenith). Exposed so that a test can check it.
int sure_daylight(double a, double b, float hour_angle);

}  // namespace pdsi
