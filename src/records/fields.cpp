// Field writers: the general conversions of the I, F, D and A codes.
#include "records/fields.h"

#include <charconv>

namespace records::fields {
namespace {

// Fixed-point text of the largest double with the largest d a layout allows.
constexpr std::size_t kNumberBuffer = 1400;
constexpr int kMaxDigits = 1000;  // d of Fw.d and Dw.d, as the layout parser allows

void pad_left(std::string& out, std::size_t text_len, int width) {
  if (width > 0 && static_cast<std::size_t>(width) > text_len) out.append(width - text_len, ' ');
}

void stars(std::string& out, int width) {
  if (width > 0) out.append(static_cast<std::size_t>(width), '*');
}

// "+Inf", "-Inf" or "NaN" right-aligned; "Inf" when only three columns are
// left for positive infinity.
void non_finite(std::string& out, double v, int width) {
  std::string_view t = non_finite_text(v);
  if (t.size() > static_cast<std::size_t>(width) && t == "+Inf") t = "Inf";
  if (t.size() > static_cast<std::size_t>(width)) return stars(out, width);
  pad_left(out, t.size(), width);
  out += t;
}

// The decimal digits of v, written backwards ending at end; returns their start.
char* digits_before(char* end, std::uint64_t v) {
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  return end;
}

// Appends the text, right-aligned in the field, or asterisks when it is
// longer: one column longer than the field drops the single 0 before the
// point (at `zero`, when there is one).
void fit_field(std::string& out, char* start, char* end, char* zero, int width) {
  std::size_t len = static_cast<std::size_t>(end - start);
  if (len == static_cast<std::size_t>(width) + 1 && zero != nullptr && zero[0] == '0' &&
      zero[1] == '.') {
    std::memmove(zero, zero + 1, static_cast<std::size_t>(end - zero - 1));
    --len;
  }
  if (len > static_cast<std::size_t>(width)) return stars(out, width);
  pad_left(out, len, width);
  out.append(start, len);
}

// The significant digits of a non-zero magnitude correctly rounded (digits of
// them, or none: the exponent is still that of the rounded value) written at
// p, and the decimal exponent of 0.ddd; false when they do not fit.
bool exponent_digits(double magnitude, int digits, char*& p, int& exponent) {
  std::array<char, kNumberBuffer> sci;
  const int precision = digits > 0 ? digits - 1 : 0;
  const auto r = std::to_chars(sci.data(), sci.data() + sci.size(), magnitude,
                               std::chars_format::scientific, precision);
  if (r.ec != std::errc()) return false;
  const char* e = std::find(sci.data(), r.ptr, 'e');
  if (digits > 0) {
    *p++ = sci[0];
    for (const char* q = sci.data() + 2; q < e; ++q) *p++ = *q;
  }
  // The exponent of d.ddd, "e+dd" or "e-ddd"; that of 0.dddd is one more.
  int e10 = 0;
  for (const char* q = e + 2; q < r.ptr; ++q) e10 = e10 * 10 + (*q - '0');
  exponent = (e[1] == '-' ? -e10 : e10) + 1;
  return true;
}

}  // namespace

std::string_view non_finite_text(double v) {
  return std::isnan(v) ? "NaN" : (v < 0 ? "-Inf" : "+Inf");
}

void int_field(std::string& out, int value, int width, int min_digits) {
  {
    Block block(out);
    const bool done = short_int_field(block, value, width, min_digits);
    block.flush();
    if (done) return;
  }
  // The magnitude as unsigned, so that -2147483648 has digits too.
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  std::array<char, 16> buffer;
  char* const buffer_end = buffer.data() + buffer.size();
  const char* const digits = digits_before(buffer_end, magnitude);
  std::size_t n = static_cast<std::size_t>(buffer_end - digits);
  // Iw.0 writes a zero value as blanks only.
  if (min_digits == 0 && value == 0) n = 0;
  std::size_t zeros =
      min_digits > 0 && static_cast<std::size_t>(min_digits) > n ? min_digits - n : 0;
  std::size_t len = (value < 0 ? 1 : 0) + zeros + n;
  if (len > static_cast<std::size_t>(width)) return stars(out, width);
  pad_left(out, len, width);
  if (value < 0) out += '-';
  out.append(zeros, '0');
  out.append(digits, n);
}

void fixed_field(std::string& out, double value, int width, int decimals) {
  if (!std::isfinite(value)) return non_finite(out, value, width);
  if (decimals < 0 || decimals > kMaxDigits) return stars(out, width);
  {
    Block block(out);
    const bool done = short_fixed_field(block, value, width, decimals);
    block.flush();
    if (done) return;
  }
  std::array<char, kNumberBuffer> buf;
  char* p = buf.data();
  // The sign of the stored value, so that -0.0 and negative values that
  // round to zero are written with their sign.
  if (std::signbit(value)) *p++ = '-';
  auto r = std::to_chars(p, buf.data() + buf.size() - 1, std::fabs(value), std::chars_format::fixed,
                         decimals);
  if (r.ec != std::errc()) return stars(out, width);
  char* end = r.ptr;
  if (decimals == 0) *end++ = '.';
  fit_field(out, buf.data(), end, p, width);
}

// Exponent form: 0.<digits>D+ee. An exponent of three digits (the range of
// an 8-byte real reaches 10^308) replaces the letter, "0.12345+123", so that
// the field keeps its width; readers accept that form (a sign after digits).
void exponent_field(std::string& out, double value, int width, int digits, char letter) {
  if (!std::isfinite(value)) return non_finite(out, value, width);
  if (digits < 0 || digits > kMaxDigits) return stars(out, width);
  std::array<char, kNumberBuffer> text;
  char* p = text.data();
  if (std::signbit(value)) *p++ = '-';
  char* const zero = p;
  *p++ = '0';
  *p++ = '.';
  int exponent = 0;
  const double magnitude = std::fabs(value);
  if (magnitude == 0) {
    std::memset(p, '0', static_cast<std::size_t>(digits));
    p += digits;
  } else if (!exponent_digits(magnitude, digits, p, exponent)) {
    return stars(out, width);
  }
  const int abs_exp = exponent < 0 ? -exponent : exponent;
  if (abs_exp <= 99) *p++ = letter;
  *p++ = exponent < 0 ? '-' : '+';
  if (abs_exp > 99) *p++ = static_cast<char>('0' + abs_exp / 100);
  *p++ = static_cast<char>('0' + abs_exp / 10 % 10);
  *p++ = static_cast<char>('0' + abs_exp % 10);
  fit_field(out, text.data(), p, zero, width);
}

void text_field(std::string& out, std::string_view text, int width) {
  if (width == 0) {
    out += text;
    return;
  }
  std::size_t w = static_cast<std::size_t>(width);
  if (text.size() >= w) {
    out.append(text.substr(0, w));
  } else {
    out.append(w - text.size(), ' ');
    out += text;
  }
}

}  // namespace records::fields
