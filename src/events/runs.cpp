#include "events/runs.h"

#include <algorithm>

#include "events/monthly_file.h"

namespace events {

// The quotient is the nearest 8-byte real to the written value, so a
// threshold written with two decimals compares exactly.
bool at_or_below(int hundredths, double threshold) {
  return hundredths != kNoValue && static_cast<double>(hundredths) / 100.0 <= threshold;
}

namespace {

// The event beginning at first: its months run while the values stay at or
// below the end threshold.
Event event_from(std::span<const int> v, std::size_t first, std::size_t last_value, double end) {
  Event e;
  e.first = first;
  e.peak = v[first];
  e.peak_month = first;
  std::size_t k = first;
  for (; k <= last_value && at_or_below(v[k], end); ++k) {
    e.severity -= v[k];
    if (v[k] < e.peak) {
      e.peak = v[k];
      e.peak_month = k;
    }
  }
  e.last = k - 1;
  if (k > last_value)
    e.ended_by = EndedBy::EndOfData;
  else
    e.ended_by = v[k] == kNoValue ? EndedBy::Missing : EndedBy::Recovery;
  return e;
}

}  // namespace

std::vector<Event> find_events(std::span<const int> v, const Thresholds& t) {
  std::vector<Event> found;
  std::size_t n = v.size();
  while (n > 0 && v[n - 1] == kNoValue) --n;  // months after the last value
  const std::size_t min_run = static_cast<std::size_t>(t.min_months < 1 ? 1 : t.min_months);
  std::size_t i = 0;
  while (i < n) {
    if (!at_or_below(v[i], t.start)) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < n && at_or_below(v[j], t.start)) ++j;
    if (j - i < min_run) {
      i = j;
      continue;
    }
    // An end below the start (refused on the command line) ends no run early.
    found.push_back(event_from(v, i, n - 1, std::max(t.end, t.start)));
    i = found.back().last + 1;
  }
  return found;
}

}  // namespace events
