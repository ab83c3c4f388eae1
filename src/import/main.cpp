// Entry point of drought-import: options, the station list and ID map, every
// archive file read into the station store, then the station files written.
// Status 0 when every station was written, 1 when some station was not, 2 for
// a usage error, an input that cannot be read or a failure that stops the
// run, 128 + n when stopped by signal n.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "import/archive_lines.h"
#include "import/interrupt.h"
#include "import/output.h"
#include "version.h"

namespace {

using namespace importer;

constexpr int kStationFailedStatus = 1;
constexpr int kFailureStatus = 2;
constexpr int kSignalStatusBase = 128;

constexpr std::string_view kUsage =
    "Usage: drought-import [options] --stations LIST FILE...\n"
    "Turns daily station archive files (6-character or 11-character station IDs,\n"
    "plain or gzip-compressed) into the station files <id>.csv and <id>_PRCP.csv.\n"
    "Each station's files are written under temporary names as its lines end and\n"
    "put in place, both together, when every file is read; an input that cannot\n"
    "be read (or has a line longer than 1 MiB) leaves everything as it was.\n"
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
    "  --version        show the version and exit\n"
    "\n"
    "Status: 0 every station written, 1 some station not written, 2 usage error or\n"
    "unreadable input (nothing written), 128+n stopped by signal n.\n";

struct Options {
  Settings settings;
  std::string stations_file, ids_file;
  std::vector<std::string> inputs;
};

int usage_error(const std::string& what) {
  std::fprintf(stderr, "drought-import: %s (see drought-import --help)\n", what.c_str());
  return kFailureStatus;
}

int fail(Log& log, const std::string& what) {
  warn(log, what);
  flush(log);
  return kFailureStatus;
}

// An option that takes a value; -1 when accepted, else the status to end with.
int take_value(std::string_view option, const std::string& value, Options& o) {
  if (option == "-o") {
    o.settings.out_dir = value;
  } else if (option == "--stations") {
    o.stations_file = value;
  } else if (option == "--ids") {
    o.ids_file = value;
  } else if (option == "--as") {
    if (!valid_output_id(value)) return usage_error("--as needs a 6-digit ID");
    o.settings.ids.as_id = value;
  } else {
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || n < 1 || n > kDays)
      return usage_error("--min-days needs a whole number from 1 to 31");
    o.settings.min_days = static_cast<int>(n);
  }
  return -1;
}

// The command line; -1 to go on, else the status to end with.
int parse_options(int argc, char** argv, Options& o) {
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      o.inputs.emplace_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "--help") {
      std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("drought-import %s\n", DROUGHT_VERSION);
      return 0;
    } else if (arg == "--keep-flagged") {
      o.settings.keep_flagged = true;
    } else if (arg == "-o" || arg == "--stations" || arg == "--as" || arg == "--ids" ||
               arg == "--min-days") {
      if (i + 1 == argc) return usage_error("option " + shown(arg) + " needs a value");
      if (const int status = take_value(arg, argv[++i], o); status >= 0) return status;
    } else {
      return usage_error("unknown option " + shown(arg));
    }
  }
  if (o.stations_file.empty()) return usage_error("no station list given (--stations LIST)");
  if (o.inputs.empty()) return usage_error("no archive file given");
  if (!o.settings.ids.as_id.empty() && !o.ids_file.empty())
    return usage_error("--as and --ids exclude each other");
  return -1;
}

int interrupted(Log& log) {
  const int signal = interrupt_signal();
  warn(log, "interrupted by " + signal_name(signal));
  flush(log);
  return kSignalStatusBase + signal;
}

// Station list, ID map and output directory; -1 to go on, else the status.
int prepare(Options& o, Log& log) {
  std::string error;
  if (!read_station_list(o.stations_file, o.settings.stations, log, error) ||
      (!o.ids_file.empty() && !read_id_map(o.ids_file, o.settings.ids, log, error)))
    return interrupt_signal() != 0 ? interrupted(log) : fail(log, error);
  std::error_code ec;
  std::filesystem::create_directories(o.settings.out_dir, ec);
  if (!std::filesystem::is_directory(o.settings.out_dir))
    return fail(log, "cannot use output directory " + shown(o.settings.out_dir));
  return -1;
}

// Every input read, each station built under temporary names as its lines
// end; -1 to go on, else the status. Nothing is put in place before every
// input is read: a station may have lines in several files, and none is
// written from an input read only in part.
int read_inputs(Importer& im, const std::vector<std::string>& inputs) {
  std::string error;
  for (const std::string& input : inputs) {
    const bool read = read_archive_file(im, input, error);
    flush(im.log);
    if (interrupt_signal() != 0) return interrupted(im.log);
    if (!read) return fail(im.log, error + "; nothing written");
  }
  if (!end_reading(im, error)) return fail(im.log, error + "; nothing written");
  if (interrupt_signal() != 0) return interrupted(im.log);
  if (!im.stations.empty()) return -1;
  warn(im.log, "no station found in the input");
  flush(im.log);
  return kStationFailedStatus;
}

int run(int argc, char** argv) {
  Options o;
  if (const int status = parse_options(argc, argv, o); status >= 0) return status;
  catch_interrupts();
  Importer im;
  im.log.stream = stderr;
  if (const int status = prepare(o, im.log); status >= 0) return status;
  im.settings = std::move(o.settings);
  if (const int status = read_inputs(im, o.inputs); status >= 0) return status;
  const WriteResult result = write_stations(im);
  if (interrupt_signal() != 0) return interrupted(im.log);
  if (!result.fatal.empty()) return fail(im.log, result.fatal);
  flush(im.log);
  return result.failed == 0 ? 0 : kStationFailedStatus;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Reading and writing name their file; this is what is left (options, lists of names).
    std::fputs("drought-import: out of memory\n", stderr);
    return kFailureStatus;
  }
}
