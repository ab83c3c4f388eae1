// Entry point of drought-import: options, then every archive file read, then
// the station files written. Status 0 when every station was written, 1 when
// some station was not, 2 for a usage error or an input that cannot be read.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "import/import.h"
#include "version.h"

namespace {

constexpr int kStationFailedStatus = 1;
constexpr int kUsageStatus = 2;

constexpr std::string_view kUsage =
    "Usage: drought-import [options] --stations LIST FILE...\n"
    "Turns daily station archive files (6-character or 11-character station IDs,\n"
    "plain or gzip-compressed) into the station files <id>.csv and <id>_PRCP.csv.\n"
    "\n"
    "Options:\n"
    "  --stations LIST  station list: ID, latitude, longitude and elevation (required)\n"
    "  -o DIR           write the station files into DIR (default: the current directory)\n"
    "  --as ID          output ID of the one station with an 11-character ID\n"
    "  --ids MAP        output IDs of 11-character IDs: one \"SOURCE-ID ID\" pair per line\n"
    "                   (default: the last 6 characters of the source ID)\n"
    "  --min-days N     days a month needs for its total to be scaled up, 1-31 (default 24)\n"
    "  --keep-flagged   keep day values that carry a quality flag\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n";

int usage_error(const std::string& what) {
  std::fprintf(stderr, "drought-import: %s (see drought-import --help)\n", what.c_str());
  return kUsageStatus;
}

int fail(const std::string& what) {
  std::fprintf(stderr, "drought-import: %s\n", what.c_str());
  return kUsageStatus;
}

void flush(std::string& messages) {
  std::fwrite(messages.data(), 1, messages.size(), stderr);
  messages.clear();
}

}  // namespace

int main(int argc, char** argv) {
  importer::Settings settings;
  importer::Archive archive;
  std::string stations_file, ids_file;
  std::vector<std::string> inputs;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      inputs.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
    } else if (arg == "--help") {
      std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("drought-import %s\n", DROUGHT_VERSION);
      return 0;
    } else if (arg == "--keep-flagged") {
      archive.keep_flagged = true;
    } else if (arg == "-o" || arg == "--stations" || arg == "--as" || arg == "--ids" ||
               arg == "--min-days") {
      if (i + 1 == argc) return usage_error("option " + std::string(arg) + " needs a value");
      const std::string value = argv[++i];
      if (arg == "-o") {
        settings.out_dir = value;
      } else if (arg == "--stations") {
        stations_file = value;
      } else if (arg == "--ids") {
        ids_file = value;
      } else if (arg == "--as") {
        if (!importer::valid_output_id(value)) return usage_error("--as needs a 6-digit ID");
        settings.as_id = value;
      } else {
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || n < 1 || n > importer::kDays)
          return usage_error("--min-days needs a whole number from 1 to 31");
        settings.min_days = static_cast<int>(n);
      }
    } else {
      return usage_error("unknown option " + std::string(arg));
    }
  }
  if (stations_file.empty()) return usage_error("no station list given (--stations LIST)");
  if (inputs.empty()) return usage_error("no archive file given");
  if (!settings.as_id.empty() && !ids_file.empty())
    return usage_error("--as and --ids exclude each other");

  std::string text, error;
  if (!importer::read_text_file(stations_file, text, error)) return fail(error);
  settings.stations = importer::parse_station_list(text);
  if (!ids_file.empty()) {
    if (!importer::read_text_file(ids_file, text, error)) return fail(error);
    settings.use_id_map = true;
    if (!importer::parse_id_map(text, settings.id_map, error)) return fail(ids_file + ": " + error);
  }
  std::error_code ec;
  std::filesystem::create_directories(settings.out_dir, ec);
  if (!std::filesystem::is_directory(settings.out_dir))
    return fail("cannot use output directory " + settings.out_dir);

  // Every input is read before anything is written: a station may have lines
  // in several files, and none is written from an input read only in part.
  for (const std::string& input : inputs) {
    const bool ok = importer::read_archive_file(archive, input, error);
    flush(archive.messages);
    if (!ok) return fail(error + "; nothing written");
  }
  if (archive.stations.empty()) {
    std::fputs("drought-import: no station found in the input\n", stderr);
    return kStationFailedStatus;
  }
  std::string log;
  const int failed = importer::write_stations(archive, settings, log);
  flush(log);
  return failed == 0 ? 0 : kStationFailedStatus;
}
