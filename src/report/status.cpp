// The current status panel: how dry the station is in the last month of its
// SPI results, every index of that month with its class.
#include <array>

#include "report/classes.h"
#include "report/svg.h"
#include "report/tables.h"

namespace report {

namespace {

struct Month {
  int year = 0;
  int month = 0;
};

// The last month of the observed SPI results, else of any series.
Month last_month(const Station& st) {
  const Track* spi = find_track(st, Index::Spi, Series::Observed, 1);
  if (!spi->cells.empty()) return {spi->cells.back().year, spi->cells.back().month};
  Month last;
  for (const Track& t : st.tracks)
    for (const Cell& c : t.cells)
      if (c.year > last.year || (c.year == last.year && c.month > last.month))
        last = {c.year, c.month};
  return last;
}

const Value* value_at(const Track* t, Month m) {
  if (t == nullptr) return nullptr;
  for (auto it = t->cells.rbegin(); it != t->cells.rend(); ++it)
    if (it->year == m.year && it->month == m.month) return &it->value;
  return nullptr;
}

// How a scale names and colours a value.
struct Scale {
  svg::Classify classify;
  std::span<const char* const> colours;
  std::span<const char* const> names;
};

constexpr Scale kSpi{spi_class, kSpiColours, kSpiNames};
constexpr Scale kPalmer{palmer_class, kPalmerColours, kPalmerNames};
constexpr Scale kDecile{decile_class, kDecileColours, kDecileNames};
constexpr Scale kPercent{percent_class, kPercentColours, kPercentNames};

std::string status_cell(const Track* t, Month m, const Scale& scale) {
  const Value* v = value_at(t, m);
  if (v == nullptr || !v->present) return "<td class=\"gap\">missing</td>";
  const auto k = static_cast<std::size_t>(scale.classify(v->number));
  return std::string("<td><i style=\"background:") + scale.colours[k] + "\"></i><b>" +
         svg::escape(cell_text(*v)) + "</b> <span class=\"cls\">" + scale.names[k] + "</span></td>";
}

// One row: the index name, then the observed and (when it has one) the
// interpolated value.
std::string status_row(const Station& st, Month m, Index index, int period, const std::string& name,
                       const Scale& scale, bool both) {
  const Track* observed = find_track(st, index, Series::Observed, period);
  if (observed->cells.empty() && index >= Index::Pdsi) return "";  // no --extended file
  std::string out = "<tr><th>" + name + "</th>" + status_cell(observed, m, scale);
  out += both ? status_cell(find_track(st, index, Series::Interpolated, period), m, scale)
              : "<td class=\"na\"></td>";
  return out + "</tr>\n";
}

std::string status_rows(const Station& st, Month m) {
  std::string out;
  for (int p : kPeriodMonths)
    out += status_row(st, m, Index::Spi, p, "SPI-" + std::to_string(p), kSpi, true);
  for (int p : kPeriodMonths)
    out += status_row(st, m, Index::Spei, p, "SPEI-" + std::to_string(p), kSpi, false);
  out += status_row(st, m, Index::PalmerX, 0, "Palmer X", kPalmer, false);
  out += status_row(st, m, Index::Pdsi, 0, "PDSI", kPalmer, false);
  out += status_row(st, m, Index::Phdi, 0, "PHDI", kPalmer, false);
  out += status_row(st, m, Index::Pmdi, 0, "PMDI", kPalmer, false);
  out += status_row(st, m, Index::Edi, 0, "EDI", kSpi, true);
  out += status_row(st, m, Index::Decile, 0, "decile", kDecile, true);
  out += status_row(st, m, Index::PctNormal, 0, "percent of normal", kPercent, true);
  return out;
}

}  // namespace

std::string status_panel(const Station& st) {
  const Month m = last_month(st);
  std::string out = "<section id=\"status\"><h2>Current status";
  if (m.month >= 1 && m.month <= svg::kMonthsPerYear)
    out += std::string(": ") + svg::kMonthNames[static_cast<std::size_t>(m.month - 1)] + " " +
           std::to_string(m.year);
  out +=
      "</h2>\n<div class=\"scroll\"><table class=\"status\"><thead><tr><th>index</th>"
      "<th>observed</th><th>interpolated</th></tr></thead><tbody>\n";
  out += status_rows(st, m) + "</tbody></table></div>\n" + needed_table(st);
  return out + "</section>\n";
}

}  // namespace report
