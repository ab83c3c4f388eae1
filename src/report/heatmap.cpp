// The heat maps: one row per accumulation period, one column per month,
// coloured by the SPI classes.
#include <array>

#include "report/charts.h"
#include "report/classes.h"

namespace report {

namespace {

constexpr double kRow = 16.0;  // height of one period

std::string heat_map(const Station& st, const svg::Axis& a, Index index, Series series,
                     const std::string& name) {
  const double h = svg::kTop + kPeriods * kRow;
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n";
  out += svg::open(h + svg::kBottom, name + ", heat map of the seven accumulation periods");
  const std::string group = std::string(index_name(index)) + "-" + series_name(series) + "-";
  for (std::size_t p = 0; p < kPeriods; ++p) {
    const int months = kPeriodMonths[p];
    const double y = svg::kTop + static_cast<double>(p) * kRow;
    out += "<g id=\"" + group + std::to_string(months) + "\">";
    out += svg::grid_row(svg::month_classes(a, find_track(st, index, series, months), spi_class),
                         kSpiColours, svg::kLeft, a.month_width(), y, kRow - 1);
    out += "</g>" + svg::text(svg::kLeft - 6, y + kRow - 4, std::to_string(months), "rl") + "\n";
  }
  out += svg::y_title(svg::kTop, h, "period (months)");
  out += svg::year_axis(a, svg::kTop, h);
  return out + svg::close() + "</figure>\n";
}

bool has_values(const Track* t) {
  if (t == nullptr) return false;
  for (const Cell& c : t->cells)
    if (c.value.present) return true;
  return false;
}

// Years from the first to the last month with observed precipitation; the
// years of the axis without a precipitation table.
int record_years(const Station& st, const svg::Axis& a) {
  const Track* t = find_track(st, Index::Precip, Series::Observed);
  int first = 0;
  int last = -1;
  for (const Cell& c : t->cells) {
    if (!c.value.present) continue;
    if (last < 0) first = c.year;
    last = c.year;
  }
  return last < 0 ? a.years : last - first + 1;
}

// A note for each SPI period without any value while a shorter one has values.
std::string short_record_notes(const Station& st, const svg::Axis& a) {
  const int years = record_years(st, a);
  std::string out;
  for (int months : kPeriodMonths) {
    bool any_shorter = false;
    bool any = false;
    for (Series s : {Series::Observed, Series::Interpolated}) {
      any = any || has_values(find_track(st, Index::Spi, s, months));
      any_shorter = any_shorter || has_values(find_track(st, Index::Spi, s, 1));
    }
    if (any || !any_shorter) continue;
    const int need = years_needed(months);
    out += "<p class=\"note\">SPI-" + std::to_string(months) + " needs at least " +
           std::to_string(need) + " years of data; this record has " + std::to_string(years) +
           (years >= need ? " but too few complete " + std::to_string(months) + "-month totals"
                          : std::string()) +
           ".</p>\n";
  }
  return out;
}

std::string spi_legend() {
  std::array<std::string, kSpiClasses> labels;
  for (std::size_t i = 0; i < kSpiClasses; ++i)
    labels[i] = std::string(kSpiNames[i]) + " (" + kSpiRanges[i] + ")";
  return svg::swatch_legend(kSpiColours, labels, "SPI and SPEI (standard deviations):", true);
}

}  // namespace

int years_needed(int months) {
  constexpr int kSums = 3;
  const int step = months <= 12 ? 12 : (months + 11) / 12 * 12;
  const int last_slot = months + (kSums - 1) * step;  // the third sum of the first month fitted
  return (last_slot + 11) / 12;
}

std::string heat_maps(const Station& st, const svg::Axis& a) {
  std::string out = heat_map(st, a, Index::Spi, Series::Observed, "SPI, observed series") +
                    heat_map(st, a, Index::Spi, Series::Interpolated, "SPI, interpolated series");
  bool spei = false;
  for (int months : kPeriodMonths)
    spei = spei || !find_track(st, Index::Spei, Series::Observed, months)->cells.empty();
  if (spei) out += heat_map(st, a, Index::Spei, Series::Observed, "SPEI, observed series");
  return out + spi_legend() + short_record_notes(st, a);
}

}  // namespace report
