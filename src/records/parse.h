// Reading values out of the text of records: pure functions on the text, so
// that they can be tested and fuzzed without files. Internal to the record
// layer (units.cpp feeds them the records of a file).
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/input.h"

namespace records::parse {

// An integer value: an optional sign and decimal digits, nothing else, within
// the 4-byte range.
bool to_int(std::string_view text, int& value);

// A real value: optional sign, digits with or without a decimal point, an
// optional exponent (letter E or D in either case, optional sign, digits; or
// a sign straight after the digits), or INF, INFINITY, NAN in any case after
// an optional sign. Correctly rounded straight to the target type. A value
// too large for the type is refused; one too small becomes a signed zero.
// implied_decimals >= 0 places a decimal point that many digits from the
// right of the digits when the text has none (column reading).
bool to_real(std::string_view text, float& value, int implied_decimals = -1);
bool to_real(std::string_view text, double& value, int implied_decimals = -1);

// Column reading of one record. Each code takes exactly its w columns from
// the current position (columns past the end of the record read as blanks);
// nX and literal texts skip their columns. I, F, D fields ignore blanks and
// read as zero when all blank. On Bad, *bad_field (when given) receives the
// field's text.
ReadStatus columns(std::string_view record, const Layout& layout, std::span<const Target> targets,
                   std::string* bad_field = nullptr);

// List-directed reading, fed one record at a time.

// One target of a list-directed read, resolved once when the read starts:
// where its elements are and what they are.
struct ListPlace {
  enum Kind : unsigned char { Int, Float, Double, Text };
  Kind kind;
  void* base;          // the first element, or the std::string of a text
  std::size_t length;  // elements (1 for a single value or a text)
  std::size_t width;   // the width of a text
};

struct ListState {
  explicit ListState(std::span<const Target> t);
  std::span<const Target> targets;
  std::size_t target = 0;   // next target in targets
  std::size_t element = 0;  // next element of a span target
  bool after_comma = true;  // a comma here would be a null value
  // Plain numbers take the short scanner; tests clear this to compare it
  // with the general rules alone.
  bool plain_scanner = true;
  std::string bad;      // the value that could not be read
  std::string scratch;  // the text of a quoted value; a copy of a record

  // The targets resolved: in place when there are at most kFewPlaces (the
  // places after them cleared), all of them in many when there are more.
  static constexpr std::size_t kFewPlaces = 8;
  std::array<ListPlace, kFewPlaces> few;
  std::vector<ListPlace> many;
  const ListPlace* places() const { return many.empty() ? few.data() : many.data(); }
  std::size_t place_count() const { return targets.size(); }
  // Whether any target wants a value.
  bool wants_values() const;
};

enum class ListStep {
  NeedMore,  // the record is used up and targets remain: feed the next record
  Done,      // every target is filled or a slash ended the read
  Bad,       // a value that cannot become its target (text in state.bad)
};

ListStep list_feed(ListState& state, std::string_view record);

// The same for a record that is followed in memory by a CR, LF or NUL byte,
// as every record of a file or the console is (a view into a std::string
// up to a line end or its end): the scanner then stops at that byte without
// checking the end of the record inside a value.
ListStep list_feed_terminated(ListState& state, std::string_view record);

}  // namespace records::parse
