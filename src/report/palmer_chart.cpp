// The Palmer charts: Palmer X, and PDSI, PHDI and PMDI when the station has
// them, as columns coloured by Palmer's classes (a filled step area for long
// records); the moisture anomaly Z as a line.
#include <algorithm>
#include <array>
#include <cmath>

#include "report/charts.h"
#include "report/classes.h"

namespace report {

namespace {

bool has_values(const Track* t) {
  return t != nullptr && std::any_of(t->cells.begin(), t->cells.end(),
                                     [](const Cell& c) { return c.value.present; });
}

std::string empty_note(const Track* t) {
  return has_values(t) ? "" : "<p class=\"none\">No values to draw.</p>\n";
}

// The symmetric range of a track's values, at least `least`, at most `most`.
double symmetric_range(const Track* t, double least, double most) {
  double m = least;
  if (t != nullptr)
    for (const Cell& c : t->cells)
      if (c.value.present) m = std::max(m, std::ceil(std::fabs(c.value.number)));
  return std::min(m, most);
}

std::string palmer_legend() {
  std::array<std::string, kPalmerClasses> labels;
  for (std::size_t i = 0; i < kPalmerClasses; ++i)
    labels[i] = std::string(kPalmerNames[i]) + " (" + kPalmerRanges[i] + ")";
  return svg::swatch_legend(kPalmerColours, labels, "Palmer classes:", false);
}

// One index over Palmer's classes.
std::string palmer_panel(const svg::Axis& a, const Track* t, const std::string& name,
                         const std::string& symbol, const std::string& id) {
  std::string out =
      "<figure id=\"" + id + "\"><figcaption>" + name + "</figcaption>\n" + empty_note(t);
  const double r = symmetric_range(t, 4, 10);
  const svg::Scale s{-r, r, svg::kTop, svg::kTop + svg::kPanel};
  out += svg::open(svg::kTop + svg::kPanel + svg::kBottom, name + " by month, coloured by class");
  out += svg::value_axis(s, r > 4 ? 2 : 1, symbol + " (no unit)");
  out += svg::columns(a, t, s, 0, {kPalmerColours, palmer_class});
  out += "<path d=\"M" + svg::num(svg::kLeft) + " " + svg::num(s.y(0)) + "H" +
         svg::num(svg::kLeft + svg::kPlotWidth) + "\" class=\"base\"/>\n";
  out += svg::year_axis(a, svg::kTop, svg::kTop + svg::kPanel);
  return out + svg::close() + "</figure>\n";
}

std::string z_panel(const svg::Axis& a, const Track* z) {
  std::string out =
      "<figure><figcaption>Palmer moisture anomaly index Z</figcaption>\n" + empty_note(z);
  const double rz = symmetric_range(z, 4, 12);
  const double bottom = svg::kTop + svg::kPanel * 0.7;
  const svg::Scale s{-rz, rz, svg::kTop, bottom};
  out += svg::open(bottom + svg::kBottom, "Palmer Z as a line");
  out += svg::value_axis(s, rz > 6 ? 4 : 2, "Z (no unit)");
  out += svg::line(a, z, s, "zline");
  out += svg::year_axis(a, svg::kTop, bottom);
  return out + svg::close() + "</figure>\n";
}

}  // namespace

std::string palmer_charts(const Station& st, const svg::Axis& a) {
  std::string out = palmer_panel(a, find_track(st, Index::PalmerX, Series::Observed),
                                 "Palmer drought index X", "X", "palmer-x");
  out += palmer_legend();
  out += z_panel(a, find_track(st, Index::PalmerZ, Series::Observed));
  static constexpr std::array<std::pair<Index, const char*>, 3> complete{
      {{Index::Pdsi, "PDSI"}, {Index::Phdi, "PHDI"}, {Index::Pmdi, "PMDI"}}};
  std::string extended;
  for (const auto& [index, name] : complete) {
    const Track* t = find_track(st, index, Series::Observed);
    if (!t->cells.empty())
      extended += palmer_panel(a, t, name, name, std::string("palmer-") + index_name(index));
  }
  if (extended.empty()) return out;
  return out +
         "<p class=\"intro\">The complete Palmer indices: PDSI with Palmer's rules for "
         "establishing and ending spells (its last months are provisional), PHDI the "
         "hydrological index, PMDI the modified index.</p>\n" +
         extended + palmer_legend();
}

}  // namespace report
