// Reading values out of the text of records: pure functions on the text, so
// that they can be tested and fuzzed without files. Internal to the record
// layer (units.cpp feeds them the records of a file).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "records/records.h"

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
struct ListState {
  explicit ListState(std::span<const Target> t) : targets(t) {}
  std::span<const Target> targets;
  std::size_t target = 0;   // next target in targets
  std::size_t element = 0;  // next element of a span target
  bool after_comma = true;  // a comma here would be a null value
  std::string bad;          // the value that could not be read
  std::string scratch;      // the text of a quoted value
};

enum class ListStep {
  NeedMore,  // the record is used up and targets remain: feed the next record
  Done,      // every target is filled or a slash ended the read
  Bad,       // a value that cannot become its target (text in state.bad)
};

ListStep list_feed(ListState& state, std::string_view record);

// Whether a list-directed read with these targets wants no value at all.
bool no_targets(std::span<const Target> targets);

}  // namespace records::parse
