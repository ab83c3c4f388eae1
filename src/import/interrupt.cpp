#include "import/interrupt.h"

#include <string.h>

#include <csignal>

namespace importer {

namespace {

volatile std::sig_atomic_t g_signal = 0;

void handle(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// A name of its own: C linkage ignores the unnamed namespace, and the fuzz
// targets link the importer and the driver together.
extern "C" void on_import_signal(int signal) {
  if (g_signal == 0) {
    g_signal = signal;
    return;
  }
  handle(signal, SIG_DFL);  // the second one: delivered again when this returns
  std::raise(signal);
}

}  // namespace

void catch_interrupts() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) handle(signal, on_import_signal);
  handle(SIGPIPE, SIG_IGN);
}

int interrupt_signal() { return g_signal; }

std::string signal_name(int signal) {
  const char* abbreviation = sigabbrev_np(signal);
  return abbreviation != nullptr ? "SIG" + std::string(abbreviation)
                                 : "signal " + std::to_string(signal);
}

}  // namespace importer
