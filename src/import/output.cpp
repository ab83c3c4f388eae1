#include "import/output.h"

#include <cstdio>
#include <new>
#include <unordered_map>

#include "import/interrupt.h"

namespace importer {

namespace {

// Two stations with one output ID: both refused.
void refuse_shared_ids(Importer& im) {
  std::unordered_map<std::string, std::size_t> owner;
  for (std::size_t s = 0; s < im.stations.size(); ++s) {
    StationEntry& e = im.stations[s];
    if (e.id.empty()) continue;
    const auto [it, added] = owner.try_emplace(e.id, s);
    if (added) continue;
    StationEntry& first = im.stations[it->second];
    const std::string both = "stations " + shown(first.source_id) + " and " + shown(e.source_id) +
                             " both map to output ID " + e.id;
    first.error = both;
    e.error = both;
  }
}

std::string summary(const StationEntry& e) {
  const StationSummary& s = e.summary;
  char span[64];
  std::snprintf(span, sizeof span, "%04d-%02d to %04d-%02d", s.first_year, s.first_month,
                s.last_year, s.last_month);
  return shown(e.source_id) + " -> " + e.id + ": " + span + ", " + std::to_string(s.filled_months) +
         " months filled, " + std::to_string(s.dropped_days) + " days dropped by quality flag";
}

}  // namespace

WriteResult write_stations(Importer& im) {
  WriteResult result;
  refuse_shared_ids(im);
  const std::string& dir = im.settings.out_dir;
  for (StationEntry& e : im.stations) {
    if (interrupt_signal() != 0) break;
    try {
      std::string error = e.error;
      if (error.empty() && put_pair_in_place(dir, e.daily, e.monthly, e.id, error)) {
        add(im.log, summary(e));
      } else if (error != kInterrupted) {
        warn(im.log, "station " + shown(e.source_id) + ": " + error + "; not written");
        ++result.failed;
      }
    } catch (const std::bad_alloc&) {
      result.fatal = "cannot write " + shown(daily_path(dir, e.id)) + ": out of memory";
      break;
    }
    remove_temp(dir, e.daily);
    remove_temp(dir, e.monthly);
    flush(im.log);
  }
  return result;
}

}  // namespace importer
