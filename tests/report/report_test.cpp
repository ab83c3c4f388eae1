// The station report: the page and the tidy table made from a real station
// run, from a hand-made results file with known values, and from damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "report/page.h"
#include "report/sources.h"
#include "report/tidy.h"
#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::string kId = "100111";

// Runs drought on the bundled example station in the current directory.
void station_run(const TempDir& dir) {
  for (const char* suffix : {".csv", "_PRCP.csv"}) {
    fs::copy_file(fs::path(DROUGHT_SOURCE_DIR) / "examples" / (kId + suffix), kId + suffix);
  }
  ASSERT_EQ(testing_support::run_drought(dir.path(), kId + "\nexit\n").status, 0);
}

// The trimmed comma-separated fields of line `line` (0-based) of a file.
std::vector<std::string> fields(const std::string& file, int line) {
  std::istringstream in(read_file(file));
  std::string text;
  for (int i = 0; i <= line; ++i) std::getline(in, text);
  std::vector<std::string> out;
  std::istringstream row(text);
  for (std::string f; std::getline(row, f, ',');) {
    f.erase(0, f.find_first_not_of(' '));
    f.erase(f.find_last_not_of(" \r") + 1);
    out.push_back(f);
  }
  return out;
}

// The value field of the tidy row of one index, period, series and month.
std::string tidy_value(const std::string& table, const std::string& key) {
  const auto at = table.find("\n" + key);
  if (at == std::string::npos) return "<no row " + key + ">";
  const auto end = table.find('\n', at + 1);
  const std::string row = table.substr(at + 1, end - at - 1);
  return row.substr(row.rfind(',') + 1);
}

TEST(Report, TidyTableCarriesTheSourceValues) {
  TempDir dir;
  station_run(dir);
  const std::string t = report::tidy_table(report::read_station(kId));
  ASSERT_EQ(t.substr(0, t.find('\n')), "station,year,month,index,period,series,value");
  EXPECT_EQ(t.find('\r'), std::string::npos);
  const std::string y = "100111,2012,";
  // Monthly tables: year 2012 is the second record; March is field 4.
  EXPECT_EQ(tidy_value(t, y + "3,precip,,observed,"), fields(kId + "-spiformat.csv", 1)[4]);
  EXPECT_EQ(tidy_value(t, y + "3,precip,,interpolated,"),
            fields(kId + "-spi-interpolated.csv", 1)[4]);
  // SPI: May 2012 is record 17; the 6-month period is the fourth value of each series.
  EXPECT_EQ(tidy_value(t, y + "5,spi,6,observed,"), fields(kId + "-spi-results.csv", 16)[5]);
  EXPECT_EQ(tidy_value(t, y + "5,spi,6,interpolated,"),
            fields(kId + "-spi-results-int.csv", 16)[5]);
  EXPECT_EQ(tidy_value(t, y + "7,pct_normal,,observed,"), fields(kId + "-pctnorm.csv", 1)[7]);
  EXPECT_EQ(tidy_value(t, y + "7,pct_normal,,interpolated,"),
            fields(kId + "-pctnormint.csv", 1)[7]);
  // EDI begins in December 2011 after its header: September 2012 is line 10.
  EXPECT_EQ(tidy_value(t, y + "9,edi,,observed,"), fields(kId + "-EDI.csv", 10)[6]);
  EXPECT_EQ(tidy_value(t, y + "9,edi,,interpolated,"), fields(kId + "-EDIint.csv", 10)[6]);
  EXPECT_EQ(tidy_value(t, y + "11,decile,,observed,"), fields(kId + "-deciles.csv", 1)[12]);
  EXPECT_EQ(tidy_value(t, y + "11,decile,,interpolated,"), fields(kId + "-decilesint.csv", 1)[12]);
  EXPECT_EQ(tidy_value(t, y + "2,palmer_z,,observed,"), fields(kId + "-pdsi.csv", 14)[2]);
  EXPECT_EQ(tidy_value(t, y + "2,palmer_x,,observed,"), fields(kId + "-pdsi.csv", 14)[3]);
  // The 24-month SPI of the first month is -99.00 in the file: an empty cell.
  EXPECT_EQ(fields(kId + "-spi-results.csv", 0)[8], "-99.00");
  EXPECT_EQ(tidy_value(t, "100111,2011,1,spi,24,observed,"), "");
  // The indices follow one another in the order of the list in the header.
  std::size_t last = 0;
  for (const char* index :
       {",precip,", ",spi,", ",pct_normal,", ",edi,", ",decile,", ",palmer_z,", ",palmer_x,"}) {
    EXPECT_LT(last, t.find(index)) << index;
    last = t.find(index);
  }
}

TEST(Report, PageIsWellFormedAndHasEveryChart) {
  TempDir dir;
  station_run(dir);
  const std::string page = report::html_page(report::read_station(kId), "9.9.9");
  write_file("page.html", page);
  if (std::system("python3 --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  EXPECT_EQ(std::system("python3 -c 'import xml.etree.ElementTree as E; E.parse(\"page.html\")'"),
            0);
  for (const char* part :
       {"SPI, observed series", "SPI, interpolated series", "<th>MAXdi</th>",
        "Palmer drought index X", "moisture anomaly index Z", "EDI, observed series",
        "EDI, interpolated series", "Deciles, observed series", "Percent of normal, interpolated",
        "drought-report 9.9.9", "January 2011 to December 2015"}) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  for (const char* never : {"<script", "-99", "NaN", "***", "http://fonts", "@import"}) {
    EXPECT_EQ(page.find(never), std::string::npos) << never;
  }
}

// The fill of the heat-map rectangle of a group that covers x.
std::string fill_at(const std::string& page, const std::string& group, double x) {
  const auto begin = page.find("<g id=\"" + group + "\">");
  const std::string g = page.substr(begin, page.find("</g>", begin) - begin);
  const std::regex rect(
      "<rect x=\"([0-9.]+)\" y=\"[0-9.]+\" width=\"([0-9.]+)\"[^>]*fill=\"(#[0-9a-f]+)\"");
  for (std::sregex_iterator it(g.begin(), g.end(), rect), end; it != end; ++it) {
    const double left = std::stod((*it)[1]);
    if (left <= x && x < left + std::stod((*it)[2])) return (*it)[3];
  }
  return "none";
}

TEST(Report, SpiValuesLandInTheirClassColours) {
  EXPECT_EQ(report::spi_class(-2.0), 0);
  EXPECT_EQ(report::spi_class(-1.5), 1);
  EXPECT_EQ(report::spi_class(-1.0), 2);
  EXPECT_EQ(report::spi_class(0.99), 3);
  EXPECT_EQ(report::spi_class(1.0), 4);
  EXPECT_EQ(report::spi_class(2.0), 6);
  EXPECT_EQ(report::palmer_class(-4.0), 0);
  EXPECT_EQ(report::palmer_class(-1.0), 3);
  EXPECT_EQ(report::palmer_class(4.0), 8);

  TempDir dir;
  // One year; period 1 of the observed series: -2.50, missing, 0.30, 1.20, then 0.
  // The interpolated series: 1.60 in every month.
  std::string observed;
  std::string interpolated;
  const char* first[] = {"  -2.50", " -99.00", "   0.30", "   1.20"};
  const char* rest = " -99.00, -99.00, -99.00, -99.00, -99.00, -99.00, \r\n";
  for (int m = 1; m <= 12; ++m) {
    char line[200];
    std::snprintf(line, sizeof line, "2000,%2d,%s,%s", m, m <= 4 ? first[m - 1] : "   0.00", rest);
    observed += line;
    std::snprintf(line, sizeof line, "2000,%2d,   1.60,%s", m, rest);
    interpolated += line;
  }
  write_file(kId + "-spi-results.csv", observed);
  write_file(kId + "-spi-results-int.csv", interpolated);
  const std::string page = report::html_page(report::read_station(kId), "1");
  const double month = 900.0 / 12;  // plot width over the months of one year
  auto centre = [&](int m) { return 86.0 + (m - 0.5) * month; };
  EXPECT_EQ(fill_at(page, "spi-observed-1", centre(1)), report::kSpiColours[0]);
  EXPECT_EQ(fill_at(page, "spi-observed-1", centre(2)), report::kMissingColour);
  EXPECT_EQ(fill_at(page, "spi-observed-1", centre(3)), report::kSpiColours[3]);
  EXPECT_EQ(fill_at(page, "spi-observed-1", centre(4)), report::kSpiColours[4]);
  EXPECT_EQ(fill_at(page, "spi-observed-1", centre(12)), report::kSpiColours[3]);
  EXPECT_EQ(fill_at(page, "spi-interpolated-1", centre(7)), report::kSpiColours[5]);
  EXPECT_EQ(fill_at(page, "spi-observed-24", centre(7)), report::kMissingColour);
}

TEST(Report, MissingAndDamagedFilesAreNamed) {
  TempDir dir;
  station_run(dir);
  fs::remove(kId + "-EDI.csv");
  std::string pct = read_file(kId + "-pctnorm.csv");
  write_file(kId + "-pctnorm.csv", pct.substr(0, pct.size() / 2));  // broken mid-record
  std::string dec = read_file(kId + "-deciles.csv");
  write_file(kId + "-deciles.csv", dec.substr(0, dec.find('\n') + 1));  // one year of five
  std::string pdsi = read_file(kId + "-pdsi.csv");
  write_file(kId + "-pdsi.csv", pdsi.replace(pdsi.find("2011, 3,") + 9, 8, "  x.yz  "));
  std::string stats = read_file(kId + "-spi-stats.csv");
  write_file(kId + "-spi-stats.csv", stats.replace(stats.find("0.37"), 4, " NaN"));

  const report::Station st = report::read_station(kId);
  std::string warnings;
  for (const auto& f : st.files) {
    if (report::worth_warning(f)) warnings += report::warning_text(st, f) + "\n";
  }
  EXPECT_EQ(warnings,
            "100111: 100111-pctnorm.csv is cut short after 2 data records\n"
            "100111: 100111-EDI.csv is missing\n"
            "100111: 100111-deciles.csv is cut short after 1 data records\n"
            "100111: 100111-pdsi.csv cannot be read at record 4; the records before it are "
            "used\n");
  // NaN is a gap in the statistics, not a damaged file; the Palmer months before
  // the damage are kept.
  EXPECT_FALSE(st.stats[0][0].present);
  EXPECT_EQ(report::find_track(st, report::Index::PalmerX, report::Series::Observed)->cells.size(),
            2u);
  const std::string page = report::html_page(st, "1");
  EXPECT_NE(page.find("100111-EDI.csv is missing"), std::string::npos);
  EXPECT_NE(page.find("SPI, observed series"), std::string::npos);  // the rest is still drawn
}

}  // namespace
