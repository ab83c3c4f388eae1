// The decile grids: one row per calendar month, one column per year.
#include <array>

#include "report/charts.h"
#include "report/classes.h"

namespace report {

namespace {

constexpr double kRow = 9.0;  // height of one calendar month

std::string deciles(const Station& st, const svg::Axis& a, Series series) {
  const Track* t = find_track(st, Index::Decile, series);
  const std::string name = std::string("Deciles, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n";
  const double h = svg::kTop + svg::kMonthsPerYear * kRow;
  out += svg::open(h + svg::kBottom, name + ", a grid of years and calendar months");
  std::vector<std::vector<int>> rows(svg::kMonthsPerYear,
                                     std::vector<int>(static_cast<std::size_t>(a.years), -1));
  for (const Cell& c : t->cells) {
    if (!c.value.present || a.index(c.year, c.month) < 0) continue;
    rows[static_cast<std::size_t>(c.month - 1)][static_cast<std::size_t>(c.year - a.first_year)] =
        decile_class(c.value.number);
  }
  for (std::size_t m = 0; m < svg::kMonthsPerYear; ++m) {
    const double y = svg::kTop + static_cast<double>(m) * kRow;
    out +=
        svg::grid_row(rows[m], kDecileColours, svg::kLeft, svg::kPlotWidth / a.years, y, kRow - 1);
    if (m % 3 == 0)
      out += svg::text(svg::kLeft - 6, y + kRow - 1, std::string(svg::kMonthNames[m]).substr(0, 3),
                       "rl");
  }
  out += svg::y_title(svg::kTop, h, "month");
  out += svg::year_axis(a, svg::kTop, h);
  return out + svg::close() + "</figure>\n";
}

}  // namespace

std::string decile_charts(const Station& st, const svg::Axis& a) {
  std::array<std::string, kDecileClasses> labels;
  for (std::size_t i = 0; i < kDecileClasses; ++i)
    labels[i] = std::string(kDecileRanges[i]) + " " + kDecileNames[i];
  return "<p class=\"intro\">Each month's decile is the rank of the month's total among all "
         "monthly totals of the record (every calendar month in one pool), not among the "
         "same calendar month of other years: dry seasons rank low every year.</p>\n" +
         deciles(st, a, Series::Observed) + deciles(st, a, Series::Interpolated) +
         svg::swatch_legend(kDecileColours, labels,
                            "decile (rank among all monthly totals of the record):", true);
}

}  // namespace report
