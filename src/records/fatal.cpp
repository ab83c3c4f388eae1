// Fatal diagnostics of input/output failures.
#include "records/fatal.h"

namespace records {

void fatal(std::string_view operation, std::string_view file, std::string_view cause) {
  std::string message(operation);
  message += ' ';
  message += file;
  message += ": ";
  message += cause;
  throw FatalError(message);
}

std::string shown(std::string_view value) {
  constexpr std::size_t kShownLength = 40;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < value.size() && i < kShownLength; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x20 && c < 0x7f) {
      s += static_cast<char>(c);
    } else {
      s += "\\x";
      s += kHex[c >> 4];
      s += kHex[c & 15];
    }
  }
  if (value.size() > kShownLength) s += "...";
  return s;
}

}  // namespace records
