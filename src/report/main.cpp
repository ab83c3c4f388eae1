// Entry point of drought-report: for each station ID given, reads the
// station's output files in the current directory and writes
// <id>-report.html and <id>-indices.csv beside them.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "report/network.h"
#include "report/output.h"
#include "report/sources.h"
#include "version.h"

namespace {

constexpr const char* kUsage =
    "usage: drought-report [options] ID...\n"
    "Reads the output files that drought wrote for each station ID in the current\n"
    "directory and writes beside them:\n"
    "  ID-report.html   one self-contained page: the current status, then the\n"
    "                   indices as charts and tables\n"
    "  ID-indices.csv   every monthly value, one per row:\n"
    "                   station,year,month,index,period,series,value\n"
    "The files of drought --extended (ID-palmer.csv, ID-spei.csv, ID-events.csv,\n"
    "ID-needed.csv) add their panels and rows when they exist. Missing, cut-short,\n"
    "damaged or oversized files are reported on standard error and on the page.\n"
    "An ID with '/', '\\' or a control byte is refused. With SOURCE_DATE_EPOCH set,\n"
    "the page names that time instead of the newest file's, so reruns give the\n"
    "same bytes.\n"
    "options:\n"
    "  --network OUT.html DIR...\n"
    "              instead: one page OUT.html over every station found in the\n"
    "              directories DIR and their subdirectories (a station is an\n"
    "              ID.csv with its outputs beside it): maps of SPI-3, SPI-12 and\n"
    "              Palmer X in each station's last month, class counts and a\n"
    "              table of the stations linking to their ID-report.html\n"
    "  --help      print this text and exit\n"
    "  --version   print the version and exit\n"
    "exit status: 0 all written, 1 an ID refused, 2 a station failed or out of memory\n";

// Writes the network page over the stations of the directories.
int report_network(const std::string& out, const std::vector<std::string_view>& dirs) {
  const auto page_dir = std::filesystem::absolute(out).parent_path();
  const report::Network net = report::read_network(dirs, page_dir);
  for (const std::string& w : net.warnings) report::warn(w);
  if (net.stations.empty()) {
    report::warn("no station with SPI results in the directories given");
    return report::kFailStatus;
  }
  std::string cause;
  if (report::write_replacing(out, report::network_page(net, DROUGHT_VERSION), cause)) return 0;
  report::warn("write " + report::shown(out) + ": " + cause);
  return report::kFailStatus;
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
        report::warn("--network needs the name of the page (see drought-report --help)");
        return report::kFailStatus;
      }
      network = argv[++i];
    } else if (!options_done && arg.size() > 1 && arg.front() == '-') {
      report::warn("unknown option " + report::shown(arg) + " (see drought-report --help)");
      return report::kFailStatus;
    } else {
      ids.push_back(arg);
    }
  }
  if (ids.empty()) {
    report::warn(network != nullptr ? "no directory given (see drought-report --help)"
                                    : "no station ID given (see drought-report --help)");
    return report::kFailStatus;
  }
  if (network != nullptr) return report_network(network, ids);
  int status = 0;
  for (std::string_view id : ids) {
    try {
      status = std::max(status, report::report_station(id, DROUGHT_VERSION));
    } catch (const report::OutOfMemory& e) {
      report::warn("read " + report::shown(e.file) + ": out of memory");
      return report::kFailStatus;
    } catch (const std::bad_alloc&) {
      report::warn("write " + report::shown(report::station_file(id, "-report.html")) +
                   ": out of memory");
      return report::kFailStatus;
    }
  }
  return status;
}
