// The Palmer index of a station: monthly aggregation of the daily series,
// Thornthwaite potential evapotranspiration, the two-layer water balance,
// calibration of each calendar month over the whole record, Z and X.
//
// Every stored quantity is a 4-byte real; each formula is evaluated in double
// from the stored values and rounded once where its result is stored. Running
// sums are rounded after each addition. Decimal constants are 4-byte reals
// widened where they enter. A calibration that divides by zero (a D of 0, or
// no precipitation and no loss in a calendar month) follows IEEE arithmetic.
#include "pdsi/pdi_vers1.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "pdsi/dl.h"
#include "pdsi/pdsiform.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"

namespace pdsi {
namespace {

using records::round_to_float;

constexpr int kSeriesUnit = 85;
constexpr int kDailyUnit = 86;
constexpr int kIndexUnit = 87;
constexpr int kBalanceUnit = 88;

// Daily records read from the daily series; the rest is ignored.
constexpr int kMaxDailyRows = 50000;
// Months of the monthly series; later months are ignored.
constexpr std::size_t kMaxMonths = 50000;

// Day of year on which each month ends, in leap and in common years.
constexpr std::array<int, 12> kMonthEndLeap{31,  60,  91,  121, 152, 182,
                                            213, 244, 274, 305, 335, 366};
constexpr std::array<int, 12> kMonthEnd{31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

// Thornthwaite: exponent of the heat index terms, and the coefficients of the
// exponent as a cubic in the heat index.
constexpr float kHeatExponent = 1.514f;
constexpr float kA3 = 6.75e-7f, kA2 = 7.71e-5f, kA1 = 0.0179f, kA0 = 0.492f;
constexpr float kThornthwaiteScale = 1.6f;

// Palmer: millimetres per inch, climatic characteristic and index constants.
constexpr float kMillimetresPerInch = 25.4f;
constexpr float kRatioOffset = 2.8f;
constexpr float kKPrimeScale = 1.5f;
constexpr float kKPrimeOffset = 0.5f;
constexpr float kKScale = 17.67f;
constexpr float kPersistence = 0.897f;

static const records::Layout kHeader{"A1"};
static const records::Layout kIndexRecord{"I4,',',I2,',',F8.2,',',F8.2,','"};
static const records::Layout kBalanceHeader{"A"};
static const records::Layout kBalanceRecord{"I4,',',I2,9(',',F10.2)"};
constexpr std::string_view kBalanceColumns{"YEAR,MONTH,P,PE,ET,R,RO,L,PHAT,D,Z"};

struct MonthlySeries {
  std::vector<int> year;
  std::vector<int> month;
  std::vector<int> days;
  std::vector<float> t;        // mean temperature, degrees Celsius
  std::vector<float> p;        // precipitation, mm
  std::vector<char> observed;  // some day of the month has a precipitation value
  int years_begun = 0;         // N: records with day of year 1
  std::size_t size() const { return year.size(); }
};

// The month being summed from the daily series. kNoMonth: before the first
// 1 January, or after a December.
constexpr int kNoMonth = 13;
struct MonthSum {
  int current = kNoMonth;
  int year = 0;
  int day_count = 0;   // records taken into the month, plus 1
  int year_count = 0;  // records since the 1 January, plus 1
  int rain_days = 0;   // records of the month with a precipitation value
  float p = 0.0f, t = 0.0f;
};

// Adds one daily record to the month being summed; appends the month to the
// series when it is complete.
void add_day(MonthSum& sum, MonthlySeries& s, int year, int doy, float tmin, float tmax,
             float prcp) {
  if (doy == 1) {
    sum = MonthSum{1, year, 1, 1, 0, 0.0f, 0.0f};
    ++s.years_begun;
  }
  if (tmin != kMissingDaily && tmax != kMissingDaily) {
    sum.t = round_to_float(double(sum.t) + (double(tmin) + double(tmax)) / 2.0);
  }
  if (prcp != kMissingDaily) {
    sum.p = round_to_float(double(sum.p) + double(prcp));
    ++sum.rain_days;
  }
  ++sum.day_count;
  ++sum.year_count;
  if (sum.current == kNoMonth) return;

  const std::array<int, 12>& month_end = sum.year % 4 == 0 ? kMonthEndLeap : kMonthEnd;
  if (sum.year_count <= month_end[sum.current - 1]) return;
  const int days = sum.day_count - 1;
  if (s.size() < kMaxMonths) {
    s.year.push_back(sum.year);
    s.month.push_back(sum.current);
    s.days.push_back(days);
    s.p.push_back(sum.p);
    // A day without a temperature adds nothing but still counts.
    s.t.push_back(round_to_float(double(sum.t) / double(days)));
    s.observed.push_back(sum.rain_days > 0);
  }
  sum.p = 0.0f;
  sum.t = 0.0f;
  sum.day_count = 1;
  sum.rain_days = 0;
  ++sum.current;
}

// Reads the daily series and sums it into months. A 1 January starts a year
// at month 1; a month is complete when the count of records since that
// 1 January passes the month's last day of year. A month still incomplete at
// the next 1 January or at the end of the file is dropped, and records before
// the first 1 January or after a December belong to no month.
MonthlySeries read_months(const std::string& name) {
  MonthlySeries s;
  MonthSum sum;
  // The targets live across the loop: a null value keeps what the previous
  // record put there, as list-directed reading defines.
  int year = 0, doy = 0;
  float tmin = 0.0f, tmax = 0.0f, unused = 0.0f, prcp = 0.0f;
  for (int row = 0; row < kMaxDailyRows; ++row) {
    const records::ReadStatus status =
        records::read_list(kSeriesUnit, {year, doy, tmin, tmax, unused, prcp});
    if (status == records::ReadStatus::End) break;
    if (status == records::ReadStatus::Bad) {
      records::fatal("read", name, "a value of the daily series cannot be read");
    }
    add_day(sum, s, year, doy, tmin, tmax, prcp);
  }
  return s;
}

// Sums over the months of one calendar month.
struct MonthSums {
  float et = 0, pe = 0, r = 0, pr = 0, ro = 0, pro = 0, l = 0, pl = 0, p = 0;
  int months = 0;  // months with precipitation
};

// What the index computes for one month of the series.
struct MonthResult {
  Balance b{};
  float pe = 0, cafec = 0, d = 0, z = 0, x = 0;
};

struct Thornthwaite {
  float heat_index = 0;
  float exponent = 0;
  std::array<float, 12> day_length{};
};

struct Cafec {
  float alpha, beta, gamma, delta;
};

void add(float& sum, float v) { sum = round_to_float(double(sum) + double(v)); }

float ratio_or(float numerator, float denominator, float both_zero) {
  if (numerator == 0.0f && denominator == 0.0f) return both_zero;
  return round_to_float(double(numerator) / double(denominator));
}

// The heat index and its exponent from the normal temperatures (the months
// with precipitation only, divided by N), and the day-length factors of the
// first twelve months of the series, used by calendar month for every year.
// False when the heat index is 0.
bool thornthwaite(const MonthlySeries& s, float latitude, Thornthwaite& th) {
  std::array<float, 12> normal_sum{};
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s.observed[k]) add(normal_sum[s.month[k] - 1], s.t[k]);
  }
  float heat_index = 0.0f;
  for (int m = 0; m < 12; ++m) {
    float normal = round_to_float(double(normal_sum[m]) / double(s.years_begun));
    if (normal < 0.0f) normal = 0.0f;
    heat_index =
        round_to_float(double(heat_index) + std::pow(double(normal) / 5.0, double(kHeatExponent)));
  }
  if (heat_index == 0.0f) return false;
  const double i = heat_index;
  th.heat_index = heat_index;
  th.exponent = round_to_float(double(kA3) * (i * i * i) - double(kA2) * (i * i) + double(kA1) * i +
                               double(kA0));
  for (std::size_t m = 0; m < 12; ++m) {
    th.day_length[m] = dl(s.month[m], s.year[m], s.days[m], latitude);
  }
  return true;
}

// The water balance of every month with precipitation, in time order, and
// its sums by calendar month. A month without precipitation leaves the soil
// and the sums as they are.
std::array<MonthSums, 12> balance_months(const MonthlySeries& s, const Thornthwaite& th,
                                         std::vector<MonthResult>& out) {
  std::array<MonthSums, 12> sums{};
  Soil soil;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (!s.observed[k]) continue;
    const int m = s.month[k] - 1;
    MonthResult& r = out[k];
    r.pe = potential_evapotranspiration(s.t[k], th.day_length[m], s.days[k], th.heat_index,
                                        th.exponent);
    r.b = water_balance(s.p[k], r.pe, soil);
    MonthSums& sm = sums[m];
    add(sm.et, r.b.et);
    add(sm.pe, r.pe);
    add(sm.r, r.b.r);
    add(sm.pr, r.b.pr);
    add(sm.ro, r.b.ro);
    add(sm.pro, r.b.pro);
    add(sm.l, r.b.l);
    add(sm.pl, r.b.pl);
    add(sm.p, s.p[k]);
    ++sm.months;
  }
  return sums;
}

std::array<Cafec, 12> cafec_coefficients(const std::array<MonthSums, 12>& sums) {
  std::array<Cafec, 12> c{};
  for (int m = 0; m < 12; ++m) {
    const MonthSums& sm = sums[m];
    c[m].alpha = ratio_or(sm.et, sm.pe, 1.0f);
    c[m].beta = ratio_or(sm.r, sm.pr, 1.0f);
    c[m].gamma = ratio_or(sm.ro, sm.pro, 0.0f);
    c[m].delta = sm.l == 0.0f ? 0.0f : round_to_float(double(sm.l) / double(sm.pl));
  }
  return c;
}

// The CAFEC precipitation and departure of every month with precipitation,
// and D, the mean size of the departures of each calendar month (divided by
// N).
std::array<float, 12> departures(const MonthlySeries& s, const std::array<Cafec, 12>& c,
                                 std::vector<MonthResult>& out) {
  std::array<float, 12> abs_sum{};
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (!s.observed[k]) continue;
    const int m = s.month[k] - 1;
    MonthResult& r = out[k];
    r.cafec = cafec_precipitation(c[m].alpha, c[m].beta, c[m].gamma, c[m].delta, r.pe, r.b.pr,
                                  r.b.pro, r.b.pl);
    r.d = round_to_float(double(s.p[k]) - double(r.cafec));
    add(abs_sum[m], std::fabs(r.d));
  }
  std::array<float, 12> mean_abs{};
  for (int m = 0; m < 12; ++m) {
    mean_abs[m] = round_to_float(double(abs_sum[m]) / double(s.years_begun));
  }
  return mean_abs;
}

// The climatic characteristic K of each calendar month. A calendar month
// without any month of precipitation has no K and adds nothing to the weight.
std::array<float, 12> climatic_characteristic(const std::array<MonthSums, 12>& sums,
                                              const std::array<float, 12>& mean_abs) {
  std::array<float, 12> k_prime{};
  float weight = 0.0f;
  for (int m = 0; m < 12; ++m) {
    const MonthSums& sm = sums[m];
    const float ratio = round_to_float((double(sm.pe) + double(sm.r) + double(sm.ro)) /
                                           (double(sm.p) + double(sm.l)) +
                                       double(kRatioOffset));
    // The mean departure in inches.
    k_prime[m] = round_to_float(
        double(kKPrimeScale) *
            std::log10(double(ratio) * double(kMillimetresPerInch) / double(mean_abs[m])) +
        double(kKPrimeOffset));
    if (sm.months > 0) {
      weight = round_to_float(double(weight) + double(mean_abs[m]) * double(k_prime[m]));
    }
  }
  std::array<float, 12> k{};
  for (int m = 0; m < 12; ++m) {
    k[m] = round_to_float(double(kKScale) / double(weight) * double(k_prime[m]) *
                          double(kMillimetresPerInch));
  }
  return k;
}

// Everything the index computes for every month of the series, or nothing
// when the series cannot be calibrated (fewer than twelve months, no year
// begun, a heat index of 0).
std::vector<MonthResult> index_months(const MonthlySeries& s, float latitude) {
  const std::size_t n = s.size();
  Thornthwaite th;
  if (n < 12 || s.years_begun == 0 || !thornthwaite(s, latitude, th)) return {};

  std::vector<MonthResult> out(n);
  const std::array<MonthSums, 12> sums = balance_months(s, th, out);
  const std::array<float, 12> mean_abs = departures(s, cafec_coefficients(sums), out);
  const std::array<float, 12> k = climatic_characteristic(sums, mean_abs);

  std::vector<float> z(n);
  for (std::size_t j = 0; j < n; ++j) {
    z[j] = s.observed[j] ? round_to_float(double(k[s.month[j] - 1]) * double(out[j].d) /
                                          double(kMillimetresPerInch))
                         : catalogue::kMissingPalmer;
    out[j].z = z[j];
  }
  const std::vector<float> x = palmer_x(z, s.observed);
  for (std::size_t j = 0; j < n; ++j) out[j].x = x[j];
  return out;
}

// <id>-water-balance.csv: the header, then per month P, PE, ET, R, RO, L,
// CAFEC precipitation, departure and Z; a month without precipitation has
// the missing mark in every value column.
void write_balance(int unit, const MonthlySeries& s, const std::vector<MonthResult>& out) {
  records::write(unit, kBalanceHeader, {kBalanceColumns});
  const double missing = catalogue::kMissingBalance;
  for (std::size_t k = 0; k < out.size(); ++k) {
    const MonthResult& r = out[k];
    if (s.observed[k]) {
      records::write(
          unit, kBalanceRecord,
          {s.year[k], s.month[k], s.p[k], r.pe, r.b.et, r.b.r, r.b.ro, r.b.l, r.cafec, r.d, r.z});
    } else {
      records::write(unit, kBalanceRecord,
                     {s.year[k], s.month[k], missing, missing, missing, missing, missing, missing,
                      missing, missing, missing});
    }
  }
}

}  // namespace

Balance water_balance(float p, float pe, Soil& soil) {
  const double awc = kAvailableWaterCapacity;
  const float ss = soil.surface;
  const float su = soil.under;
  Balance b{};
  float d_surface = 0.0f, d_under = 0.0f;
  if (p < pe) {
    const float ls = round_to_float(std::min(double(pe) - double(p), double(ss)));
    // Raised to 0 first, then lowered to what the layer holds.
    double lu_raw = std::max((double(pe) - double(p) - double(ls)) * double(su) / awc, 0.0);
    const float lu = round_to_float(std::min(lu_raw, double(su)));
    d_surface = -ls;
    d_under = -lu;
    b.r = 0.0f;
    b.ro = 0.0f;
    b.l = round_to_float(double(ls) + double(lu));
  } else if (p > pe) {
    const float rs =
        round_to_float(std::min(double(p) - double(pe), double(kSurfaceCapacity) - double(ss)));
    // Raised to 0 first, then lowered to the room left below.
    double ru = std::max(double(p) - double(pe) - double(rs), 0.0);
    ru = std::min(ru, awc - double(kSurfaceCapacity) - double(su));
    const float ru_stored = round_to_float(ru);
    d_surface = rs;
    d_under = ru_stored;
    b.r = round_to_float(double(rs) + double(ru_stored));
    b.ro = round_to_float(std::max(double(p) - double(pe) - double(rs) - double(ru_stored), 0.0));
    b.l = 0.0f;
  }
  b.pr = round_to_float(awc - double(su) - double(ss));
  b.pro = round_to_float(double(ss) + double(su));
  const float pls = std::min(pe, ss);
  const float plu =
      round_to_float(std::min((double(pe) - double(pls)) * double(su) / awc, double(su)));
  b.pl = round_to_float(double(pls) + double(plu));
  b.et = round_to_float(std::min(double(p) + double(b.l), double(pe)));
  soil.surface = round_to_float(double(ss) + double(d_surface));
  soil.under = round_to_float(double(su) + double(d_under));
  return b;
}

float cafec_precipitation(float alpha, float beta, float gamma, float delta, float pe, float pr,
                          float pro, float pl) {
  const float a = round_to_float(double(alpha) * double(pe));
  const float b = round_to_float(double(beta) * double(pr));
  const float g = round_to_float(double(gamma) * double(pro));
  const float l = round_to_float(double(delta) * double(pl));
  return round_to_float(double(a) + double(b) + double(g) - double(l));
}

float potential_evapotranspiration(float t, float day_length, int days, float heat_index,
                                   float exponent) {
  const float f = round_to_float(double(day_length) / 12.0 * double(days) / 30.0);
  if (t < 0.0f) return 0.0f;
  // The base of the power and 1.6 f are stored before the power is formed;
  // the formula gives centimetres, stored, then turned into millimetres.
  const float base = round_to_float(10.0 * double(t) / double(heat_index));
  const float scale = round_to_float(double(kThornthwaiteScale) * double(f));
  const float pe_cm = round_to_float(double(scale) * std::pow(double(base), double(exponent)));
  return round_to_float(double(pe_cm) * 10.0);
}

std::vector<float> palmer_x(std::span<const float> z, std::span<const char> observed) {
  std::vector<float> x(z.size(), catalogue::kMissingPalmer);
  bool first = true;
  float last = 0.0f;
  for (std::size_t k = 0; k < z.size(); ++k) {
    if (!observed[k]) continue;
    if (first) {
      x[k] = round_to_float(double(z[k]) / 3.0);
    } else {
      x[k] = round_to_float(double(kPersistence) * double(last) + double(z[k]) / 3.0);
    }
    first = false;
    last = x[k];
  }
  return x;
}

void pdi_vers1(std::string_view station_id, bool write_water_balance) {
  const std::string id(station_id);
  const std::string series_name = catalogue::file_name(id, catalogue::kPdsiDaily.suffix);
  records::open(kSeriesUnit, series_name, records::Presence::MustExist);
  records::open(kDailyUnit, catalogue::file_name(id, catalogue::kDailyFile.suffix),
                records::Presence::MustExist);
  records::open(kIndexUnit, catalogue::file_name(id, catalogue::kPdsi.suffix));

  // The latitude is the second field of the first data record.
  std::string header;
  records::must_read_columns(kDailyUnit, kHeader, {records::Target::text(header, 1)});
  std::string station;
  float latitude = 0.0f;
  records::must_read_list(kDailyUnit,
                          {records::Target::text(station, catalogue::kStationIdWidth), latitude});
  // Nothing more is read from the daily observation file: let it go before
  // the series is read.
  records::close(kDailyUnit);

  const MonthlySeries s = read_months(series_name);
  const std::vector<MonthResult> out = index_months(s, latitude);

  records::write_list(kIndexUnit, {"YEAR,MONTH,Z(ANOMALY),X(PDI) "});
  for (std::size_t k = 0; k < out.size(); ++k) {
    records::write(kIndexUnit, kIndexRecord, {s.year[k], s.month[k], out[k].z, out[k].x});
  }
  records::close(kSeriesUnit);
  records::close(kIndexUnit);
  if (write_water_balance) {
    records::open(kBalanceUnit, catalogue::file_name(id, catalogue::kWaterBalance.suffix));
    write_balance(kBalanceUnit, s, out);
    records::close(kBalanceUnit);
  }
}

}  // namespace pdsi
