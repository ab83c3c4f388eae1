// Reading values from the text of one record: conversions, column reading
// and list-directed reading.
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "records/parse.h"

namespace records::parse {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equal_nocase(std::string_view a, std::string_view upper_b) {
  if (a.size() != upper_b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper_b[i]) return false;
  return true;
}

// Exponents beyond this are all alike: far outside every real type.
constexpr long long kExponentLimit = 1000000;

template <class T>
bool real_value(std::string_view s, T& value, int implied) {
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

// One place a value goes, after flattening span targets.
using Slot = std::variant<int*, float*, double*, Target::TextRef>;

std::size_t target_length(const Target& t) {
  return std::visit(
      [](const auto& v) -> std::size_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::span<int>> || std::is_same_v<T, std::span<float>> ||
                      std::is_same_v<T, std::span<double>>)
          return v.size();
        else
          return 1;
      },
      t.get());
}

Slot slot_of(const Target& t, std::size_t element) {
  return std::visit(
      [element](const auto& v) -> Slot {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::span<int>> || std::is_same_v<T, std::span<float>> ||
                      std::is_same_v<T, std::span<double>>)
          return &v[element];
        else
          return v;
      },
      t.get());
}

// Steps over targets that have no element left (and empty spans).
void settle(std::span<const Target> targets, std::size_t& target, std::size_t& element) {
  while (target < targets.size() && element >= target_length(targets[target])) {
    ++target;
    element = 0;
  }
}

void advance(std::span<const Target> targets, std::size_t& target, std::size_t& element) {
  ++element;
  settle(targets, target, element);
}

void store_text(const Target::TextRef& t, std::string_view value) {
  t.s->assign(value.substr(0, std::min(value.size(), t.width)));
  t.s->resize(t.width, ' ');
}

// A value token of a list-directed record into one slot.
bool assign(const Slot& slot, std::string_view token, bool quoted) {
  if (const Target::TextRef* t = std::get_if<Target::TextRef>(&slot)) {
    store_text(*t, token);
    return true;
  }
  if (quoted) return false;
  if (int* const* i = std::get_if<int*>(&slot)) return to_int(token, **i);
  if (float* const* f = std::get_if<float*>(&slot)) return to_real(token, **f);
  return to_real(token, **std::get_if<double*>(&slot));
}

bool ends_token(char c) { return is_blank(c) || c == ',' || c == '/'; }

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

bool no_targets(std::span<const Target> targets) {
  std::size_t target = 0, element = 0;
  settle(targets, target, element);
  return target >= targets.size();
}

ReadStatus columns(std::string_view record, const Layout& layout, std::span<const Target> targets,
                   std::string* bad_field) {
  std::size_t pos = 0;
  std::size_t target = 0, element = 0;
  settle(targets, target, element);
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
    if (target >= targets.size()) return ReadStatus::Ok;
    Slot slot = slot_of(targets[target], element);
    std::size_t width = static_cast<std::size_t>(item.width);
    if (item.kind == Item::Text && width == 0) {
      const Target::TextRef* t = std::get_if<Target::TextRef>(&slot);
      width = t ? t->width : 0;
    }
    std::string_view field = pos < record.size() ? record.substr(pos, width) : std::string_view();
    pos += width;
    bool ok = true;
    switch (item.kind) {
      case Item::Int: {
        int* const* i = std::get_if<int*>(&slot);
        if (!i) throw std::logic_error("layout code I given a target that is not an integer");
        std::string_view digits = without_blanks(field, small, large);
        if (digits.empty())
          **i = 0;
        else
          ok = to_int(digits, **i);
        break;
      }
      case Item::Fixed:
      case Item::Exponent: {
        int implied = item.kind == Item::Fixed ? item.digits : 0;
        std::string_view text = without_blanks(field, small, large);
        if (float* const* f = std::get_if<float*>(&slot)) {
          if (text.empty())
            **f = 0;
          else
            ok = to_real(text, **f, implied);
        } else if (double* const* d = std::get_if<double*>(&slot)) {
          if (text.empty())
            **d = 0;
          else
            ok = to_real(text, **d, implied);
        } else {
          throw std::logic_error("layout code F or D given a target that is not a real");
        }
        break;
      }
      case Item::Text: {
        const Target::TextRef* t = std::get_if<Target::TextRef>(&slot);
        if (!t) throw std::logic_error("layout code A given a target that is not a text");
        // The field padded with blanks to its width; a field wider than the
        // target gives its rightmost characters, a narrower one is padded.
        std::string value(field);
        value.resize(width, ' ');
        if (width > t->width) value.erase(0, width - t->width);
        store_text(*t, value);
        break;
      }
      default:
        break;
    }
    if (!ok) {
      if (bad_field) bad_field->assign(field);
      return ReadStatus::Bad;
    }
    advance(targets, target, element);
  }
  if (target < targets.size()) throw std::logic_error("more targets than layout codes");
  return ReadStatus::Ok;
}

ListStep list_feed(ListState& st, std::string_view rec) {
  std::span<const Target> targets = st.targets;
  settle(targets, st.target, st.element);
  std::size_t p = 0;
  while (st.target < targets.size()) {
    while (p < rec.size() && is_blank(rec[p])) ++p;
    if (p >= rec.size()) return ListStep::NeedMore;
    char c = rec[p];
    if (c == '/') return ListStep::Done;
    if (c == ',') {
      ++p;
      if (st.after_comma) advance(targets, st.target, st.element);  // null value
      st.after_comma = true;
      continue;
    }
    // A value: an optional repeat count "r*", then the value itself unless a
    // separator follows the star (r null values).
    std::size_t start = p;
    long long repeat = 1;
    std::size_t q = p;
    while (q < rec.size() && is_digit(rec[q])) ++q;
    if (q > p && q < rec.size() && rec[q] == '*') {
      repeat = 0;
      for (std::size_t i = p; i < q; ++i) {
        repeat = repeat * 10 + (rec[i] - '0');
        if (repeat > 1000000000) repeat = 1000000000;
      }
      p = q + 1;
      if (repeat == 0) {
        st.bad.assign(rec.substr(start, p - start));
        return ListStep::Bad;
      }
      if (p >= rec.size() || ends_token(rec[p])) {
        for (long long i = 0; i < repeat && st.target < targets.size(); ++i)
          advance(targets, st.target, st.element);
        st.after_comma = false;
        continue;
      }
    }
    std::string_view token;
    bool quoted = rec[p] == '\'' || rec[p] == '"';
    if (quoted) {
      // A doubled quote inside stands for one; a value whose closing quote is
      // missing runs to the end of the record.
      char quote = rec[p++];
      st.scratch.clear();
      while (p < rec.size()) {
        if (rec[p] == quote) {
          if (p + 1 < rec.size() && rec[p + 1] == quote) {
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
      if (p < rec.size() && !ends_token(rec[p])) {
        while (p < rec.size() && !ends_token(rec[p])) ++p;
        st.bad.assign(rec.substr(start, p - start));
        return ListStep::Bad;
      }
    } else {
      std::size_t begin = p;
      while (p < rec.size() && !ends_token(rec[p])) ++p;
      token = rec.substr(begin, p - begin);
    }
    for (long long i = 0; i < repeat && st.target < targets.size(); ++i) {
      if (!assign(slot_of(targets[st.target], st.element), token, quoted)) {
        st.bad.assign(rec.substr(start, p - start));
        return ListStep::Bad;
      }
      advance(targets, st.target, st.element);
    }
    st.after_comma = false;
  }
  return ListStep::Done;
}

}  // namespace records::parse
