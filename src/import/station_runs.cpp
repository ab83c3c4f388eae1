#include "import/station_runs.h"

#include <algorithm>
#include <new>

namespace importer {

namespace {

// The station of a record: found or added by its key.
std::uint32_t station_of(Importer& im, Format format, std::string_view source_id) {
  std::string key;
  key.reserve(1 + source_id.size());
  key += format == Format::kShort ? 's' : 'l';
  key += source_id;
  const auto [it, added] =
      im.index.try_emplace(std::move(key), static_cast<std::uint32_t>(im.stations.size()));
  if (added) {
    StationEntry& e = im.stations.emplace_back();
    e.source_id = source_id;
    e.format = format;
  }
  return it->second;
}

// What does not depend on a station's lines, when its first run ends: its
// output ID, its entry in the station list, its elevation.
void settle(Importer& im, StationEntry& e) {
  e.seen = true;
  std::string error;
  const auto info = im.settings.stations.find(e.source_id);
  if (!output_id(e.format, e.source_id, im.settings.ids, e.id, error)) {
    e.id.clear();
  } else if (info == im.settings.stations.end()) {
    error = "not in the station list";
  } else {
    std::string prefix;
    station_prefix(e.id, info->second, prefix, error);
  }
  e.refused = !error.empty();
  e.error = std::move(error);
}

// The station's records: those of its earlier runs (from its daily file and
// the records set aside), then those of the run just ended.
bool gather(Importer& im, const StationEntry& e, std::string& error) {
  im.records.clear();
  if (e.daily == kNoTemp && e.early.count == 0) {
    std::swap(im.records, im.run);  // the usual case: the station's first and only run
    return true;
  }
  if ((e.daily != kNoTemp &&
       !read_daily_back(temp_path(im.settings.out_dir, e.daily), im.records, error)) ||
      !take_back(im.early, e.early, im.records, error))
    return false;
  im.records.insert(im.records.end(), im.run.begin(), im.run.end());
  return true;
}

// Writes the daily file of the kept records under a new temporary name.
bool write_daily(Importer& im, StationEntry& e, std::string& error) {
  constexpr std::size_t kBlock = 4096;  // lines written at a time: about 0.6 MB
  const std::string& dir = im.settings.out_dir;
  const std::string target = daily_path(dir, e.id);
  const std::size_t kept = im.plan.kept.size();
  TempFile file;
  if (!create_temp(dir, file, error)) return false;
  im.text = kDailyHeader;
  for (std::size_t from = 0; from < kept; from += kBlock) {
    append_daily_lines(im.plan, im.records, from, std::min(kept, from + kBlock), im.text);
    if (!write_temp(file, im.text, target, error)) return false;
    im.text.clear();
  }
  TempName name;
  if (!keep_temp(file, target, name, error)) return false;
  remove_temp(dir, e.daily);
  e.daily = name;
  return true;
}

bool write_monthly(Importer& im, StationEntry& e, std::string& error) {
  const std::string& dir = im.settings.out_dir;
  const std::string target = monthly_path(dir, e.id);
  TempFile file;
  TempName name;
  if (!create_temp(dir, file, error) || !write_temp(file, im.plan.monthly, target, error) ||
      !keep_temp(file, target, name, error))
    return false;
  remove_temp(dir, e.monthly);
  e.monthly = name;
  return true;
}

// Sets aside the records before the first month with a PRCP line.
bool set_aside_early(Importer& im, StationEntry& e, std::string& error) {
  e.early = {};
  if (im.plan.early.empty()) return true;
  std::vector<Record> early;
  early.reserve(im.plan.early.size());
  for (std::uint32_t i : im.plan.early) early.push_back(im.records[i]);
  return set_aside(im.early, im.settings.out_dir, early, e.early, error);
}

// Builds the station's files from its records so far. A station whose files
// cannot be written is refused (its records are gone); false only when the
// run cannot go on.
bool build(Importer& im, StationEntry& e, std::string& fatal) {
  if (!gather(im, e, fatal)) return false;
  std::string why_not, error;
  // Its entry and elevation were checked when its first run ended.
  station_prefix(e.id, im.settings.stations.at(e.source_id), im.plan.prefix, error);
  const long dropped_before = e.daily == kNoTemp ? 0 : e.summary.dropped_days;
  const bool monthly = plan_station(im.records, im.files, e.source_id, im.settings.min_days,
                                    im.plan, im.log, why_not);
  if (!set_aside_early(im, e, error) || (!im.plan.kept.empty() && !write_daily(im, e, error)) ||
      (monthly && !write_monthly(im, e, error))) {
    e.refused = true;
    e.error = std::move(error);
  } else {
    e.error = std::move(why_not);
  }
  if (!monthly) remove_temp(im.settings.out_dir, e.monthly);
  e.summary = im.plan.summary;
  e.summary.dropped_days += dropped_before;
  return true;
}

// Ends the run of the current station.
bool end_run(Importer& im, std::string& error) {
  if (im.current == kNoStation) return true;
  StationEntry& e = im.stations[im.current];
  if (!e.seen) settle(im, e);
  if (!e.refused && !build(im, e, error)) return false;
  // One buffer, the larger, is kept for the next run; the other is given back.
  if (im.records.capacity() > im.run.capacity()) im.run.swap(im.records);
  im.run.clear();
  std::vector<Record>().swap(im.records);
  return true;
}

}  // namespace

Importer::~Importer() {
  for (StationEntry& e : stations) {
    remove_temp(settings.out_dir, e.daily);
    remove_temp(settings.out_dir, e.monthly);
  }
}

bool add_record(Importer& im, Format format, std::string_view source_id, const Record& record,
                std::string& error) {
  if (im.current == kNoStation || im.stations[im.current].format != format ||
      im.stations[im.current].source_id != source_id) {
    if (!end_run(im, error)) return false;
    im.current = station_of(im, format, source_id);
  }
  im.run.push_back(record);
  return true;
}

bool end_reading(Importer& im, std::string& error) {
  try {
    const bool ended = end_run(im, error);
    im.current = kNoStation;
    return ended;
  } catch (const std::bad_alloc&) {
    const StationEntry& e = im.stations[im.current];
    error = "cannot write " + shown(daily_path(im.settings.out_dir, e.id)) + ": out of memory";
    return false;
  }
}

}  // namespace importer
