// List-directed reading of the text of records, fed one record at a time, and
// the resolution of read targets that column reading shares. Pure functions
// on the text, so that they can be tested and fuzzed without files. Internal
// to the record layer (input.cpp feeds them the records of a file).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/input.h"

namespace records::parse {

// One target of a read, resolved once when the read starts: where its
// elements are and what they are.
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

// The position of a read among its resolved targets, kept in locals while a
// record is read and handed back to the state at its end.
class Cursor {
 public:
  explicit Cursor(ListState& st)
      : st_(st), places_(st.places()), count_(st.place_count()), t_(st.target), e_(st.element) {
    while (t_ < count_ && e_ >= places_[t_].length) {
      ++t_;
      e_ = 0;
    }
  }
  bool done() const { return t_ >= count_; }
  // The current target and its next element.
  const ListPlace& place() const { return places_[t_]; }
  std::size_t index() const { return e_; }
  // On to the next element; false when every target is filled.
  bool advance() {
    if (++e_ < places_[t_].length) return true;
    e_ = 0;
    // Steps over empty spans.
    do ++t_;
    while (t_ < count_ && places_[t_].length == 0);
    return t_ < count_;
  }
  // Hands the position back to the state; every return from a feed does.
  ListStep leave(ListStep step) {
    st_.target = t_;
    st_.element = e_;
    return step;
  }

 private:
  ListState& st_;
  const ListPlace* places_;
  std::size_t count_;
  std::size_t t_;
  std::size_t e_;
};

// Blanks and tabs separate list-directed values and are ignored in column
// fields.
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A text value into a text target: a longer value keeps its leftmost
// characters, a shorter one is padded with blanks on the right.
void store_text(const ListPlace& place, std::string_view value);

}  // namespace records::parse
