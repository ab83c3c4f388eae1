#include "driver/options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "driver/reference.h"

namespace driver {
namespace {

// A number with nothing after it.
bool parse_number(std::string_view text, double& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Sets one option that takes a value; returns the complaint about a wrong
// value (without the option's name), empty when it is taken.
std::string set_value(std::string_view name, std::string_view value, catalogue::Choices& c) {
  using namespace catalogue;
  if (name == "--reference") {
    c.reference = parse_reference(value);
    return c.reference ? "" : "expected FIRST-LAST, two years with FIRST not after LAST";
  }
  if (name == "--lmoments") {
    if (value == "positions" || value == "unbiased") {
      c.lmoments = value == "unbiased" ? LMoments::Unbiased : LMoments::Positions;
      return "";
    }
    return "expected positions or unbiased";
  }
  if (name == "--spi-distribution") {
    if (value == "pearson3" || value == "gamma") {
      c.spi_distribution = value == "gamma" ? SpiDistribution::Gamma : SpiDistribution::Pearson3;
      return "";
    }
    return "expected pearson3 or gamma";
  }
  if (name == "--spei-distribution") {
    if (value == "loglogistic" || value == "pearson3") {
      c.spei_distribution =
          value == "pearson3" ? SpeiDistribution::Pearson3 : SpeiDistribution::LogLogistic;
      return "";
    }
    return "expected loglogistic or pearson3";
  }
  double number = 0.0;
  if (name == "--event-start" || name == "--event-end") {
    if (!parse_number(value, number)) return "expected a number";
    (name == "--event-start" ? c.event_start : c.event_end) = number;
    return "";
  }
  // --event-min
  if (!parse_number(value, number) || number < 1 || number > 1000 || number != std::floor(number))
    return "expected a whole number of months from 1 to 1000";
  c.event_min = static_cast<int>(number);
  return "";
}

constexpr std::string_view kValueOptions[] = {
    "--reference",   "--lmoments",  "--spi-distribution", "--spei-distribution",
    "--event-start", "--event-end", "--event-min"};

// The option of kValueOptions that arg names, alone or with "=value".
std::string_view value_option(std::string_view arg) {
  for (std::string_view name : kValueOptions)
    if (arg == name ||
        (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '='))
      return name;
  return {};
}

// A threshold as text, to six significant digits.
std::string number_text(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// Thresholds that cannot make events: a start above the end, of the SPI-like
// indices or of the Palmer index (whose defaults a given threshold meets).
void check_events(Options& o) {
  const catalogue::Choices& c = o.choices;
  const auto check = [&o](double start, double end, const char* whose) {
    if (o.error.empty() && start > end)
      o.error = "--event-start " + number_text(start) + " lies above " + whose + "--event-end " +
                number_text(end) + " (see drought --help)";
  };
  check(c.event_start.value_or(catalogue::kEventStart), c.event_end.value_or(catalogue::kEventEnd),
        "");
  check(c.event_start.value_or(catalogue::kPalmerEventStart),
        c.event_end.value_or(catalogue::kPalmerEventEnd), "the Palmer index's ");
}

}  // namespace

Options parse_options(int argc, const char* const* argv) {
  Options o;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const std::string_view name = value_option(arg);
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
    } else if (arg == "-x" || arg == "--extended") {
      o.choices.extended = true;
    } else if (!name.empty()) {
      const bool joined = arg.size() > name.size();
      const std::string_view value =
          joined ? arg.substr(name.size() + 1) : (i + 1 < argc ? argv[++i] : "");
      const std::string complaint = set_value(name, value, o.choices);
      if (!complaint.empty() && o.error.empty())
        o.error = std::string(name) + " " + std::string(value) + ": " + complaint +
                  " (see drought --help)";
    } else {
      if (o.error.empty()) o.error = "unknown option " + std::string(arg) + " (see drought --help)";
    }
  }
  check_events(o);
  return o;
}

std::string value_options_text(const catalogue::Choices& c) {
  using namespace catalogue;
  std::string line;
  auto add = [&line](const std::string& option) { line += (line.empty() ? "" : " ") + option; };
  if (c.reference) add("--reference " + reference_text(*c.reference));
  if (c.lmoments == LMoments::Unbiased) add("--lmoments unbiased");
  if (c.spi_distribution == SpiDistribution::Gamma) add("--spi-distribution gamma");
  if (c.extended) {
    add("--extended");
    if (c.spei_distribution == SpeiDistribution::Pearson3) add("--spei-distribution pearson3");
    if (c.event_start) add("--event-start " + number_text(*c.event_start));
    if (c.event_end) add("--event-end " + number_text(*c.event_end));
    if (c.event_min != 2) add("--event-min " + std::to_string(c.event_min));
  }
  return line;
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
         "  --lmoments positions|unbiased\n"
         "                L-moment estimator of the SPI fits (default positions, the\n"
         "                plotting positions j/n of the stored files)\n"
         "  --spi-distribution pearson3|gamma\n"
         "                distribution of the SPI fits (default pearson3)\n"
         "  -x, --extended\n"
         "                also write the water balance, the complete Palmer indices\n"
         "                (PDSI, PHDI, PMDI), SPEI, drought events and the precipitation\n"
         "                needed to end a drought\n"
         "  --spei-distribution loglogistic|pearson3\n"
         "                distribution of the SPEI fits (default loglogistic)\n"
         "  --event-start S, --event-end E, --event-min N\n"
         "                a drought event begins with N months (default 2) at or below\n"
         "                S (default -1) and ends with the first month above E (default\n"
         "                0); for the Palmer index the defaults are -2 and -0.5, and a\n"
         "                given S or E applies to it too\n"
         "  -h, --help    show this text and end\n"
         "      --version show the version and end\n"
         "  --            end of options: every further argument is a station ID\n"
         "\n"
         "Options that change values are named in <ID>-options.txt.\n"
         "Exit status: 0 done, 1 a station ID was refused, 2 a fatal input or output\n"
         "failure or a wrong command line. See man drought.\n";
}

}  // namespace driver
