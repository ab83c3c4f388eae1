// Text comparison, fitting texts to a width, and fields of comma-separated
// lines.
#include "records/text.h"

#include <algorithm>

namespace records {

bool text_equal(std::string_view a, std::string_view b) {
  if (a.size() < b.size()) std::swap(a, b);
  if (a.substr(0, b.size()) != b) return false;
  return std::all_of(a.begin() + static_cast<std::ptrdiff_t>(b.size()), a.end(),
                     [](char c) { return c == ' '; });
}

std::string fit(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, std::min(text.size(), width)));
  out.resize(width, ' ');
  return out;
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\n\r") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace records
