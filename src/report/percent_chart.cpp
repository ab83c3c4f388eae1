// Percent of normal: columns from 100 % on a logarithmic axis from 25 % to
// 400 %, so that half and double the normal are equally far from it; a
// column beyond the axis is cut at its edge and marked there.
#include <array>
#include <cmath>
#include <limits>

#include "report/charts.h"
#include "report/classes.h"

namespace report {

namespace {

// Doublings from 100 %: 25 % is -2, 400 % is +2; 0 % lies below the axis.
double doublings(double percent) {
  return percent > 0 ? std::log2(percent / 100) : -std::numeric_limits<double>::infinity();
}

std::string percent(const Station& st, const svg::Axis& a, Series series) {
  const Track* t = find_track(st, Index::PctNormal, series);
  const std::string name = std::string("Percent of normal, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n";
  bool any = false;
  for (const Cell& c : t->cells) any = any || c.value.present;
  if (!any) out += "<p class=\"none\">No values to draw.</p>\n";
  const svg::Scale s{-2, 2, svg::kTop, svg::kTop + svg::kPanel};
  out += svg::open(svg::kTop + svg::kPanel + svg::kBottom,
                   name + ", bars from 100 percent on a logarithmic axis");
  const std::array<svg::Tick, 5> ticks{
      {{-2, "25 %"}, {-1, "50 %"}, {0, "100 %"}, {1, "200 %"}, {2, "400 %"}}};
  out += svg::value_axis(s, ticks, "percent of normal");
  out += svg::columns(a, t, s, 100, {kPercentColours, percent_class, doublings});
  out += "<path d=\"M" + svg::num(svg::kLeft) + " " + svg::num(s.y(0)) + "H" +
         svg::num(svg::kLeft + svg::kPlotWidth) + "\" class=\"base\"/>\n";
  out += svg::year_axis(a, svg::kTop, svg::kTop + svg::kPanel);
  return out + svg::close() + "</figure>\n";
}

}  // namespace

std::string percent_charts(const Station& st, const svg::Axis& a) {
  return "<p class=\"intro\">Bars start at 100 % (the mean of the calendar month over the "
         "record, or over the reference years); the axis is logarithmic, so half and double "
         "the normal lie equally far from it. Bars beyond 25 % or 400 % are cut at the edge "
         "and marked with a black bar there.</p>\n" +
         percent(st, a, Series::Observed) + percent(st, a, Series::Interpolated);
}

}  // namespace report
