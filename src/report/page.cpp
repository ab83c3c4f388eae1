#include "report/page.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <vector>

namespace report {

namespace {

constexpr int kMonthsPerYear = 12;
constexpr double kWidth = 1000.0;  // drawing width of every chart
constexpr double kLeft = 86.0;     // room for the row labels and the axis title
constexpr double kRight = 14.0;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kTop = 8.0;
constexpr double kBottom = 38.0;    // year labels and the axis title
constexpr double kSpiRow = 16.0;    // height of one period in the SPI map
constexpr double kDecileRow = 9.0;  // height of one calendar month in the decile grid
constexpr double kPanel = 150.0;    // height of a bar or line panel
constexpr double kMaxTickLabels = 14.0;

constexpr std::array<const char*, kMonthsPerYear> kMonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, kSpiClasses> kSpiNames{
    "extremely dry",  "severely dry", "moderately dry", "near normal",
    "moderately wet", "severely wet", "extremely wet"};
constexpr std::array<const char*, kSpiClasses> kSpiRanges{"&#8804; &#8722;2",
                                                          "&#8722;2 to &#8722;1.5",
                                                          "&#8722;1.5 to &#8722;1",
                                                          "&#8722;1 to 1",
                                                          "1 to 1.5",
                                                          "1.5 to 2",
                                                          "&#8805; 2"};
constexpr std::array<const char*, kPalmerClasses> kPalmerColours{"#8c510a", "#bf812d", "#dfc27d",
                                                                 "#f0dfb0", "#d9d2e9", "#c7eae5",
                                                                 "#80cdc1", "#35978f", "#01665e"};
constexpr std::array<const char*, kPalmerClasses> kPalmerNames{
    "extreme drought (&#8804; &#8722;4)",
    "severe (&#8722;4 to &#8722;3)",
    "moderate (&#8722;3 to &#8722;2)",
    "mild drought (&#8722;2 to &#8722;1)",
    "near normal (&#8722;1 to 1)",
    "slightly wet (1 to 2)",
    "moderately wet (2 to 3)",
    "very wet (3 to 4)",
    "extremely wet (&#8805; 4)"};
constexpr int kDecileClasses = 5;
constexpr std::array<const char*, kDecileClasses> kDecileColours{"#a6611a", "#dfc27d", "#f5f5f5",
                                                                 "#80cdc1", "#018571"};
constexpr std::array<const char*, kDecileClasses> kDecileNames{
    "1&#8211;2 much below normal", "3&#8211;4 below normal", "5&#8211;6 near normal",
    "7&#8211;8 above normal", "9&#8211;10 much above normal"};
constexpr const char* kDryBar = "#bf812d";
constexpr const char* kWetBar = "#35978f";
constexpr std::array<const char*, kSpiClasses> kBandColours{
    "#ecd9bf", "#f4ead6", "#faf4e8", "#ffffff", "#e6f4f2", "#d2ebe8", "#b9e0dc"};

// Appends a coordinate or tick value with at most one decimal ("12.5", "3", "-0.5").
void put(std::string& out, double v) {
  const long long tenths = std::llround(v * 10);
  const long long whole = (tenths < 0 ? -tenths : tenths) / 10;
  const int decimal = static_cast<int>((tenths < 0 ? -tenths : tenths) % 10);
  if (tenths < 0) out += '-';
  char buf[24];
  auto end = std::to_chars(buf, buf + sizeof buf, whole).ptr;
  if (decimal != 0) {
    *end++ = '.';
    *end++ = static_cast<char>('0' + decimal);
  }
  out.append(buf, end);
}

std::string num(double v) {
  std::string s;
  put(s, v);
  return s;
}

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The time axis shared by every chart: January of the first year to December
// of the last.
struct Axis {
  int first_year = 0;
  int years = 1;
  int months() const { return years * kMonthsPerYear; }
  double month_width() const { return kPlotWidth / months(); }
  // Left edge of a month; -1 when outside the axis.
  double x(int year, int month) const {
    const int i = (year - first_year) * kMonthsPerYear + month - 1;
    if (year < first_year || i < 0 || i >= months()) return -1.0;
    return kLeft + i * month_width();
  }
};

Axis make_axis(const Station& st) {
  int lo = 0;
  int hi = 0;
  bool any = false;
  for (const Track& t : st.tracks) {
    for (const Cell& c : t.cells) {
      if (c.month < 1 || c.month > kMonthsPerYear) continue;
      lo = any ? std::min(lo, c.year) : c.year;
      hi = any ? std::max(hi, c.year) : c.year;
      any = true;
    }
  }
  Axis a;
  a.first_year = lo;
  a.years = any ? hi - lo + 1 : 1;
  return a;
}

std::string svg_open(double height, const std::string& label) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(kWidth) + " " +
         num(height) + "\" role=\"img\" aria-label=\"" + escape(label) + "\">\n";
}

std::string text(double x, double y, const std::string& s, const char* cls = nullptr) {
  std::string out = "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"";
  if (cls != nullptr) out += std::string(" class=\"") + cls + "\"";
  return out + ">" + s + "</text>";
}

// Year ticks and labels below a plot that spans y0 to y1, and the axis title.
std::string year_axis(const Axis& a, double y0, double y1) {
  static constexpr std::array<int, 8> steps{1, 2, 5, 10, 20, 25, 50, 100};
  int step = steps.back();
  for (int s : steps) {
    if (a.years / static_cast<double>(s) <= kMaxTickLabels) {
      step = s;
      break;
    }
  }
  std::string out = "<g class=\"axis\">";
  for (int y = a.first_year; y < a.first_year + a.years; ++y) {
    if (y % step != 0 && !(a.years < step && y == a.first_year)) continue;
    const double x = a.x(y, 1);
    out += "<path d=\"M" + num(x) + " " + num(y0) + "V" + num(y1 + 4) + "\" class=\"grid\"/>";
    if (x + 30 <= kLeft + kPlotWidth) out += text(x + 2, y1 + 15, std::to_string(y));
  }
  out += text(kLeft + kPlotWidth / 2, y1 + 31, "year", "title");
  out += "</g>\n";
  return out;
}

std::string y_title(double y0, double y1, const std::string& s) {
  const double y = (y0 + y1) / 2;
  return "<text transform=\"translate(14 " + num(y) + ") rotate(-90)\" class=\"title\">" + s +
         "</text>\n";
}

// One row of grid cells from x0 with the given cell width: each run of equal
// classes is one rectangle; class -1 is a missing value (grey).
std::string grid_row(const std::vector<int>& classes, const char* const* colours, double x0,
                     double cell, double y, double h) {
  std::string out = "<g shape-rendering=\"crispEdges\">";
  std::size_t i = 0;
  while (i < classes.size()) {
    std::size_t j = i + 1;
    while (j < classes.size() && classes[j] == classes[i]) ++j;
    const char* fill = classes[i] < 0 ? kMissingColour : colours[classes[i]];
    out += "<rect x=\"";
    put(out, x0 + static_cast<double>(i) * cell);
    out += "\" y=\"";
    put(out, y);
    out += "\" width=\"";
    put(out, static_cast<double>(j - i) * cell);
    out += "\" height=\"";
    put(out, h);
    out += "\" fill=\"";
    out += fill;
    out += "\"/>";
    i = j;
  }
  return out + "</g>\n";
}

// Classes of a track on the axis, month by month; months absent or missing are -1.
template <class Classify>
std::vector<int> month_classes(const Axis& a, const Track* t, Classify classify) {
  std::vector<int> out(static_cast<std::size_t>(a.months()), -1);
  if (t == nullptr) return out;
  for (const Cell& c : t->cells) {
    if (!c.value.present || a.x(c.year, c.month) < 0) continue;
    const int i = (c.year - a.first_year) * kMonthsPerYear + c.month - 1;
    out[static_cast<std::size_t>(i)] = classify(c.value.number);
  }
  return out;
}

std::string spi_map(const Station& st, const Axis& a, Series series) {
  const double h = kTop + kPeriods * kSpiRow;
  const std::string name = std::string("SPI, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n";
  out += svg_open(h + kBottom, name + ", heat map of the seven accumulation periods");
  for (int p = 0; p < kPeriods; ++p) {
    const int months = kPeriodMonths[static_cast<std::size_t>(p)];
    const double y = kTop + p * kSpiRow;
    out += "<g id=\"spi-" + std::string(series_name(series)) + "-" + std::to_string(months) + "\">";
    out += grid_row(month_classes(a, find_track(st, Index::Spi, series, months), spi_class),
                    kSpiColours.data(), kLeft, a.month_width(), y, kSpiRow - 1);
    out += "</g>";
    out += text(kLeft - 6, y + kSpiRow - 4, std::to_string(months), "rl") + "\n";
  }
  out += y_title(kTop, h, "period (months)");
  out += year_axis(a, kTop, h);
  return out + "</svg></figure>\n";
}

std::string swatch_legend(const char* const* colours, const char* const* names, int n,
                          const std::string& title, bool with_missing) {
  std::string out = "<p class=\"legend\"><span class=\"lt\">" + title + "</span>";
  for (int i = 0; i < n; ++i) {
    out +=
        std::string("<span><i style=\"background:") + colours[i] + "\"></i>" + names[i] + "</span>";
  }
  if (with_missing) {
    out += std::string("<span><i style=\"background:") + kMissingColour + "\"></i>missing</span>";
  }
  return out + "</p>\n";
}

std::string spi_legend() {
  std::array<std::string, kSpiClasses> labels;
  std::array<const char*, kSpiClasses> ptrs{};
  for (int i = 0; i < kSpiClasses; ++i) {
    labels[static_cast<std::size_t>(i)] = std::string(kSpiNames[static_cast<std::size_t>(i)]) +
                                          " (" + kSpiRanges[static_cast<std::size_t>(i)] + ")";
    ptrs[static_cast<std::size_t>(i)] = labels[static_cast<std::size_t>(i)].c_str();
  }
  return swatch_legend(kSpiColours.data(), ptrs.data(), kSpiClasses,
                       "SPI (standard deviations):", true);
}

// A vertical value scale: maps values lo..hi onto the panel.
struct Scale {
  double lo, hi, y0, y1;
  double y(double v) const {
    v = std::clamp(v, lo, hi);
    return y1 - (v - lo) / (hi - lo) * (y1 - y0);
  }
};

std::string value_axis(const Scale& s, double step, const std::string& title) {
  std::string out = "<g class=\"axis\">";
  for (double v = std::ceil(s.lo / step) * step; v <= s.hi + 1e-9; v += step) {
    out += "<path d=\"M" + num(kLeft) + " " + num(s.y(v)) + "H" + num(kLeft + kPlotWidth) +
           "\" class=\"grid\"/>";
    out += text(kLeft - 6, s.y(v) + 4, num(v), "rl");
  }
  out += "</g>\n";
  return out + y_title(s.y0, s.y1, title);
}

// Bars from a base value, one path per colour class.
template <class Classify>
std::string bars(const Axis& a, const Track* t, const Scale& s, double base, int classes,
                 const char* const* colours, Classify classify) {
  std::vector<std::string> paths(static_cast<std::size_t>(classes));
  if (t != nullptr) {
    const double w = a.month_width();
    for (const Cell& c : t->cells) {
      const double x = a.x(c.year, c.month);
      if (!c.value.present || x < 0) continue;
      auto& d = paths[static_cast<std::size_t>(classify(c.value.number))];
      d += 'M';
      put(d, x);
      d += ' ';
      put(d, s.y(base));
      d += 'V';
      put(d, s.y(c.value.number));
      d += 'h';
      put(d, std::max(w * 0.8, 0.6));
      d += 'V';
      put(d, s.y(base));
      d += 'Z';
    }
  }
  std::string out;
  for (int k = 0; k < classes; ++k) {
    if (paths[static_cast<std::size_t>(k)].empty()) continue;
    out += std::string("<path fill=\"") + colours[k] + "\" d=\"" +
           paths[static_cast<std::size_t>(k)] + "\"/>\n";
  }
  return out;
}

// A line through the month centres, broken at every missing value.
std::string line(const Axis& a, const Track* t, const Scale& s, const char* cls) {
  std::string d;
  int prev = -2;
  if (t != nullptr) {
    for (const Cell& c : t->cells) {
      const double x = a.x(c.year, c.month);
      const int i = (c.year - a.first_year) * kMonthsPerYear + c.month;
      if (!c.value.present || x < 0) {
        prev = -2;
        continue;
      }
      d += i == prev + 1 ? 'L' : 'M';
      put(d, x + a.month_width() / 2);
      d += ' ';
      put(d, s.y(c.value.number));
      prev = i;
    }
  }
  if (d.empty()) return "";
  return std::string("<path class=\"") + cls + "\" d=\"" + d + "\"/>\n";
}

// The symmetric range of a track's values, at least `least`, at most `most`.
double symmetric_range(const Track* t, double least, double most) {
  double m = least;
  if (t != nullptr) {
    for (const Cell& c : t->cells) {
      if (c.value.present) m = std::max(m, std::ceil(std::fabs(c.value.number)));
    }
  }
  return std::min(m, most);
}

std::string empty_note(const Track* t) {
  if (t != nullptr && std::any_of(t->cells.begin(), t->cells.end(),
                                  [](const Cell& c) { return c.value.present; })) {
    return "";
  }
  return "<p class=\"none\">No values to draw.</p>\n";
}

std::string palmer(const Station& st, const Axis& a) {
  const Track* x = find_track(st, Index::PalmerX, Series::Observed);
  const Track* z = find_track(st, Index::PalmerZ, Series::Observed);
  std::string out = "<figure><figcaption>Palmer drought index X</figcaption>\n" + empty_note(x);
  const double rx = symmetric_range(x, 4, 10);
  const Scale sx{-rx, rx, kTop, kTop + kPanel};
  out += svg_open(kTop + kPanel + kBottom, "Palmer X as monthly bars coloured by class");
  out += value_axis(sx, rx > 4 ? 2 : 1, "Palmer X (no unit)");
  out += bars(a, x, sx, 0, kPalmerClasses, kPalmerColours.data(), palmer_class);
  out += year_axis(a, kTop, kTop + kPanel) + "</svg>\n";
  out +=
      swatch_legend(kPalmerColours.data(), kPalmerNames.data(), kPalmerClasses, "Palmer X:", false);
  out += "</figure>\n<figure><figcaption>Palmer moisture anomaly index Z</figcaption>\n" +
         empty_note(z);
  const double rz = symmetric_range(z, 4, 12);
  const Scale sz{-rz, rz, kTop, kTop + kPanel * 0.7};
  out += svg_open(kTop + kPanel * 0.7 + kBottom, "Palmer Z as a line");
  out += value_axis(sz, rz > 6 ? 4 : 2, "Z (no unit)");
  out += line(a, z, sz, "zline");
  out += year_axis(a, kTop, kTop + kPanel * 0.7);
  return out + "</svg></figure>\n";
}

std::string edi(const Station& st, const Axis& a, Series series) {
  const Track* t = find_track(st, Index::Edi, series);
  const std::string name = std::string("EDI, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n" + empty_note(t);
  const double r = symmetric_range(t, 3, 6);
  const Scale s{-r, r, kTop, kTop + kPanel};
  out += svg_open(kTop + kPanel + kBottom, name + ", a line over the drought class bands");
  static constexpr std::array<double, kSpiClasses + 1> edges{-1e9, -2, -1.5, -1, 1, 1.5, 2, 1e9};
  for (std::size_t k = 0; k < kSpiClasses; ++k) {
    const double top = s.y(edges[k + 1]);
    out += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(top) + "\" width=\"" + num(kPlotWidth) +
           "\" height=\"" + num(s.y(edges[k]) - top) + "\" fill=\"" + kBandColours[k] + "\"/>";
  }
  out += "\n" + value_axis(s, 1, "EDI (no unit)");
  out += line(a, t, s, "ediline");
  out += year_axis(a, kTop, kTop + kPanel);
  return out + "</svg></figure>\n";
}

int decile_class(double v) { return std::clamp(static_cast<int>((v - 1) / 2), 0, 4); }

std::string deciles(const Station& st, const Axis& a, Series series) {
  const Track* t = find_track(st, Index::Decile, series);
  const std::string name = std::string("Deciles, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n";
  const double h = kTop + kMonthsPerYear * kDecileRow;
  out += svg_open(h + kBottom, name + ", a grid of years and calendar months");
  std::vector<std::vector<int>> rows(kMonthsPerYear,
                                     std::vector<int>(static_cast<std::size_t>(a.years), -1));
  if (t != nullptr) {
    for (const Cell& c : t->cells) {
      if (!c.value.present || a.x(c.year, c.month) < 0) continue;
      rows[static_cast<std::size_t>(c.month - 1)][static_cast<std::size_t>(c.year - a.first_year)] =
          decile_class(c.value.number);
    }
  }
  for (int m = 0; m < kMonthsPerYear; ++m) {
    const double y = kTop + m * kDecileRow;
    out += grid_row(rows[static_cast<std::size_t>(m)], kDecileColours.data(), kLeft,
                    kPlotWidth / a.years, y, kDecileRow - 1);
    if (m % 3 == 0) {
      out += text(kLeft - 6, y + kDecileRow - 1,
                  std::string(kMonthNames[static_cast<std::size_t>(m)]).substr(0, 3), "rl");
    }
  }
  out += y_title(kTop, h, "month");
  out += year_axis(a, kTop, h);
  return out + "</svg></figure>\n";
}

std::string percent(const Station& st, const Axis& a, Series series) {
  const Track* t = find_track(st, Index::PctNormal, series);
  const std::string name = std::string("Percent of normal, ") + series_name(series) + " series";
  std::string out = "<figure><figcaption>" + name + "</figcaption>\n" + empty_note(t);
  double top = 200;
  if (t != nullptr) {
    for (const Cell& c : t->cells) {
      if (c.value.present) top = std::max(top, std::ceil(c.value.number / 100) * 100);
    }
  }
  top = std::min(top, 400.0);
  const Scale s{0, top, kTop, kTop + kPanel};
  out += svg_open(kTop + kPanel + kBottom, name + ", bars around 100 percent");
  out += value_axis(s, 50, "percent of normal (%)");
  static constexpr std::array<const char*, 2> colours{kDryBar, kWetBar};
  out += bars(a, t, s, 100, 2, colours.data(), [](double v) { return v < 100 ? 0 : 1; });
  out += "<path d=\"M" + num(kLeft) + " " + num(s.y(100)) + "H" + num(kLeft + kPlotWidth) +
         "\" class=\"base\"/>\n";
  out += year_axis(a, kTop, kTop + kPanel);
  return out + "</svg></figure>\n";
}

std::string stats_table(const Station& st) {
  if (!st.has_stats) return "<p class=\"none\">No comparison statistics.</p>\n";
  std::string out = "<table class=\"stats\"><thead><tr><th>period (months)</th>";
  for (const char* n : kStatNames) out += "<th>" + escape(n) + "</th>";
  out += "</tr></thead><tbody>\n";
  for (std::size_t p = 0; p < kPeriods; ++p) {
    out += "<tr><th>" + std::to_string(kPeriodMonths[p]) + "</th>";
    if (!st.stats[p][0].present && !st.stats[p][1].present) {  // no month with both values
      out += "<td colspan=\"12\" class=\"gap\">no month has both values</td></tr>\n";
      continue;
    }
    for (const Value& v : st.stats[p]) {
      out += v.present ? "<td>" + escape(v.text) + "</td>" : "<td class=\"gap\"></td>";
    }
    out += "</tr>\n";
  }
  return out + "</tbody></table>\n";
}

std::string span_text(const Station& st) {
  const Track* t = find_track(st, Index::Precip, Series::Observed);
  const Cell* first = nullptr;
  const Cell* last = nullptr;
  for (const Cell& c : t->cells) {
    if (!c.value.present || c.month < 1 || c.month > kMonthsPerYear) continue;
    if (first == nullptr) first = &c;
    last = &c;
  }
  if (first == nullptr) return "data span unknown (no observed monthly precipitation)";
  return std::string("observed precipitation from ") + kMonthNames[first->month - 1] + " " +
         std::to_string(first->year) + " to " + kMonthNames[last->month - 1] + " " +
         std::to_string(last->year) + " (" + std::to_string(last->year - first->year + 1) +
         " years)";
}

std::string written_text(std::time_t when) {
  std::tm tm{};
  gmtime_r(&when, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M UTC", &tm);
  return buf;
}

constexpr const char* kStyle = R"(
body{font-family:sans-serif;color:#222;max-width:1040px;margin:0 auto;padding:12px 20px;}
h1{font-size:1.5em;margin:0.2em 0;} h2{font-size:1.15em;margin:1.4em 0 0.3em;border-bottom:1px solid #ccc;}
p.meta{margin:0.2em 0;color:#444;} p.intro{margin:0.3em 0;color:#444;font-size:0.9em;}
figure{margin:0.6em 0;break-inside:avoid;} figcaption{font-weight:bold;font-size:0.9em;}
svg{width:100%;height:auto;display:block;}
svg text{font-size:12px;fill:#333;} svg text.rl{text-anchor:end;} svg text.title{text-anchor:middle;font-size:12px;}
svg .grid{stroke:#999;stroke-width:0.5;fill:none;} svg .base{stroke:#333;stroke-width:0.8;fill:none;}
svg .zline{stroke:#444;stroke-width:0.8;fill:none;} svg .ediline{stroke:#222;stroke-width:1;fill:none;}
p.legend{font-size:0.8em;margin:0.2em 0 0.6em;} p.legend span{margin-right:1em;white-space:nowrap;}
p.legend i{display:inline-block;width:12px;height:12px;border:1px solid #888;margin-right:4px;vertical-align:-2px;}
p.legend .lt{font-weight:bold;} p.none{color:#a00;font-size:0.9em;}
table{border-collapse:collapse;font-size:0.85em;} th,td{border:1px solid #ccc;padding:2px 6px;}
td{text-align:right;font-variant-numeric:tabular-nums;} td.gap{background:#eee;text-align:center;color:#555;}
div.warn{border:1px solid #c60;background:#fff4e5;padding:4px 12px;margin:0.6em 0;}
section{break-inside:avoid-page;}
@media print{body{max-width:none;padding:0;} *{-webkit-print-color-adjust:exact;print-color-adjust:exact;}}
)";

}  // namespace

namespace {

// The class of a value among ascending class bounds, counted from the driest;
// a value on a bound belongs to the class farther from normal (zero).
int class_of(double v, std::initializer_list<double> bounds) {
  int k = 0;
  for (double b : bounds)
    if (b < 0 ? v > b : v >= b) ++k;
  return k;
}

}  // namespace

int spi_class(double v) { return class_of(v, {-2, -1.5, -1, 1, 1.5, 2}); }

int palmer_class(double v) { return class_of(v, {-4, -3, -2, -1, 1, 2, 3, 4}); }

std::string html_page(const Station& st, std::string_view version) {
  const Axis a = make_axis(st);
  const std::string id = escape(st.id);
  std::string out =
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
      "<meta charset=\"utf-8\"/>\n<title>Station " +
      id + ", drought indices</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  out += "<h1>Station " + id + "</h1>\n<p class=\"meta\">" + span_text(st) + "</p>\n";
  out += "<p class=\"meta\">Made by drought-report " + escape(version) + " from outputs written " +
         written_text(st.newest) + "</p>\n";
  std::string warnings;
  for (const FileReport& f : st.files) {
    if (f.state != FileState::Ok) warnings += "<li>" + escape(warning_text(st, f)) + "</li>\n";
  }
  if (!warnings.empty()) {
    out +=
        "<div class=\"warn\"><p>Some output files are missing or incomplete; the charts show "
        "what could be read.</p><ul>\n" +
        warnings + "</ul></div>\n";
  }
  out +=
      "<section><h2>Standardized Precipitation Index (SPI)</h2>\n<p class=\"intro\">One row "
      "per accumulation period, one column per month. Brown is dry, green-blue is wet; grey "
      "months have no value (the first months of each longer period always lack one).</p>\n";
  out += spi_map(st, a, Series::Observed) + spi_map(st, a, Series::Interpolated) + spi_legend();
  out +=
      "</section>\n<section><h2>Interpolated against observed SPI</h2>\n<p class=\"intro\">"
      "Twelve statistics per accumulation period comparing the SPI of the interpolated series "
      "with that of the observed series (months where both exist). Empty cells could not be "
      "computed.</p>\n" +
      stats_table(st) + "</section>\n";
  out += "<section><h2>Palmer drought index</h2>\n" + palmer(st, a) + "</section>\n";
  out +=
      "<section><h2>Effective Drought Index (EDI)</h2>\n<p class=\"intro\">Bands mark the "
      "classes of the SPI legend; values beyond the scale are drawn at its edge.</p>\n" +
      edi(st, a, Series::Observed) + edi(st, a, Series::Interpolated) + "</section>\n";
  out +=
      "<section><h2>Precipitation deciles</h2>\n" + deciles(st, a, Series::Observed) +
      deciles(st, a, Series::Interpolated) +
      swatch_legend(kDecileColours.data(), kDecileNames.data(), kDecileClasses, "decile:", true) +
      "</section>\n";
  out +=
      "<section><h2>Percent of normal precipitation</h2>\n<p class=\"intro\">Bars start at "
      "100 % (the mean of the calendar month over the record); bars beyond 400 % are cut at "
      "the top.</p>\n" +
      percent(st, a, Series::Observed) + percent(st, a, Series::Interpolated) + "</section>\n";
  out += "<section><h2>Files read</h2>\n<table><tbody>\n";
  for (const FileReport& f : st.files) {
    static constexpr std::array<const char*, 4> states{"complete", "missing", "cut short",
                                                       "damaged"};
    out += "<tr><td style=\"text-align:left\">" + escape(f.name) + "</td><td>" +
           states[static_cast<std::size_t>(f.state)] + "</td></tr>\n";
  }
  return out + "</tbody></table></section>\n</body>\n</html>\n";
}

}  // namespace report
