#include "catalogue/catalogue.h"

#include <algorithm>
#include <vector>

namespace catalogue {
namespace {

std::string fit(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, std::min(text.size(), width)));
  out.resize(width, ' ');
  return out;
}

}  // namespace

std::string station_id(std::string_view text) { return fit(text, kStationIdWidth); }

bool valid_station_id(std::string_view station_id) {
  return station_id.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string file_name(std::string_view station_id, std::string_view suffix) {
  return std::string(station_id) + std::string(suffix);
}

std::string file_arg(std::string_view station_id, std::string_view suffix) {
  std::string name(station_id);
  name += suffix;
  return fit(name, kFileArgWidth);
}

std::string_view trim_name(std::string_view arg) {
  const std::size_t end = arg.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : arg.substr(0, end + 1);
}

std::string station_of(std::string_view arg) { return fit(arg, kStationIdWidth); }

std::string spi_file(int period, SpiKind kind) {
  return "fort." + std::to_string(spi_unit(period, kind));
}

const char* lifetime_name(Lifetime lifetime) {
  switch (lifetime) {
    case Lifetime::Input:
      return "input";
    case Lifetime::SpiRun:
      return "SPI run";
    case Lifetime::StationRun:
      return "station run";
    case Lifetime::Program:
      return "program";
  }
  return "";
}

std::span<const std::string> spi_run_files() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (int period = 1; period <= kPeriods; ++period)
      for (SpiKind kind :
           {SpiKind::Parameters, SpiKind::Values, SpiKind::Probabilities, SpiKind::Sums})
        if (restarts_each_spi_run(period, kind)) out.push_back(spi_file(period, kind));
    return out;
  }();
  return names;
}

}  // namespace catalogue
