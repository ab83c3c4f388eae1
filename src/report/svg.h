// SVG primitives of the station page: coordinates as short numbers, escaped
// text, the time axis every chart shares, value scales and their axes, grid
// rows, columns (bars or a filled step area), lines and legends. Every chart
// draws in a viewBox kWidth units wide that the page scales to its width.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/sources.h"

namespace report::svg {

inline constexpr int kMonthsPerYear = 12;
inline constexpr std::array<const char*, kMonthsPerYear> kMonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
inline constexpr double kWidth = 1000.0;  // drawing width of every chart
inline constexpr double kLeft = 86.0;     // room for the row labels and the axis title
inline constexpr double kRight = 24.0;    // room for half the last year label
inline constexpr double kPlotWidth = kWidth - kLeft - kRight;
inline constexpr double kTop = 8.0;
inline constexpr double kBottom = 38.0;  // year labels and the axis title
inline constexpr double kPanel = 150.0;  // height of a bar or line panel

// Appends a coordinate or tick value with at most one decimal ("12.5", "3",
// "-0.5"); a value that rounds to zero is "0", never "-0".
void put(std::string& out, double v);
std::string num(double v);
// Text with &, <, > and " escaped for XML.
std::string escape(std::string_view text);

// The time axis shared by every chart: January of the first year to December
// of the last.
struct Axis {
  int first_year = 0;
  int years = 1;
  int months() const { return years * kMonthsPerYear; }
  double month_width() const { return kPlotWidth / months(); }
  // Position of a month on the axis, or -1 when outside it.
  int index(int year, int month) const;
  double x_of(int index) const { return kLeft + index * month_width(); }
};
Axis make_axis(const Station& station);

// A vertical value scale: maps values lo..hi onto y1..y0 (y grows downwards);
// values beyond the scale land on its edge.
struct Scale {
  double lo, hi, y0, y1;
  double y(double v) const;
};

// A class of values: its number (from the driest) for a value.
using Classify = int (*)(double);
// A change of a value before it is drawn (for example to a logarithm).
using Transform = double (*)(double);

// <div class="chart"><svg ...> for a chart of the given height, and its end.
std::string open(double height, const std::string& label);
std::string close();
std::string text(double x, double y, const std::string& s, const char* cls = nullptr);
// Year ticks below a plot that spans y0 to y1, each label centred on the tick
// it names (the last tick included), and the axis title.
std::string year_axis(const Axis& a, double y0, double y1);
std::string y_title(double y0, double y1, const std::string& s);

struct Tick {
  double value;
  std::string label;
};
std::string value_axis(const Scale& s, std::span<const Tick> ticks, const std::string& title);
// Ticks every `step` from lo to hi.
std::string value_axis(const Scale& s, double step, const std::string& title);

// One row of grid cells from x0 with the given cell width: each run of equal
// classes is one rectangle; class -1 is a missing value (grey).
std::string grid_row(const std::vector<int>& classes, std::span<const char* const> colours,
                     double x0, double cell, double y, double h);
// Classes of a track month by month on the axis; months absent or missing are -1.
std::vector<int> month_classes(const Axis& a, const Track* t, Classify classify);

// Monthly values from a base value, coloured by class, one path per class:
// separate bars while a month is wide enough, otherwise a filled step area
// without gaps. A value cut at the edge of the scale gets a mark there.
struct Columns {
  std::span<const char* const> colours;
  Classify classify;
  Transform transform = nullptr;  // applied to values (and the base) before scaling
};
std::string columns(const Axis& a, const Track* t, const Scale& s, double base, const Columns& c);
// A line through the month centres, broken at every missing value.
std::string line(const Axis& a, const Track* t, const Scale& s, const char* cls);

// A legend of colour swatches with their names, outside the chart.
std::string swatch_legend(std::span<const char* const> colours, std::span<const std::string> names,
                          const std::string& title, bool with_missing);

}  // namespace report::svg
