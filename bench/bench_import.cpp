// drought-import throughput in MB of archive text per second on one core: a
// generated archive of about 200 MB in the 11-character format (metric units,
// every day converted) is read and every station's two files are written, as
// the program does (rates per CPU second: one core). Each station repeats one bundled station
// twelve times, 8 years apart (about 60 years of data), under a new ID.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "import/import.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kArchiveBytes = 200'000'000;
constexpr int kRepeats = 12;
constexpr int kYearStep = 8;  // keeps leap years leap
const char* const kStations[] = {"100111", "100112", "725030", "727930"};

struct Archive {
  fs::path dir;
  std::string file;
  std::size_t bytes = 0;
  importer::StationList stations;
};

std::string read_whole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes the archive once, in a fresh temporary directory.
const Archive& archive() {
  static Archive a = [] {
    Archive made;
    made.dir = fs::temp_directory_path() / ("bench_import." + std::to_string(getpid()));
    fs::create_directories(made.dir / "out");
    made.file = (made.dir / "archive.txt").string();
    std::vector<std::string> texts;
    for (const char* id : kStations) {
      const std::string one = importer::archive_from_daily(
          read_whole(fs::path(DROUGHT_SOURCE_DIR) / "examples" / (std::string(id) + ".csv")),
          importer::Format::kLong);
      std::string text;
      for (int r = kRepeats - 1; r >= 0; --r) {
        std::string shifted = one;
        for (std::size_t at = 0; at < shifted.size(); at += importer::kLongLineLength + 1) {
          const int year = std::stoi(shifted.substr(at + importer::kLongIdLength, 4));
          shifted.replace(at + importer::kLongIdLength, 4, std::to_string(year - r * kYearStep));
        }
        text += shifted;
      }
      texts.push_back(text);
    }
    std::FILE* out = std::fopen(made.file.c_str(), "wb");
    std::string list;
    for (std::size_t n = 0; made.bytes < kArchiveBytes; ++n) {
      std::string& text = texts[n % texts.size()];
      char id[16];
      std::snprintf(id, sizeof id, "XX%09zu", n);
      for (std::size_t at = 0; at < text.size(); at += importer::kLongLineLength + 1)
        text.replace(at, importer::kLongIdLength, id);
      std::fwrite(text.data(), 1, text.size(), out);
      made.bytes += text.size();
      made.stations.emplace(id, importer::StationInfo{"47.61", "-122.33", "56"});
    }
    std::fclose(out);
    return made;
  }();
  return a;
}

void Import(benchmark::State& state) {
  const Archive& a = archive();
  importer::Settings settings;
  settings.out_dir = (a.dir / "out").string();
  settings.stations = a.stations;
  for (auto _ : state) {
    importer::Archive read;
    std::string error, log;
    if (!importer::read_archive_file(read, a.file, error)) state.SkipWithError(error.c_str());
    if (importer::write_stations(read, settings, log) != 0) state.SkipWithError(log.c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * a.bytes));
  state.counters["MB_per_s"] = benchmark::Counter(static_cast<double>(a.bytes) / 1e6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->Iterations(3);

struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("bench_import." + std::to_string(getpid())), ec);
  }
} cleanup;

}  // namespace
