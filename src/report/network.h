// The network page: one self-contained page over the stations found in some
// directories, answering "where is it dry now?".
//
// Reads, per station, only what the page needs: the position from the first
// data record of <id>.csv, the last month with an SPI value from the end of
// <id>-spi-results.csv and the Palmer X of that month from the end of
// <id>-pdsi.csv. A station is any <id>.csv in a directory given or in one of
// its subdirectories (the group directories of a batch). Memory grows with the
// number of stations, never with the length of their records.
//
// The page draws the stations on three equirectangular maps (SPI-3, SPI-12,
// Palmer X), counts the classes for the most common last month, lists the
// stations that end earlier or later, and tables every station by current
// severity with a relative link to its station page <dir>/<id>-report.html.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/sources.h"

namespace report {

// What the network page knows of one station.
struct NetStation {
  std::string id;    // without trailing blanks
  std::string href;  // relative link to its station page, escaped for an attribute
  bool placed = false;
  double latitude = 0.0;   // degrees north
  double longitude = 0.0;  // degrees east
  int year = 0;            // the last month with an SPI value; 0 when none
  int month = 0;
  Value spi3;
  Value spi12;
  Value palmer;  // Palmer X of the same month
};

struct Network {
  std::vector<NetStation> stations;   // in the order found
  std::vector<std::string> warnings;  // one line each, without the program name
  int without_results = 0;            // stations found without SPI results: not on the page
};

// Finds and reads the stations of the directories (each directory and its
// immediate subdirectories). Links are made relative to page_dir, the
// directory the page is written to.
Network read_network(std::span<const std::string_view> dirs, const std::filesystem::path& page_dir);

// Reads one station of a directory; href is left empty.
NetStation read_net_station(const std::filesystem::path& dir, std::string_view id);

// The whole page.
std::string network_page(const Network& network, std::string_view version);

}  // namespace report
