// The operator's signals (SIGINT, SIGTERM, SIGHUP) taken between two steps:
// the handler only notes the signal, and the importer stops at the next
// check, removes its temporary files and ends with status 128 + the signal.
#pragma once

#include <string>

namespace importer {

// Installs the handlers (without SA_RESTART, so that a read waiting on a pipe
// ends) and ignores SIGPIPE. A second signal ends the program at once.
void catch_interrupts();
// 0, or the signal taken since catch_interrupts().
int interrupt_signal();
// "SIGINT", "SIGTERM", "SIGHUP": the name of a signal.
std::string signal_name(int signal);

}  // namespace importer
