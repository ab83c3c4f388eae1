// Exact decimal arithmetic for the field writers: the decimal digits of a
// binary value rounded to d decimals, half to even, by integer arithmetic,
// and digit output. Internal to the record layer.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace records::decimal {

// The exact way covers a magnitude below 1e9 with at most 9 decimals.
inline constexpr int kExactMaxDecimals = 9;
inline constexpr double kExactMaxMagnitude = 1e9;
inline constexpr std::array<std::uint64_t, kExactMaxDecimals + 1> kPow10{
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// magnitude 10^decimals rounded half to even (magnitude below 1e9, decimals
// at most 9), by 128-bit integer arithmetic.
std::uint64_t scaled_exactly(double magnitude, int decimals);

// magnitude 10^decimals rounded half to even, as scaled_exactly, mostly
// without its 128-bit arithmetic. Below 2^40 the product r in double
// precision is within 2^-13 of the exact product P (half an ulp of r at
// most), and r - trunc(r) is exact. A fraction of r more than 2^-12 away
// from one half therefore lies on the same side of it as P's, and P is no
// tie: r rounded to the nearest integer is P rounded. Near a half, and for
// larger products, the exact way decides.
inline std::uint64_t scaled(double magnitude, int decimals) {
  static constexpr std::array<double, kExactMaxDecimals + 1> kScales{1e0, 1e1, 1e2, 1e3, 1e4,
                                                                     1e5, 1e6, 1e7, 1e8, 1e9};
  constexpr double kDecidedBelow = 1099511627776.0;  // 2^40
  constexpr double kUndecided = 1.0 / 4096;          // 2^-12
  const double r = magnitude * kScales[static_cast<std::size_t>(decimals)];
  if (r < kDecidedBelow) {
    const auto whole = static_cast<std::uint64_t>(r);
    const double fraction = r - static_cast<double>(whole);
    if (fraction < 0.5 - kUndecided) return whole;
    if (fraction > 0.5 + kUndecided) return whole + 1;
  }
  return scaled_exactly(magnitude, decimals);
}

// The number of decimal digits of v (1 for 0).
inline int digit_count(std::uint64_t v) {
  static constexpr std::array<std::uint64_t, 20> kPowers = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
  }();
  // v | 1 has the digit count of v (an even v is never one below a power of
  // ten) and is never 0. bit_width * 1233 / 4096 is floor(log10) of the
  // lowest value with that width; one more when v reaches the next power.
  const std::uint64_t x = v | 1;
  const int guess = static_cast<int>((std::bit_width(x) * 1233) >> 12);
  return guess + (x >= kPowers[static_cast<std::size_t>(guess)] ? 1 : 0);
}

// "00" to "99", two digits written in one move.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> t{};
  for (int i = 0; i < 100; ++i) {
    t[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    t[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return t;
}();

// Writes the lowest `count` decimal digits of v backwards ending at end
// (with leading zeros); returns v without them.
template <class U>
inline U put_digits_as(char* end, U v, int count) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    std::memcpy(end, &kDigitPairs[static_cast<std::size_t>(v % 100) * 2], 2);
    v /= 100;
  }
  if (count > 0) {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  return v;
}

// The usual values in 32-bit arithmetic, which is cheaper.
inline std::uint64_t put_digits(char* end, std::uint64_t v, int count) {
  if (v <= 0xFFFFFFFFu) return put_digits_as(end, static_cast<std::uint32_t>(v), count);
  return put_digits_as(end, v, count);
}

}  // namespace records::decimal
