// The catalogue of station files: names, and the manual page that documents
// every file the catalogue lists.
#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace catalogue;

TEST(FileNames, StationIdAndSuffixMakeThePaddedArgument) {
  EXPECT_EQ(station_id("1234567"), "123456");
  EXPECT_EQ(file_name(station_id("1234"), ".csv"), "1234  .csv");
  const std::string arg = file_arg("1234  ", ".csv");
  EXPECT_EQ(arg, "1234  .csv                    ");
  EXPECT_EQ(arg.size(), kFileArgWidth);
  // The name keeps the blanks inside the station ID, not the padding.
  EXPECT_EQ(trim_name(arg), "1234  .csv");
  EXPECT_EQ(station_of(arg), "1234  ");
  EXPECT_EQ(station_of(file_arg("123456", kObservedTable.suffix)), "123456");
  EXPECT_EQ(trim_name("      "), "");
  EXPECT_EQ(spi_file(7, SpiKind::Values), "fort.72");
}

// The manual page has a section for every output file of the catalogue, and
// names the lifetime of every file in its FILES table.
TEST(Catalogue, TheManualPageDocumentsEveryFile) {
  std::ifstream in(DROUGHT_SOURCE_DIR "/doc/drought.1");
  std::stringstream text;
  text << in.rdbuf();
  const std::string page = text.str();
  for (const FileRow* row : kFiles) {
    if (row->suffix.empty()) continue;
    // The manual writes a suffix with escaped hyphens: \fIid\fB\-pdsi.csv
    std::string escaped;
    for (char c : row->suffix) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find("\\fIid\\fB" + escaped), std::string::npos) << row->name;
  }
}

// doc/architecture.md holds the file table as the catalogue renders it: a
// row added or changed in the catalogue must be added or changed there too
// (the failure message prints the table to paste).
TEST(Catalogue, TheArchitecturePageHoldsTheFileTable) {
  std::string table =
      "| File | Content | Written by | Read by | Missing | Lifetime |\n"
      "|---|---|---|---|---|---|\n";
  auto or_dash = [](std::string_view s) { return s.empty() ? std::string("-") : std::string(s); };
  for (const FileRow* row : kFiles)
    table += "| `" + std::string(row->name) + "` | " + std::string(row->content) +
             (row->extended ? " (--extended)" : "") + " | " + or_dash(row->writer) + " | " +
             or_dash(row->readers) + " | " + or_dash(row->missing) + " | " +
             lifetime_name(row->lifetime) + " |\n";
  std::ifstream in(DROUGHT_SOURCE_DIR "/doc/architecture.md");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find(table), std::string::npos) << table;
}

}  // namespace
