// Shared scaffolding of the stage fuzz targets.
//
// Each target runs in a scratch directory of its own (made once, then the
// working directory for the whole process), emptied before every input. The
// input is cut into a parameter line and file sections: the bytes up to the
// first line feed are the parameters (whole numbers separated by blanks,
// commas or anything else that is not a digit or a sign), and the rest is cut
// at NUL bytes into the contents of the files the target writes, in order.
// A section that is absent gives an empty file.
//
// A stage may end with records::FatalError (a documented fatal end); any
// other exception, crash, hang or sanitizer report is a finding.
#pragma once

#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/text.h"

namespace fuzz {

// The file-name argument a stage takes (a station's file: ID and suffix).
using catalogue::file_arg;

inline constexpr std::string_view kStation = "fuzz01";

struct Input {
  std::vector<std::int64_t> params;
  std::vector<std::string_view> sections;

  // The i-th parameter, or `fallback` when the line holds fewer.
  std::int64_t param(std::size_t i, std::int64_t fallback) const {
    return i < params.size() ? params[i] : fallback;
  }
  int param_int(std::size_t i, int fallback) const {
    const std::int64_t v = param(i, fallback);
    return v < INT32_MIN || v > INT32_MAX ? fallback : static_cast<int>(v);
  }
  std::string_view section(std::size_t i) const {
    return i < sections.size() ? sections[i] : std::string_view();
  }
};

inline Input split(const std::uint8_t* data, std::size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  Input in;
  const std::size_t nl = all.find('\n');
  const std::string_view line = all.substr(0, nl);
  for (std::size_t p = 0; p < line.size();) {
    const char c = line[p];
    if ((c >= '0' && c <= '9') || c == '-') {
      std::int64_t v = 0;
      const auto [end, ec] = std::from_chars(line.data() + p, line.data() + line.size(), v);
      if (ec == std::errc()) in.params.push_back(v);
      const std::size_t used = static_cast<std::size_t>(end - (line.data() + p));
      p += used > 0 ? used : 1;
    } else {
      ++p;
    }
  }
  std::string_view body = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
  for (;;) {
    const std::size_t nul = body.find('\0');
    in.sections.push_back(body.substr(0, nul));
    if (nul == std::string_view::npos) break;
    body.remove_prefix(nul + 1);
  }
  return in;
}

// Makes the scratch directory on the first call and empties it on every call.
inline void fresh_directory() {
  static const std::filesystem::path dir = [] {
    std::string templ = (std::filesystem::temp_directory_path() / "drought-fuzz-XXXXXX").string();
    if (!mkdtemp(templ.data())) std::abort();
    std::filesystem::current_path(templ);
    return std::filesystem::path(templ);
  }();
  static std::string console;
  records::set_console_sink(&console);
  console.clear();
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    std::filesystem::remove_all(entry.path());
}

inline void write_file(const std::string& name, std::string_view content) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::abort();
  if (!content.empty() && std::fwrite(content.data(), 1, content.size(), f) != content.size())
    std::abort();
  std::fclose(f);
}

inline std::string station_file(std::string_view suffix) {
  return std::string(kStation) + std::string(suffix);
}

// Runs the stages; a fatal end is an allowed outcome. Every file number is
// closed afterwards, so that the next input starts from nothing.
template <typename Stages>
void run(Stages stages) {
  try {
    stages();
  } catch (const records::FatalError&) {
  }
  try {
    records::close_all();
  } catch (const records::FatalError&) {
  }
}

}  // namespace fuzz
