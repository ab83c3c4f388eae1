#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/column_read.h"
#include "records/convert.h"
#include "records/input.h"
#include "records/list_read.h"

using records::Layout;
using records::ReadStatus;
using records::Target;
using namespace records::parse;

namespace {

// Feeds records to a list-directed read as the file reader does; reports the
// outcome and how many records the read used.
struct Fed {
  ListStep step;
  std::size_t used;
  std::string bad;
};
Fed feed(std::vector<std::string_view> records, std::initializer_list<Target> targets) {
  ListState state(std::span<const Target>(targets.begin(), targets.size()));
  std::size_t used = 0;
  for (std::string_view r : records) {
    ++used;
    ListStep s = list_feed(state, r);
    if (s != ListStep::NeedMore) return {s, used, state.bad};
  }
  return {ListStep::NeedMore, used, state.bad};
}

ReadStatus cols(std::string_view record, const char* layout, std::initializer_list<Target> t,
                std::string* bad = nullptr) {
  return columns(record, Layout(layout), std::span<const Target>(t.begin(), t.size()), bad);
}

}  // namespace

TEST(NumberConversion, IntegersAreSignAndDigitsOnly) {
  int v = 0;
  EXPECT_TRUE(to_int("1948", v) && v == 1948);
  EXPECT_TRUE(to_int("+5", v) && v == 5);
  EXPECT_TRUE(to_int("-2147483648", v) && v == -2147483647 - 1);
  EXPECT_TRUE(to_int("000000000000042", v) && v == 42);
  for (const char* bad : {"2147483648", "-2147483649", "5.", "1e3", "", "-", " 5", "0x10"})
    EXPECT_FALSE(to_int(bad, v)) << bad;
}

TEST(NumberConversion, RealForms) {
  float f = 0;
  EXPECT_TRUE(to_real("2.5", f) && f == 2.5f);
  EXPECT_TRUE(to_real(".5", f) && f == 0.5f);
  EXPECT_TRUE(to_real("5.", f) && f == 5.0f);
  EXPECT_TRUE(to_real("-1.5E2", f) && f == -150.0f);
  EXPECT_TRUE(to_real("1.5d-1", f) && f == 0.15f);
  EXPECT_TRUE(to_real("1.5+2", f) && f == 150.0f);
  EXPECT_TRUE(to_real("1.5-2", f) && f == 0.015f);
  EXPECT_TRUE(to_real("0.1000+201", f) == false);  // beyond a 4-byte real
  double d = 0;
  EXPECT_TRUE(to_real("0.1000+201", d) && d == 1e200);
  for (const char* bad : {"", ".", "-", "e5", "1e", "1e+", "1.2.3", "abc", "1x", "1e39", "--1"})
    EXPECT_FALSE(to_real(bad, f)) << bad;
}

TEST(NumberConversion, NonFiniteFormsReadBack) {
  float f = 0;
  EXPECT_TRUE(to_real("NaN", f) && std::isnan(f));
  EXPECT_TRUE(to_real("+Inf", f) && f == std::numeric_limits<float>::infinity());
  EXPECT_TRUE(to_real("-infinity", f) && f == -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(to_real("INF", f) && std::isinf(f));
  EXPECT_FALSE(to_real("In", f));
  EXPECT_FALSE(to_real("nanx", f));
}

TEST(NumberConversion, RoundedStraightToTheTargetType) {
  float f = 0;
  // 1 + 2^-24 is the tie between 1 and 1 + 2^-23; this text lies just above
  // it. Through a double it would land on the tie and round to 1.
  EXPECT_TRUE(to_real("1.000000059604644775390625000000000001", f));
  EXPECT_EQ(f, std::nextafter(1.0f, 2.0f));
  // Too small for the type: a zero with the sign of the text.
  EXPECT_TRUE(to_real("-1e-60", f) && f == 0 && std::signbit(f));
  EXPECT_TRUE(to_real("0.00000000000000000000000000000000000000000000000000001", f) && f == 0);
  double d = 0;
  EXPECT_TRUE(to_real("1e-60", d) && d == 1e-60);
  EXPECT_TRUE(to_real("0e99999999999", d) && d == 0);
  EXPECT_FALSE(to_real("1e99999999999", d));
}

TEST(NumberConversion, ImpliedDecimalPoint) {
  float f = 0;
  EXPECT_TRUE(to_real("1234", f, 2) && f == 12.34f);
  EXPECT_TRUE(to_real("12.5", f, 2) && f == 12.5f);
  EXPECT_TRUE(to_real("1234E1", f, 2) && f == 123.4f);
  EXPECT_TRUE(to_real("-5", f, 2) && f == -0.05f);
  EXPECT_TRUE(to_real("-5", f, 0) && f == -5.0f);
}

TEST(ColumnReading, CodesTakeTheirColumns) {
  int station = 0, year = 0;
  std::array<float, 3> v{9, 9, 9};
  EXPECT_EQ(
      cols("123456 1948   1.50 -2.25", "I6,1X,I4,3F7.2", {station, year, std::span<float>(v)}),
      ReadStatus::Ok);
  EXPECT_EQ(station, 123456);
  EXPECT_EQ(year, 1948);
  EXPECT_EQ(v[0], 1.5f);
  EXPECT_EQ(v[1], -2.25f);
  EXPECT_EQ(v[2], 0.0f);  // past the end of the record: blanks, so zero

  // Blanks are ignored, an implied point, literal texts skip their columns.
  int a = 0, b = 0;
  double x = 0;
  EXPECT_EQ(cols("1 2,   1234", "I3,',',F7.2", {a, x}), ReadStatus::Ok);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(x, 12.34);
  EXPECT_EQ(cols("   ,   ", "I3,1X,I3", {a, b}), ReadStatus::Ok);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(cols(" 1.5D+02", "D8.1", {x}), ReadStatus::Ok);
  EXPECT_EQ(x, 150.0);
  // Only an F field has implied decimals; a D field without a point is whole.
  EXPECT_EQ(cols("    1234", "D8.2", {x}), ReadStatus::Ok);
  EXPECT_EQ(x, 1234.0);
}

TEST(ColumnReading, TextFieldsAndBadValues) {
  std::string t;
  EXPECT_EQ(cols("  PRCPxx", "A6", {Target::text(t, 4)}), ReadStatus::Ok);
  EXPECT_EQ(t, "PRCP");  // a wider field gives its rightmost characters
  EXPECT_EQ(cols("PRCP", "A2", {Target::text(t, 4)}), ReadStatus::Ok);
  EXPECT_EQ(t, "PR  ");
  EXPECT_EQ(cols("TMAX,1", "A", {Target::text(t, 4)}), ReadStatus::Ok);
  EXPECT_EQ(t, "TMAX");

  int a = 7, b = 7;
  std::string bad;
  EXPECT_EQ(cols(" 12a  5", "I4,I3", {a, b}, &bad), ReadStatus::Bad);
  EXPECT_EQ(bad, " 12a");
  EXPECT_EQ(b, 7);
  float f = 0;
  EXPECT_EQ(cols("1.2.3", "F5.1", {f}), ReadStatus::Bad);
  EXPECT_THROW(cols("12", "I2", {f}), std::logic_error);
  EXPECT_THROW(cols("12", "I2", {a, b}), std::logic_error);
}

TEST(ListReading, SeparatorsAndContinuation) {
  int year = 0, month = 0;
  float p = 0;
  Fed r = feed({"1948, 3,  2.5"}, {year, month, p});
  EXPECT_EQ(r.step, ListStep::Done);
  EXPECT_EQ(year, 1948);
  EXPECT_EQ(month, 3);
  EXPECT_EQ(p, 2.5f);

  // Continues over records; empty and blank records give nothing.
  r = feed({"1949", "", " \t ", "4\t7.25 ,", "unused"}, {year, month, p});
  EXPECT_EQ(r.step, ListStep::Done);
  EXPECT_EQ(r.used, 4u);
  EXPECT_EQ(year, 1949);
  EXPECT_EQ(month, 4);
  EXPECT_EQ(p, 7.25f);

  // The file ends before the read completes.
  r = feed({"1950"}, {year, month});
  EXPECT_EQ(r.step, ListStep::NeedMore);
  EXPECT_EQ(year, 1950);
}

TEST(ListReading, NullValuesSlashAndRepeats) {
  int a = -1, b = -1, c = -1;
  EXPECT_EQ(feed({"1,,3"}, {a, b, c}).step, ListStep::Done);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 3);
  a = b = c = -1;
  EXPECT_EQ(feed({",5 , 6"}, {a, b, c}).step, ListStep::Done);
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(c, 6);
  a = b = c = -1;
  EXPECT_EQ(feed({" 1 , , 3"}, {a, b, c}).step, ListStep::Done);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 3);
  // A comma ending a record and one opening the next make a null value; the
  // end of a record alone is only a separator.
  a = b = c = -1;
  feed({"1,", ",3"}, {a, b, c});
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 3);
  a = b = c = -1;
  feed({"1", ",3"}, {a, b, c});
  EXPECT_EQ(b, 3);

  a = b = c = -1;
  EXPECT_EQ(feed({"8 / 9"}, {a, b, c}).step, ListStep::Done);
  EXPECT_EQ(a, 8);
  EXPECT_EQ(b, -1);

  std::array<int, 4> v{-1, -1, -1, -1};
  EXPECT_EQ(feed({"2*, 3*7"}, {std::span<int>(v)}).step, ListStep::Done);
  EXPECT_EQ(v, (std::array<int, 4>{-1, -1, 7, 7}));
  EXPECT_EQ(feed({"0*5"}, {a}).step, ListStep::Bad);
}

TEST(ListReading, TextValues) {
  std::string id, other;
  feed({"1234567"}, {Target::text(id, 6)});
  EXPECT_EQ(id, "123456");
  feed({"exit, more text"}, {Target::text(id, 6)});
  EXPECT_EQ(id, "exit  ");
  feed({"'ab, c/d' \"it\"\"s\""}, {Target::text(id, 8), Target::text(other, 4)});
  EXPECT_EQ(id, "ab, c/d ");
  EXPECT_EQ(other, "it\"s");
  feed({"'don''t'"}, {Target::text(id, 6)});
  EXPECT_EQ(id, "don't ");
  feed({"2*xy"}, {Target::text(id, 2), Target::text(other, 3)});
  EXPECT_EQ(other, "xy ");
  EXPECT_EQ(feed({"'ab'c"}, {Target::text(id, 6)}).step, ListStep::Bad);
}

TEST(ListReading, ValuesThatCannotBecomeTheirTarget) {
  int a = 0;
  float f = 0;
  double d = 0;
  Fed r = feed({"1 abc 3"}, {a, a, a});
  EXPECT_EQ(r.step, ListStep::Bad);
  EXPECT_EQ(r.bad, "abc");
  EXPECT_EQ(feed({"5."}, {a}).step, ListStep::Bad);
  EXPECT_EQ(feed({"99999999999"}, {a}).step, ListStep::Bad);
  EXPECT_EQ(feed({"'5'"}, {a}).step, ListStep::Bad);
  EXPECT_EQ(feed({"1e39"}, {f}).step, ListStep::Bad);
  EXPECT_EQ(feed({"1e39"}, {d}).step, ListStep::Done);
  EXPECT_EQ(feed({"NaN +Inf 1.5D2"}, {f, d, f}).step, ListStep::Done);
  EXPECT_TRUE(std::isinf(d));
  EXPECT_EQ(f, 150.0f);
}

namespace {

// Deterministic decimal texts of the usual spelling: sign, integer digits,
// point, fraction digits, each part present or not.
struct DecimalTexts {
  std::uint64_t s = 88172645463325252ULL;
  unsigned below(unsigned n) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<unsigned>(s % n);
  }
  std::string next() {
    std::string t;
    const unsigned sign = below(4);
    if (sign == 1) t += '-';
    if (sign == 2) t += '+';
    const unsigned n_int = below(12), n_frac = below(4) == 0 ? 0 : below(12);
    for (unsigned i = 0; i < n_int; ++i) t += static_cast<char>('0' + below(10));
    if (n_frac > 0 || below(3) == 0) t += '.';
    for (unsigned i = 0; i < n_frac; ++i) t += static_cast<char>('0' + below(10));
    return t;
  }
};

// The correctly rounded value by the standard library, which knows no '+'.
template <class T>
bool by_library(std::string_view text, T& v) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

}  // namespace

// Plain decimals take a shorter way (one exact division when the digits and
// the power of ten are exact in the type); the values must be the correctly
// rounded ones in every case, also past the limits of that way.
TEST(NumberConversion, PlainDecimalsAreCorrectlyRounded) {
  DecimalTexts texts;
  int compared = 0;
  for (int i = 0; i < 200000; ++i) {
    const std::string t = texts.next();
    float f = 0, f_ref = 0;
    double d = 0, d_ref = 0;
    const bool ok = by_library(t, f_ref) && by_library(t, d_ref);
    ASSERT_EQ(to_real(t, f), ok) << t;
    ASSERT_EQ(to_real(t, d), ok) << t;
    if (!ok) continue;
    ++compared;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(f), std::bit_cast<std::uint32_t>(f_ref)) << t;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(d), std::bit_cast<std::uint64_t>(d_ref)) << t;
  }
  EXPECT_GT(compared, 150000);
  float f = 0;
  // 2^24 + 1 is not a float: ties to even, 2^24.
  EXPECT_TRUE(to_real("16777217", f) && f == 16777216.0f);
  EXPECT_TRUE(to_real("16777217.0", f) && f == 16777216.0f);
  EXPECT_TRUE(to_real("0.1", f) && f == 0.1f);
  EXPECT_TRUE(to_real("-0.0", f) && f == 0 && std::signbit(f));
  double d = 0;
  EXPECT_TRUE(to_real("9007199254740993", d) && d == 9007199254740992.0);
  EXPECT_TRUE(to_real("0.3", d) && d == 0.3);
}

namespace {

// Records of every kind of list-directed value: plain numbers, exponents,
// null values, repeats, slashes, quoted and unquoted texts, blanks and tabs.
struct MixedRecords {
  DecimalTexts texts;
  std::string value() {
    switch (texts.below(14)) {
      case 0:
        return "";  // a null value between separators
      case 1:
        return std::to_string(1 + texts.below(3)) + "*" + (texts.below(2) ? texts.next() : "");
      case 2:
        return texts.next() + (texts.below(2) ? "E" : "d-") + std::to_string(texts.below(40));
      case 3:
        return texts.below(2) ? "'a b''c'" : "\"q\"";
      case 4:
        return texts.below(2) ? "PRCP" : "1x";
      case 5:
        return texts.below(8) ? "-" : "/";
      case 6:
        return std::string(21, '1');  // too many digits for the short conversions
      default:
        return texts.next();
    }
  }
  std::string separator() {
    static const char* const kSeparators[] = {",", ", ", " ", "  ,", "\t", ",,"};
    return kSeparators[texts.below(6)];
  }
  std::string record() {
    std::string r(texts.below(3), ' ');
    const unsigned n = texts.below(12);
    for (unsigned i = 0; i < n; ++i) r += value() + separator();
    if (texts.below(2)) r += value();
    return r;
  }
};

// The targets of one read, twice: one set for each way of reading.
struct Filled {
  int i = -1;
  float f = -1;
  double d = -1;
  std::string t;
  std::array<int, 3> is{-1, -1, -1};
  std::array<float, 5> fs{-1, -1, -1, -1, -1};
  std::array<double, 2> ds{-1, -1};
  std::vector<Target> targets() {
    return {i, std::span<float>(fs),  Target::text(t, 3), f, std::span<int>(is),
            d, std::span<double>(ds), std::span<int>()};
  }
  bool operator==(const Filled& o) const {
    return i == o.i && std::bit_cast<std::uint32_t>(f) == std::bit_cast<std::uint32_t>(o.f) &&
           std::bit_cast<std::uint64_t>(d) == std::bit_cast<std::uint64_t>(o.d) && t == o.t &&
           is == o.is &&
           std::bit_cast<std::array<std::uint32_t, 5>>(fs) ==
               std::bit_cast<std::array<std::uint32_t, 5>>(o.fs) &&
           std::bit_cast<std::array<std::uint64_t, 2>>(ds) ==
               std::bit_cast<std::array<std::uint64_t, 2>>(o.ds);
  }
};

}  // namespace

// The short scanner for plain numbers reads every record exactly as the
// general rules alone do: the same values, the same outcome, the same
// position for a read continued over records, the same value refused.
TEST(ListReading, ShortScannerAgreesWithTheGeneralRules) {
  MixedRecords gen;
  for (int n = 0; n < 20000; ++n) {
    Filled fast, general;
    const std::vector<Target> fast_targets = fast.targets(), general_targets = general.targets();
    ListState a(fast_targets), b(general_targets);
    b.plain_scanner = false;
    for (int r = 0; r < 4; ++r) {
      const std::string record = gen.record();
      const ListStep sa = list_feed(a, record), sb = list_feed(b, record);
      ASSERT_EQ(sa, sb) << record;
      ASSERT_TRUE(fast == general) << record;
      ASSERT_EQ(a.target, b.target) << record;
      ASSERT_EQ(a.element, b.element) << record;
      if (sa == ListStep::Bad) {
        ASSERT_EQ(a.bad, b.bad) << record;
      }
      if (sa != ListStep::NeedMore) break;
      // Whether a comma opening the next record is a null value (a finished
      // read does not look at it).
      ASSERT_EQ(a.after_comma, b.after_comma) << record;
    }
  }
}
