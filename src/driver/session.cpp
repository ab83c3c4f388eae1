#include "driver/session.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "records/console.h"
#include "records/fatal.h"

namespace driver::session {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_signal = 0;

void set_action(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait for standard input ends, so that the prompt loop
  // can stop there.
  action.sa_flags = 0;
  sigaction(signal, &action, nullptr);
}

extern "C" void on_signal(int signal) {
  if (g_signal != 0) {
    // The second signal: the default action, at once (delivered when this
    // handler returns).
    set_action(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  g_signal = signal;
}

// A file system that reports that it cannot lock at all: the run goes on
// without the lock there.
bool cannot_lock(int err) { return err == ENOLCK || err == EOPNOTSUPP || err == ENOTSUP; }

void lock_directory() {
  // The descriptor stays open, and the lock held, until the process ends. A
  // directory that cannot be opened (no read permission, ...) ends the run
  // before anything is read or written: passing over the lock there would let
  // two runs mix their collecting files.
  const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) records::fatal("lock", ".", std::strerror(errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
  const int err = errno;
  ::close(fd);
  if (err == EWOULDBLOCK)
    records::fatal("lock", ".", "another drought run is using this directory");
  if (!cannot_lock(err)) records::fatal("lock", ".", std::strerror(err));
}

}  // namespace

void start() {
  lock_directory();
  for (int signal : kSignals) set_action(signal, on_signal);
  set_action(SIGPIPE, SIG_IGN);
  records::set_interrupt_hook(safe_point);
}

void safe_point() {
  if (g_signal != 0) throw Interrupted{g_signal};
}

std::string signal_name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
  }
  return "signal " + std::to_string(signal);
}

}  // namespace driver::session
