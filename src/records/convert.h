// Number conversion: the text of an integer or real value into the stored
// value. Pure functions on the text, so that they can be tested and fuzzed
// without files. Internal to the record layer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace records::parse {

// An integer value: an optional sign and decimal digits, nothing else, within
// the 4-byte range.
bool to_int(std::string_view text, int& value);

// A real value: optional sign, digits with or without a decimal point, an
// optional exponent (letter E or D in either case, optional sign, digits; or
// a sign straight after the digits), or INF, INFINITY, NAN in any case after
// an optional sign. Correctly rounded straight to the target type. A value
// too large for the type is refused; one too small becomes a signed zero.
// implied_decimals >= 0 places a decimal point that many digits from the
// right of the digits when the text has none (column reading).
bool to_real(std::string_view text, float& value, int implied_decimals = -1);
bool to_real(std::string_view text, double& value, int implied_decimals = -1);

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The short way for the common spelling of a number, shared with the fast
// path of list-directed reading: an optional sign, at most 19 digits with or
// without a decimal point, no exponent. When the digits make an integer m
// that the type holds exactly (below 2^24 for float, 2^53 for double) and
// the point stands k places from the right with 10^k exactly representable
// too, m / 10^k is one correctly rounded division: the very value the full
// conversion gives. Anything else is left to it.
template <class T>
struct ExactDecimal;
template <>
struct ExactDecimal<float> {
  static constexpr std::uint64_t kMantissaLimit = std::uint64_t(1) << 24;
  static constexpr std::array<float, 11> kPowers{1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
};
template <>
struct ExactDecimal<double> {
  static constexpr std::uint64_t kMantissaLimit = std::uint64_t(1) << 53;
  static constexpr std::array<double, 23> kPowers{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
};

// The common spelling of a number at the start of a text: an optional sign,
// digits, and optionally a decimal point with more digits.
struct PlainNumber {
  const char* end = nullptr;  // the first character after it
  std::uint64_t m = 0;        // the digits as an integer (exact up to 19 digits)
  std::ptrdiff_t digits = 0;  // all digits
  std::ptrdiff_t frac = 0;    // digits after the point
  bool point = false;
  bool negative = false;
};

// Scans a plain number at p. With kTerminated the text is followed by a byte
// that is no sign, digit or point (a record before its line end), so that no
// end check is needed and end is not looked at.
template <bool kTerminated = false>
inline PlainNumber scan_plain(const char* p, const char* end) {
  const auto more = [&p, end] { return kTerminated || p < end; };
  PlainNumber n;
  if (more() && (*p == '+' || *p == '-')) n.negative = *p++ == '-';
  std::uint64_t m = 0;
  const auto digits = [&] {
    const char* const begin = p;
    for (unsigned d; more() && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10; ++p)
      m = m * 10 + d;
    return p - begin;
  };
  n.digits = digits();
  if (more() && *p == '.') {
    ++p;
    n.point = true;
    n.frac = digits();
    n.digits += n.frac;
  }
  n.m = m;
  n.end = p;
  return n;
}

// A plain number as a 4-byte integer: digits without a point, in range.
inline bool plain_int(const PlainNumber& n, int& value) {
  if (n.point || n.digits == 0 || n.digits > 10) return false;
  const long long v = n.negative ? -static_cast<long long>(n.m) : static_cast<long long>(n.m);
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

// A plain number as a real by the short way; false, with value untouched,
// when the full conversion must decide. implied > 0 places the point as
// to_real does.
template <class T>
inline bool exact_value(const PlainNumber& n, T& value, int implied) {
  if (n.digits == 0 || n.digits > 19) return false;
  std::ptrdiff_t shift = n.frac;
  if (!n.point && implied > 0) shift = implied;
  if (n.m >= ExactDecimal<T>::kMantissaLimit ||
      shift >= static_cast<std::ptrdiff_t>(ExactDecimal<T>::kPowers.size()))
    return false;
  T v = static_cast<T>(n.m);
  if (shift > 0) v = v / ExactDecimal<T>::kPowers[static_cast<std::size_t>(shift)];
  value = n.negative ? -v : v;
  return true;
}

}  // namespace records::parse
