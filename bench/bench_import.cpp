// drought-import on a generated archive in the 11-character format (metric
// units, every day converted), run as the operator runs it: the program in a
// process of its own, every station's two files written. Each station repeats
// one bundled station twelve times, 8 years apart (about 60 years of data,
// about 0.9 MB of archive lines), under a new ID.
//
// Figures per archive size (200 and 800 MB): MB of archive text per CPU
// second of the program (user + system: one core) and per second of wall
// time, the program's peak resident memory, and the bound it must keep: 64 MiB
// plus the largest station's archive lines, whatever the archive size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/archive_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRepeats = 12;
constexpr int kYearStep = 8;  // keeps leap years leap
constexpr std::size_t kLine = importer::kLongLineLength + 1;
constexpr double kMiB = 1 << 20;
const char* const kStations[] = {"100111", "100112", "725030", "727930"};

const fs::path& work_dir() {
  static const fs::path dir =
      fs::temp_directory_path() / ("bench_import." + std::to_string(getpid()));
  return dir;
}

struct Archive {
  std::string file, list;
  std::size_t bytes = 0;
  std::size_t largest_station = 0;  // bytes of archive lines
};

std::string read_whole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The archive lines of one bundled station, repeated kRepeats times.
std::string repeated_station(const char* id) {
  const std::string one = testing_support::archive_from_daily(
      read_whole(fs::path(DROUGHT_SOURCE_DIR) / "examples" / (std::string(id) + ".csv")),
      importer::Format::kLong);
  std::string text;
  for (int r = kRepeats - 1; r >= 0; --r) {
    std::string shifted = one;
    for (std::size_t at = 0; at < shifted.size(); at += kLine) {
      const int year = std::stoi(shifted.substr(at + importer::kLongIdLength, 4));
      shifted.replace(at + importer::kLongIdLength, 4, std::to_string(year - r * kYearStep));
    }
    text += shifted;
  }
  return text;
}

// Writes an archive of about mb megabytes and its station list, once per size.
const Archive& archive(std::int64_t mb) {
  static std::map<std::int64_t, Archive> made;
  Archive& a = made[mb];
  if (a.bytes > 0) return a;
  fs::create_directories(work_dir());
  a.file = (work_dir() / ("archive" + std::to_string(mb) + ".txt")).string();
  a.list = (work_dir() / ("list" + std::to_string(mb) + ".txt")).string();
  std::vector<std::string> texts;
  for (const char* id : kStations) texts.push_back(repeated_station(id));
  std::FILE* out = std::fopen(a.file.c_str(), "wb");
  std::FILE* list = std::fopen(a.list.c_str(), "wb");
  for (std::size_t n = 0; a.bytes < static_cast<std::size_t>(mb) * 1'000'000; ++n) {
    std::string& text = texts[n % texts.size()];
    char id[16];
    std::snprintf(id, sizeof id, "XX%09zu", n);
    for (std::size_t at = 0; at < text.size(); at += kLine)
      text.replace(at, importer::kLongIdLength, id);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fprintf(list, "%s 47.61 -122.33 56\n", id);
    a.bytes += text.size();
    a.largest_station = std::max(a.largest_station, text.size());
  }
  std::fclose(out);
  std::fclose(list);
  return a;
}

struct Usage {
  double cpu_seconds = 0, wall_seconds = 0, peak_mib = 0;
  bool ok = false;
};

// One run of the program on the archive, its output to a directory of its own.
Usage run_import(const Archive& a, const std::string& out_dir) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stderr);
    execl(DROUGHT_IMPORT_EXE, DROUGHT_IMPORT_EXE, "--stations", a.list.c_str(), "-o",
          out_dir.c_str(), a.file.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Usage u;
  u.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  u.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  u.peak_mib = static_cast<double>(usage.ru_maxrss) * 1024 / kMiB;
  u.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return u;
}

void Import(benchmark::State& state) {
  const Archive& a = archive(state.range(0));
  const std::string out_dir = (work_dir() / ("out" + std::to_string(state.range(0)))).string();
  double wall = 0, peak = 0;
  for (auto _ : state) {
    const Usage u = run_import(a, out_dir);
    if (!u.ok) state.SkipWithError("drought-import failed");
    state.SetIterationTime(u.cpu_seconds);
    wall += u.wall_seconds;
    peak = std::max(peak, u.peak_mib);
  }
  const double mb = static_cast<double>(a.bytes) / 1e6;
  state.counters["MB_per_s"] =
      benchmark::Counter(mb, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["wall_MB_per_s"] = mb * static_cast<double>(state.iterations()) / wall;
  state.counters["peak_MiB"] = peak;
  state.counters["bound_MiB"] = 64 + static_cast<double>(a.largest_station) / kMiB;
}
BENCHMARK(Import)
    ->Arg(200)
    ->Arg(800)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    fs::remove_all(work_dir(), ec);
  }
} cleanup;

}  // namespace
