// Record layouts: the codes a record is written or read by (I, I.m, F, D, A,
// X, literal texts, repeated groups).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace records {

// One parsed layout item.
struct Item {
  enum Kind { Int, Fixed, Exponent, Text, Skip, Literal };
  Kind kind = Literal;
  int width = 0;     // w of Iw, Fw.d, Dw.d, Aw; n of nX; 0 for A without w
  int digits = -1;   // m of Iw.m (-1: none), d of Fw.d and Dw.d
  std::string text;  // the literal text
};

// A layout in the usual notation, for example
//   "I6,',',A4,',',I4,',',I2,',',31(F8.2,',')"  or  "I6,1X,I4,12F7.2".
// Literal texts are in apostrophes or quotation marks (a doubled quote inside
// stands for one). A repeat count may stand before a code or a bracketed group.
// Parsed once, at construction; an ill-formed layout throws std::logic_error.
class Layout {
 public:
  explicit Layout(std::string_view notation);
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;  // repeated groups expanded
};

}  // namespace records
