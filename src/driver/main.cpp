// Entry point of drought: the prompt loop, and the one place where a fatal
// input/output failure becomes a diagnostic and exit status 2.
#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "records/fatal.h"
#include "records/files.h"

namespace {

constexpr int kFatalStatus = 2;

int fail(const char* what) {
  std::string line = std::string("drought: ") + what + "\r\n";
  std::fputs(line.c_str(), stderr);
  return kFatalStatus;
}

}  // namespace

int main() {
  try {
    driver::run();
    records::close_all();
    return 0;
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
