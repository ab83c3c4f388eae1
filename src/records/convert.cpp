// Number conversion: integers by their digits, reals by the short way when
// it is exact and otherwise through the library's correctly rounded
// conversion.
#include "records/convert.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace records::parse {
namespace {

// Exponents beyond this are all alike: far outside every real type.
constexpr long long kExponentLimit = 1000000;

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equal_nocase(std::string_view a, std::string_view upper_b) {
  if (a.size() != upper_b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper_b[i]) return false;
  return true;
}

template <class T>
bool exact_decimal(std::string_view s, T& value, int implied) {
  const PlainNumber n = scan_plain(s.data(), s.data() + s.size());
  return n.end == s.data() + s.size() && exact_value(n, value, implied);
}

// INF, INFINITY or NAN in any case (the text after the sign).
template <class T>
bool non_finite(std::string_view word, bool negative, T& value) {
  if (equal_nocase(word, "INF") || equal_nocase(word, "INFINITY")) {
    value = negative ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return true;
  }
  if (equal_nocase(word, "NAN")) {
    value = std::numeric_limits<T>::quiet_NaN();
    return true;
  }
  return false;
}

// The text of a real value taken apart.
struct RealParts {
  bool negative = false;
  std::string_view whole;     // the digits before the point
  std::string_view fraction;  // the digits after it
  bool point = false;
  long long exponent = 0;  // as written, capped at kExponentLimit
};

// The exponent from s[p] to the end: a letter E or D in either case with an
// optional sign, or a sign alone, then digits; none when s ends at p.
bool exponent_part(std::string_view s, std::size_t p, long long& exponent) {
  exponent = 0;
  if (p >= s.size()) return true;
  const char c = upper(s[p]);
  if (c == 'E' || c == 'D')
    ++p;
  else if (c != '+' && c != '-')
    return false;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  if (p >= s.size()) return false;
  for (; p < s.size(); ++p) {
    if (!is_digit(s[p])) return false;
    if (exponent < kExponentLimit) exponent = exponent * 10 + (s[p] - '0');
  }
  if (negative) exponent = -exponent;
  return true;
}

// The digits and the exponent of s from p (after the sign) on; false when
// the text is no real value.
bool real_parts(std::string_view s, std::size_t p, RealParts& r) {
  const auto digits = [&s, &p] {
    const std::size_t begin = p;
    while (p < s.size() && is_digit(s[p])) ++p;
    return s.substr(begin, p - begin);
  };
  r.whole = digits();
  if (p < s.size() && s[p] == '.') {
    ++p;
    r.point = true;
    r.fraction = digits();
  }
  if (r.whole.empty() && r.fraction.empty()) return false;
  return exponent_part(s, p, r.exponent);
}

// Whether the digits times 10^exponent are below every non-zero value of a
// real type rather than above them (a value out of range either way): the
// magnitude is 10 to the power of the place of the first non-zero digit.
bool too_small(const RealParts& r, long long exponent) {
  const long long total = static_cast<long long>(r.whole.size() + r.fraction.size());
  for (long long i = 0; i < total; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const char c = k < r.whole.size() ? r.whole[k] : r.fraction[k - r.whole.size()];
    if (c != '0') return total - i - 1 + exponent < 0;
  }
  return true;  // all digits zero
}

// The digits times 10^exponent, correctly rounded to the type by from_chars
// ("<sign><digits>e<exponent>"); a value too small for the type is a signed
// zero, one too large is refused.
template <class T>
bool scaled_digits(const RealParts& r, long long exponent, T& value) {
  std::array<char, 128> small;
  std::string large;
  const std::size_t need = 1 + r.whole.size() + r.fraction.size() + 24;
  char* buf = small.data();
  if (need > small.size()) {
    large.resize(need);
    buf = large.data();
  }
  char* q = buf;
  if (r.negative) *q++ = '-';
  q = std::copy(r.whole.begin(), r.whole.end(), q);
  q = std::copy(r.fraction.begin(), r.fraction.end(), q);
  *q++ = 'e';
  q = std::to_chars(q, buf + need, exponent).ptr;
  T v{};
  const auto result = std::from_chars(buf, q, v, std::chars_format::scientific);
  if (result.ec == std::errc() && result.ptr == q) {
    value = v;
    return true;
  }
  if (result.ec != std::errc::result_out_of_range || !too_small(r, exponent)) return false;
  value = r.negative ? -T(0) : T(0);
  return true;
}

template <class T>
bool real_value(std::string_view s, T& value, int implied) {
  if (exact_decimal(s, value, implied)) return true;
  RealParts r;
  std::size_t p = 0;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) r.negative = s[p++] == '-';
  if (non_finite(s.substr(p), r.negative, value)) return true;
  if (!real_parts(s, p, r)) return false;
  long long shift = static_cast<long long>(r.fraction.size());
  if (!r.point && implied > 0) shift = implied;
  return scaled_digits(r, r.exponent - shift, value);
}

}  // namespace

bool to_int(std::string_view s, int& value) {
  std::size_t p = 0;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  if (p >= s.size()) return false;
  long long v = 0;
  for (; p < s.size(); ++p) {
    if (!is_digit(s[p])) return false;
    v = v * 10 + (s[p] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

bool to_real(std::string_view text, float& value, int implied_decimals) {
  return real_value(text, value, implied_decimals);
}

bool to_real(std::string_view text, double& value, int implied_decimals) {
  return real_value(text, value, implied_decimals);
}

}  // namespace records::parse
