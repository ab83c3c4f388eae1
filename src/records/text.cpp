// Text comparison and the file-name argument of the stages.
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

std::string file_arg(std::string_view station_id, std::string_view suffix) {
  std::string name(station_id);
  name += suffix;
  return fit(name, kFileArgWidth);
}

std::string_view trim_name(std::string_view arg) {
  std::size_t end = arg.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : arg.substr(0, end + 1);
}

std::string station_of(std::string_view arg) { return fit(arg, 6); }

}  // namespace records
