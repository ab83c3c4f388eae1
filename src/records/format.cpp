// Output of the layout codes and of list-directed records.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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

// Walks the values of a write one scalar at a time, flattening spans.
class ArgCursor {
 public:
  explicit ArgCursor(std::span<const Arg> args)
      : it_(args.data()), end_(args.data() + args.size()) {
    settle();
  }
  bool done() const { return it_ == end_; }
  Scalar next() {
    Scalar s = std::visit(
        [this](const auto& v) -> Scalar {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::span<const int>> ||
                        std::is_same_v<T, std::span<const float>> ||
                        std::is_same_v<T, std::span<const double>>)
            return v[index_];
          else
            return v;
        },
        it_->get());
    ++index_;
    if (index_ >= length(*it_)) {
      ++it_;
      index_ = 0;
      settle();
    }
    return s;
  }

 private:
  static std::size_t length(const Arg& a) {
    return std::visit(
        [](const auto& v) -> std::size_t {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::span<const int>> ||
                        std::is_same_v<T, std::span<const float>> ||
                        std::is_same_v<T, std::span<const double>>)
            return v.size();
          else
            return 1;
        },
        a.get());
  }
  // Skips empty spans so that done() tells whether a value is left.
  void settle() {
    while (it_ != end_ && length(*it_) == 0) ++it_;
  }
  const Arg* it_;
  const Arg* end_;
  std::size_t index_ = 0;
};

class ScalarCursor {
 public:
  explicit ScalarCursor(std::span<const Scalar> v) : v_(v) {}
  bool done() const { return i_ == v_.size(); }
  Scalar next() { return v_[i_++]; }

 private:
  std::span<const Scalar> v_;
  std::size_t i_ = 0;
};

[[noreturn]] void mismatch(const Item& item, const Scalar& value) {
  static constexpr const char* kTypes[] = {"an integer", "a 4-byte real", "an 8-byte real",
                                           "a text"};
  static constexpr const char* kCodes[] = {"I", "F", "D", "A", "X", "literal"};
  throw std::logic_error(std::string("layout code ") + kCodes[item.kind] + " given " +
                         kTypes[value.index()]);
}

double as_real(const Item& item, const Scalar& value) {
  if (const float* f = std::get_if<float>(&value)) return *f;  // widened exactly
  if (const double* d = std::get_if<double>(&value)) return *d;
  mismatch(item, value);
}

template <class Cursor>
void run_layout(std::string& out, const Layout& layout, Cursor values) {
  for (const Item& item : layout.items()) {
    switch (item.kind) {
      case Item::Literal:
        out += item.text;
        continue;
      case Item::Skip:
        out.append(static_cast<std::size_t>(item.width), ' ');
        continue;
      default:
        break;
    }
    if (values.done()) return;
    Scalar v = values.next();
    switch (item.kind) {
      case Item::Int:
        if (const int* i = std::get_if<int>(&v)) {
          emit::int_field(out, *i, item.width, item.digits);
        } else {
          mismatch(item, v);
        }
        break;
      case Item::Fixed:
        emit::fixed_field(out, as_real(item, v), item.width, item.digits);
        break;
      case Item::Exponent:
        emit::exponent_field(out, as_real(item, v), item.width, item.digits,
                             item.text.empty() ? 'D' : item.text[0]);
        break;
      case Item::Text:
        if (const std::string_view* t = std::get_if<std::string_view>(&v)) {
          emit::text_field(out, *t, item.width);
        } else {
          mismatch(item, v);
        }
        break;
      default:
        break;
    }
  }
  if (!values.done()) throw std::logic_error("more values than layout codes");
}

}  // namespace

namespace emit {

void int_field(std::string& out, int value, int width, int min_digits) {
  std::array<char, 16> digits;
  // The magnitude as unsigned, so that -2147483648 has digits too.
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  auto r = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude);
  std::size_t n = static_cast<std::size_t>(r.ptr - digits.data());
  // Iw.0 writes a zero value as blanks only.
  if (min_digits == 0 && value == 0) n = 0;
  std::size_t zeros =
      min_digits > 0 && static_cast<std::size_t>(min_digits) > n ? min_digits - n : 0;
  std::size_t len = (value < 0 ? 1 : 0) + zeros + n;
  if (len > static_cast<std::size_t>(width)) return stars(out, width);
  pad_left(out, len, width);
  if (value < 0) out += '-';
  out.append(zeros, '0');
  out.append(digits.data(), n);
}

void fixed_field(std::string& out, double value, int width, int decimals) {
  if (!std::isfinite(value)) return non_finite(out, value, width);
  if (decimals < 0 || decimals > kMaxDigits) return stars(out, width);
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
    Scalar v = c.next();
    bool is_text = std::holds_alternative<std::string_view>(v);
    if (first || !(is_text && previous_text)) out += ' ';
    first = false;
    previous_text = is_text;
    std::array<char, 64> buf;
    char* end = buf.data();
    if (const int* i = std::get_if<int>(&v)) {
      end = std::to_chars(buf.data(), buf.data() + buf.size(), *i).ptr;
    } else if (const float* f = std::get_if<float>(&v)) {
      // The shortest text that reads back as the same value.
      if (std::isfinite(*f))
        end = std::to_chars(buf.data(), buf.data() + buf.size(), *f).ptr;
      else
        out += non_finite_text(*f);
    } else if (const double* d = std::get_if<double>(&v)) {
      if (std::isfinite(*d))
        end = std::to_chars(buf.data(), buf.data() + buf.size(), *d).ptr;
      else
        out += non_finite_text(*d);
    } else {
      out += std::get<std::string_view>(v);
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
