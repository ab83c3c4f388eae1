// Preloaded into drought-import by the interruption test: after a rename onto
// a name ending in $RENAME_SIGNAL_TARGET, the process sends itself SIGTERM
// (once), as if the operator's signal came between the two renames of a
// station.
#include <dlfcn.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

extern "C" int rename(const char* from, const char* to) {
  using Rename = int (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
  const int result = real(from, to);
  const char* target = std::getenv("RENAME_SIGNAL_TARGET");
  const std::size_t n = target != nullptr ? std::strlen(target) : 0;
  const std::size_t length = std::strlen(to);
  static bool sent = false;
  if (result == 0 && !sent && n > 0 && length >= n && std::strcmp(to + length - n, target) == 0) {
    sent = true;
    raise(SIGTERM);
  }
  return result;
}
