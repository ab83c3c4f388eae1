// Entry point of drought: the prompt loop, and the one place where a fatal
// failure or a signal becomes a diagnostic and an exit status.
#include <unistd.h>

#include <new>
#include <string>

#include "driver/driver.h"
#include "driver/session.h"
#include "records/records.h"

namespace {

constexpr int kFatalStatus = 2;

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

int main() {
  try {
    driver::session::start();
    driver::run();
    records::close_all();
    return 0;
  } catch (const records::FatalError& e) {
    return finish(e.what(), kFatalStatus);
  } catch (const driver::session::Interrupted& i) {
    return finish("interrupted by " + driver::session::signal_name(i.signal), 128 + i.signal);
  } catch (const std::bad_alloc&) {
    return finish("out of memory", kFatalStatus);
  }
}
