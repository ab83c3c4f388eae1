// Entry point of drought: the command line, the prompt loop or the stations
// given as arguments, and the one place where a fatal failure or a signal
// becomes a diagnostic and an exit status.
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>

#include "driver/driver.h"
#include "driver/options.h"
#include "driver/session.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "version.h"

namespace {

constexpr int kFatalStatus = 2;
constexpr int kRefusedStatus = 1;  // a station ID given as argument was refused

// Completes and closes every file, then prints the one diagnostic: a failure
// while completing the files after a first one prints nothing more.
int finish(const std::string& what, int status) {
  try {
    records::close_all();
  } catch (const records::FatalError&) {
  } catch (const std::bad_alloc&) {
  }
  const std::string line = "drought: " + what + "\r\n";
  [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, line.data(), line.size());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const driver::Options options = driver::parse_options(argc, argv);
  if (!options.error.empty()) return finish(options.error, kFatalStatus);
  if (options.help || options.version) {
    const std::string text = options.help ? driver::usage_text() : "drought " DROUGHT_VERSION "\n";
    return std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? kFatalStatus : 0;
  }
  try {
    driver::session::start();
    if (options.quiet) records::set_console_muted(true);
    bool all_valid = true;
    if (options.station_ids.empty()) {
      driver::run(options.choices);
    } else {
      all_valid = driver::run_stations(options.station_ids, options.choices);
    }
    records::close_all();
    return all_valid ? 0 : kRefusedStatus;
  } catch (const records::FatalError& e) {
    return finish(e.what(), kFatalStatus);
  } catch (const driver::session::Interrupted& i) {
    return finish("interrupted by " + driver::session::signal_name(i.signal), 128 + i.signal);
  } catch (const std::bad_alloc&) {
    return finish("out of memory", kFatalStatus);
  }
}
