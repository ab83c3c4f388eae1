#include "report/svg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "report/classes.h"

namespace report::svg {

namespace {

constexpr double kMaxTickLabels = 14.0;
constexpr double kLabelWidth = 34.0;   // room a year label needs on the axis
constexpr double kNarrowestBar = 2.5;  // narrower months are drawn as an area
constexpr double kCutMark = 3.0;       // height of the mark on a cut column
constexpr double kSeam = 0.4;          // overlap of a run under the next, against seams

// The years between two labelled ticks.
int year_step(int years) {
  static constexpr std::array<int, 8> steps{1, 2, 5, 10, 20, 25, 50, 100};
  for (int s : steps)
    if (years / static_cast<double>(s) <= kMaxTickLabels) return s;
  return steps.back();
}

// A month to draw: its position on the axis and its value after the transform.
struct Month {
  int index;
  double value;
  int klass;
};

std::vector<Month> months_of(const Axis& a, const Track* t, const Columns& c) {
  std::vector<Month> out;
  if (t == nullptr) return out;
  for (const Cell& cell : t->cells) {
    const int i = a.index(cell.year, cell.month);
    if (!cell.value.present || i < 0) continue;
    const double v = c.transform ? c.transform(cell.value.number) : cell.value.number;
    out.push_back({i, v, c.classify(cell.value.number)});
  }
  return out;
}

void bar(std::string& d, const Axis& a, const Scale& s, double base, const Month& m) {
  d += 'M';
  put(d, a.x_of(m.index));
  d += ' ';
  put(d, s.y(base));
  d += 'V';
  put(d, s.y(m.value));
  d += 'h';
  put(d, a.month_width() * 0.8);
  d += 'V';
  put(d, s.y(base));
  d += 'Z';
}

// Each run of consecutive months of one class is one closed step outline.
void step_area(std::vector<std::string>& paths, const Axis& a, const Scale& s, double base,
               std::span<const Month> ms) {
  for (std::size_t i = 0; i < ms.size();) {
    std::size_t j = i;
    std::string& d = paths[static_cast<std::size_t>(ms[i].klass)];
    d += 'M';
    put(d, a.x_of(ms[i].index));
    d += ' ';
    put(d, s.y(base));
    for (; j < ms.size() && ms[j].klass == ms[i].klass && ms[j].index == ms[i].index + int(j - i);
         ++j) {
      d += 'V';
      put(d, s.y(ms[j].value));
      // The last month of a run reaches under the adjacent month of the next
      // run, so that anti-aliasing leaves no light seam between the two.
      const bool seam =
          j + 1 < ms.size() && ms[j + 1].index == ms[j].index + 1 && ms[j + 1].klass != ms[i].klass;
      d += 'H';
      put(d, a.x_of(ms[j].index + 1) + (seam ? kSeam : 0.0));
    }
    d += 'V';
    put(d, s.y(base));
    d += 'Z';
    i = j;
  }
}

// Marks on the edge of the scale over every column cut there.
std::string cut_marks(const Axis& a, const Scale& s, std::span<const Month> ms) {
  std::string d;
  for (const Month& m : ms) {
    if (m.value >= s.lo && m.value <= s.hi) continue;
    const double edge = m.value > s.hi ? s.y0 : s.y1 - kCutMark;
    d += 'M';
    put(d, a.x_of(m.index));
    d += ' ';
    put(d, edge);
    d += 'h';
    put(d, std::max(a.month_width(), 1.0));
    d += 'v';
    put(d, kCutMark);
    d += 'h';
    put(d, -std::max(a.month_width(), 1.0));
    d += 'Z';
  }
  return d.empty() ? "" : "<path class=\"cut\" d=\"" + d + "\"/>\n";
}

}  // namespace

void put(std::string& out, double v) {
  const long long tenths = std::llround(v * 10);
  const unsigned long long magnitude =
      static_cast<unsigned long long>(tenths < 0 ? -tenths : tenths);
  if (tenths < 0) out += '-';
  char buf[24];
  auto end = std::to_chars(buf, buf + sizeof buf, magnitude / 10).ptr;
  if (magnitude % 10 != 0) {
    *end++ = '.';
    *end++ = static_cast<char>('0' + magnitude % 10);
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

int Axis::index(int year, int month) const {
  if (year < first_year || month < 1 || month > kMonthsPerYear) return -1;
  const long long i = (static_cast<long long>(year) - first_year) * kMonthsPerYear + month - 1;
  return i < months() ? static_cast<int>(i) : -1;
}

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
  return Axis{lo, any ? hi - lo + 1 : 1};
}

double Scale::y(double v) const {
  v = std::clamp(v, lo, hi);
  return y1 - (v - lo) / (hi - lo) * (y1 - y0);
}

std::string open(double height, const std::string& label) {
  return "<div class=\"chart\"><svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
         num(kWidth) + " " + num(height) + "\" role=\"img\" aria-label=\"" + escape(label) +
         "\">\n";
}

std::string close() { return "</svg></div>\n"; }

std::string text(double x, double y, const std::string& s, const char* cls) {
  std::string out = "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"";
  if (cls != nullptr) out += std::string(" class=\"") + cls + "\"";
  return out + ">" + s + "</text>";
}

std::string year_axis(const Axis& a, double y0, double y1) {
  const int step = year_step(a.years);
  const int last = a.first_year + a.years - 1;
  std::string out = "<g class=\"axis\">";
  double previous_label = -1e9;
  for (int y = a.first_year; y <= last; ++y) {
    const bool on_step = y % step == 0 || (a.years < step && y == a.first_year);
    if (!on_step && y != last) continue;
    const double x = a.x_of(a.index(y, 1));
    if (y == last && !on_step && x - previous_label < kLabelWidth) continue;
    out += "<path d=\"M" + num(x) + " " + num(y0) + "V" + num(y1 + 4) + "\" class=\"grid\"/>";
    out += text(x, y1 + 16, std::to_string(y), "yl");
    previous_label = x;
  }
  out += text(kLeft + kPlotWidth / 2, y1 + 33, "year", "title");
  return out + "</g>\n";
}

std::string y_title(double y0, double y1, const std::string& s) {
  return "<text transform=\"translate(16 " + num((y0 + y1) / 2) +
         ") rotate(-90)\" class=\"title\">" + s + "</text>\n";
}

std::string value_axis(const Scale& s, std::span<const Tick> ticks, const std::string& title) {
  std::string out = "<g class=\"axis\">";
  for (const Tick& t : ticks) {
    out += "<path d=\"M" + num(kLeft) + " " + num(s.y(t.value)) + "H" + num(kLeft + kPlotWidth) +
           "\" class=\"grid\"/>";
    out += text(kLeft - 6, s.y(t.value) + 4, t.label, "rl");
  }
  out += "</g>\n";
  return out + y_title(s.y0, s.y1, title);
}

std::string value_axis(const Scale& s, double step, const std::string& title) {
  std::vector<Tick> ticks;
  for (double v = std::ceil(s.lo / step) * step; v <= s.hi + 1e-9; v += step)
    ticks.push_back({v, num(v)});
  return value_axis(s, ticks, title);
}

std::string grid_row(const std::vector<int>& classes, std::span<const char* const> colours,
                     double x0, double cell, double y, double h) {
  std::string out = "<g shape-rendering=\"crispEdges\">";
  for (std::size_t i = 0; i < classes.size();) {
    std::size_t j = i + 1;
    while (j < classes.size() && classes[j] == classes[i]) ++j;
    out += "<rect x=\"";
    put(out, x0 + static_cast<double>(i) * cell);
    out += "\" y=\"";
    put(out, y);
    out += "\" width=\"";
    put(out, static_cast<double>(j - i) * cell);
    out += "\" height=\"";
    put(out, h);
    out += "\" fill=\"";
    out += classes[i] < 0 ? kMissingColour : colours[static_cast<std::size_t>(classes[i])];
    out += "\"/>";
    i = j;
  }
  return out + "</g>\n";
}

std::vector<int> month_classes(const Axis& a, const Track* t, Classify classify) {
  std::vector<int> out(static_cast<std::size_t>(a.months()), -1);
  if (t == nullptr) return out;
  for (const Cell& c : t->cells) {
    const int i = a.index(c.year, c.month);
    if (c.value.present && i >= 0) out[static_cast<std::size_t>(i)] = classify(c.value.number);
  }
  return out;
}

std::string columns(const Axis& a, const Track* t, const Scale& s, double base, const Columns& c) {
  const std::vector<Month> ms = months_of(a, t, c);
  if (c.transform) base = c.transform(base);
  std::vector<std::string> paths(c.colours.size());
  if (a.month_width() >= kNarrowestBar) {
    for (const Month& m : ms) bar(paths[static_cast<std::size_t>(m.klass)], a, s, base, m);
  } else {
    step_area(paths, a, s, base, ms);
  }
  std::string out;
  for (std::size_t k = 0; k < paths.size(); ++k) {
    if (!paths[k].empty())
      out += std::string("<path fill=\"") + c.colours[k] + "\" d=\"" + paths[k] + "\"/>\n";
  }
  return out + cut_marks(a, s, ms);
}

std::string line(const Axis& a, const Track* t, const Scale& s, const char* cls) {
  std::string d;
  int prev = -2;
  if (t != nullptr) {
    for (const Cell& c : t->cells) {
      const int i = a.index(c.year, c.month);
      if (!c.value.present || i < 0) {
        prev = -2;
        continue;
      }
      d += i == prev + 1 ? 'L' : 'M';
      put(d, a.x_of(i) + a.month_width() / 2);
      d += ' ';
      put(d, s.y(c.value.number));
      prev = i;
    }
  }
  if (d.empty()) return "";
  return std::string("<path class=\"") + cls + "\" d=\"" + d + "\"/>\n";
}

std::string swatch_legend(std::span<const char* const> colours, std::span<const std::string> names,
                          const std::string& title, bool with_missing) {
  std::string out = "<p class=\"legend\"><span class=\"lt\">" + title + "</span>";
  for (std::size_t i = 0; i < colours.size() && i < names.size(); ++i)
    out +=
        std::string("<span><i style=\"background:") + colours[i] + "\"></i>" + names[i] + "</span>";
  if (with_missing)
    out += std::string("<span><i style=\"background:") + kMissingColour + "\"></i>missing</span>";
  return out + "</p>\n";
}

}  // namespace report::svg
