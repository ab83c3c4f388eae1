#include "report/page.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "report/charts.h"
#include "report/svg.h"
#include "report/tables.h"

namespace report {

namespace {

using svg::escape;

// Charts are at least this wide, so that their 13-unit text never shows
// smaller than 11 px; a narrower window scrolls them sideways.
constexpr const char* kStyle = R"(
body{font-family:sans-serif;color:#222;max-width:1800px;margin:0 auto;padding:10px 16px;}
h1{font-size:1.5em;margin:0.2em 0;} h2{font-size:1.15em;margin:1.4em 0 0.3em;border-bottom:1px solid #ccc;}
h3{font-size:1em;margin:0.8em 0 0.3em;}
p.meta{margin:0.2em 0;color:#444;} p.intro{margin:0.3em 0;color:#444;font-size:0.9em;max-width:60em;}
figure{margin:0.6em 0;} figcaption{font-weight:bold;font-size:0.9em;}
div.chart{overflow-x:auto;} div.chart svg{width:100%;min-width:860px;height:auto;display:block;}
svg text{font-size:13px;fill:#333;} svg text.rl{text-anchor:end;} svg text.yl{text-anchor:middle;}
svg text.title{text-anchor:middle;}
svg .grid{stroke:#999;stroke-width:0.5;fill:none;} svg .base{stroke:#333;stroke-width:0.8;fill:none;}
svg .cut{fill:#000;}
svg .zline{stroke:#444;stroke-width:0.8;fill:none;} svg .ediline{stroke:#222;stroke-width:1;fill:none;}
p.legend{font-size:0.8em;margin:0.2em 0 0.6em;} p.legend span{margin-right:1em;white-space:nowrap;display:inline-block;}
p.legend i,#status i{display:inline-block;width:12px;height:12px;border:1px solid #888;margin-right:4px;vertical-align:-2px;}
p.legend .lt{font-weight:bold;} p.none{color:#a00;font-size:0.9em;} p.note{color:#8a4b00;font-size:0.9em;margin:0.2em 0;}
div.scroll{overflow-x:auto;max-width:100%;}
table{border-collapse:collapse;font-size:0.85em;} th,td{border:1px solid #ccc;padding:2px 6px;}
td{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap;} td.gap{background:#eee;text-align:center;color:#555;}
td.name{text-align:left;} #status td{text-align:left;} #status .cls{color:#555;font-size:0.9em;}
#status{border:1px solid #bbb;background:#fafafa;padding:2px 12px 10px;margin:0.6em 0;}
#status h2{margin-top:0.4em;}
dl.defs{display:grid;grid-template-columns:max-content 1fr;gap:2px 12px;font-size:0.85em;margin:0.6em 0;}
dl.defs dt{font-weight:bold;} dl.defs dd{margin:0;}
div.warn{border:1px solid #c60;background:#fff4e5;padding:4px 12px;margin:0.6em 0;}
@media print{body{max-width:none;padding:0;} div.chart svg{min-width:0;} *{-webkit-print-color-adjust:exact;print-color-adjust:exact;}}
)";

std::string span_text(const Station& st) {
  const Track* t = find_track(st, Index::Precip, Series::Observed);
  const Cell* first = nullptr;
  const Cell* last = nullptr;
  for (const Cell& c : t->cells) {
    if (!c.value.present || c.month < 1 || c.month > svg::kMonthsPerYear) continue;
    if (first == nullptr) first = &c;
    last = &c;
  }
  if (first == nullptr) return "data span unknown (no observed monthly precipitation)";
  return std::string("observed precipitation from ") + svg::kMonthNames[first->month - 1] + " " +
         std::to_string(first->year) + " to " + svg::kMonthNames[last->month - 1] + " " +
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

std::string place_text(const Place& p) {
  if (p.latitude.empty()) return "location unknown (no daily file)";
  return "latitude " + escape(p.latitude) + ", longitude " + escape(p.longitude) + ", elevation " +
         escape(p.elevation);
}

std::string header(const Station& st, std::string_view version) {
  const std::string id = escape(st.id);
  std::string out =
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
      "<meta charset=\"utf-8\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n<title>Station " +
      id + ", drought indices</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  out += "<h1>Station " + id + "</h1>\n<p class=\"meta\">" + place_text(st.place) + "</p>\n";
  out += "<p class=\"meta\">" + span_text(st) + "</p>\n";
  out += "<p class=\"meta\">" +
         (st.options.empty()
              ? std::string("default options")
              : "options that changed values: <code>" + escape(st.options) + "</code>") +
         "</p>\n";
  out += "<p class=\"meta\">Made by drought-report " + escape(version) + " from outputs written " +
         written_text(page_time(st)) + "</p>\n";
  std::string warnings;
  for (const FileReport& f : st.files)
    if (worth_warning(f)) warnings += "<li>" + escape(warning_text(st, f)) + "</li>\n";
  if (!warnings.empty()) {
    out +=
        "<div class=\"warn\"><p>Some output files are missing or incomplete; the charts show "
        "what could be read.</p><ul>\n" +
        warnings + "</ul></div>\n";
  }
  return out;
}

std::string section(const char* title, const std::string& intro, const std::string& body) {
  return std::string("<section><h2>") + title + "</h2>\n" +
         (intro.empty() ? "" : "<p class=\"intro\">" + intro + "</p>\n") + body + "</section>\n";
}

}  // namespace

std::time_t page_time(const Station& st) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  long long seconds = 0;
  if (epoch != nullptr) {
    const char* end = epoch + std::strlen(epoch);
    auto [at, ec] = std::from_chars(epoch, end, seconds);
    if (ec == std::errc() && at == end && at != epoch) return static_cast<std::time_t>(seconds);
  }
  return st.newest;
}

std::string html_page(const Station& st, std::string_view version) {
  const svg::Axis a = svg::make_axis(st);
  std::string out = header(st, version) + status_panel(st);
  out += section("Standardized Precipitation Index (SPI)",
                 "One row per accumulation period, one column per month. Brown is dry, "
                 "green-blue is wet; grey months have no value (the first months of each "
                 "longer period always lack one).",
                 heat_maps(st, a));
  out += section("Interpolated against observed SPI",
                 "Twelve statistics per accumulation period comparing the SPI of the "
                 "interpolated series with that of the observed series (months where both "
                 "exist). Empty cells could not be computed.",
                 stats_table(st));
  out += section("Palmer drought index", "", palmer_charts(st, a));
  out += section("Effective Drought Index (EDI)",
                 "Bands mark the classes of the SPI legend; values beyond the scale are drawn "
                 "at its edge.",
                 edi_charts(st, a));
  out += section("Precipitation deciles", "", decile_charts(st, a));
  out += section("Percent of normal precipitation", "", percent_charts(st, a));
  const std::string events = events_tables(st);
  if (!events.empty()) out += section("Drought events", "", events);
  out += section("Files read", "", files_table(st));
  return out + "</body>\n</html>\n";
}

}  // namespace report
