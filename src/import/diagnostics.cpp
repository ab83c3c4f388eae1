#include "import/diagnostics.h"

#include "records/fatal.h"

namespace importer {

namespace {

constexpr std::size_t kLogBlock = 1 << 16;  // bytes of lines written out at a time

}  // namespace

void add(Log& log, std::string_view line) {
  log.text += line;
  log.text += '\n';
  if (log.text.size() >= kLogBlock) flush(log);
}

void warn(Log& log, std::string_view what) {
  log.text += "drought-import: ";
  add(log, what);
}

void flush(Log& log) {
  if (log.stream == nullptr) return;
  std::fwrite(log.text.data(), 1, log.text.size(), log.stream);
  std::fflush(log.stream);
  log.text.clear();
}

std::string shown(std::string_view name) { return records::shown_name(name); }

}  // namespace importer
