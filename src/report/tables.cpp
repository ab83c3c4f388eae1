#include "report/tables.h"

#include <algorithm>
#include <array>
#include <vector>

#include "report/svg.h"

namespace report {

namespace {

constexpr std::size_t kMostSevere = 10;

constexpr std::array<std::pair<const char*, const char*>, kStatFields> kStatDefinitions{{
    {"rmean", "mean observed SPI, &#332;"},
    {"imean", "mean interpolated SPI"},
    {"r2", "squared correlation of the two series"},
    {"RMSE", "root of the summed squared differences over n &#8722; 2"},
    {"MAE", "summed absolute differences over n &#8722; 2"},
    {"DMSE", "index of agreement of the squared differences (1 is perfect)"},
    {"DMAE", "index of agreement of the absolute differences (1 is perfect)"},
    {"E", "model efficiency: 1 &#8722; squared differences over the observed variance sum"},
    {"RMSD", "root mean squared difference (over n)"},
    {"MBE", "mean bias, interpolated minus observed"},
    {"MAXdi", "largest absolute difference"},
    {">0.5", "months whose values differ by more than 0.5"},
}};

std::string td(const Value& v) {
  return v.present ? "<td>" + svg::escape(cell_text(v)) + "</td>" : "<td class=\"gap\"></td>";
}

std::string td(const std::string& text) { return "<td>" + svg::escape(text) + "</td>"; }

std::string events_table(const Station& st, std::string_view index, std::string_view period,
                         const std::string& title) {
  std::vector<const Event*> chosen;
  for (const Event& e : st.events)
    if (e.index == index && e.period == period && e.series == "observed" && e.severity.present)
      chosen.push_back(&e);
  if (chosen.empty()) return "";
  std::stable_sort(chosen.begin(), chosen.end(), [](const Event* a, const Event* b) {
    return a->severity.number > b->severity.number;
  });
  if (chosen.size() > kMostSevere) chosen.resize(kMostSevere);
  std::string out = "<h3>" + title +
                    "</h3>\n<div class=\"scroll\"><table class=\"events\">"
                    "<thead><tr><th>start</th><th>end</th><th>duration (months)</th>"
                    "<th>severity</th><th>peak</th><th>peak month</th></tr></thead><tbody>\n";
  for (const Event* e : chosen) {
    out += "<tr>" + td(e->start) + (e->ongoing ? td(std::string("ongoing")) : td(e->end)) +
           td(e->duration) + td(e->severity) + td(e->peak) + td(e->peak_month) + "</tr>\n";
  }
  return out + "</tbody></table></div>\n";
}

}  // namespace

std::string cell_text(const Value& v) {
  if (!v.present) return "";
  if (v.number == 0 && v.text.starts_with('-')) return v.text.substr(1);
  return v.text;
}

std::string stats_table(const Station& st) {
  if (!st.has_stats) return "<p class=\"none\">No comparison statistics.</p>\n";
  std::string out =
      "<div class=\"scroll\"><table class=\"stats\"><thead><tr><th>period "
      "(months)</th>";
  for (const char* n : kStatNames) out += "<th>" + svg::escape(n) + "</th>";
  out += "</tr></thead><tbody>\n";
  for (std::size_t p = 0; p < kPeriods; ++p) {
    out += "<tr><th>" + std::to_string(kPeriodMonths[p]) + "</th>";
    if (!st.stats[p][0].present && !st.stats[p][1].present) {  // no month with both values
      out += "<td colspan=\"12\" class=\"gap\">no month has both values</td></tr>\n";
      continue;
    }
    for (const Value& v : st.stats[p]) out += td(v);
    out += "</tr>\n";
  }
  out += "</tbody></table></div>\n<dl class=\"defs\">\n";
  for (const auto& [name, meaning] : kStatDefinitions)
    out += "<dt>" + svg::escape(name) + "</dt><dd>" + meaning + "</dd>\n";
  return out +
         "</dl>\n<p class=\"intro\">n is the number of months where both series have a value; "
         "differences are taken month by month.</p>\n";
}

std::string events_tables(const Station& st) {
  const std::string out =
      events_table(st, "spi", "6", "SPI-6, observed series: the ten most severe events") +
      events_table(st, "pdsi", "1", "PDSI: the ten most severe events");
  if (out.empty()) return "";
  return "<p class=\"intro\">An event runs from its first month at or below the start "
         "threshold to the last month before the index rises above the end threshold; its "
         "severity is the sum of the index over its months with the sign turned, its peak the "
         "lowest value.</p>\n" +
         out;
}

std::string needed_table(const Station& st) {
  std::string rows;
  for (const Needed& n : st.needed) {
    if (n.series != "interpolated") continue;
    rows += "<tr>" + td(n.period) + td(n.horizon) + td(n.target) + td(n.month) + td(n.inches) +
            td(n.mm) + td(n.percent) + td(n.probability) + "</tr>\n";
  }
  if (rows.empty()) return "";
  return "<p class=\"intro\">Precipitation needed over the coming months (interpolated "
         "series) for the SPI of a period to reach the target; 0.00 when it is already "
         "reached.</p>\n<div class=\"scroll\"><table class=\"needed\"><thead><tr>"
         "<th>SPI period (months)</th><th>within (months)</th><th>target SPI</th>"
         "<th>by month</th><th>inches</th><th>mm</th><th>% of normal</th>"
         "<th>probability</th></tr></thead><tbody>\n" +
         rows + "</tbody></table></div>\n";
}

std::string files_table(const Station& st) {
  static constexpr std::array<const char*, 5> states{"complete", "missing", "cut short", "damaged",
                                                     "too large"};
  std::string out = "<div class=\"scroll\"><table class=\"files\"><tbody>\n";
  for (const FileReport& f : st.files) {
    if (f.optional && f.state == FileState::Missing) continue;
    out += "<tr><td class=\"name\">" + svg::escape(shown(f.name)) + "</td><td>" +
           states[static_cast<std::size_t>(f.state)] + "</td></tr>\n";
  }
  return out + "</tbody></table></div>\n";
}

}  // namespace report
