#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/output.h"

using records::format;
using records::format_list;
using records::Layout;

namespace {
std::string one(const char* code, records::Arg v) { return format(Layout(code), {v}); }
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(FixedOutput, NonFiniteValues) {
  EXPECT_EQ(one("F8.2", kInf), "    +Inf");
  EXPECT_EQ(one("F8.2", -kInf), "    -Inf");
  EXPECT_EQ(one("F8.2", kNaN), "     NaN");
  EXPECT_EQ(one("F4.1", std::numeric_limits<float>::infinity()), "+Inf");
  EXPECT_EQ(one("F3.2", kInf), "Inf");
  EXPECT_EQ(one("F3.2", -kInf), "***");
  EXPECT_EQ(one("F2.1", kNaN), "**");
  EXPECT_EQ(one("D10.3", kNaN), "       NaN");
}

TEST(ExponentOutput, FractionBelowOneAndTwoDigitExponent) {
  EXPECT_EQ(one("D16.8", 12.5), "  0.12500000D+02");
  EXPECT_EQ(one("D16.8", 0.0), "  0.00000000D+00");
  EXPECT_EQ(one("D16.8", -12.5), " -0.12500000D+02");
  EXPECT_EQ(one("D10.3", 0.0001234), " 0.123D-03");
  EXPECT_EQ(one("D10.3", 9999.6), " 0.100D+05");  // the rounding carries into the exponent
  EXPECT_EQ(one("D10.3", 0.1), " 0.100D+00");
  EXPECT_EQ(one("E10.3", 12.5), " 0.125E+02");
}

TEST(ExponentOutput, TooWideAndThreeDigitExponents) {
  EXPECT_EQ(one("D9.3", 12.5), "0.125D+02");
  EXPECT_EQ(one("D8.3", 12.5), ".125D+02");
  EXPECT_EQ(one("D9.3", -12.5), "-.125D+02");
  EXPECT_EQ(one("D8.3", -12.5), "********");
  EXPECT_EQ(one("D12.4", 1e200), "  0.1000+201");
  EXPECT_EQ(one("D12.4", -1e-200), " -0.1000-199");
}

TEST(TextOutput, CutOrRightAligned) {
  EXPECT_EQ(one("A4", "PRCP"), "PRCP");
  EXPECT_EQ(one("A6", "PRCP"), "  PRCP");
  EXPECT_EQ(one("A2", "PRCP"), "PR");
  EXPECT_EQ(one("A", "  x "), "  x ");
}

TEST(LayoutOutput, LiteralsBlanksAndFlattenedSpans) {
  std::array<float, 3> row{1.5f, -2.25f, 0.125f};
  EXPECT_EQ(format(Layout("I6,1X,I4,3F7.2"), {123456, 1948, std::span<const float>(row)}),
            "123456 1948   1.50  -2.25   0.12");
  EXPECT_EQ(format(Layout("I6.6,',',A4,2(',',F5.1)"), {1234, "TMAX", 70.0f, -3.25}),
            "001234,TMAX, 70.0, -3.2");
}

TEST(LayoutOutput, StopsAtTheFirstCodeWithoutAValue) {
  EXPECT_EQ(format(Layout("I4,',',I4,',',I4"), {1, 2}), "   1,   2,");
  EXPECT_EQ(format(Layout("'YEAR,MO',I4,'end'"), {}), "YEAR,MO");
  std::array<int, 0> none{};
  EXPECT_EQ(format(Layout("I2,I2"), {std::span<const int>(none), 5}), " 5");
}

TEST(LayoutOutput, ProgrammingErrorsAreRefused) {
  EXPECT_THROW(format(Layout("I4"), {1.5f}), std::logic_error);
  EXPECT_THROW(format(Layout("F4.1"), {1}), std::logic_error);
  EXPECT_THROW(format(Layout("A4"), {1}), std::logic_error);
  EXPECT_THROW(format(Layout("I4"), {1, 2}), std::logic_error);
}

TEST(ListOutput, BlankSeparatedWithAdjacentTextsJoined) {
  EXPECT_EQ(format_list({}), "");
  EXPECT_EQ(format_list({"Enter 6-digit station ID or exit: "}),
            " Enter 6-digit station ID or exit: ");
  EXPECT_EQ(format_list({"Data begins in", 3, "/", 1948}), " Data begins in 3 / 1948");
  EXPECT_EQ(format_list({"Data ends in  ", 12, "/", 2020}), " Data ends in   12 / 2020");
  EXPECT_EQ(format_list({"a", "b", -5, "c"}), " ab -5 c");
  EXPECT_EQ(format_list({2.5f, 0.1, kNaN, -kInf}), " 2.5 0.1 NaN -Inf");
}

namespace {

// Fw.d by the general conversion: the exact stored value rounded half to
// even by the standard library, the sign of the value, a 0 before the point
// dropped when it is the one column too many, asterisks when still too wide.
std::string general_fixed(double v, int w, int d) {
  std::array<char, 1500> buf;
  auto r =
      std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(v), std::chars_format::fixed, d);
  std::string body(buf.data(), r.ptr);
  if (d == 0) body += '.';
  std::string text = (std::signbit(v) ? "-" : "") + body;
  if (text.size() == static_cast<std::size_t>(w) + 1 && body.rfind("0.", 0) == 0)
    text.erase(text.size() - body.size(), 1);
  if (text.size() > static_cast<std::size_t>(w)) return std::string(w, '*');
  return std::string(w - text.size(), ' ') + text;
}

}  // namespace

// A repeatable stream of random 64-bit words (xorshift).
static auto random_bits() {
  return [s = std::uint64_t{0x9E3779B97F4A7C15ULL}]() mutable {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  };
}

// The usual fields are formed by integer arithmetic; they must be the very
// texts of the general conversion, ties and values that round to zero too.
TEST(FixedOutput, EveryPathAgreesWithTheGeneralConversion) {
  auto next = random_bits();
  for (int i = 0; i < 300000; ++i) {
    const int w = 1 + static_cast<int>(next() % 16), d = static_cast<int>(next() % 11);
    // Random bits of floats and doubles, and decimal values near the fields'
    // rounding points.
    double v;
    switch (next() % 4) {
      case 0:
        v = std::bit_cast<float>(static_cast<std::uint32_t>(next()));
        break;
      case 1:
        v = std::bit_cast<double>(next());
        break;
      case 2:
        v = static_cast<float>(
            static_cast<double>(static_cast<std::int64_t>(next() % 2000001) - 1000000) / 1000.0);
        break;
      default:
        v = static_cast<double>(static_cast<std::int64_t>(next() % 200001) - 100000) / 8.0 /
            std::pow(10.0, static_cast<double>(next() % 6));
        break;
    }
    if (!std::isfinite(v)) continue;
    const std::string code = "F" + std::to_string(w) + "." + std::to_string(d);
    ASSERT_EQ(one(code.c_str(), v), general_fixed(v, w, d)) << code << " " << v;
  }
  // Ties go to the even digit; negative values that round to zero keep "-".
  EXPECT_EQ(one("F6.2", 0.125), "  0.12");
  EXPECT_EQ(one("F6.2", 0.375), "  0.38");
  EXPECT_EQ(one("F4.0", 2.5), "  2.");
  EXPECT_EQ(one("F4.0", 3.5), "  4.");
  EXPECT_EQ(one("F5.2", -0.004), "-0.00");
  EXPECT_EQ(one("F4.2", -0.004), "-.00");
  EXPECT_EQ(one("F3.2", 0.5f), ".50");
  EXPECT_EQ(one("F3.2", -0.5f), "***");
  EXPECT_EQ(one("F13.8", 5e-324), "   0.00000000");
  EXPECT_EQ(one("F4.2", 9.999), "****");  // rounds up to 10.00
  // Wider than the fields above: FLT_MAX is 340282346638528859811704183484516925440 exactly.
  EXPECT_EQ(one("F43.1", std::numeric_limits<float>::max()),
            "  340282346638528859811704183484516925440.0");
}

namespace {

// Iw.m by the standard library's digits: at least m digits (zero-filled), a
// minus sign for negative values, Iw.0 of zero all blanks, asterisks when
// too wide.
std::string general_int(int v, int w, int m) {
  std::array<char, 16> buf;
  const long long magnitude = v < 0 ? -static_cast<long long>(v) : v;
  std::string digits(buf.data(), std::to_chars(buf.data(), buf.data() + buf.size(), magnitude).ptr);
  if (m == 0 && v == 0) digits.clear();
  if (m > 0 && digits.size() < static_cast<std::size_t>(m))
    digits.insert(0, m - digits.size(), '0');
  const std::string text = (v < 0 ? "-" : "") + digits;
  if (text.size() > static_cast<std::size_t>(w)) return std::string(w, '*');
  return std::string(w - text.size(), ' ') + text;
}

}  // namespace

TEST(IntegerOutput, EveryWidthAndDigitCountAgreesWithTheLibraryDigits) {
  auto next = random_bits();
  for (int i = 0; i < 200000; ++i) {
    const int w = 1 + static_cast<int>(next() % 14);
    const int m = static_cast<int>(next() % 14) - 1;  // -1: no minimum
    // Magnitudes of every digit count, the extremes included.
    const auto bits = static_cast<std::uint32_t>(next());
    int v = static_cast<int>(bits >> (next() % 32));
    if (i % 1000 == 0) v = i % 2000 ? INT_MIN : INT_MAX;
    const std::string code =
        "I" + std::to_string(w) + (m >= 0 ? "." + std::to_string(m) : std::string());
    ASSERT_EQ(one(code.c_str(), v), general_int(v, w, m)) << code << " " << v;
  }
  // A field as wide as the widest short one, and wider (the general way).
  EXPECT_EQ(one("I64", -12), std::string(61, ' ') + "-12");
  EXPECT_EQ(one("I70.40", 7), std::string(30, ' ') + std::string(39, '0') + "7");
  EXPECT_EQ(one("I70.70", 7), std::string(69, '0') + "7");  // exactly filled
}
