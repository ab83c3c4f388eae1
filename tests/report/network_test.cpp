// The network page: a few hand-made stations in a directory and a group
// directory below it, with known last months, values and positions.
#include "report/network.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

// A results record in the combined form: year, month, the seven observed
// periods (SPI-3 third, SPI-12 sixth), the same seven again.
std::string results_record(int year, int month, const std::string& spi3, const std::string& spi12) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%4d,%2d,", year, month);
  std::string seven = "   0.10,   0.20,%7s,   0.40,   0.50,%7s, -99.00,";
  char periods[96];
  std::snprintf(periods, sizeof periods, seven.c_str(), spi3.c_str(), spi12.c_str());
  return std::string(buf) + periods + periods + "\r\n";
}

// A results record without any value.
std::string missing_record(int year, int month) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%4d,%2d,", year, month);
  std::string out = buf;
  for (int k = 0; k < 14; ++k) out += " -99.00,";
  return out + "\r\n";
}

std::string palmer_record(int year, int month, const std::string& x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%4d,%2d,%8s,%8s,\r\n", year, month, "0.50", x.c_str());
  return buf;
}

const std::string kPalmerHeader = " YEAR,MONTH,Z(ANOMALY),X(PDI) \r\n";

// <id>.csv with the header and one PRCP record at the position.
void daily_file(const fs::path& dir, const std::string& file_id, const std::string& lat,
                const std::string& lon) {
  fs::create_directories(dir);
  write_file(dir / (file_id + ".csv"), "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT\n1," + lat +
                                           "," + lon + ",120,PRCP,1,2015,0,3,0\n1," + lat + "," +
                                           lon + ",120,TMAX,1,2015,30,31,29\n");
}

// One station ending in 2015-12 (or earlier months given) with its values.
void station(const fs::path& dir, const std::string& file_id, const std::string& lat,
             const std::string& lon, const std::string& results, const std::string& palmer) {
  daily_file(dir, file_id, lat, lon);
  write_file(dir / (file_id + "-spi-results.csv"), results);
  write_file(dir / (file_id + "-pdsi.csv"), kPalmerHeader + palmer);
}

std::string between(const std::string& page, const std::string& from, const std::string& to) {
  const auto a = page.find(from);
  if (a == std::string::npos) return "<no " + from + ">";
  return page.substr(a, page.find(to, a) - a);
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Four stations: 100111 extremely dry, "A12" (padded with blanks) near normal
// without SPI-12, 100113 ending a month early on a class boundary, 725030
// without results; two of them in the group directory net/g0001.
struct Network : testing::Test {
  TempDir dir;
  std::string page;
  report::Network net;
  void SetUp() override {
    station("net/g0001", "100111", "44.9000", "-93.2000",
            results_record(2015, 11, "-1.00", "-1.00") + results_record(2015, 12, "-2.31", "-1.20"),
            palmer_record(2015, 11, "-2.00") + palmer_record(2015, 12, "-3.50"));
    station("net", "A12   ", "-33.87", "151.21", results_record(2015, 12, "0.50", "-99.00"),
            palmer_record(2015, 12, "1.50"));
    station("net/g0001", "100113", "38.5", "-101.2",
            results_record(2015, 11, "-1.00", "0.30") + missing_record(2015, 12),
            palmer_record(2015, 10, "-1.10"));
    station("net", "100114", "10", "20", results_record(2015, 12, "1.20", "2.00"),
            palmer_record(2015, 12, "4.00"));
    daily_file("net", "725030", "40.78", "-73.97");
    const std::vector<std::string_view> dirs{"net"};
    net = report::read_network(dirs, fs::current_path());
    page = report::network_page(net, "9.9.9");
  }
};

TEST_F(Network, PageIsWellFormedAndLinksEveryStationPage) {
  write_file("network.html", page);
  if (std::system("python3 --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  EXPECT_EQ(
      std::system("python3 -c 'import xml.etree.ElementTree as E; E.parse(\"network.html\")'"), 0);
  ASSERT_EQ(net.stations.size(), 4u);
  EXPECT_EQ(net.without_results, 1);
  ASSERT_EQ(net.warnings.size(), 1u);
  EXPECT_NE(net.warnings[0].find("725030: no SPI results"), std::string::npos) << net.warnings[0];
  for (const char* link : {"href=\"net/g0001/100111-report.html\">100111</a>",
                           "href=\"net/A12%20%20%20-report.html\">A12</a>",
                           "href=\"net/g0001/100113-report.html\">100113</a>",
                           "href=\"net/100114-report.html\">100114</a>"}) {
    EXPECT_NE(page.find(link), std::string::npos) << link;
  }
  EXPECT_EQ(page.find("725030"), std::string::npos);
  EXPECT_EQ(count(page, "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"map\""), 3u);
  EXPECT_EQ(page.find("style=\""), std::string::npos) << "colours sit on classes";
  for (const char* never : {"src=", "url(", "@import", "<link"}) {
    EXPECT_EQ(page.find(never), std::string::npos) << "nothing from the network: " << never;
  }
}

TEST_F(Network, PlacesEachDotInTheGroupOfItsClass) {
  const std::string spi3 = between(page, "<section class=\"mapbox\" id=\"spi3\"", "</section>");
  const std::string spi12 = between(page, "<section class=\"mapbox\" id=\"spi12\"", "</section>");
  const std::string palmer = between(page, "<section class=\"mapbox\" id=\"palmer\"", "</section>");
  // Dots sit at (longitude, -latitude) in a group scaled by the cosine of the
  // middle latitude. The stations span 252.41 degrees of longitude; a margin
  // of 1/25 of it on every side gives 111.2964 W to 161.3064 E and 43.9664 S
  // to 54.9964 N; cos(5.515 degrees) = 0.995371 (Python's math.cos).
  EXPECT_NE(spi3.find("viewBox=\"-110.781 -54.996 271.341 98.963\""), std::string::npos);
  EXPECT_NE(spi3.find("<g transform=\"scale(0.99537 1)\">"), std::string::npos);
  const std::string dot = "<path data-id=\"100111\" d=\"M-93.2 -44.9h0\"/>";
  EXPECT_NE(between(spi3, "<g class=\"c0\">", "</g>").find(dot), std::string::npos);
  EXPECT_NE(between(spi12, "<g class=\"c2\">", "</g>").find(dot), std::string::npos);
  EXPECT_NE(between(palmer, "<g class=\"p1\">", "</g>").find(dot), std::string::npos);
  const std::string south = "<path data-id=\"A12\" d=\"M151.21 33.87h0\"/>";
  EXPECT_NE(between(spi3, "<g class=\"c3\">", "</g>").find(south), std::string::npos);
  EXPECT_NE(between(spi12, "<g class=\"m\">", "</g>").find(south), std::string::npos);
  EXPECT_NE(between(palmer, "<g class=\"p5\">", "</g>").find(south), std::string::npos);
  // -1.00 lies on the boundary: moderately dry; its Palmer month is missing.
  const std::string early = "<path data-id=\"100113\" d=\"M-101.2 -38.5h0\"/>";
  EXPECT_NE(between(spi3, "<g class=\"c2\">", "</g>").find(early), std::string::npos);
  EXPECT_NE(between(palmer, "<g class=\"m\">", "</g>").find(early), std::string::npos);
  EXPECT_NE(between(palmer, "<g class=\"p8\">", "</g>").find("data-id=\"100114\""),
            std::string::npos);
  for (const std::string& map : {spi3, spi12, palmer}) EXPECT_EQ(count(map, "data-id="), 4u);
}

TEST_F(Network, CountsTheClassesOfTheCommonLastMonth) {
  EXPECT_NE(page.find("<h2>Classes in 2015-12</h2>\n<p>3 of 4 stations"), std::string::npos);
  const std::string spi = between(page, "id=\"spi-counts\"", "</table>");
  EXPECT_NE(spi.find("extremely dry</td><td>1</td><td>0</td>"), std::string::npos) << spi;
  EXPECT_NE(spi.find("moderately dry</td><td>0</td><td>1</td>"), std::string::npos) << spi;
  EXPECT_NE(spi.find("near normal</td><td>1</td><td>0</td>"), std::string::npos) << spi;
  EXPECT_NE(spi.find("moderately wet</td><td>1</td><td>0</td>"), std::string::npos) << spi;
  EXPECT_NE(spi.find("extremely wet</td><td>0</td><td>1</td>"), std::string::npos) << spi;
  EXPECT_NE(spi.find("no value</td><td>0</td><td>1</td>"), std::string::npos) << spi;
  const std::string palmer = between(page, "id=\"palmer-counts\"", "</table>");
  for (const char* row : {"severe drought</td><td>1</td>", "slightly wet</td><td>1</td>",
                          "extremely wet</td><td>1</td>", "no value</td><td>0</td>"}) {
    EXPECT_NE(palmer.find(row), std::string::npos) << row;
  }
  EXPECT_NE(page.find("Ending earlier (1): <a href=\"net/g0001/100113-report.html\">100113</a> "
                      "(2015-11)."),
            std::string::npos);
}

TEST_F(Network, TablesTheStationsByCurrentSeverity) {
  const std::string rows = between(page, "<div class=\"chunk\">", "</div>");
  const std::vector<std::string> order{">100111<", ">100113<", ">A12<", ">100114<"};
  for (std::size_t i = 1; i < order.size(); ++i) {
    EXPECT_LT(rows.find(order[i - 1]), rows.find(order[i])) << order[i];
  }
  EXPECT_NE(rows.find("<tr class=\"c2 e\"><td><a href=\"net/g0001/100113-report.html\">100113</a>"
                      "</td><td>38.5</td><td>-101.2</td><td>2015-11</td><td>-1.00</td><td>0.30</td>"
                      "<td></td><td>moderately dry</td></tr>"),
            std::string::npos)
      << rows;
}

// The last month with a value lies far back (more than the first part read
// from the end): the reader reads further back and still finds it.
TEST(NetworkReader, FindsTheLastMonthWithAValueFarFromTheEnd) {
  TempDir dir;
  std::string results = results_record(1990, 1, "-1.50", "0.70");
  for (int year = 1990; year <= 2015; ++year) {
    for (int month = year == 1990 ? 2 : 1; month <= 12; ++month) {
      results += missing_record(year, month);
    }
  }
  std::string palmer;
  for (int month = 1; month <= 12; ++month)
    palmer += palmer_record(1990, month, month == 1 ? "******" : "-1.00");
  station(".", "100111", "44.9", "-93.2", results, palmer);
  ASSERT_GT(results.size(), 4u * 4096);
  const report::NetStation st = report::read_net_station(".", "100111");
  EXPECT_EQ(st.year, 1990);
  EXPECT_EQ(st.month, 1);
  EXPECT_EQ(st.spi3.text, "-1.50");
  EXPECT_EQ(st.spi12.text, "0.70");
  EXPECT_FALSE(st.palmer.present) << "a field of asterisks is missing";
}

TEST(NetworkReader, MarkersAndBrokenFilesGiveNoValues) {
  TempDir dir;
  // A leading point gets its zero; NaN and the marker are missing; the last
  // record is cut off (no line end) and passed over.
  station(".", "100111", "44.9", "-93.2",
          results_record(2015, 11, "-.50", "NaN") + "2015,12,   0.10,",
          palmer_record(2015, 11, "-99.00"));
  report::NetStation st = report::read_net_station(".", "100111");
  EXPECT_EQ(st.year, 2015);
  EXPECT_EQ(st.month, 11);
  EXPECT_EQ(st.spi3.text, "-0.50");
  EXPECT_FALSE(st.spi12.present);
  EXPECT_FALSE(st.palmer.present);
  // No data record in <id>.csv, or a latitude beyond the pole: no position.
  write_file("100111.csv", "STATION,LATITUDE\n");
  EXPECT_FALSE(report::read_net_station(".", "100111").placed);
  write_file("100111.csv", "head\n1 91.0 10.0 120 PRCP 1 2015\n");
  EXPECT_FALSE(report::read_net_station(".", "100111").placed);
  write_file("100111.csv", "head\n1 -45.5 170.25 120 PRCP 1 2015\n");
  st = report::read_net_station(".", "100111");
  EXPECT_TRUE(st.placed);
  EXPECT_EQ(st.latitude, -45.5);
  EXPECT_EQ(st.longitude, 170.25);
}

}  // namespace
