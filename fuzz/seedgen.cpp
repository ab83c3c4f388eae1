// Builds the starting corpora of the fuzz targets from the example stations:
// each station is run through the stages in the order of a station run, and
// the files each stage reads are packed into the input form of the target
// that feeds that stage. The daily files, which are large, are cut to their
// first `years` years (default 1) for the targets that read them.
//
// Usage: seedgen EXAMPLES_DIR CORPUS_ROOT [years]
// Writes CORPUS_ROOT/<target>/<station>-<n> for every target.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/spicompute.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/percentnormal.h"
#include "pdsi/pdi_vers1.h"
#include "pdsi/pdsiform.h"
#include "prep/read_data.h"
#include "prep/readit.h"
#include "prep/spi_format_interp.h"
#include "prep/spiformat.h"
#include "records/files.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/text.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spit(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

// The field `index` (0-based) of a comma-separated line as a number, or -1.
long field(const std::string& line, int index) {
  std::stringstream ss(line);
  std::string f;
  for (int i = 0; i <= index; ++i)
    if (!std::getline(ss, f, ',')) return -1;
  try {
    return std::stol(f);
  } catch (...) {
    return -1;
  }
}

// The lines of the text whose year field is below `end_year`; the first
// `keep` lines are kept whatever they hold.
std::string cut(const std::string& text, int year_field, long end_year, int keep) {
  std::stringstream in(text);
  std::string line, out;
  for (int n = 0; std::getline(in, line); ++n)
    if (n < keep || field(line, year_field) < end_year) out += line + "\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: seedgen EXAMPLES_DIR CORPUS_ROOT [years]\n";
    return 1;
  }
  const fs::path examples = fs::absolute(argv[1]);
  const fs::path root = fs::absolute(argv[2]);
  const long years = argc > 3 ? std::stol(argv[3]) : 1;
  const fs::path work = fs::temp_directory_path() / "drought-seedgen";
  std::string console;
  records::set_console_sink(&console);

  for (const auto& entry : fs::directory_iterator(examples)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != 10 || name.substr(6) != ".csv") continue;
    const std::string id = name.substr(0, 6);
    fs::remove_all(work);
    fs::create_directories(work);
    fs::current_path(work);

    const std::string daily_full = slurp(entry.path());
    const long first_year = field(daily_full.substr(daily_full.find('\n') + 1), 6);
    const std::string daily = cut(daily_full, 6, first_year + years, 1);
    const std::string monthly = slurp(examples / (id + "_PRCP.csv"));
    spit(work / (id + ".csv"), daily_full);
    spit(work / (id + "_PRCP.csv"), monthly);
    auto file = [&](const std::string& suffix) { return slurp(work / (id + suffix)); };
    auto fort = [&](int k) { return slurp(work / ("fort." + std::to_string(10 * k + 2))); };
    auto seed = [&](const char* target, const std::string& tag, const std::string& text) {
      spit(root / target / (id + "-" + tag), text);
    };
    auto close_value_files = [] {
      for (int k = 1; k <= 7; ++k) records::close(10 * k + 2);
    };

    try {
      const prep::DataSpan span = prep::readit(id);
      prep::spiformat(id);
      compute::spicompute(records::file_arg(id, "-spiformat.csv"), span.first_year);
      close_value_files();
      std::string forts = std::to_string(span.first_year) + " " + std::to_string(span.last_year);
      forts += "\n";
      for (int k = 1; k <= 7; ++k) forts += fort(k) + (k < 7 ? std::string(1, '\0') : "");
      seed("read_data_fuzz", "obs", forts);
      seed("columns_fuzz", "value", "3\n" + fort(1));
      prep::read_data(records::file_arg(id, "-spi-results.csv"), span.first_year, span.last_year);
      const std::string observed = file("-spi-results.csv");

      prep::spi_format_interp(id, span);
      compute::spicompute(records::file_arg(id, "-spi-interpolated.csv"), span.first_year);
      close_value_files();
      prep::read_data(records::file_arg(id, "-spi-results-int.csv"), span.first_year,
                      span.last_year);
      const std::string interpolated = file("-spi-results-int.csv");
      compare::combine(id);
      const std::string combined = file("-spi-results.csv");
      compare::statistics(id);
      seed("compare_fuzz", "1",
           "\n" + observed + std::string(1, '\0') + interpolated + std::string(1, '\0') + combined);

      for (const char* suffix : {"-spiformat.csv", "-spi-interpolated.csv"}) {
        const std::string arg = records::file_arg(id, suffix);
        indices::percentnormal(arg);
        indices::computeedi(arg);
        indices::deciles(arg);
      }
      // The Palmer stages over the cut daily file.
      spit(work / (id + ".csv"), daily);
      pdsi::pdsiform(id);
      pdsi::pdi_vers1(id);
      records::close_all();

      const std::string span_line =
          std::to_string(span.first_year) + " " + std::to_string(span.first_month) + " " +
          std::to_string(span.last_year) + " " + std::to_string(span.last_month) + "\n";
      seed("readit_fuzz", "1", "\n" + daily);
      seed("pdsiform_fuzz", "1", "\n" + daily);
      seed("interp_fuzz", "1", span_line + monthly);
      seed("spicompute_fuzz", "obs",
           std::to_string(span.first_year) + "\n" + file("-spiformat.csv"));
      seed("spicompute_fuzz", "int",
           std::to_string(span.first_year) + "\n" + file("-spi-interpolated.csv"));
      seed("indices_fuzz", "obs", "0\n" + file("-spiformat.csv"));
      seed("indices_fuzz", "int", "1\n" + file("-spi-interpolated.csv"));
      seed("edi_fuzz", "1", "\n" + file("-PRN.csv"));
      seed("pdi_fuzz", "1", "\n" + file("-pdsiformat.csv") + std::string(1, '\0') + daily);

      // List-directed shapes and column layouts over the files they fit.
      const std::string lists[] = {file("-spiformat.csv"),
                                   daily,
                                   file("-fill-prcp.csv"),
                                   interpolated,
                                   combined,
                                   file("-PRN.csv"),
                                   file("-pdsiformat.csv"),
                                   monthly,
                                   "727930\nexit\n"};
      for (int shape = 0; shape < 9; ++shape)
        seed("list_fuzz", std::to_string(shape),
             std::to_string(shape) + "\n" + lists[shape].substr(0, 4000));
      const std::pair<int, std::string> columns[] = {{2, slurp(work / "fort.11")},
                                                     {4, slurp(work / "fort.13")},
                                                     {5, slurp(work / "fort.14")},
                                                     {6, file("-fill-prcp.csv")},
                                                     {7, file("-spiformat.csv")},
                                                     {8, interpolated},
                                                     {9, combined},
                                                     {10, file("-spi-stats.csv")},
                                                     {11, file("-pdsiformat.csv")},
                                                     {12, file("-pdsi.csv")},
                                                     {13, file("-deciles.csv")},
                                                     {14, file("-EDI.csv")},
                                                     {16, file("-pctnorm.csv")},
                                                     {17, file("-msgdata.csv")}};
      for (const auto& [which, text] : columns)
        seed("columns_fuzz", std::to_string(which),
             std::to_string(which) + " " + std::to_string(span.first_year) + "\n" +
                 text.substr(0, 4000));
      const std::pair<const char*, std::string> layouts[] = {
          {"I6,',',I4,',',12(I7,',')", file("-spiformat.csv")},
          {"I6,',',A4,',',I4,',',I2,',',31(F8.2,',')", file("-fill-prcp.csv")},
          {"I4,',',I2,',',4(F8.2,',')", file("-PRN.csv")},
          {"I6.6,I3,I3,6F13.8,2I5,F5.3", slurp(work / "fort.11")}};
      int n = 0;
      for (const auto& [layout, text] : layouts)
        seed("records_fuzz", std::to_string(n++),
             std::string(layout) + std::string(1, '\0') + text.substr(0, 4000));
    } catch (const records::FatalError& e) {
      std::cerr << "seedgen: station " << id << ": " << e.what() << "\n";
      records::close_all();
    }
  }
  fs::current_path(root);
  fs::remove_all(work);
  return 0;
}
