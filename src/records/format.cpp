// Output of the layout codes and of list-directed records.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "records/emit.h"

namespace records {
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

std::string_view non_finite_text(double v) {
  return std::isnan(v) ? "NaN" : (v < 0 ? "-Inf" : "+Inf");
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

// The storage type of one value of a write after flattening.
struct Value {
  enum Kind { Int, Float, Double, Text };
};

// Walks the values of a write one scalar at a time, flattening spans; each
// argument's type is resolved once, not once per element.
class ArgCursor {
 public:
  explicit ArgCursor(std::span<const Arg> args)
      : it_(args.data()), end_(args.data() + args.size()) {
    load();
  }
  bool done() const { return it_ == end_; }
  // The type of the next value, and the next value taken as that type.
  Value::Kind kind() const { return kind_; }
  int take_int() {
    const int v = static_cast<const int*>(data_)[index_];
    step();
    return v;
  }
  double take_real() {
    const double v = kind_ == Value::Float ? static_cast<const float*>(data_)[index_]
                                           : static_cast<const double*>(data_)[index_];
    step();
    return v;
  }
  std::string_view take_text() {
    const std::string_view v = text_;
    step();
    return v;
  }

 private:
  void step() {
    if (++index_ >= length_) {
      ++it_;
      load();
    }
  }
  // Resolves the argument at it_, skipping empty spans so that done() tells
  // whether a value is left.
  void load() {
    index_ = 0;
    for (; it_ != end_; ++it_) {
      const Arg::Variant& v = it_->get();
      switch (v.index()) {
        case 0:
          set(Value::Int, std::get_if<0>(&v), 1);
          break;
        case 1:
          set(Value::Float, std::get_if<1>(&v), 1);
          break;
        case 2:
          set(Value::Double, std::get_if<2>(&v), 1);
          break;
        case 3:
          set(Value::Text, nullptr, 1);
          text_ = *std::get_if<3>(&v);
          break;
        case 4:
          set(Value::Int, std::get_if<4>(&v)->data(), std::get_if<4>(&v)->size());
          break;
        case 5:
          set(Value::Float, std::get_if<5>(&v)->data(), std::get_if<5>(&v)->size());
          break;
        default:
          set(Value::Double, std::get_if<6>(&v)->data(), std::get_if<6>(&v)->size());
          break;
      }
      if (length_ > 0) return;
    }
  }
  void set(Value::Kind kind, const void* data, std::size_t length) {
    kind_ = kind;
    data_ = data;
    length_ = length;
  }

  const Arg* it_;
  const Arg* end_;
  Value::Kind kind_ = Value::Int;
  const void* data_ = nullptr;
  std::size_t length_ = 0;
  std::size_t index_ = 0;
  std::string_view text_;
};

[[noreturn]] void mismatch(const Item& item, Value::Kind kind) {
  static constexpr const char* kTypes[] = {"an integer", "a 4-byte real", "an 8-byte real",
                                           "a text"};
  static constexpr const char* kCodes[] = {"I", "F", "D", "A", "X", "literal"};
  throw std::logic_error(std::string("layout code ") + kCodes[item.kind] + " given " +
                         kTypes[kind]);
}

// The decimal digits of v, written backwards ending at end; returns their start.
char* digits_before(char* end, std::uint64_t v) {
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  return end;
}

// Fixed-point output of the usual fields by exact integer arithmetic: a
// magnitude below 1e9 with at most 9 decimals in a field of at most
// kShortField columns. The magnitude is m 2^-s (m < 2^53), so m 10^d 2^-s is
// rounded to an integer, half to even, exactly as the general conversion
// rounds, and its digits are the digits of the field.
constexpr int kExactMaxDecimals = 9;
constexpr double kExactMaxMagnitude = 1e9;
constexpr int kShortField = 64;
constexpr std::array<std::uint64_t, kExactMaxDecimals + 1> kPow10{
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// magnitude 10^decimals rounded half to even (below 1e18).
std::uint64_t scaled_exactly(double magnitude, int decimals) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
  const int biased = static_cast<int>(bits >> 52);
  std::uint64_t m = bits & ((std::uint64_t(1) << 52) - 1);
  int shift = 1074;  // magnitude = m / 2^shift
  if (biased != 0) {
    m |= std::uint64_t(1) << 52;
    shift = 1075 - biased;
  }
  // Below 1e9 the shift is at least 23 and m 10^d < 2^83. From a shift of
  // 128 on, the product is less than half a unit: it rounds to 0.
  if (m == 0 || shift >= 128) return 0;
  const unsigned __int128 n =
      static_cast<unsigned __int128>(m) * kPow10[static_cast<std::size_t>(decimals)];
  std::uint64_t scaled = static_cast<std::uint64_t>(n >> shift);
  const unsigned __int128 rest = n & ((static_cast<unsigned __int128>(1) << shift) - 1);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rest > half || (rest == half && (scaled & 1) != 0)) ++scaled;
  return scaled;
}

// magnitude 10^decimals rounded half to even, as scaled_exactly, mostly
// without its 128-bit arithmetic. Below 2^40 the product r in double
// precision is within 2^-13 of the exact product P (half an ulp of r at
// most), and r - trunc(r) is exact. A fraction of r more than 2^-12 away
// from one half therefore lies on the same side of it as P's, and P is no
// tie: r rounded to the nearest integer is P rounded. Near a half, and for
// larger products, the exact way decides.
std::uint64_t scaled(double magnitude, int decimals) {
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
int digit_count(std::uint64_t v) {
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
constexpr std::array<char, 200> kDigitPairs = [] {
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

// The text of a record collected in a block and handed to the string in few
// appends. A short field (kShortField columns at most) is written straight
// into the block at its place: room() gives its first column with at least
// kShortField + kBlankStride columns free behind it.
constexpr std::size_t kBlankStride = 16;
class Block {
 public:
  explicit Block(std::string& out) : out_(out) {}
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  char* room() {
    if (n_ > kSize) flush();
    return buf_.data() + n_;
  }
  void commit(int width) { n_ += static_cast<std::size_t>(width); }

  void put(std::string_view text) {
    if (text.size() == 1) {
      *room() = text[0];
      ++n_;
      return;
    }
    if (text.size() > kShortField) {
      flushed().append(text);
      return;
    }
    char* const at = room();
    for (std::size_t i = 0; i < text.size(); ++i) at[i] = text[i];
    n_ += text.size();
  }
  void put(std::size_t count, char c) {
    if (count > kShortField) {
      flushed().append(count, c);
      return;
    }
    char* const at = room();
    for (std::size_t i = 0; i < count; ++i) at[i] = c;
    n_ += count;
  }
  // The string with everything so far, for output formed there directly.
  std::string& flushed() {
    flush();
    return out_;
  }
  void flush() {
    out_.append(buf_.data(), n_);
    n_ = 0;
  }

 private:
  static constexpr std::size_t kSize = 2048;
  std::string& out_;
  std::array<char, kSize + kShortField + kBlankStride> buf_;  // not cleared: written before read
  std::size_t n_ = 0;
};

// Fills the columns of a short field with blanks, a stride at a time (the
// block has room for the last stride's overrun).
void blank_field(char* field, int width) {
  static constexpr char kBlanks[kBlankStride + 1] = "                ";
  std::memcpy(field, kBlanks, kBlankStride);
  for (int i = static_cast<int>(kBlankStride); i < width; i += static_cast<int>(kBlankStride))
    std::memcpy(field + i, kBlanks, kBlankStride);
}

void star_field(char* field, int width) {
  for (int i = 0; i < width; ++i) field[i] = '*';
}

// The usual I field (see int_field), written into the block; false when the
// general way must do it.
[[gnu::always_inline]] inline bool short_int_field(Block& out, int value, int width,
                                                   int min_digits) {
  if (width < 0 || width > kShortField || min_digits > kShortField / 2) return false;
  // The magnitude as unsigned, so that -2147483648 has digits too.
  const unsigned magnitude =
      value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  // Iw.0 writes a zero value as blanks only.
  const int digits = min_digits == 0 && value == 0 ? 0 : digit_count(magnitude);
  const int shown = std::max(digits, min_digits);  // with leading zeros
  const int length = shown + (value < 0 ? 1 : 0);
  char* const field = out.room();
  if (length > width) {
    star_field(field, width);
  } else {
    blank_field(field, width);
    put_digits(field + width, magnitude, shown);
    if (value < 0) field[width - shown - 1] = '-';
  }
  out.commit(width);
  return true;
}

// The usual F field (see above), written into the block; false when the
// general conversion must do it.
[[gnu::always_inline]] inline bool short_fixed_field(Block& out, double value, int width,
                                                     int decimals) {
  const double magnitude = std::fabs(value);
  if (decimals < 0 || decimals > kExactMaxDecimals || !(magnitude < kExactMaxMagnitude) ||
      width < 0 || width > kShortField)
    return false;
  const std::uint64_t v = scaled(magnitude, decimals);
  const bool negative = std::signbit(value);
  // At least one digit before the point, but "0.ddd" one column too wide
  // for the field drops its 0.
  const bool integer_zero = v < kPow10[static_cast<std::size_t>(decimals)];
  int integer_digits = integer_zero ? 1 : digit_count(v) - decimals;
  if (integer_zero && (negative ? 1 : 0) + 2 + decimals == width + 1) integer_digits = 0;
  const int length = (negative ? 1 : 0) + integer_digits + 1 + decimals;
  char* const field = out.room();
  if (length > width) {
    star_field(field, width);
  } else {
    blank_field(field, width);
    char* p = field + width;
    const std::uint64_t integer = put_digits(p, v, decimals);
    p -= decimals;
    *--p = '.';
    put_digits(p, integer, integer_digits);
    if (negative) p[-integer_digits - 1] = '-';
  }
  out.commit(width);
  return true;
}

template <class Cursor>
void run_layout(std::string& text, const Layout& layout, Cursor values) {
  Block out(text);
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Literal) {
      out.put(item.text);
      continue;
    }
    if (item.kind == Item::Skip) {
      out.put(static_cast<std::size_t>(item.width), ' ');
      continue;
    }
    if (values.done()) break;
    const Value::Kind kind = values.kind();
    switch (item.kind) {
      case Item::Int: {
        if (kind != Value::Int) mismatch(item, kind);
        const int v = values.take_int();
        if (!short_int_field(out, v, item.width, item.digits))
          emit::int_field(out.flushed(), v, item.width, item.digits);
        break;
      }
      case Item::Fixed: {
        if (kind != Value::Float && kind != Value::Double) mismatch(item, kind);
        const double real = values.take_real();
        if (!std::isfinite(real) || !short_fixed_field(out, real, item.width, item.digits))
          emit::fixed_field(out.flushed(), real, item.width, item.digits);
        break;
      }
      case Item::Exponent:
        if (kind != Value::Float && kind != Value::Double) mismatch(item, kind);
        emit::exponent_field(out.flushed(), values.take_real(), item.width, item.digits,
                             item.text.empty() ? 'D' : item.text[0]);
        break;
      case Item::Text:
        if (kind != Value::Text) mismatch(item, kind);
        emit::text_field(out.flushed(), values.take_text(), item.width);
        break;
      default:
        break;
    }
  }
  out.flush();
  if (!values.done()) throw std::logic_error("more values than layout codes");
}

}  // namespace

namespace emit {

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
  char* start = buf.data();
  std::size_t len = static_cast<std::size_t>(end - start);
  if (len == static_cast<std::size_t>(width) + 1 && p[0] == '0' && p[1] == '.') {
    // One column short: drop the single 0 before the point.
    std::memmove(p, p + 1, static_cast<std::size_t>(end - p - 1));
    --len;
  }
  if (len > static_cast<std::size_t>(width)) return stars(out, width);
  pad_left(out, len, width);
  out.append(start, len);
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
  *p++ = '0';
  *p++ = '.';
  int exponent = 0;
  double magnitude = std::fabs(value);
  if (magnitude == 0) {
    std::memset(p, '0', static_cast<std::size_t>(digits));
    p += digits;
  } else {
    // d.ddd...e±x, correctly rounded to the significant digits wanted; with
    // no digits wanted the exponent is still that of the rounded value.
    std::array<char, kNumberBuffer> sci;
    int precision = digits > 0 ? digits - 1 : 0;
    auto r = std::to_chars(sci.data(), sci.data() + sci.size(), magnitude,
                           std::chars_format::scientific, precision);
    if (r.ec != std::errc()) return stars(out, width);
    char* e = std::find(sci.data(), r.ptr, 'e');
    if (digits > 0) {
      *p++ = sci[0];
      for (char* q = sci.data() + 2; q < e; ++q) *p++ = *q;
    }
    // The exponent of d.ddd, "e+dd" or "e-ddd"; that of 0.dddd is one more.
    int e10 = 0;
    for (char* q = e + 2; q < r.ptr; ++q) e10 = e10 * 10 + (*q - '0');
    exponent = (e[1] == '-' ? -e10 : e10) + 1;
  }
  int abs_exp = exponent < 0 ? -exponent : exponent;
  if (abs_exp <= 99) *p++ = letter;
  *p++ = exponent < 0 ? '-' : '+';
  if (abs_exp > 99) *p++ = static_cast<char>('0' + abs_exp / 100);
  *p++ = static_cast<char>('0' + abs_exp / 10 % 10);
  *p++ = static_cast<char>('0' + abs_exp % 10);
  char* start = text.data();
  std::size_t len = static_cast<std::size_t>(p - start);
  if (len == static_cast<std::size_t>(width) + 1) {
    char* zero = text[0] == '-' ? start + 1 : start;
    std::memmove(zero, zero + 1, static_cast<std::size_t>(p - zero - 1));
    --len;
  }
  if (len > static_cast<std::size_t>(width)) return stars(out, width);
  pad_left(out, len, width);
  out.append(start, len);
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

void layout_record(std::string& out, const Layout& layout, std::initializer_list<Arg> values) {
  run_layout(out, layout, ArgCursor(std::span<const Arg>(values.begin(), values.size())));
}

void list_record(std::string& out, std::initializer_list<Arg> values) {
  ArgCursor c(std::span<const Arg>(values.begin(), values.size()));
  bool first = true;
  bool previous_text = false;
  while (!c.done()) {
    const Value::Kind kind = c.kind();
    const bool is_text = kind == Value::Text;
    if (first || !(is_text && previous_text)) out += ' ';
    first = false;
    previous_text = is_text;
    std::array<char, 64> buf;
    char* end = buf.data();
    if (kind == Value::Int) {
      end = std::to_chars(buf.data(), buf.data() + buf.size(), c.take_int()).ptr;
    } else if (is_text) {
      out += c.take_text();
    } else {
      const double real = c.take_real();
      // The shortest text that reads back as the same value.
      if (!std::isfinite(real))
        out += non_finite_text(real);
      else if (kind == Value::Float)
        end = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<float>(real)).ptr;
      else
        end = std::to_chars(buf.data(), buf.data() + buf.size(), real).ptr;
    }
    out.append(buf.data(), static_cast<std::size_t>(end - buf.data()));
  }
}

}  // namespace emit

std::string format(const Layout& layout, std::initializer_list<Arg> values) {
  std::string out;
  emit::layout_record(out, layout, values);
  return out;
}

std::string format_list(std::initializer_list<Arg> values) {
  std::string out;
  emit::list_record(out, values);
  return out;
}

}  // namespace records
