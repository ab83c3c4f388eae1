// Report/<years>: the station report of a generated station (read every output
// file of a finished station run, draw the page, write the page and the tidy
// table through a temporary file and a rename), beside StationRun/<years>, the station run that
// made those files, for the ratio of the two.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "driver/driver.h"
#include "records/console.h"
#include "records/files.h"
#include "report/output.h"
#include "station_gen.h"

namespace {

namespace fs = std::filesystem;

// A scratch directory holding one generated station, the working directory
// while it lives.
struct Station {
  fs::path previous = fs::current_path();
  fs::path dir;
  std::string id;
  explicit Station(int years) : id("8" + std::to_string(100000 + years).substr(1)) {
    dir = fs::temp_directory_path() / ("drought-bench-report-" + std::to_string(years));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    bench_support::write_station(dir, id, 1901, years, 42);
  }
  ~Station() {
    fs::current_path(previous);
    fs::remove_all(dir);
  }
  void run() {
    std::string console;
    records::set_console_sink(&console);
    driver::station_run(id);
    records::close_all();
    records::set_console_sink(nullptr);
  }
};

void Report(benchmark::State& state) {
  Station station(static_cast<int>(state.range(0)));
  station.run();
  for (auto _ : state) {
    if (report::report_station(station.id, "bench") != 0) state.SkipWithError("report failed");
  }
  const auto bytes =
      fs::file_size(station.id + "-report.html") + fs::file_size(station.id + "-indices.csv");
  state.counters["written_KiB"] = static_cast<double>(bytes) / 1024;
}

void StationRun(benchmark::State& state) {
  Station station(static_cast<int>(state.range(0)));
  for (auto _ : state) station.run();
}

}  // namespace

BENCHMARK(Report)->Arg(120)->Unit(benchmark::kMillisecond);
BENCHMARK(StationRun)->Arg(120)->Unit(benchmark::kMillisecond);
