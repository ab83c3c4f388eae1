// The station page of a hand-made station that ends in drought, with the
// files of drought --extended: the status panel, the extended panels and
// tidy rows, the log axis, the decile legend, no negative zero, and the
// same bytes on two runs with SOURCE_DATE_EPOCH.
#include "report/page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "report/sources.h"
#include "report/tidy.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::string kId = "200001";

// Two years, 2000 and 2001, whose last month (December 2001) is dry.
void write_station() {
  write_file(kId + ".csv", "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01\n" + kId +
                               ",44.9000,-93.2000,120,PRCP,1,2000,0\n");
  write_file(kId + "-options.txt", "--reference 2000-2001 --extended\r\n");
  std::string spi, spi_int, pdsi = "YEAR,MONTH,Z,X\r\n",
                            palmer = "year,month,Z,PDSI,PHDI,PMDI,X1,X2,X3,Pe\n";
  std::string spei = "year,month,1,2,3,6,9,12,24\n";
  for (int y : {2000, 2001}) {
    for (int m = 1; m <= 12; ++m) {
      const bool last = y == 2001 && m == 12;
      char line[256];
      std::snprintf(line, sizeof line,
                    "%d,%2d,%s,  -1.60,  -1.10,  -0.50,   0.00,   1.20,  -99.00\r\n", y, m,
                    last ? "  -2.10" : "   0.30");
      spi += line;
      std::snprintf(line, sizeof line,
                    "%d,%2d,%s,  -1.60,  -1.10,  -0.50,   0.00,   1.20,  -99.00\r\n", y, m,
                    last ? "  -1.70" : "   0.30");
      spi_int += line;
      std::snprintf(line, sizeof line, "%d,%2d,%s,%s\r\n", y, m, m == 6 ? "  -99.00" : "   -1.00",
                    last     ? "   -3.50"
                    : m == 6 ? "  -99.00"
                             : "    0.50");
      pdsi += line;
      std::snprintf(line, sizeof line, "%d,%d,-1.00,%s,-2.20,-2.30,0.00,-1.00,-2.00,50.00\n", y, m,
                    last ? "-4.10" : "-0.40");
      palmer += line;
      std::snprintf(line, sizeof line, "%d,%d,%s,-0.10,-0.20,-0.30,-0.40,-0.50,-99.00\n", y, m,
                    last ? "-1.80" : "0.20");
      spei += line;
    }
  }
  write_file(kId + "-spi-results.csv", spi);
  write_file(kId + "-spi-results-int.csv", spi_int);
  write_file(kId + "-pdsi.csv", pdsi);
  write_file(kId + "-palmer.csv", palmer);
  write_file(kId + "-spei.csv", spei);
  // Percent of normal: 50 and 200 % are one doubling each side of 100 %; 800 % is cut.
  write_file(kId + "-pctnorm.csv",
             "2000,  50.00, 200.00, 800.00, 100.00, 100.00, 100.00, 100.00, 100.00, 100.00, "
             "100.00, 100.00, 100.00\r\n"
             "2001, 100.00, 100.00, 100.00, 100.00, 100.00, 100.00, 100.00, 100.00, 100.00, "
             "100.00, 100.00,  12.00\r\n\r\n");
  write_file(kId + "-spi-stats.csv",
             "rmean,imean,r2,RMSE,MAE,DMSE,DMAE,E,RMSD,MBE,MAXdi,>0.5\r\n"
             "     -0.00,      0.01,      1.00,      0.02,      0.01,      1.00,      1.00,"
             "      1.00,      0.02,     -0.00,      0.13,   0\r\n");
  std::string events =
      "station,index,period,series,event,start,end,duration,severity,intensity,peak,"
      "peak_month,ongoing,ended_by\n";
  for (int e = 1; e <= 12; ++e) {  // severities 1.00 .. 12.00; event 12 is ongoing
    char line[256];
    std::snprintf(line, sizeof line,
                  "%s,spi,6,observed,%d,19%02d-01,%s,3,%d.00,1.00,-1.50,19%02d-02,%s,%s\n",
                  kId.c_str(), e, e, e == 12 ? "" : "2999-01", e, e, e == 12 ? "yes" : "no",
                  e == 12 ? "end of data" : "recovery");
    events += line;
  }
  events += kId + ",spi,6,interpolated,1,1977-01,1977-05,5,99.00,9.00,-3.00,1977-02,no,recovery\n";
  events += kId + ",pdsi,1,observed,1,1988-01,1988-09,9,30.00,3.33,-4.10,1988-07,no,recovery\n";
  write_file(kId + "-events.csv", events);
  write_file(
      kId + "-needed.csv",
      "station,series,period,horizon,target,month,inches,mm,percent_of_normal,probability\n" + kId +
          ",observed,3,1,-1.0,2002-01,1.11,28.2,150.0,0.300\n" + kId +
          ",interpolated,3,1,-1.0,2002-01,2.34,59.4,180.5,0.250\n");
}

// The text of the element that begins at the first match of `open`.
std::string element(const std::string& page, const std::string& open, const std::string& close) {
  const auto begin = page.find(open);
  if (begin == std::string::npos) return "";
  return page.substr(begin, page.find(close, begin) - begin);
}

// The status row of one index: its observed and interpolated cells.
std::string status_row(const std::string& page, const std::string& index) {
  const std::string status = element(page, "<section id=\"status\">", "</section>");
  return element(status, "<tr><th>" + index + "</th>", "</tr>");
}

TEST(StationPage, StatusPanelShowsTheLastMonthOfADrought) {
  TempDir dir;
  write_station();
  const report::Station st = report::read_station(kId);
  const std::string page = report::html_page(st, "1");
  EXPECT_NE(page.find("<h2>Current status: December 2001</h2>"), std::string::npos);
  EXPECT_NE(status_row(page, "SPI-1").find("<b>-2.10</b> <span class=\"cls\">extremely dry"),
            std::string::npos)
      << status_row(page, "SPI-1");
  EXPECT_NE(status_row(page, "SPI-1").find("<b>-1.70</b> <span class=\"cls\">severely dry"),
            std::string::npos);
  EXPECT_NE(status_row(page, "SPI-3").find("moderately dry"), std::string::npos);
  EXPECT_NE(status_row(page, "SPI-24").find("class=\"gap\">missing"), std::string::npos);
  EXPECT_NE(status_row(page, "SPEI-1").find("<b>-1.80</b> <span class=\"cls\">severely dry"),
            std::string::npos);
  EXPECT_NE(status_row(page, "Palmer X").find("<b>-3.50</b> <span class=\"cls\">severe drought"),
            std::string::npos);
  EXPECT_NE(status_row(page, "PDSI").find("<b>-4.10</b> <span class=\"cls\">extreme drought"),
            std::string::npos);
  EXPECT_NE(status_row(page, "percent of normal").find("<b>12.00</b> <span class=\"cls\">below"),
            std::string::npos);
  // The needed precipitation of the interpolated series only.
  const std::string status = element(page, "<section id=\"status\">", "</section>");
  EXPECT_NE(status.find("<td>2.34</td><td>59.4</td><td>180.5</td><td>0.250</td>"),
            std::string::npos);
  EXPECT_EQ(status.find("1.11"), std::string::npos);
  // Header: place and the options that changed values.
  EXPECT_NE(page.find("latitude 44.9000, longitude -93.2000, elevation 120"), std::string::npos);
  EXPECT_NE(page.find("<code>--reference 2000-2001 --extended</code>"), std::string::npos);
}

TEST(StationPage, ExtendedFilesGivePanelsRowsAndEvents) {
  TempDir dir;
  write_station();
  const report::Station st = report::read_station(kId);
  for (const auto& f : st.files)
    if (f.optional) {
      EXPECT_EQ(f.state, report::FileState::Ok) << f.name;
    }
  const std::string page = report::html_page(st, "1");
  write_file("page.html", page);
  ASSERT_EQ(std::system("python3 -c 'import xml.etree.ElementTree as E; E.parse(\"page.html\")'"),
            0);
  for (const char* part : {"SPEI, observed series", "id=\"palmer-pdsi\"", "id=\"palmer-phdi\"",
                           "id=\"palmer-pmdi\"", "id=\"spei-observed-24\""})
    EXPECT_NE(page.find(part), std::string::npos) << part;
  // -99.00 in <id>-pdsi.csv is a missing month, not a value.
  const std::string table = report::tidy_table(st);
  EXPECT_NE(table.find("\n200001,2000,6,palmer_x,,observed,\n"), std::string::npos);
  EXPECT_NE(table.find("\n200001,2001,12,pdsi,,observed,-4.10\n"), std::string::npos);
  EXPECT_NE(table.find("\n200001,2000,1,phdi,,observed,-2.20\n"), std::string::npos);
  EXPECT_NE(table.find("\n200001,2000,1,pmdi,,observed,-2.30\n"), std::string::npos);
  EXPECT_NE(table.find("\n200001,2001,12,spei,1,observed,-1.80\n"), std::string::npos);
  EXPECT_NE(table.find("\n200001,2001,12,spei,24,observed,\n"), std::string::npos);
  EXPECT_EQ(table.find("event"), std::string::npos);
  // The ten most severe SPI-6 observed events, most severe first: 12 down to 3.
  const std::string spi6 = element(page, "<h3>SPI-6", "</table>");
  const std::regex severity("<td>([0-9]+)\\.00</td><td>-1.50</td>");
  std::string order;
  for (std::sregex_iterator it(spi6.begin(), spi6.end(), severity), end; it != end; ++it)
    order += (*it)[1].str() + " ";
  EXPECT_EQ(order, "12 11 10 9 8 7 6 5 4 3 ");
  EXPECT_NE(spi6.find("<td>1912-01</td><td>ongoing</td>"), std::string::npos);
  EXPECT_EQ(spi6.find("99.00"), std::string::npos);  // the interpolated event is not listed
  EXPECT_NE(element(page, "<h3>PDSI", "</table>").find("<td>30.00</td><td>-4.10</td>"),
            std::string::npos);
}

TEST(StationPage, PercentAxisIsLogarithmicAndCutBarsAreMarked) {
  TempDir dir;
  write_station();
  const std::string page = report::html_page(report::read_station(kId), "1");
  const std::string chart = element(page, "<figcaption>Percent of normal, observed", "</figure>");
  for (const char* tick : {">25 %<", ">50 %<", ">100 %<", ">200 %<", ">400 %<"})
    EXPECT_NE(chart.find(tick), std::string::npos) << tick;
  // Two years on 890 units: a month is 37.1 units wide, bars are drawn. The
  // panel runs from y 8 to 158, 100 % at y 83 and one doubling 37.5 units.
  EXPECT_NE(chart.find("M86 83V120.5h29.7V83Z"), std::string::npos);    // 50 % in January
  EXPECT_NE(chart.find("M123.1 83V45.5h29.7V83Z"), std::string::npos);  // 200 % in February
  EXPECT_NE(chart.find("<path class=\"cut\" d=\"M160.2 8h37.1v3h-37.1Z"), std::string::npos)
      << chart;  // 800 % in March, cut at the top and marked
}

TEST(StationPage, LegendsStatisticsAndReproducibleBytes) {
  TempDir dir;
  write_station();
  std::string page = report::html_page(report::read_station(kId), "1");
  EXPECT_NE(page.find("rank of the month's total among all monthly totals of the record"),
            std::string::npos);
  EXPECT_NE(page.find("decile (rank among all monthly totals of the record):"), std::string::npos);
  EXPECT_NE(page.find("<dt>DMSE</dt>"), std::string::npos);
  EXPECT_NE(page.find("<dt>&gt;0.5</dt>"), std::string::npos);
  EXPECT_EQ(page.find(">-0.00<"), std::string::npos);
  EXPECT_NE(page.find("<td>0.00</td><td>0.01</td>"), std::string::npos);
  EXPECT_NE(page.find("name=\"viewport\""), std::string::npos);
  // SPI-24 has no value in two years: a first sum in month 24, then windows of 24 months.
  EXPECT_NE(page.find("<p class=\"note\">SPI-24 needs at least 6 years of data; this record has "
                      "2.</p>"),
            std::string::npos);
  EXPECT_EQ(page.find("SPI-12 needs"), std::string::npos);

  ASSERT_EQ(setenv("SOURCE_DATE_EPOCH", "1700000000", 1), 0);
  page = report::html_page(report::read_station(kId), "1");
  fs::last_write_time(kId + "-spei.csv", fs::file_time_type::clock::now() + std::chrono::hours(48));
  const std::string again = report::html_page(report::read_station(kId), "1");
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(page, again);
  EXPECT_NE(page.find("outputs written 2023-11-14 22:13 UTC"), std::string::npos);
  EXPECT_NE(report::html_page(report::read_station(kId), "1"), again);  // the newest file's time
}

TEST(StationPage, LongPalmerSeriesIsOneFilledAreaBrokenAtMissingMonths) {
  TempDir dir;
  std::string pdsi = "YEAR,MONTH,Z,X\r\n";
  for (int y = 1901; y <= 2000; ++y) {
    for (int m = 1; m <= 12; ++m) {
      char line[64];
      std::snprintf(line, sizeof line, "%d,%2d,    0.50,%s\r\n", y, m,
                    y == 1950 && m == 6 ? "  -99.00" : "    2.50");
      pdsi += line;
    }
  }
  write_file(kId + "-pdsi.csv", pdsi);
  const std::string page = report::html_page(report::read_station(kId), "1");
  const std::string chart = element(page, "<figure id=\"palmer-x\">", "</figure>");
  // 1200 months on 890 units: no room for bars, one outline per run of months.
  const std::string open = "<path fill=\"#80cdc1\" d=\"";
  const std::string path = element(chart, open, "\"/>").substr(open.size());
  EXPECT_EQ(std::count(path.begin(), path.end(), 'M'), 2);
  EXPECT_EQ(path.find('h'), std::string::npos);
  EXPECT_NE(path.find("M86 83V"), std::string::npos);
  EXPECT_NE(path.find("H976V83Z"), std::string::npos);
}

}  // namespace
