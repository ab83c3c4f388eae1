// Drought events of one monthly index series by run theory (Yevjevich 1967):
// an event begins in the first month of a run of at least min_months
// consecutive months at or below start, and lasts until the first month above
// end, which is not part of it. A month without a value ends a running event,
// and a run that would begin one cannot contain such a month; the months
// after the last value are the end of the data.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace events {

struct Thresholds {
  double start = -1.0;
  double end = 0.0;
  int min_months = 2;
};

enum class EndedBy { Recovery, Missing, EndOfData };

// One event; months are indices into the series.
struct Event {
  std::size_t first = 0;  // the first month of the event
  std::size_t last = 0;   // the last month inside it (the last value when open)
  EndedBy ended_by = EndedBy::Recovery;
  long long severity = 0;      // minus the sum of its values, in hundredths
  int peak = 0;                // its lowest value, in hundredths
  std::size_t peak_month = 0;  // the first month holding it
};

// Whether a value in hundredths (kNoValue: no) lies at or below a threshold.
bool at_or_below(int hundredths, double threshold);

// The events of a series of values in hundredths (kNoValue where missing), in
// time order.
std::vector<Event> find_events(std::span<const int> values, const Thresholds& thresholds);

}  // namespace events
