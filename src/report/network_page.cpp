// The network page: maps, class counts and the table of stations. The page
// is one well-formed XHTML file with inline CSS, SVG and a small script; the
// maps switch without the script (CSS :target), the script only filters the
// table. Colours sit on classes, never on single dots or rows, so that a page
// of 40,000 stations stays small.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <utility>

#include "report/classes.h"
#include "report/network.h"
#include "report/page.h"
#include "report/svg.h"

namespace report {

namespace {

using svg::escape;

constexpr std::size_t kMaxListed = 200;  // stations named in a line of the summary
constexpr std::size_t kChunkRows = 500;  // rows of the station table laid out together
constexpr const char* kChunkOpen = "<div class=\"chunk\"><table class=\"st\"><tbody>\n";

// One of the three maps: which value it shows and how it is classed.
struct MapKind {
  const char* id;     // element ID of its section, the target of its tab
  const char* title;  // as in the table header
  char prefix;        // class names: prefix and class number; "m" for missing
  int classes;
  const char* const* colours;
  const char* const* names;
  const char* const* ranges;
  Value NetStation::*value;
  int (*classify)(double);
};

const std::array<MapKind, 3> kMaps{{
    {"spi3", "SPI-3", 'c', kSpiClasses, kSpiColours.data(), kSpiNames.data(), kSpiRanges.data(),
     &NetStation::spi3, spi_class},
    {"spi12", "SPI-12", 'c', kSpiClasses, kSpiColours.data(), kSpiNames.data(), kSpiRanges.data(),
     &NetStation::spi12, spi_class},
    {"palmer", "Palmer X", 'p', kPalmerClasses, kPalmerColours.data(), kPalmerNames.data(),
     kPalmerRanges.data(), &NetStation::palmer, palmer_class},
}};

// The class of a station on a map, -1 when it has no value.
int class_of(const MapKind& m, const NetStation& st) {
  const Value& v = st.*m.value;
  return v.present ? m.classify(v.number) : -1;
}

std::string class_name(const MapKind& m, int k) {
  return k < 0 ? std::string("m") : m.prefix + std::to_string(k);
}

// A number with at most `decimals` decimals, trailing zeros dropped: "44.9",
// "-93.25", "0".
std::string short_number(double v, int decimals = 2) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

std::string month_text(int year, int month) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d", year, month);
  return buf;
}

// ---- Maps ---------------------------------------------------------------------

// The area of the maps in degrees: the stations with a small margin, the
// graticule step, and the scale of longitudes at the middle latitude (the
// equirectangular projection).
struct Extent {
  double west = -180;
  double east = 180;
  double south = -90;
  double north = 90;
  double step = 30;
  double k = 1;  // cos(middle latitude)
};

Extent extent_of(const std::vector<NetStation>& stations) {
  double lo_lon = 180, hi_lon = -180, lo_lat = 90, hi_lat = -90;
  bool any = false;
  for (const NetStation& st : stations) {
    if (!st.placed) continue;
    any = true;
    lo_lon = std::min(lo_lon, st.longitude);
    hi_lon = std::max(hi_lon, st.longitude);
    lo_lat = std::min(lo_lat, st.latitude);
    hi_lat = std::max(hi_lat, st.latitude);
  }
  Extent e;
  if (!any) return e;
  const double span = std::max({hi_lon - lo_lon, hi_lat - lo_lat, 1.0});
  static constexpr std::array<double, 6> kSteps{1, 2, 5, 10, 15, 30};
  e.step = kSteps.back();
  for (double s : kSteps) {
    if (span / s <= 6) {
      e.step = s;
      break;
    }
  }
  const double pad = span / 25;  // keeps dots off the edges
  e.west = std::max(-180.0, lo_lon - pad);
  e.east = std::min(180.0, hi_lon + pad);
  e.south = std::max(-90.0, lo_lat - pad);
  e.north = std::min(90.0, hi_lat + pad);
  e.k = std::cos((e.north + e.south) / 2 * std::numbers::pi / 180);
  return e;
}

std::string degrees(double v, const char* positive, const char* negative) {
  if (v == 0) return "0&#176;";
  return short_number(std::abs(v)) + "&#176;" + (v > 0 ? positive : negative);
}

// The graticule and its labels; lines in degrees inside the scaled group,
// labels outside it so that the text keeps its shape.
struct Graticule {
  std::string lines;
  std::string labels;
};

// The graticule lines on whole steps inside the area, each labelled at the
// left or bottom edge.
Graticule graticule(const Extent& e, double font) {
  std::string lines = "<path class=\"grat\" d=\"";
  std::string labels = "<g class=\"lab\" font-size=\"" + short_number(font, 3) + "\">";
  const auto label = [&](double x, double y, const std::string& text) {
    labels += "<text x=\"" + short_number(x, 3) + "\" y=\"" + short_number(y, 3) + "\">" + text +
              "</text>";
  };
  for (double lon = std::ceil(e.west / e.step) * e.step; lon <= e.east; lon += e.step) {
    lines += "M" + short_number(lon) + " " + short_number(-e.north) + "V" + short_number(-e.south);
    // a label needs about three letters of room before the east edge
    if ((e.east - lon) * e.k > 3 * font)
      label(lon * e.k + font / 4, -e.south - font / 3, degrees(lon, "E", "W"));
  }
  for (double lat = std::ceil(e.south / e.step) * e.step; lat <= e.north; lat += e.step) {
    lines += "M" + short_number(e.west) + " " + short_number(-lat) + "H" + short_number(e.east);
    // above its line, or below it where the north edge would cut it
    const double y = e.north - lat > font ? -lat - font / 3 : -lat + font;
    label(e.west * e.k + font / 4, y, degrees(lat, "N", "S"));
  }
  return {lines + "\"/>\n", labels + "</g>\n"};
}

// One map: a group of dots per class, missing first, then from wet to dry so
// that the driest dots lie on top.
std::string map_svg(const std::vector<NetStation>& stations, const MapKind& m, const Extent& e) {
  const double w = (e.east - e.west) * e.k;
  const double h = e.north - e.south;
  const double font = std::max(w, h) / 80;
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"map\" viewBox=\"" +
                    short_number(e.west * e.k, 3) + " " + short_number(-e.north, 3) + " " +
                    short_number(w, 3) + " " + short_number(h, 3) +
                    "\" role=\"img\" aria-label=\"" + m.title + " of each station on a map\">\n";
  out += "<rect class=\"sea\" x=\"" + short_number(e.west * e.k, 3) + "\" y=\"" +
         short_number(-e.north, 3) + "\" width=\"" + short_number(w, 3) + "\" height=\"" +
         short_number(h, 3) + "\"/>\n<g transform=\"scale(" + short_number(e.k, 5) + " 1)\">";
  const Graticule grid = graticule(e, font);
  out += grid.lines;
  std::vector<std::vector<const NetStation*>> by_class(static_cast<std::size_t>(m.classes) + 1);
  for (const NetStation& st : stations) {
    if (st.placed) by_class[static_cast<std::size_t>(class_of(m, st) + 1)].push_back(&st);
  }
  for (int g = 0; g <= m.classes; ++g) {
    const int k = g == 0 ? -1 : m.classes - g;  // missing, then wettest to driest
    const auto& dots = by_class[static_cast<std::size_t>(k + 1)];
    if (dots.empty()) continue;
    out += "<g class=\"" + class_name(m, k) + "\">\n";
    for (const NetStation* st : dots) {
      out += "<path data-id=\"" + escape(st->id) + "\" d=\"M" + short_number(st->longitude) + " " +
             short_number(-st->latitude) + "h0\"/>\n";
    }
    out += "</g>\n";
  }
  return out + "</g>\n" + grid.labels + "</svg>\n";
}

std::string legend(const MapKind& m) {
  std::string out = "<p class=\"legend\">";
  for (int k = 0; k < m.classes; ++k) {
    out += "<span><i class=\"" + class_name(m, k) + "\"></i>" + m.names[k] + " (" + m.ranges[k] +
           ")</span> ";
  }
  return out + "<span><i class=\"m\"></i>no value</span></p>\n";
}

std::string maps(const Network& net) {
  const Extent e = extent_of(net.stations);
  std::string out = "<div class=\"maps\">\n<p class=\"tabs\">";
  for (const MapKind& m : kMaps) {
    out += std::string("<a href=\"#") + m.id + "\">" + m.title + "</a> ";
  }
  out += "</p>\n";
  for (const MapKind& m : kMaps) {
    out += std::string("<section class=\"mapbox\" id=\"") + m.id + "\">\n<h2>" + m.title +
           " in each station&#8217;s last month</h2>\n" + map_svg(net.stations, m, e) + legend(m) +
           "</section>\n";
  }
  return out + "</div>\n";
}

// ---- Counts and lists --------------------------------------------------------

// The most common last month (the later one of a tie); {0, 0} when no
// station has an SPI value.
std::pair<int, int> common_month(const std::vector<NetStation>& stations) {
  std::map<std::pair<int, int>, int> count;
  for (const NetStation& st : stations) {
    if (st.year != 0) ++count[{st.year, st.month}];
  }
  std::pair<int, int> best{0, 0};
  int most = 0;
  for (const auto& [when, n] : count) {
    if (n >= most) {
      best = when;
      most = n;
    }
  }
  return best;
}

// The counts of each class of the maps among the stations ending in `when`.
std::string count_tables(const std::vector<NetStation>& stations, std::pair<int, int> when) {
  std::array<std::array<int, kPalmerClasses + 1>, kMaps.size()> n{};
  for (const NetStation& st : stations) {
    if (std::pair(st.year, st.month) != when) continue;
    for (std::size_t i = 0; i < kMaps.size(); ++i)
      ++n[i][static_cast<std::size_t>(class_of(kMaps[i], st) + 1)];
  }
  std::string out =
      "<table class=\"counts\" id=\"spi-counts\"><tr><th>SPI "
      "class</th><th>SPI-3</th><th>SPI-12</th></tr>\n";
  for (int k = 0; k <= kSpiClasses; ++k) {
    const std::size_t row = k == kSpiClasses ? 0 : static_cast<std::size_t>(k + 1);
    out += "<tr><td><i class=\"" + class_name(kMaps[0], k == kSpiClasses ? -1 : k) + "\"></i>" +
           (k == kSpiClasses ? "no value" : kSpiNames[static_cast<std::size_t>(k)]) + "</td><td>" +
           std::to_string(n[0][row]) + "</td><td>" + std::to_string(n[1][row]) + "</td></tr>\n";
  }
  out +=
      "</table>\n<table class=\"counts\" id=\"palmer-counts\"><tr><th>Palmer class</th><th>Palmer "
      "X</th></tr>\n";
  for (int k = 0; k <= kPalmerClasses; ++k) {
    const std::size_t row = k == kPalmerClasses ? 0 : static_cast<std::size_t>(k + 1);
    out += "<tr><td><i class=\"" + class_name(kMaps[2], k == kPalmerClasses ? -1 : k) + "\"></i>" +
           (k == kPalmerClasses ? "no value" : kPalmerNames[static_cast<std::size_t>(k)]) +
           "</td><td>" + std::to_string(n[2][row]) + "</td></tr>\n";
  }
  return out + "</table>\n";
}

std::string link(const NetStation& st) {
  return "<a href=\"" + st.href + "\">" + escape(st.id) + "</a>";
}

// One line naming the stations that pass `pick`, at most kMaxListed of them.
template <class Pick>
std::string station_line(const std::vector<NetStation>& stations, const char* what, Pick&& pick) {
  std::size_t n = 0;
  std::string names;
  for (const NetStation& st : stations) {
    if (!pick(st)) continue;
    if (n++ < kMaxListed) {
      names += (n > 1 ? ", " : "") + link(st) +
               (st.year != 0 ? " (" + month_text(st.year, st.month) + ")" : "");
    }
  }
  if (n == 0) return "";
  if (n > kMaxListed) names += " and " + std::to_string(n - kMaxListed) + " more (see the table)";
  return "<p class=\"list\">" + std::string(what) + " (" + std::to_string(n) + "): " + names +
         ".</p>\n";
}

std::string summary(const Network& net, std::pair<int, int> when) {
  const auto& s = net.stations;
  const auto at = [](const NetStation& st) { return std::pair(st.year, st.month); };
  std::size_t common = 0;
  for (const NetStation& st : s) common += at(st) == when ? 1 : 0;
  std::string out =
      "<section id=\"counts\">\n<h2>Classes in " +
      (when.first != 0 ? month_text(when.first, when.second) : std::string("no month")) +
      "</h2>\n<p>" + std::to_string(common) + " of " + std::to_string(s.size()) +
      " stations end in this month, the most common last month.</p>\n";
  out += "<div class=\"countbox\">" + count_tables(s, when) + "</div>\n";
  out += station_line(s, "Ending earlier",
                      [&](const NetStation& st) { return st.year != 0 && at(st) < when; });
  out += station_line(s, "Ending later", [&](const NetStation& st) { return at(st) > when; });
  out += station_line(s, "Without an SPI value", [](const NetStation& st) { return st.year == 0; });
  out += station_line(s, "Without latitude and longitude, not on the maps",
                      [](const NetStation& st) { return !st.placed; });
  if (net.without_results > 0) {
    out += "<p class=\"list\">" + std::to_string(net.without_results) +
           " stations found without SPI results are left out (named on standard error).</p>\n";
  }
  return out + "</section>\n";
}

// ---- The table ----------------------------------------------------------------

std::string value_cell(const Value& v) {
  return "<td>" + (v.present ? escape(v.text) : "") + "</td>";
}

// The stations by current severity: SPI-3 from the driest, stations without
// an SPI-3 value last, then by ID.
std::vector<const NetStation*> by_severity(const std::vector<NetStation>& stations) {
  std::vector<const NetStation*> order;
  order.reserve(stations.size());
  for (const NetStation& st : stations) order.push_back(&st);
  std::stable_sort(order.begin(), order.end(), [](const NetStation* a, const NetStation* b) {
    if (a->spi3.present != b->spi3.present) return a->spi3.present;
    if (a->spi3.present && a->spi3.number != b->spi3.number) return a->spi3.number < b->spi3.number;
    return a->id < b->id;
  });
  return order;
}

std::string filter_form(std::pair<int, int> when, std::size_t shown) {
  std::string out =
      "<p id=\"filter\" hidden=\"hidden\"><label>SPI-3 class <select id=\"fk\"><option "
      "value=\"\">all</option>";
  for (int k = 0; k < kSpiClasses; ++k) {
    out += "<option value=\"c" + std::to_string(k) + "\">" +
           kSpiNames[static_cast<std::size_t>(k)] + "</option>";
  }
  out += "<option value=\"m\">no value</option>";
  if (when.first != 0)
    out += "<option value=\"e\">ends before " + month_text(when.first, when.second) + "</option>";
  return out +
         "</select></label> <label>ID starts with <input id=\"fp\" size=\"8\"/></label> <span "
         "id=\"shown\">" +
         std::to_string(shown) + "</span> shown</p>\n";
}

std::string station_row(const NetStation& st, std::pair<int, int> when) {
  const int k = class_of(kMaps[0], st);
  const bool earlier = st.year != 0 && std::pair(st.year, st.month) < when;
  return "<tr class=\"" + class_name(kMaps[0], k) + (earlier ? " e" : "") + "\"><td>" + link(st) +
         "</td><td>" + (st.placed ? short_number(st.latitude) : "") + "</td><td>" +
         (st.placed ? short_number(st.longitude) : "") + "</td><td>" +
         (st.year != 0 ? month_text(st.year, st.month) : "") + "</td>" + value_cell(st.spi3) +
         value_cell(st.spi12) + value_cell(st.palmer) + "<td>" +
         (k < 0 ? "no value" : kSpiNames[static_cast<std::size_t>(k)]) + "</td></tr>\n";
}

// The table in chunks of rows of the same column widths, so that the browser
// lays out only the chunks in view (content-visibility), however many
// stations there are.
std::string station_table(const std::vector<NetStation>& stations, std::pair<int, int> when) {
  std::string out =
      "<section id=\"table\">\n<h2>Stations by current severity</h2>\n" +
      filter_form(when, stations.size()) +
      "<div id=\"stations\"><table class=\"st\"><thead><tr><th>ID</th><th>latitude</th>"
      "<th>longitude</th><th>last month</th><th>SPI-3</th><th>SPI-12</th><th>Palmer X</th>"
      "<th>class</th></tr></thead></table>\n";
  std::size_t n = 0;
  for (const NetStation* st : by_severity(stations)) {
    if (n++ % kChunkRows == 0)
      out += (n > 1 ? "</tbody></table></div>\n" : "") + std::string(kChunkOpen);
    out += station_row(*st, when);
  }
  if (n > 0) out += "</tbody></table></div>\n";
  return out + "</div>\n</section>\n";
}

// ---- Head and script -----------------------------------------------------------

// Dot size in screen pixels: smaller for denser networks.
int dot_size(std::size_t stations) {
  return stations <= 100 ? 9 : stations <= 1000 ? 7 : stations <= 10000 ? 5 : 4;
}

// The tab of the map in view stands out: SPI-3 unless another map is the target.
std::string tab_styles() {
  std::string out = ".tabs a[href=\"#spi3\"]";
  for (const MapKind& m : kMaps) {
    out += std::string(",.maps:has(#") + m.id + ":target) .tabs a[href=\"#" + m.id + "\"]";
  }
  out +=
      "{background:#444;color:#fff}\n.maps:has(.mapbox:target:not(#spi3)) .tabs "
      "a[href=\"#spi3\"]{background:none;color:#222}\n";
  return out;
}

std::string class_styles() {
  std::string out;
  for (std::size_t i = 0; i < kMaps.size(); i += 2) {  // SPI-3 (as SPI-12) and Palmer
    const MapKind& m = kMaps[i];
    for (int k = 0; k < m.classes; ++k) {
      const std::string c = class_name(m, k);
      const char* colour = m.colours[k];
      out += "g." + c + "{stroke:" + colour + "}i." + c + "{background:" + colour + "}";
      if (m.prefix == 'c') out += "tr." + c + ">td:last-child{background:" + colour + "}";
      out += "\n";
    }
  }
  return out +
         "g.m{stroke:#8a8a8a}i.m{background:#8a8a8a}\n"
         "tr.c0>td:last-child,tr.c6>td:last-child{color:#fff}\n";
}

std::string head(std::size_t stations) {
  return "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
         "<meta charset=\"utf-8\"/>\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
         "<title>Drought network: " +
         std::to_string(stations) +
         " stations</title>\n<style>\n"
         "body{font:15px/1.4 system-ui,sans-serif;margin:0 auto;padding:0 "
         "16px;max-width:1400px;color:#222}\n"
         "h1{font-size:1.5em}h2{font-size:1.15em;margin:1em 0 .4em}\n"
         ".mapbox{display:none;scroll-margin-top:3em}.mapbox:target,#spi3{display:block}\n"
         ".maps:has(.mapbox:target:not(#spi3)) #spi3{display:none}\n"
         ".tabs a{display:inline-block;padding:.2em .8em;border:1px solid #888;border-radius:4px;"
         "margin-right:.3em;text-decoration:none;color:#222}\n"
         ".mapbox{overflow-x:auto}svg.map{display:block;min-width:640px;width:100%;height:auto;max-"
         "height:80vh;border:1px solid #999}\n"
         ".sea{fill:#dfe5ea;stroke:#999;vector-effect:non-scaling-stroke}.grat{fill:none;stroke:#"
         "fff;stroke-width:1px;vector-effect:non-scaling-"
         "stroke}\n"
         ".lab{fill:#555}\n"
         "svg.map "
         "g[class]>path{fill:none;stroke-linecap:round;vector-effect:non-scaling-stroke;stroke-"
         "width:" +
         std::to_string(dot_size(stations)) +
         "px}\n"
         "i{display:inline-block;width:.9em;height:.9em;margin-right:.3em;vertical-align:-.1em;"
         "border:1px solid #999}\n"
         ".legend span{white-space:nowrap;margin-right:.6em}\n"
         ".countbox{display:flex;flex-wrap:wrap;gap:24px}\n"
         "table{border-collapse:collapse}td,th{padding:2px 8px;border-bottom:1px solid #ddd}\n"
         ".counts td+td{text-align:right}\n"
         "#stations{overflow-x:auto}.st{table-layout:fixed;width:58em;font-variant-numeric:tabular-"
         "nums}\n"
         ".chunk{content-visibility:auto;contain-intrinsic-size:auto 50em auto 13000px}\n"
         ".st th,.st td{width:5.5em;text-align:right;white-space:nowrap}.st "
         "tr>:first-child{width:6em;text-align:left}.st tr>:nth-child(4){width:7em}\n"
         ".st tr>:last-child{width:9em;text-align:left}.st "
         "td:empty::after{content:\"\\2013\";color:#999}\n" +
         tab_styles() + class_styles() + "</style>\n</head>\n";
}

// Filters the table by class and ID prefix; a click on a dot shows its row.
constexpr const char* kScript = R"(<script>//<![CDATA[
(function(){
var rows=document.querySelectorAll('#stations tbody tr'),k=document.getElementById('fk'),
p=document.getElementById('fp'),n=document.getElementById('shown');
document.getElementById('filter').hidden=false;
function f(){var c=k.value,q=p.value.trim(),s=0;
for(var i=0;i<rows.length;i++){var r=rows[i],ok=(!c||r.classList.contains(c))&&
r.cells[0].textContent.indexOf(q)===0;r.hidden=!ok;if(ok)s++;}n.textContent=s;}
k.onchange=f;p.oninput=f;
document.querySelectorAll('svg.map').forEach(function(m){m.onclick=function(e){
var id=e.target.getAttribute('data-id');if(!id)return;p.value=id;k.value='';f();
document.getElementById('table').scrollIntoView();};});
})();
//]]></script>
)";

}  // namespace

std::string network_page(const Network& net, std::string_view version) {
  const auto when = common_month(net.stations);
  std::string out = head(net.stations.size());
  out += "<body>\n<h1>Drought network: " + std::to_string(net.stations.size()) + " stations</h1>\n";
  out +=
      "<p class=\"meta\">Each station in its last month with an SPI value (observed series); "
      "a click on a station&#8217;s ID opens its page. Made by drought-report " +
      escape(version) + ".</p>\n";
  out += maps(net) + summary(net, when) + station_table(net.stations, when) + kScript;
  return out + "</body>\n</html>\n";
}

}  // namespace report
