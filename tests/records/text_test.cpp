#include <gtest/gtest.h>

#include "records/text.h"

using namespace records;

TEST(TextComparison, ShorterTextIsPaddedWithBlanks) {
  EXPECT_TRUE(text_equal("exit", "exit  "));
  EXPECT_TRUE(text_equal("exit  ", "exit"));
  EXPECT_TRUE(text_equal("", "   "));
  EXPECT_FALSE(text_equal("EXIT", "exit"));
  EXPECT_FALSE(text_equal("Exit", "exit"));
  EXPECT_FALSE(text_equal("exi", "exit"));
  EXPECT_FALSE(text_equal("exit\t", "exit"));  // only blanks pad
}

TEST(FileNames, StationIdAndSuffixMakeThePaddedArgument) {
  EXPECT_EQ(fit("1234567", 6), "123456");
  EXPECT_EQ(fit("1234", 6), "1234  ");
  std::string arg = file_arg("1234  ", ".csv");
  EXPECT_EQ(arg, "1234  .csv                    ");
  EXPECT_EQ(arg.size(), kFileArgWidth);
  // The name keeps the blanks inside the station ID, not the padding.
  EXPECT_EQ(trim_name(arg), "1234  .csv");
  EXPECT_EQ(station_of(arg), "1234  ");
  EXPECT_EQ(station_of(file_arg("123456", "-spiformat.csv")), "123456");
  EXPECT_EQ(station_of("12"), "12    ");
  EXPECT_EQ(trim_name("      "), "");
}
