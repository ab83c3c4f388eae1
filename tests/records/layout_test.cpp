#include "records/layout.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "records/output.h"

using records::format;
using records::Layout;

// The notation as the writers see it: repeat counts before codes and nested
// groups, blanks between items, lower-case codes, and literal texts with a
// doubled quote standing for one.
TEST(LayoutNotation, GroupsBlanksCaseAndQuotes) {
  EXPECT_EQ(format(Layout(" 2( i1 , 2('x') ) , 3X "), {1, 2}), "1xx2xx   ");
  EXPECT_EQ(format(Layout("3(I2,',')"), {1, 2, 3}), " 1, 2, 3,");
  EXPECT_EQ(format(Layout("'it''s',\"say \"\"hi\"\"\",2X,'YEAR,MO'"), {}),
            "it'ssay \"hi\"  YEAR,MO");
  EXPECT_EQ(format(Layout(""), {}), "");
}

TEST(LayoutNotation, IllFormedLayoutsAreRefused) {
  for (const char* bad : {"I", "F5", "F5.", "(I4", "I4)", "'abc", "Q3", "0I4", "I4,,I4", "A0", "I0",
                          "2", "I4 F5.1", "99999999(I4)"}) {
    EXPECT_THROW(Layout{bad}, std::logic_error) << bad;
  }
}
