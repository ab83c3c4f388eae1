// Output of the layout codes and of list-directed records.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

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

// One value of a write after flattening: its storage type and the value.
struct Value {
  enum Kind { Int, Float, Double, Text };  // the order of Scalar's alternatives
  Kind kind = Int;
  int i = 0;
  double real = 0;  // a float widened exactly, or the double
  std::string_view text;
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
  Value next() {
    Value v;
    v.kind = kind_;
    switch (kind_) {
      case Value::Int:
        v.i = static_cast<const int*>(data_)[index_];
        break;
      case Value::Float:
        v.real = static_cast<const float*>(data_)[index_];
        break;
      case Value::Double:
        v.real = static_cast<const double*>(data_)[index_];
        break;
      case Value::Text:
        v.text = text_;
        break;
    }
    if (++index_ >= length_) {
      ++it_;
      load();
    }
    return v;
  }

 private:
  // Resolves the argument at it_, skipping empty spans so that done() tells
  // whether a value is left.
  void load() {
    index_ = 0;
    for (; it_ != end_; ++it_) {
      std::visit(
          [this](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, int>) {
              set(Value::Int, &v, 1);
            } else if constexpr (std::is_same_v<T, float>) {
              set(Value::Float, &v, 1);
            } else if constexpr (std::is_same_v<T, double>) {
              set(Value::Double, &v, 1);
            } else if constexpr (std::is_same_v<T, std::string_view>) {
              set(Value::Text, nullptr, 1);
              text_ = v;
            } else if constexpr (std::is_same_v<T, std::span<const int>>) {
              set(Value::Int, v.data(), v.size());
            } else if constexpr (std::is_same_v<T, std::span<const float>>) {
              set(Value::Float, v.data(), v.size());
            } else {
              set(Value::Double, v.data(), v.size());
            }
          },
          it_->get());
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

class ScalarCursor {
 public:
  explicit ScalarCursor(std::span<const Scalar> v) : v_(v) {}
  bool done() const { return i_ == v_.size(); }
  Value next() {
    const Scalar& s = v_[i_++];
    Value v;
    v.kind = static_cast<Value::Kind>(s.index());
    if (const int* i = std::get_if<int>(&s)) v.i = *i;
    if (const float* f = std::get_if<float>(&s)) v.real = *f;
    if (const double* d = std::get_if<double>(&s)) v.real = *d;
    if (const std::string_view* t = std::get_if<std::string_view>(&s)) v.text = *t;
    return v;
  }

 private:
  std::span<const Scalar> v_;
  std::size_t i_ = 0;
};

[[noreturn]] void mismatch(const Item& item, const Value& value) {
  static constexpr const char* kTypes[] = {"an integer", "a 4-byte real", "an 8-byte real",
                                           "a text"};
  static constexpr const char* kCodes[] = {"I", "F", "D", "A", "X", "literal"};
  throw std::logic_error(std::string("layout code ") + kCodes[item.kind] + " given " +
                         kTypes[value.kind]);
}

double as_real(const Item& item, const Value& value) {
  if (value.kind != Value::Float && value.kind != Value::Double) mismatch(item, value);
  return value.real;
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

// The text of a record collected in a block and handed to the string in few
// appends. A short field is formed right-aligned in a Field and copied in
// one fixed-size move.
class Block {
 public:
  explicit Block(std::string& out) : out_(out) {}
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  // A field of kShortField columns at most, formed right-aligned before
  // `end` in a Field's row (which stays readable kShortField columns on).
  void put_field(const char* end, int width) {
    if (n_ + kShortField > kSize) flush();
    std::memcpy(buf_.data() + n_, end - width, kShortField);
    n_ += static_cast<std::size_t>(width);
  }
  void put(std::string_view text) {
    if (text.size() > kShortField) {
      flushed().append(text);
      return;
    }
    if (n_ + kShortField > kSize) flush();
    for (char c : text) buf_[n_++] = c;
  }
  void put(std::size_t count, char c) {
    if (count > kShortField) {
      flushed().append(count, c);
      return;
    }
    if (n_ + kShortField > kSize) flush();
    for (std::size_t i = 0; i < count; ++i) buf_[n_++] = c;
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
  std::array<char, kSize + kShortField> buf_;
  std::size_t n_ = 0;
};

// A row of blanks in which a short field is formed from the right, ending at
// end(); the row reaches kShortField columns on either side of the end.
class Field {
 public:
  Field() { row_.fill(' '); }
  char* end() { return row_.data() + 2 * kShortField; }

 private:
  std::array<char, 3 * kShortField> row_;
};

// The usual I field (see int_field); false when the general way must do it.
bool short_int_field(Block& out, int value, int width, int min_digits) {
  if (width > kShortField || min_digits > kShortField / 2) return false;
  // The magnitude as unsigned, so that -2147483648 has digits too.
  const unsigned magnitude =
      value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  Field field;
  char* const end = field.end();
  char* p = end;
  // Iw.0 writes a zero value as blanks only.
  if (!(min_digits == 0 && value == 0)) p = digits_before(p, magnitude);
  while (end - p < min_digits) *--p = '0';
  if (value < 0) *--p = '-';
  if (end - p > width) {
    out.put(static_cast<std::size_t>(width), '*');
  } else {
    out.put_field(end, width);
  }
  return true;
}

// The usual F field (see above); false when the general conversion must do it.
bool short_fixed_field(Block& out, double value, int width, int decimals) {
  const double magnitude = std::fabs(value);
  if (decimals > kExactMaxDecimals || !(magnitude < kExactMaxMagnitude) || width > kShortField)
    return false;
  std::uint64_t v = scaled_exactly(magnitude, decimals);
  const bool negative = std::signbit(value);
  Field field;
  char* const end = field.end();
  char* p = end;
  for (int i = 0; i < decimals; ++i) {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  *--p = '.';
  // "0.ddd" one column too wide for the field drops its 0.
  const int zero_length = (negative ? 1 : 0) + 2 + decimals;
  if (v != 0 || zero_length != width + 1) p = digits_before(p, v);
  if (negative) *--p = '-';
  if (end - p > width) {
    out.put(static_cast<std::size_t>(width), '*');
  } else {
    out.put_field(end, width);
  }
  return true;
}

template <class Cursor>
void run_layout(std::string& text, const Layout& layout, Cursor values) {
  Block out(text);
  for (const Item& item : layout.items()) {
    switch (item.kind) {
      case Item::Literal:
        out.put(item.text);
        continue;
      case Item::Skip:
        out.put(static_cast<std::size_t>(item.width), ' ');
        continue;
      default:
        break;
    }
    if (values.done()) break;
    const Value v = values.next();
    switch (item.kind) {
      case Item::Int:
        if (v.kind != Value::Int) mismatch(item, v);
        if (!short_int_field(out, v.i, item.width, item.digits))
          emit::int_field(out.flushed(), v.i, item.width, item.digits);
        break;
      case Item::Fixed: {
        const double real = as_real(item, v);
        if (!std::isfinite(real) || item.digits < 0 ||
            !short_fixed_field(out, real, item.width, item.digits))
          emit::fixed_field(out.flushed(), real, item.width, item.digits);
        break;
      }
      case Item::Exponent:
        emit::exponent_field(out.flushed(), as_real(item, v), item.width, item.digits,
                             item.text.empty() ? 'D' : item.text[0]);
        break;
      case Item::Text:
        if (v.kind != Value::Text) mismatch(item, v);
        emit::text_field(out.flushed(), v.text, item.width);
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

void layout_record(std::string& out, const Layout& layout, std::span<const Scalar> values) {
  run_layout(out, layout, ScalarCursor(values));
}

void list_record(std::string& out, std::initializer_list<Arg> values) {
  ArgCursor c(std::span<const Arg>(values.begin(), values.size()));
  bool first = true;
  bool previous_text = false;
  while (!c.done()) {
    const Value v = c.next();
    bool is_text = v.kind == Value::Text;
    if (first || !(is_text && previous_text)) out += ' ';
    first = false;
    previous_text = is_text;
    std::array<char, 64> buf;
    char* end = buf.data();
    switch (v.kind) {
      case Value::Int:
        end = std::to_chars(buf.data(), buf.data() + buf.size(), v.i).ptr;
        break;
      case Value::Float:
        // The shortest text that reads back as the same value.
        if (std::isfinite(v.real))
          end = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<float>(v.real)).ptr;
        else
          out += non_finite_text(v.real);
        break;
      case Value::Double:
        if (std::isfinite(v.real))
          end = std::to_chars(buf.data(), buf.data() + buf.size(), v.real).ptr;
        else
          out += non_finite_text(v.real);
        break;
      case Value::Text:
        out += v.text;
        break;
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

std::string format(const Layout& layout, std::span<const Scalar> values) {
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
