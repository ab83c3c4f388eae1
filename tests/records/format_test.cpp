#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "records/records.h"

using records::format;
using records::format_list;
using records::Layout;

namespace {
std::string one(const char* code, records::Arg v) { return format(Layout(code), {v}); }
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(IntegerOutput, RightAlignedWithSignAndAsterisks) {
  EXPECT_EQ(one("I6", 1948), "  1948");
  EXPECT_EQ(one("I4", -999), "-999");
  EXPECT_EQ(one("I3", 1000), "***");
  EXPECT_EQ(one("I3", -100), "***");
  EXPECT_EQ(one("I11", INT_MIN), "-2147483648");
}

TEST(IntegerOutput, MinimumDigitsAreZeroFilled) {
  EXPECT_EQ(one("I2.2", 5), "05");
  EXPECT_EQ(one("I6.6", 0), "000000");
  EXPECT_EQ(one("I6.6", 4567), "004567");
  EXPECT_EQ(one("I6.4", -12), " -0012");
  EXPECT_EQ(one("I3.3", -5), "***");  // -005 needs four columns
  EXPECT_EQ(one("I4.0", 0), "    ");
}

TEST(FixedOutput, RoundsTheExactStoredValue) {
  EXPECT_EQ(one("F6.2", -12.346), "-12.35");
  EXPECT_EQ(one("F8.2", 0.004), "    0.00");
  EXPECT_EQ(one("F8.2", -0.004), "   -0.00");
  EXPECT_EQ(one("F8.2", -0.001f), "   -0.00");
  EXPECT_EQ(one("F8.2", -0.0), "   -0.00");
  EXPECT_EQ(one("F8.2", -99.0f), "  -99.00");
  // python3 -c "import struct;from decimal import Decimal as D;
  //   print(D(struct.unpack('f',struct.pack('f',0.1))[0]))"  -> 0.100000001490116119384765625
  EXPECT_EQ(one("F12.10", 0.1f), "0.1000000015");
  EXPECT_EQ(one("F12.10", 0.1), "0.1000000000");
  // 1.005f is 1.00499999523..., 2.675f is 2.67499995231...: below the tie.
  EXPECT_EQ(one("F7.2", 1.005f), "   1.00");
  EXPECT_EQ(one("F7.2", 2.675f), "   2.67");
  EXPECT_EQ(one("F5.0", 12.7), "  13.");
  // FLT_MAX = 340282346638528859811704183484516925440 exactly (41 columns with ".0").
  EXPECT_EQ(one("F43.1", std::numeric_limits<float>::max()),
            "  340282346638528859811704183484516925440.0");
}

TEST(FixedOutput, ExactTiesGoToEven) {
  EXPECT_EQ(one("F5.2", 0.125), " 0.12");
  EXPECT_EQ(one("F5.2", 0.375), " 0.38");
  EXPECT_EQ(one("F5.2", -0.125f), "-0.12");
  EXPECT_EQ(one("F3.0", 2.5), " 2.");
  EXPECT_EQ(one("F3.0", 3.5), " 4.");
  EXPECT_EQ(one("F4.0", -0.5), " -0.");
}

TEST(FixedOutput, TooWideDropsALeadingZeroOrGivesAsterisks) {
  EXPECT_EQ(one("F5.2", 100.0), "*****");
  EXPECT_EQ(one("F6.2", 1000.0), "******");
  EXPECT_EQ(one("F3.2", 0.5), ".50");
  EXPECT_EQ(one("F4.2", -0.5), "-.50");
  EXPECT_EQ(one("F3.2", -0.004), "***");  // -0.00 is two columns too long
  EXPECT_EQ(one("F4.2", -0.004), "-.00");
  EXPECT_EQ(one("F3.2", 1.5), "***");  // the integer part is not 0
  EXPECT_EQ(one("F2.2", 0.5), "**");
  EXPECT_EQ(one("F4.2", 9.999), "****");  // rounds up to 10.00
}

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
  std::array<records::Scalar, 2> scalars{records::Scalar(7),
                                         records::Scalar(std::string_view("ab"))};
  EXPECT_EQ(format(Layout("I2,A3"), std::span<const records::Scalar>(scalars)), " 7 ab");
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
