// A deterministic synthetic station for benchmarks: a daily observation file
// and its monthly precipitation file with realistic values (wet days with
// skewed amounts, a seasonal temperature cycle), the same bytes on every
// machine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace bench_support {

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
  std::uint64_t next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return s_;
  }
  // A whole number in [0, n).
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t s_;
};

inline int days_in_month(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && year % 4 == 0 ? 29 : kDays[month - 1];
}

// Writes <id>.csv and <id>_PRCP.csv in dir: years complete years from
// first_year, elements PRCP, TMIN and TMAX in that order for every month.
inline void write_station(const std::filesystem::path& dir, const std::string& id, int first_year,
                          int years, std::uint64_t seed) {
  Rng rng(seed);
  std::string daily = "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR";
  for (int d = 1; d <= 31; ++d) daily += (d < 10 ? ",DAY0" : ",DAY") + std::to_string(d);
  daily += "\n";
  std::string monthly;
  // Seasonal normal temperature in whole degrees Fahrenheit, January first.
  static const int kNormalF[12] = {25, 29, 39, 52, 63, 72, 77, 75, 66, 54, 40, 28};
  const std::string head = id + ",44.90,-93.20,250,";
  for (int y = first_year; y < first_year + years; ++y) {
    for (int m = 1; m <= 12; ++m) {
      const int ndays = days_in_month(y, m);
      int prcp[31], tmin[31], tmax[31];
      long total = 0;
      for (int d = 0; d < 31; ++d) {
        if (d >= ndays) {
          prcp[d] = tmin[d] = tmax[d] = -999;
          continue;
        }
        const bool wet = rng.below(100) < 30;
        prcp[d] = wet ? (rng.below(60) * rng.below(60)) / 8 + 1 : 0;
        total += prcp[d];
        const int mid = kNormalF[m - 1] + rng.below(21) - 10;
        tmin[d] = mid - 6 - rng.below(8);
        tmax[d] = mid + 6 + rng.below(8);
      }
      const struct {
        const char* element;
        const int* values;
      } rows[] = {{"PRCP", prcp}, {"TMIN", tmin}, {"TMAX", tmax}};
      for (const auto& [element, v] : rows) {
        daily += head + element + "," + std::to_string(m) + "," + std::to_string(y);
        for (int d = 0; d < 31; ++d) daily += "," + std::to_string(v[d]);
        daily += "\n";
      }
      char line[128];
      std::snprintf(line, sizeof line, "%s,44.90,-93.20,250,%d,%d,%ld.%02ld\n", id.c_str(), m, y,
                    total / 100, total % 100);
      monthly += line;
    }
  }
  std::FILE* f = std::fopen((dir / (id + ".csv")).c_str(), "wb");
  std::fwrite(daily.data(), 1, daily.size(), f);
  std::fclose(f);
  f = std::fopen((dir / (id + "_PRCP.csv")).c_str(), "wb");
  std::fwrite(monthly.data(), 1, monthly.size(), f);
  std::fclose(f);
}

}  // namespace bench_support
