// Fuzz target of drought-import's readers: the archive parser and the station
// list reader, on plain and gzip-compressed files, through to the station
// files written. The first parameter picks the group, the others are the
// group's (see harness.h for the input form):
//   0 archive as given (gzip when it starts with the gzip bytes), station list
//   1 archive gzip-compressed here, station list gzip-compressed here
//   2 station list as given, then the ID map
// Parameters of groups 0 and 1: keep flagged days (0/1), --min-days, output
// IDs (0 default, 1 --as 123456, 2 the ID map of section 2).
// Good seeds: "0 0 24 0", then archive lines of a bundled station in either
// format (as the import tests write them), NUL, the lines of the tests'
// station list; the same as a gzip file (several members, bytes after them).
// Links the importer's sources (not its main.cpp), the record layer (for
// harness.h) and zlib.
#include <zlib.h>

#include "harness.h"
#include "import/archive_lines.h"
#include "import/output.h"

using namespace fuzz;

namespace {

// The text as one gzip member.
std::string gzip(std::string_view text) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void import_archive(const Input& in, bool compress) {
  const auto file = [&](const char* name, std::string_view text) {
    write_file(name, compress ? gzip(text) : std::string(text));
  };
  file("archive", in.section(0));
  file("list", in.section(1));
  write_file("map", in.section(2));
  importer::Importer im;
  importer::Settings& settings = im.settings;
  std::string error;
  const int min_days = in.param_int(2, importer::kDefaultMinDays);
  settings.min_days = min_days >= 1 && min_days <= importer::kDays ? min_days : 1;
  settings.keep_flagged = in.param(1, 0) == 1;
  if (in.param(3, 0) == 1) settings.ids.as_id = "123456";
  if (in.param(3, 0) == 2 && !importer::read_id_map("map", settings.ids, im.log, error)) return;
  if (!importer::read_station_list("list", settings.stations, im.log, error) ||
      !importer::read_archive_file(im, "archive", error) || !importer::end_reading(im, error))
    return;
  importer::write_stations(im);
}

void read_lists(const Input& in) {
  write_file("list", in.section(0));
  write_file("map", in.section(1));
  importer::Log log;
  importer::StationList list;
  importer::OutputIds ids;
  std::string error;
  importer::read_station_list("list", list, log, error);
  importer::read_id_map("map", ids, log, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = split(data, size);
  fresh_directory();
  switch (in.param(0, 0)) {
    case 0:
      import_archive(in, false);
      break;
    case 1:
      import_archive(in, true);
      break;
    case 2:
      read_lists(in);
      break;
  }
  return 0;
}
