#include "report/tidy.h"

namespace report {

namespace {

// A station ID as one CSV field: quoted when it holds a comma or a quote.
std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace

std::string tidy_table(const Station& station) {
  std::size_t cells = 0;
  for (const Track& t : station.tracks) cells += t.cells.size();
  std::string out;
  out.reserve(cells * (station.id.size() + 40));  // a row is about this long
  out += std::string(kTidyHeader) + "\n";
  const std::string id = csv_field(station.id);
  for (const Track& t : station.tracks) {
    const std::string tail = std::string(",") + index_name(t.index) + "," +
                             (t.period > 0 ? std::to_string(t.period) : "") + "," +
                             series_name(t.series) + ",";
    for (const Cell& c : t.cells) {
      out += id;
      out += ',';
      out += std::to_string(c.year);
      out += ',';
      out += std::to_string(c.month);
      out += tail;
      if (c.value.present) out += c.value.text;
      out += '\n';
    }
  }
  return out;
}

}  // namespace report
