// Expected monthly table records, shared by the tests of the stages that write
// the observed and the interpolated precipitation tables.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace prep_testing {

inline constexpr int M = -9999;  // a missing month

// Station I6, year I4 and twelve totals I7, each followed by a comma.
inline std::string table_record(int station, int year, const std::vector<int>& totals) {
  char field[16];
  std::string s = (std::snprintf(field, sizeof field, "%6d,%4d,", station, year), field);
  for (int t : totals) s += (std::snprintf(field, sizeof field, "%7d,", t), field);
  return s;
}

}  // namespace prep_testing
