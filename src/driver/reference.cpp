#include "driver/reference.h"

#include <algorithm>
#include <charconv>

#include "records/fatal.h"
#include "records/warnings.h"

namespace driver {
namespace {

// A year of one to four digits.
std::optional<int> parse_year(std::string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int year = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), year);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return year;
}

}  // namespace

std::optional<catalogue::YearRange> parse_reference(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::optional<int> first = parse_year(text.substr(0, dash));
  const std::optional<int> last = parse_year(text.substr(dash + 1));
  if (!first || !last || *first > *last) return std::nullopt;
  return catalogue::YearRange{*first, *last};
}

std::string reference_text(const catalogue::YearRange& years) {
  return std::to_string(years.first) + "-" + std::to_string(years.last);
}

catalogue::YearRange reference_years(const std::optional<catalogue::YearRange>& requested,
                                     std::string_view station_id, int first_year, int last_year) {
  if (!requested) return catalogue::kAllYears;
  const catalogue::YearRange used{std::max(requested->first, first_year),
                                  std::min(requested->last, last_year)};
  const std::string data = reference_text({first_year, last_year});
  const std::string station = records::shown_name(station_id);
  if (used.first > used.last)
    throw records::FatalError("reference period " + reference_text(*requested) +
                              ": no year in the data of station " + station + " (" + data + ")");
  if (used.first != requested->first || used.last != requested->last)
    records::warn("reference period " + reference_text(*requested),
                  " lies partly outside the data of station " + station + " (" + data +
                      "); the years " + reference_text(used) + " are used");
  return used;
}

}  // namespace driver
