#include "records/text.h"

#include <gtest/gtest.h>

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

TEST(FileNames, TextsAreCutOrPaddedToTheirWidth) {
  EXPECT_EQ(fit("1234567", 6), "123456");
  EXPECT_EQ(fit("1234", 6), "1234  ");
}

TEST(CsvFields, QuotedOnlyWhenTheyHoldASeparatorQuoteOrLineEnd) {
  EXPECT_EQ(csv_field("12 4"), "12 4");
  EXPECT_EQ(csv_field("1,2"), "\"1,2\"");
  EXPECT_EQ(csv_field("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(csv_field("a\rb"), "\"a\rb\"");
}
