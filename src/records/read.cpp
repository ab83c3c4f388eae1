// Reading values from the text of one record: conversions, column reading
// and list-directed reading.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "records/parse.h"

namespace records::parse {
namespace {

// Character classes of list-directed reading, one table look-up each.
constexpr unsigned char kBlankClass = 1;  // blank or tab
constexpr unsigned char kEndsClass = 2;   // ends an unquoted value: blank, tab, comma, slash
constexpr std::array<unsigned char, 256> kClasses = [] {
  std::array<unsigned char, 256> t{};
  t[' '] = t['\t'] = kBlankClass | kEndsClass;
  t[','] = t['/'] = kEndsClass;
  return t;
}();
unsigned char class_of(char c) { return kClasses[static_cast<unsigned char>(c)]; }

bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
bool is_blank(char c) { return (class_of(c) & kBlankClass) != 0; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equal_nocase(std::string_view a, std::string_view upper_b) {
  if (a.size() != upper_b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper_b[i]) return false;
  return true;
}

// Exponents beyond this are all alike: far outside every real type.
constexpr long long kExponentLimit = 1000000;

// Exact conversion of the common spellings: an optional sign, at most 19
// digits with or without a decimal point, no exponent. When the digits make
// an integer m that the type holds exactly (below 2^24 for float, 2^53 for
// double) and the point stands k places from the right with 10^k exactly
// representable too, m / 10^k is one correctly rounded division: the very
// value the full conversion gives. Anything else is left to it (false).
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
bool plain_int(const PlainNumber& n, int& value) {
  if (n.point || n.digits == 0 || n.digits > 10) return false;
  const long long v = n.negative ? -static_cast<long long>(n.m) : static_cast<long long>(n.m);
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

template <class T>
bool exact_value(const PlainNumber& n, T& value, int implied) {
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

template <class T>
bool exact_decimal(std::string_view s, T& value, int implied) {
  const PlainNumber n = scan_plain(s.data(), s.data() + s.size());
  return n.end == s.data() + s.size() && exact_value(n, value, implied);
}

template <class T>
bool real_value(std::string_view s, T& value, int implied) {
  if (exact_decimal(s, value, implied)) return true;
  std::size_t p = 0;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  std::string_view rest = s.substr(p);
  if (equal_nocase(rest, "INF") || equal_nocase(rest, "INFINITY")) {
    value = negative ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return true;
  }
  if (equal_nocase(rest, "NAN")) {
    value = std::numeric_limits<T>::quiet_NaN();
    return true;
  }
  // The digits of the mantissa without the point, and how many of them stand
  // after the point.
  std::size_t int_begin = p;
  while (p < s.size() && is_digit(s[p])) ++p;
  std::size_t int_end = p;
  std::size_t frac_begin = p, frac_end = p;
  bool point = false;
  if (p < s.size() && s[p] == '.') {
    point = true;
    frac_begin = ++p;
    while (p < s.size() && is_digit(s[p])) ++p;
    frac_end = p;
  }
  std::size_t n_int = int_end - int_begin, n_frac = frac_end - frac_begin;
  if (n_int + n_frac == 0) return false;
  long long exponent = 0;
  if (p < s.size()) {
    char c = upper(s[p]);
    if (c == 'E' || c == 'D')
      ++p;
    else if (c != '+' && c != '-')
      return false;
    bool exp_negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) exp_negative = s[p++] == '-';
    if (p >= s.size()) return false;
    for (; p < s.size(); ++p) {
      if (!is_digit(s[p])) return false;
      if (exponent < kExponentLimit) exponent = exponent * 10 + (s[p] - '0');
    }
    if (exp_negative) exponent = -exponent;
  }
  long long shift = static_cast<long long>(n_frac);
  if (!point && implied > 0) shift = implied;
  exponent -= shift;

  // "<sign><digits>e<exponent>" for from_chars, which rounds correctly.
  std::array<char, 128> small;
  std::string large;
  std::size_t need = 1 + n_int + n_frac + 24;
  char* buf = small.data();
  if (need > small.size()) {
    large.resize(need);
    buf = large.data();
  }
  char* q = buf;
  if (negative) *q++ = '-';
  for (std::size_t i = int_begin; i < int_end; ++i) *q++ = s[i];
  for (std::size_t i = frac_begin; i < frac_end; ++i) *q++ = s[i];
  *q++ = 'e';
  q = std::to_chars(q, buf + need, exponent).ptr;
  T v{};
  auto r = std::from_chars(buf, q, v, std::chars_format::scientific);
  if (r.ec == std::errc() && r.ptr == q) {
    value = v;
    return true;
  }
  if (r.ec != std::errc::result_out_of_range) return false;
  // Out of range: too small (a signed zero) or too large (refused). The
  // magnitude is 10^(position of the first non-zero digit + exponent).
  long long first = -1, total = static_cast<long long>(n_int + n_frac);
  for (long long i = 0; i < total; ++i) {
    char c = i < static_cast<long long>(n_int)
                 ? s[int_begin + static_cast<std::size_t>(i)]
                 : s[frac_begin + static_cast<std::size_t>(i) - n_int];
    if (c != '0') {
      first = i;
      break;
    }
  }
  if (first < 0 || total - first - 1 + exponent < 0) {
    value = negative ? -T(0) : T(0);
    return true;
  }
  return false;
}

// The field with blanks removed, in a caller's buffer when it fits.
std::string_view without_blanks(std::string_view field, std::array<char, 128>& small,
                                std::string& large) {
  std::size_t n = 0;
  char* out = small.data();
  if (field.size() > small.size()) {
    large.resize(field.size());
    out = large.data();
  }
  for (char c : field)
    if (!is_blank(c)) out[n++] = c;
  return std::string_view(out, n);
}

void store_text(const Target::TextRef& t, std::string_view value) {
  t.s->assign(value.substr(0, std::min(value.size(), t.width)));
  t.s->resize(t.width, ' ');
}

bool ends_token(char c) { return (class_of(c) & kEndsClass) != 0; }

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

namespace {

ListPlace place_of(const Target& t) {
  const Target::Variant& v = t.get();
  switch (v.index()) {
    case 0:
      return {ListPlace::Int, *std::get_if<0>(&v), 1, 0};
    case 1:
      return {ListPlace::Float, *std::get_if<1>(&v), 1, 0};
    case 2:
      return {ListPlace::Double, *std::get_if<2>(&v), 1, 0};
    case 3:
      return {ListPlace::Int, std::get_if<3>(&v)->data(), std::get_if<3>(&v)->size(), 0};
    case 4:
      return {ListPlace::Float, std::get_if<4>(&v)->data(), std::get_if<4>(&v)->size(), 0};
    case 5:
      return {ListPlace::Double, std::get_if<5>(&v)->data(), std::get_if<5>(&v)->size(), 0};
    default: {
      const Target::TextRef& text = *std::get_if<6>(&v);
      return {ListPlace::Text, text.s, 1, text.width};
    }
  }
}

// The position of a list-directed read among its resolved targets, kept in
// locals while a record is read and handed back to the state at its end.
class Cursor {
 public:
  explicit Cursor(ListState& st)
      : st_(st), places_(st.places()), count_(st.place_count()), t_(st.target), e_(st.element) {
    while (t_ < count_ && e_ >= places_[t_].length) {
      ++t_;
      e_ = 0;
    }
  }
  bool done() const { return t_ >= count_; }
  // The current target and its next element.
  const ListPlace& place() const { return places_[t_]; }
  std::size_t index() const { return e_; }
  // On to the next element; false when every target is filled.
  bool advance() {
    if (++e_ < places_[t_].length) return true;
    e_ = 0;
    // Steps over empty spans.
    do ++t_;
    while (t_ < count_ && places_[t_].length == 0);
    return t_ < count_;
  }
  // Hands the position back to the state; every return from a feed does.
  ListStep leave(ListStep step) {
    st_.target = t_;
    st_.element = e_;
    return step;
  }

 private:
  ListState& st_;
  const ListPlace* places_;
  std::size_t count_;
  std::size_t t_;
  std::size_t e_;
};

// One unquoted or quoted value into an element by the general rules.
bool assign(const ListPlace& place, std::size_t element, std::string_view token, bool quoted) {
  switch (place.kind) {
    case ListPlace::Text:
      store_text({static_cast<std::string*>(place.base), place.width}, token);
      return true;
    case ListPlace::Int:
      return !quoted && to_int(token, static_cast<int*>(place.base)[element]);
    case ListPlace::Float:
      return !quoted && to_real(token, static_cast<float*>(place.base)[element]);
    case ListPlace::Double:
      return !quoted && to_real(token, static_cast<double*>(place.base)[element]);
  }
  return false;
}

// A plain number into an integer or real element when the short conversions
// give it exactly (see plain_int and exact_value); false, with the element
// untouched, when the general rules must decide.
inline bool assign_plain(const ListPlace& place, std::size_t element, const PlainNumber& n) {
  switch (place.kind) {
    case ListPlace::Int:
      return plain_int(n, static_cast<int*>(place.base)[element]);
    case ListPlace::Float:
      return exact_value(n, static_cast<float*>(place.base)[element], -1);
    case ListPlace::Double:
      return exact_value(n, static_cast<double*>(place.base)[element], -1);
    case ListPlace::Text:
      break;
  }
  return false;
}

// The fast path of list-directed reading, for the common record: plain
// numbers (blanks, sign, digits, point) each ending at a separator or the
// end of the record, into integer or real elements, converted exactly as
// the general rules would. It reads such values while they come and stops
// before anything else (a null value, a slash, a text, a repeat count, an
// exponent, a value too long for the exact conversion or one that cannot
// become its target, the end of the record), which the general rules then
// take. Returns the position after the values read.
inline const char* plain_values(Cursor& cursor, const char* p, const char* end, bool& after_comma) {
  for (;;) {
    const char* q = p;
    while (*q == ' ') ++q;  // the byte after the record is no blank
    const PlainNumber n = scan_plain<true>(q, end);
    if ((n.end != end && !ends_token(*n.end)) || !assign_plain(cursor.place(), cursor.index(), n))
      return p;
    p = n.end;
    // A comma straight after a value is its separator, not a null value.
    after_comma = *p == ',';
    p += after_comma;
    if (!cursor.advance()) return p;
  }
}

// One value by the general rules at rec[p]: an optional repeat count "r*",
// then the value itself unless a separator follows the star (r null values),
// quoted or unquoted. On success p is after it.
bool general_value(ListState& st, Cursor& cursor, std::string_view rec, std::size_t& p) {
  const std::size_t n = rec.size();
  const std::size_t start = p;
  long long repeat = 1;
  std::size_t q = p;
  while (q < n && is_digit(rec[q])) ++q;
  if (q > p && q < n && rec[q] == '*') {
    repeat = 0;
    for (std::size_t i = p; i < q; ++i) {
      repeat = repeat * 10 + (rec[i] - '0');
      if (repeat > 1000000000) repeat = 1000000000;
    }
    p = q + 1;
    if (repeat == 0) {
      st.bad.assign(rec.substr(start, p - start));
      return false;
    }
    if (p >= n || ends_token(rec[p])) {
      for (long long i = 0; i < repeat && !cursor.done(); ++i) cursor.advance();
      st.after_comma = false;
      return true;
    }
    q = p;
  }
  std::string_view token;
  const bool quoted = rec[p] == '\'' || rec[p] == '"';
  if (quoted) {
    // A doubled quote inside stands for one; a value whose closing quote is
    // missing runs to the end of the record.
    const char quote = rec[p++];
    st.scratch.clear();
    while (p < n) {
      if (rec[p] == quote) {
        if (p + 1 < n && rec[p + 1] == quote) {
          st.scratch += quote;
          p += 2;
          continue;
        }
        ++p;
        break;
      }
      st.scratch += rec[p++];
    }
    token = st.scratch;
    if (p < n && !ends_token(rec[p])) {
      while (p < n && !ends_token(rec[p])) ++p;
      st.bad.assign(rec.substr(start, p - start));
      return false;
    }
  } else {
    // The digits from p to q are part of the value already.
    while (q < n && !ends_token(rec[q])) ++q;
    token = rec.substr(p, q - p);
    p = q;
  }
  for (long long i = 0; i < repeat && !cursor.done(); ++i) {
    if (!assign(cursor.place(), cursor.index(), token, quoted)) {
      st.bad.assign(rec.substr(start, p - start));
      return false;
    }
    cursor.advance();
  }
  st.after_comma = false;
  return true;
}

}  // namespace

ReadStatus columns(std::string_view record, const Layout& layout, std::span<const Target> targets,
                   std::string* bad_field) {
  ListState state(targets);
  Cursor cursor(state);
  std::size_t pos = 0;
  std::array<char, 128> small;
  std::string large;
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Literal) {
      pos += item.text.size();
      continue;
    }
    if (item.kind == Item::Skip) {
      pos += static_cast<std::size_t>(item.width);
      continue;
    }
    if (cursor.done()) return ReadStatus::Ok;
    const ListPlace& place = cursor.place();
    const std::size_t element = cursor.index();
    std::size_t width = static_cast<std::size_t>(item.width);
    if (item.kind == Item::Text && width == 0)
      width = place.kind == ListPlace::Text ? place.width : 0;
    std::string_view field = pos < record.size() ? record.substr(pos, width) : std::string_view();
    pos += width;
    bool ok = true;
    switch (item.kind) {
      case Item::Int: {
        if (place.kind != ListPlace::Int)
          throw std::logic_error("layout code I given a target that is not an integer");
        int& target = static_cast<int*>(place.base)[element];
        std::string_view digits = without_blanks(field, small, large);
        if (digits.empty())
          target = 0;
        else
          ok = to_int(digits, target);
        break;
      }
      case Item::Fixed:
      case Item::Exponent: {
        int implied = item.kind == Item::Fixed ? item.digits : 0;
        std::string_view text = without_blanks(field, small, large);
        if (place.kind == ListPlace::Float) {
          float& target = static_cast<float*>(place.base)[element];
          if (text.empty())
            target = 0;
          else
            ok = to_real(text, target, implied);
        } else if (place.kind == ListPlace::Double) {
          double& target = static_cast<double*>(place.base)[element];
          if (text.empty())
            target = 0;
          else
            ok = to_real(text, target, implied);
        } else {
          throw std::logic_error("layout code F or D given a target that is not a real");
        }
        break;
      }
      case Item::Text: {
        if (place.kind != ListPlace::Text)
          throw std::logic_error("layout code A given a target that is not a text");
        // The field padded with blanks to its width; a field wider than the
        // target gives its rightmost characters, a narrower one is padded.
        std::string value(field);
        value.resize(width, ' ');
        if (width > place.width) value.erase(0, width - place.width);
        store_text({static_cast<std::string*>(place.base), place.width}, value);
        break;
      }
      default:
        break;
    }
    if (!ok) {
      if (bad_field) bad_field->assign(field);
      return ReadStatus::Bad;
    }
    cursor.advance();
  }
  if (!cursor.done()) throw std::logic_error("more targets than layout codes");
  return ReadStatus::Ok;
}

ListState::ListState(std::span<const Target> t) : targets(t) {
  ListPlace* out = few.data();
  std::size_t used = t.size();
  if (t.size() > kFewPlaces) {
    many.resize(t.size());
    out = many.data();
    used = 0;
  }
  for (std::size_t i = 0; i < t.size(); ++i) out[i] = place_of(t[i]);
  for (std::size_t i = used; i < kFewPlaces; ++i) few[i] = ListPlace{};
}

bool ListState::wants_values() const {
  const ListPlace* p = places();
  for (std::size_t i = 0; i < place_count(); ++i)
    if (p[i].length > 0) return true;
  return false;
}

ListStep list_feed(ListState& st, std::string_view rec) {
  // A copy ends in the NUL byte of the string.
  const std::string record(rec);
  return list_feed_terminated(st, record);
}

ListStep list_feed_terminated(ListState& st, std::string_view rec) {
  Cursor cursor(st);
  const char* const begin = rec.data();
  const char* const end = begin + rec.size();
  const char* p = begin;
  while (!cursor.done()) {
    if (st.plain_scanner) {
      p = plain_values(cursor, p, end, st.after_comma);
      if (cursor.done()) break;
    }
    // One step by the general rules: blanks, a separator, or one value.
    while (is_blank(*p)) ++p;  // the byte after the record is no blank
    if (p == end) return cursor.leave(ListStep::NeedMore);
    const char c = *p;
    if (c == ',') {
      ++p;
      if (st.after_comma) cursor.advance();  // null value
      st.after_comma = true;
      continue;
    }
    if (c == '/') return cursor.leave(ListStep::Done);
    std::size_t pos = static_cast<std::size_t>(p - begin);
    if (!general_value(st, cursor, rec, pos)) return cursor.leave(ListStep::Bad);
    p = begin + pos;
  }
  return cursor.leave(ListStep::Done);
}

}  // namespace records::parse
