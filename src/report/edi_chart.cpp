// The EDI charts: a line over bands of the SPI classes.
#include <algorithm>
#include <array>
#include <cmath>

#include "report/charts.h"
#include "report/classes.h"

namespace report {

namespace {

constexpr std::array<const char*, kSpiClasses> kBandColours{
    "#ecd9bf", "#f4ead6", "#faf4e8", "#ffffff", "#e6f4f2", "#d2ebe8", "#b9e0dc"};

std::string edi(const Station& st, const svg::Axis& a, Series series) {
  const Track* t = find_track(st, Index::Edi, series);
  const std::string name = std::string("EDI, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n";
  double r = 3;
  bool any = false;
  for (const Cell& c : t->cells) {
    if (!c.value.present) continue;
    any = true;
    r = std::max(r, std::ceil(std::fabs(c.value.number)));
  }
  if (!any) out += "<p class=\"none\">No values to draw.</p>\n";
  r = std::min(r, 6.0);
  const svg::Scale s{-r, r, svg::kTop, svg::kTop + svg::kPanel};
  out += svg::open(svg::kTop + svg::kPanel + svg::kBottom,
                   name + ", a line over the drought class bands");
  static constexpr std::array<double, kSpiClasses + 1> edges{-1e9, -2, -1.5, -1, 1, 1.5, 2, 1e9};
  for (std::size_t k = 0; k < kSpiClasses; ++k) {
    const double top = s.y(edges[k + 1]);
    out += "<rect x=\"" + svg::num(svg::kLeft) + "\" y=\"" + svg::num(top) + "\" width=\"" +
           svg::num(svg::kPlotWidth) + "\" height=\"" + svg::num(s.y(edges[k]) - top) +
           "\" fill=\"" + kBandColours[k] + "\"/>";
  }
  out += "\n" + svg::value_axis(s, 1, "EDI (no unit)");
  out += svg::line(a, t, s, "ediline");
  out += svg::year_axis(a, svg::kTop, svg::kTop + svg::kPanel);
  return out + svg::close() + "</figure>\n";
}

}  // namespace

std::string edi_charts(const Station& st, const svg::Axis& a) {
  return edi(st, a, Series::Observed) + edi(st, a, Series::Interpolated);
}

}  // namespace report
