#include <gtest/gtest.h>

#include <stdexcept>

#include "records/layout.h"

using records::Item;
using records::Layout;

TEST(LayoutParsing, RepeatedCodesAndGroupsAreExpanded) {
  Layout fill("I6,',',A4,',',I4,',',I2,',',31(F8.2,',')");
  const auto& items = fill.items();
  ASSERT_EQ(items.size(), 8u + 62u);
  EXPECT_EQ(items[2].kind, Item::Text);
  EXPECT_EQ(items[2].width, 4);
  EXPECT_EQ(items[8].kind, Item::Fixed);
  EXPECT_EQ(items[8].width, 8);
  EXPECT_EQ(items[8].digits, 2);
  EXPECT_EQ(items[69].kind, Item::Literal);
  EXPECT_EQ(items[69].text, ",");

  Layout table("I6,1X,I4,12F7.2");
  ASSERT_EQ(table.items().size(), 15u);
  EXPECT_EQ(table.items()[1].kind, Item::Skip);
  EXPECT_EQ(table.items()[1].width, 1);
  EXPECT_EQ(table.items()[14].kind, Item::Fixed);

  // Nested groups, blanks between items and lower-case codes.
  Layout nested(" 2( i1 , 2('x') ) , 3X ");
  ASSERT_EQ(nested.items().size(), 7u);
  EXPECT_EQ(nested.items()[3].kind, Item::Int);
  EXPECT_EQ(nested.items()[5].text, "x");
  EXPECT_EQ(nested.items()[6].width, 3);
}

TEST(LayoutParsing, CodeDetails) {
  Layout l("I6.6,I4,A,D16.8");
  EXPECT_EQ(l.items()[0].digits, 6);
  EXPECT_EQ(l.items()[1].digits, -1);
  EXPECT_EQ(l.items()[2].kind, Item::Text);
  EXPECT_EQ(l.items()[2].width, 0);
  EXPECT_EQ(l.items()[3].kind, Item::Exponent);
  EXPECT_EQ(l.items()[3].digits, 8);
  EXPECT_TRUE(Layout("").items().empty());
}

TEST(LayoutParsing, LiteralsKeepDoubledQuotesAsOne) {
  Layout l("'it''s',\"say \"\"hi\"\"\",'YEAR,MO,EP'");
  ASSERT_EQ(l.items().size(), 3u);
  EXPECT_EQ(l.items()[0].text, "it's");
  EXPECT_EQ(l.items()[1].text, "say \"hi\"");
  EXPECT_EQ(l.items()[2].text, "YEAR,MO,EP");
}

TEST(LayoutParsing, IllFormedLayoutsAreRefused) {
  for (const char* bad : {"I", "F5", "F5.", "(I4", "I4)", "'abc", "Q3", "0I4", "I4,,I4", "A0", "I0",
                          "2", "I4 F5.1", "99999999(I4)"}) {
    EXPECT_THROW(Layout{bad}, std::logic_error) << bad;
  }
}
