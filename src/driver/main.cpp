// Entry point of drought: the command line, the prompt loop or the stations
// given as arguments, and the one place where a fatal
// input/output failure becomes a diagnostic and exit status 2.
#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "driver/options.h"
#include "records/records.h"
#include "version.h"

namespace {

constexpr int kFatalStatus = 2;
constexpr int kRefusedStatus = 1;  // a station ID given as argument was refused

int fail(const char* what) {
  std::string line = std::string("drought: ") + what + "\r\n";
  std::fputs(line.c_str(), stderr);
  return kFatalStatus;
}

}  // namespace

int main(int argc, char** argv) {
  const driver::Options options = driver::parse_options(argc, argv);
  if (!options.error.empty()) return fail(options.error.c_str());
  if (options.help || options.version) {
    const std::string text = options.help ? driver::usage_text() : "drought " DROUGHT_VERSION "\n";
    return std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? kFatalStatus : 0;
  }
  try {
    if (options.quiet) records::set_console_muted(true);
    bool all_valid = true;
    if (options.station_ids.empty()) {
      driver::run(options.reference);
    } else {
      all_valid = driver::run_stations(options.station_ids, options.reference);
    }
    records::close_all();
    return all_valid ? 0 : kRefusedStatus;
  } catch (const records::FatalError& e) {
    // Files already written stay as they are: complete them before leaving.
    const int status = fail(e.what());
    try {
      records::close_all();
    } catch (const records::FatalError& again) {
      fail(again.what());
    }
    return status;
  }
}
