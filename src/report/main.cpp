// Entry point of drought-report: for each station ID given, reads the
// station's output files in the current directory and writes
// <id>-report.html and <id>-indices.csv beside them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "report/network.h"
#include "report/page.h"
#include "report/sources.h"
#include "report/tidy.h"
#include "version.h"

namespace {

constexpr int kFailStatus = 2;

constexpr const char* kUsage =
    "usage: drought-report [options] ID...\n"
    "Reads the output files that drought wrote for each station ID in the current\n"
    "directory and writes beside them:\n"
    "  ID-report.html   one self-contained page drawing the indices\n"
    "  ID-indices.csv   every monthly value, one per row:\n"
    "                   station,year,month,index,period,series,value\n"
    "Missing or cut-short files are reported on standard error and on the page.\n"
    "options:\n"
    "  --network OUT.html DIR...\n"
    "              instead: one page OUT.html over every station found in the\n"
    "              directories DIR and their subdirectories (a station is an\n"
    "              ID.csv with its outputs beside it): maps of SPI-3, SPI-12 and\n"
    "              Palmer X in each station's last month, class counts and a\n"
    "              table of the stations linking to their ID-report.html\n"
    "  --help      print this text and exit\n"
    "  --version   print the version and exit\n";

void warn(const std::string& text) {
  std::fputs(("drought-report: " + text + "\n").c_str(), stderr);
}

bool write_file(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) warn("cannot write " + name);
  return static_cast<bool>(out);
}

// Reports one station; false when nothing could be reported or written.
bool report_station(std::string_view id) {
  const report::Station st = report::read_station(id);
  if (!st.any_file) {
    warn(st.id + ": no output files of this station in the current directory (run drought first)");
    return false;
  }
  for (const report::FileReport& f : st.files) {
    if (f.state != report::FileState::Ok) warn(report::warning_text(st, f));
  }
  const bool page =
      write_file(report::station_file(id, "-report.html"), report::html_page(st, DROUGHT_VERSION));
  const bool table = write_file(report::station_file(id, "-indices.csv"), report::tidy_table(st));
  return page && table;
}

// Writes the network page over the stations of the directories.
int report_network(const std::string& out, const std::vector<std::string_view>& dirs) {
  const auto page_dir = std::filesystem::absolute(out).parent_path();
  const report::Network net = report::read_network(dirs, page_dir);
  for (const std::string& w : net.warnings) warn(w);
  if (net.stations.empty()) {
    warn("no station with SPI results in the directories given");
    return kFailStatus;
  }
  return write_file(out, report::network_page(net, DROUGHT_VERSION)) ? 0 : kFailStatus;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> ids;
  const char* network = nullptr;  // --network OUT.html: the arguments are directories
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!options_done && arg == "--version") {
      std::puts("drought-report " DROUGHT_VERSION);
      return 0;
    } else if (!options_done && arg == "--network") {
      if (i + 1 == argc) {
        warn("--network needs the name of the page (see drought-report --help)");
        return kFailStatus;
      }
      network = argv[++i];
    } else if (!options_done && arg.size() > 1 && arg.front() == '-') {
      warn("unknown option " + std::string(arg) + " (see drought-report --help)");
      return kFailStatus;
    } else {
      ids.push_back(arg);
    }
  }
  if (ids.empty()) {
    warn(network != nullptr ? "no directory given (see drought-report --help)"
                            : "no station ID given (see drought-report --help)");
    return kFailStatus;
  }
  if (network != nullptr) return report_network(network, ids);
  int status = 0;
  for (std::string_view id : ids) {
    if (!report_station(id)) status = kFailStatus;
  }
  return status;
}
