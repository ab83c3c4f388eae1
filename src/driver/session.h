// What an unattended run needs around the prompt loop: one run per directory,
// an orderly end on the operator's signals, and a closed standard output taken
// as a write failure.
#pragma once

#include <string>

namespace driver::session {

// A signal (SIGINT, SIGTERM or SIGHUP) taken at a safe point.
struct Interrupted {
  int signal;
};

// Takes the lock of the current directory (an advisory lock held until the
// process ends; a second run in the directory, or a directory that cannot be
// opened to lock it, is a records::FatalError; only a file system that reports
// that it cannot lock is passed over), installs the signal handlers and
// ignores SIGPIPE. Called once, before anything is read or written.
void start();

// Throws Interrupted when one of the signals has come since start(); called
// while the operator is waited for and between two stages. A second signal
// ends the program at once.
void safe_point();

// "SIGINT", "SIGTERM" or "SIGHUP".
std::string signal_name(int signal);

}  // namespace driver::session
