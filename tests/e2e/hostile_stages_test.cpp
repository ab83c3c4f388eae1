// Hostile versions of the files a later stage reads back: the fill file, the
// monthly tables, the SPI value files, the results files and the combined
// table, the PRN file and the Palmer daily series. Each case of
// hostile/stages.txt writes its files, calls its stages in process and checks
// the diagnostic of the records::FatalError they raise (or that none is) and
// facts about the files they write. A watchdog ends the test program when a
// case runs longer than it may.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "catalogue/catalogue.h"
#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/read_data.h"
#include "compute/spicompute.h"
#include "hostile/manifest.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/edi.h"
#include "indices/percentnormal.h"
#include "palmer/palmer.h"
#include "pdsi/pdi_vers1.h"
#include "pdsi/pdsiform.h"
#include "prep/spiformat.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/text.h"

namespace {

using namespace hostile;
constexpr unsigned kSecondsPerCase = 60;

// Calls the stages in turn; the message of the FatalError one raises, or "".
std::string call(const std::string& stages) {
  const std::string table = catalogue::file_arg(kId, "-spiformat.csv");
  try {
    for (const std::string& stage : split(stages, ';')) {
      const Strings w = split(trim(stage), ' ');
      const std::string& s = w[0];
      if (s == "spiformat")
        prep::spiformat(kId);
      else if (s == "spicompute")
        compute::spicompute(table, 1950, {});
      else if (s == "percentnormal")
        indices::percentnormal(table);
      else if (s == "computeedi")
        indices::computeedi(table);
      else if (s == "deciles")
        indices::deciles(table);
      else if (s == "edi")
        indices::edi(table);
      else if (s == "combine")
        compare::combine(kId);
      else if (s == "statistics")
        compare::statistics(kId);
      else if (s == "pdsiform")
        pdsi::pdsiform(kId);
      else if (s == "pdi_vers1")
        pdsi::pdi_vers1(kId, w.size() > 1 && w[1] == "balance");
      else if (s == "palmer")
        palmer::palmer(kId);
      else if (s == "read_data")
        compute::read_data(catalogue::file_arg(kId, "-spi-results.csv"), std::stoi(w.at(1)),
                           std::stoi(w.at(2)));
      else
        ADD_FAILURE() << "unknown stage " << stage;
    }
  } catch (const records::FatalError& e) {
    records::close_all();
    return e.what();
  }
  records::close_all();
  return "";
}

// "NAME=V", "NAME~V" (bare LF ends) or "NAME/" (a directory).
void lay_out(const std::string& file) {
  const auto at = file.find_first_of("=~/");
  const std::string name = file_name(file.substr(0, at));
  if (file[at] == '/') {
    fs::create_directory(name);
    return;
  }
  std::string text, parts = file.substr(at + 1);
  for (std::size_t amp; (amp = parts.find(" & ")) != std::string::npos;)
    parts.replace(amp, 3, "\1");
  for (const std::string& part : split(parts, '\1'))
    text += value(part) + (part[0] == '@' ? "\r\n" : "");
  if (file[at] == '~')
    for (std::size_t crlf; (crlf = text.find("\r\n")) != std::string::npos;) text.erase(crlf, 1);
  testing_support::write_file(name, text);
}

// Every SPI value of a value file (I6, I5, 12 F7.2) is missing or within the
// clipping bounds.
void check_spi_bounds(const std::string& name) {
  for (const std::string& row : testing_support::read_records(name)) {
    ASSERT_EQ(row.size(), 95u);
    for (std::size_t m = 0; m < 12; ++m) {
      const double v = std::atof(row.substr(11 + 7 * m, 7).c_str());
      EXPECT_TRUE(v == -99.0 || (v >= -3.09 && v <= 3.09)) << row;
    }
  }
}

// Lays out the files of a case, calls its stages and, with refs, checks its
// diagnostic and facts; returns the files after it.
Files run_stage_case(const Strings& c, const std::map<std::string, Files>* refs) {
  SCOPED_TRACE(c[0]);
  EXPECT_EQ(c.size(), 5u);
  testing_support::TempDir dir;
  std::string console;
  records::set_console_sink(&console);  // the numerical routines' messages
  alarm(kSecondsPerCase);
  try {
    for (const std::string& file : split(c[2], ';'))
      if (!trim(file).empty()) lay_out(trim(file));
    const std::string diagnostic = call(c[1]);
    if (refs) {
      EXPECT_EQ(diagnostic, trim(c[3]));
    }
    for (const std::string& raw : split(c[4], ';')) {
      const std::string fact = trim(raw);
      if (!refs || fact.empty()) continue;
      if (fact.ends_with("~spi"))
        check_spi_bounds(fact.substr(0, fact.size() - 4));
      else
        check_fact(".", fact, *refs);
    }
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  alarm(0);
  records::set_console_sink(nullptr);
  return snapshot(".");
}

const std::vector<Case>& stage_cases() {
  static const std::vector<Case> cases = manifest_cases("stages.txt");
  return cases;
}

TEST(HostileStageFiles, TheManifestHoldsEveryCase) { EXPECT_GE(stage_cases().size(), 55u); }

class HostileStage : public ::testing::TestWithParam<Case> {};

// Each case runs alone; a case whose facts compare with the files after
// another case runs that case first.
TEST_P(HostileStage, Case) {
  std::map<std::string, Files> refs;
  for (const std::string& name : referenced_cases(GetParam().columns.at(4))) {
    const auto it = std::find_if(stage_cases().begin(), stage_cases().end(),
                                 [&](const Case& c) { return trim(c.columns[0]) == name; });
    ASSERT_NE(it, stage_cases().end()) << "no case " << name;
    refs[name] = run_stage_case(it->columns, nullptr);
  }
  run_stage_case(GetParam().columns, &refs);
}

INSTANTIATE_TEST_SUITE_P(Manifest, HostileStage, ::testing::ValuesIn(stage_cases()), case_name);

}  // namespace
