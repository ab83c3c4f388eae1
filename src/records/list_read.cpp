// List-directed reading: values separated by commas, blanks or tabs, null
// values, repeat counts, quoted texts, a slash ending the read, and a short
// way for records of plain numbers.
#include "records/list_read.h"

#include <array>

#include "records/convert.h"

namespace records::parse {
namespace {

// The characters that end an unquoted value (blank, tab, comma, slash), one
// table look-up each.
constexpr std::array<bool, 256> kEndsValue = [] {
  std::array<bool, 256> t{};
  t[' '] = t['\t'] = t[','] = t['/'] = true;
  return t;
}();
bool ends_token(char c) { return kEndsValue[static_cast<unsigned char>(c)]; }

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

// One unquoted or quoted value into an element by the general rules.
bool assign(const ListPlace& place, std::size_t element, std::string_view token, bool quoted) {
  switch (place.kind) {
    case ListPlace::Text:
      store_text(place, token);
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

// An optional repeat count "r*" at rec[p], p then after the star: the count
// (at most 10^9), or 1 when none stands there.
long long repeat_count(std::string_view rec, std::size_t& p) {
  std::size_t q = p;
  while (q < rec.size() && is_digit(rec[q])) ++q;
  if (q == p || q >= rec.size() || rec[q] != '*') return 1;
  long long repeat = 0;
  for (std::size_t i = p; i < q; ++i) {
    repeat = repeat * 10 + (rec[i] - '0');
    if (repeat > 1000000000) repeat = 1000000000;
  }
  p = q + 1;
  return repeat;
}

// The quoted value at rec[p] into st.scratch, p then after it. A doubled
// quote inside stands for one; a value whose closing quote is missing runs
// to the end of the record. False when more than a separator follows the
// closing quote (p is then after that text).
bool quoted_value(ListState& st, std::string_view rec, std::size_t& p) {
  const std::size_t n = rec.size();
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
  if (p < n && !ends_token(rec[p])) {
    while (p < n && !ends_token(rec[p])) ++p;
    return false;
  }
  return true;
}

// One value by the general rules at rec[p]: an optional repeat count "r*",
// then the value itself unless a separator follows the star (r null values),
// quoted or unquoted. On success p is after it.
bool general_value(ListState& st, Cursor& cursor, std::string_view rec, std::size_t& p) {
  const std::size_t start = p;
  const auto refuse = [&] {
    st.bad.assign(rec.substr(start, p - start));
    return false;
  };
  const long long repeat = repeat_count(rec, p);
  if (repeat == 0) return refuse();
  if (p != start && (p >= rec.size() || ends_token(rec[p]))) {
    // r null values.
    for (long long i = 0; i < repeat && !cursor.done(); ++i) cursor.advance();
    st.after_comma = false;
    return true;
  }
  const bool quoted = rec[p] == '\'' || rec[p] == '"';
  std::string_view token;
  if (quoted) {
    if (!quoted_value(st, rec, p)) return refuse();
    token = st.scratch;
  } else {
    const std::size_t begin = p;
    while (p < rec.size() && !ends_token(rec[p])) ++p;
    token = rec.substr(begin, p - begin);
  }
  for (long long i = 0; i < repeat && !cursor.done(); ++i) {
    if (!assign(cursor.place(), cursor.index(), token, quoted)) return refuse();
    cursor.advance();
  }
  st.after_comma = false;
  return true;
}

}  // namespace

void store_text(const ListPlace& place, std::string_view value) {
  std::string& s = *static_cast<std::string*>(place.base);
  s.assign(value.substr(0, std::min(value.size(), place.width)));
  s.resize(place.width, ' ');
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
