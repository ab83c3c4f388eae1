#include "driver/options.h"

#include <string_view>

#include "driver/reference.h"

namespace driver {

Options parse_options(int argc, const char* const* argv) {
  Options o;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      o.station_ids.emplace_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "-q" || arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "--reference" || arg.starts_with("--reference=")) {
      // The value follows as the next argument or after '='.
      const bool joined = arg.size() > 11;
      const std::string_view value = joined ? arg.substr(12) : (i + 1 < argc ? argv[++i] : "");
      o.reference = parse_reference(value);
      if (!o.reference && o.error.empty())
        o.error = "--reference " + std::string(value) +
                  ": expected FIRST-LAST, two years with FIRST not after LAST (see drought --help)";
    } else {
      if (o.error.empty()) o.error = "unknown option " + std::string(arg) + " (see drought --help)";
    }
  }
  return o;
}

const char* usage_text() {
  return "usage: drought [options] [--] [ID...]\n"
         "Computes drought indices for weather stations from the files <ID>.csv and\n"
         "<ID>_PRCP.csv in the current directory, writing the results beside them.\n"
         "Without IDs it asks for one station ID after another until \"exit\".\n"
         "With IDs it runs those stations in order, without prompts, and ends.\n"
         "\n"
         "  -q, --quiet   nothing on standard output (diagnostics still on standard error)\n"
         "  --reference FIRST-LAST\n"
         "                fit the SPI and take the monthly normals and the decile pool\n"
         "                from these years only (for example 1981-2010); every year is\n"
         "                still computed, EDI and the Palmer index use every year\n"
         "  -h, --help    show this text and end\n"
         "      --version show the version and end\n"
         "  --            end of options: every further argument is a station ID\n"
         "\n"
         "Exit status: 0 done, 1 a station ID was refused, 2 a fatal input or output\n"
         "failure or a wrong command line. See man drought.\n";
}

}  // namespace driver
