// The Palmer moisture anomaly index Z and drought index X.
//
// pdi_vers1 reads the daily series <id>-pdsiformat.csv and the latitude from
// the first data record of <id>.csv, builds monthly mean temperature and
// precipitation, Thornthwaite potential evapotranspiration, a two-layer soil
// water balance, the CAFEC coefficients and climatic characteristic of each
// calendar month over the whole record, and writes <id>-pdsi.csv:
//   a header " YEAR,MONTH,Z(ANOMALY),X(PDI) ", then per month
//   year I4, month I2, Z F8.2, X F8.2, each followed by a comma.
// A month none of whose days has a precipitation value is missing: Z and X
// are -99.00, the water balance skips it (the soil carries through), it adds
// nothing to the calibration sums, and X goes on from the last X computed.
// With the water balance asked for, it also writes <id>-water-balance.csv:
//   a header "YEAR,MONTH,P,PE,ET,R,RO,L,PHAT,D,Z", then per month
//   year I4, month I2, and P, PE, ET, R, RO, L, CAFEC precipitation,
//   departure d and Z, each F10.2 after a comma; -9999.00 in every value
//   column of a missing month.
// A series of fewer than twelve months, one without any 1 January, or one
// whose heat index is 0 gives the header only (in both files).
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace pdsi {

// Builds <id>-pdsi.csv, and <id>-water-balance.csv when write_water_balance
// is set (file numbers 85 to 88).
void pdi_vers1(std::string_view station_id, bool write_water_balance);

// Soil water storage in millimetres; both layers start full.
inline constexpr float kAvailableWaterCapacity = 150.0f;
inline constexpr float kSurfaceCapacity = 25.0f;
struct Soil {
  float surface = kSurfaceCapacity;
  float under = kAvailableWaterCapacity - kSurfaceCapacity;
};

// One month of the water balance: evapotranspiration, recharge, potential
// recharge, runoff, potential runoff, loss and potential loss.
struct Balance {
  float et, r, pr, ro, pro, l, pl;
};

// The water balance of a month with precipitation p and potential
// evapotranspiration pe; the soil storages move on to the month's end.
Balance water_balance(float p, float pe, Soil& soil);

// The CAFEC precipitation of a month: alpha x PE + beta x PR + gamma x PRO -
// delta x PL, each of the four products rounded to a 4-byte real before they
// are combined, and the result stored as a 4-byte real.
float cafec_precipitation(float alpha, float beta, float gamma, float delta, float pe, float pr,
                          float pro, float pl);

// Thornthwaite potential evapotranspiration (mm) of a month of `days` days
// with mean temperature t, given the day-length factor of its calendar month
// (hours), the heat index and its exponent. A negative t gives 0.
float potential_evapotranspiration(float t, float day_length, int days, float heat_index,
                                   float exponent);

// The drought index of each month from the anomalies: X = Z / 3 for the
// first observed month, then X = 0.897 x the last X computed + Z / 3. A month
// not observed gets -99.0 and leaves the recursion as it is.
std::vector<float> palmer_x(std::span<const float> z, std::span<const char> observed);

}  // namespace pdsi
