// The console: file number 5 reads standard input, number 6 writes standard
// output.
#pragma once

#include <string>

namespace records {

inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;

// Console redirection for tests: while set, records written through number 6
// are appended to *sink instead of standard output, and number 5 reads from
// source instead of standard input. nullptr restores the real console.
void set_console_sink(std::string* sink);
void set_console_source(const std::string* source);

// Called when a signal interrupts the wait for a line of standard input. It
// may throw to end the read; when it returns, the wait goes on.
void set_interrupt_hook(void (*hook)());

// Quiet mode: while muted, records written through number 6 are dropped
// (standard output stays empty); standard error is not affected.
void set_console_muted(bool muted);

}  // namespace records
