// Whole station runs against the input/output floor.
//
// StationRun/<years>: one program run of one station (every stage, then the
// program's end closing every file), on a deterministic synthetic station of
// 60 or 120 years.
// IoFloor/<years>: the least any program can do for the same run: read the
// station's two input files and write the very bytes the station run writes,
// to the same number of files.
// Batch100: one program run over 100 stations of 60 years each.
// PeakMemory/<years>: the real program (its own process, as the operator runs
// it) on one station; counters give its peak resident memory and its time.
// ProcessRatio/<years>: the real program as a process against the floor
// program as a process (see below).
// ExtendedRatio/<years>: the real program with --extended against the plain
// run of the same station, both as processes, back to back.
// SpeiStage/<years>: the SPEI stage alone on a generated water balance.
// 1389 years make the largest daily file a run reads in full (50000 records).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "records/console.h"
#include "records/files.h"
#include "spei/spei.h"
#include "station_gen.h"

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::string s;
  if (std::FILE* f = std::fopen(p.c_str(), "rb")) {
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
  }
  return s;
}

void spill(const fs::path& p, const std::string& bytes) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// A scratch directory that is the working directory while it lives.
struct Scratch {
  fs::path previous = fs::current_path();
  fs::path dir;
  explicit Scratch(const std::string& name) {
    dir = fs::temp_directory_path() / ("drought-bench-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
  }
  ~Scratch() {
    fs::current_path(previous);
    fs::remove_all(dir);
  }
};

std::string station_id(int years) { return "9" + std::to_string(100000 + years).substr(1); }

// One program run: the station run, then every file completed and closed.
void program_run(const std::vector<std::string>& ids, std::string& console) {
  console.clear();
  records::set_console_sink(&console);
  for (const auto& id : ids) driver::station_run(id);
  records::close_all();
  records::set_console_sink(nullptr);
}

void StationRun(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  Scratch scratch("run" + std::to_string(years));
  const std::string id = station_id(years);
  bench_support::write_station(scratch.dir, id, 1901, years, 42);
  std::string console;
  for (auto _ : state) program_run({id}, console);
  state.counters["months"] = years * 12.0;
}

void IoFloor(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  Scratch scratch("floor" + std::to_string(years));
  const std::string id = station_id(years);
  bench_support::write_station(scratch.dir, id, 1901, years, 42);
  std::string console;
  program_run({id}, console);
  // The bytes of every file the run wrote.
  std::map<std::string, std::string> outputs;
  for (const auto& entry : fs::directory_iterator(scratch.dir)) {
    const std::string name = entry.path().filename();
    if (name != id + ".csv" && name != id + "_PRCP.csv") outputs[name] = slurp(entry.path());
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = slurp(id + ".csv").size() + slurp(id + "_PRCP.csv").size();
    for (const auto& [name, content] : outputs) {
      spill(name, content);
      bytes += content.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["files"] = static_cast<double>(outputs.size());
  state.counters["bytes"] = static_cast<double>(bytes);
}

void Batch100(benchmark::State& state) {
  Scratch scratch("batch");
  std::vector<std::string> ids;
  for (int i = 0; i < 100; ++i) {
    ids.push_back(std::to_string(800000 + i));
    bench_support::write_station(scratch.dir, ids.back(), 1951, 60, 1000 + i);
  }
  std::string console;
  for (auto _ : state) program_run(ids, console);
}

#ifdef DROUGHT_EXECUTABLE
// Runs a program in its own process with standard input from a file and
// standard output to /dev/null; false unless it ends with status 0. usage
// receives the process's resource use.
bool run_process(const std::vector<std::string>& argv, const char* input, struct rusage& usage) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = ::open(input, O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  usage = {};
  return pid > 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

double cpu_seconds(const struct rusage& u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

void PeakMemory(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  Scratch scratch("memory" + std::to_string(years));
  const std::string id = station_id(years % 1000);
  bench_support::write_station(scratch.dir, id, years <= 120 ? 1901 : 1000, years, 42);
  spill("replies", id + "\nexit\n");
  long peak_kib = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    struct rusage usage {};
    if (!run_process({DROUGHT_EXECUTABLE}, "replies", usage)) {
      state.SkipWithError("the program did not run to its end");
      return;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peak_kib = std::max(peak_kib, usage.ru_maxrss);
  }
  state.counters["peak_MiB"] = static_cast<double>(peak_kib) / 1024.0;
  state.counters["run_ms"] = seconds * 1000.0;
}
BENCHMARK(PeakMemory)->Arg(120)->Arg(1389)->Unit(benchmark::kMillisecond)->Iterations(3);

// ProcessRatio/<years>: the real program started as a process on one station,
// against the floor program (bench/io_floor.cpp) that reads the same two input
// files and writes the same bytes into the same number of files. The time is
// the program's CPU time (user and system) per run; the counters give the
// least CPU time of each over the runs and the median of the ratios of the
// two runs made one after the other (which meet the same load).
void ProcessRatio(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  Scratch scratch("process" + std::to_string(years));
  const std::string id = station_id(years);
  bench_support::write_station(scratch.dir, id, 1901, years, 42);
  spill("replies", id + "\nexit\n");
  struct rusage usage {};
  if (!run_process({DROUGHT_EXECUTABLE}, "replies", usage)) {
    state.SkipWithError("the program did not run to its end");
    return;
  }
  // The bytes of every file the run wrote, in one bundle for the floor.
  const std::string inputs[] = {id + ".csv", id + "_PRCP.csv"};
  std::string bundle;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(scratch.dir)) {
    const std::string name = entry.path().filename();
    if (name == inputs[0] || name == inputs[1] || name == "replies") continue;
    const std::string content = slurp(entry.path());
    bundle += name + "\n" + std::to_string(content.size()) + "\n" + content;
    ++files;
  }
  spill(scratch.dir / "bundle", bundle);
  const std::vector<std::string> floor_argv{IO_FLOOR_EXECUTABLE, (scratch.dir / "bundle").string(),
                                            inputs[0], inputs[1]};
  double program = 1e9, floor = 1e9;
  std::vector<double> ratios;
  for (auto _ : state) {
    if (!run_process({DROUGHT_EXECUTABLE}, "replies", usage)) {
      state.SkipWithError("the program did not run to its end");
      return;
    }
    const double t = cpu_seconds(usage);
    state.SetIterationTime(t);
    program = std::min(program, t);
    if (!run_process(floor_argv, "replies", usage)) {
      state.SkipWithError("the floor program did not run to its end");
      return;
    }
    floor = std::min(floor, cpu_seconds(usage));
    ratios.push_back(t / cpu_seconds(usage));
  }
  std::sort(ratios.begin(), ratios.end());
  state.counters["files"] = files;
  state.counters["program_ms"] = program * 1000.0;
  state.counters["floor_ms"] = floor * 1000.0;
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(ProcessRatio)->Arg(120)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

// ExtendedRatio/<years>: the CPU time (user and system) of "drought -x ID"
// against "drought ID" on one station, run one after the other; the counters
// give the least CPU time of each and the median of the ratios of the pairs.
// The budget: the extended run costs at most 25 % more CPU (ratio 1.25).
void ExtendedRatio(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  Scratch scratch("extended" + std::to_string(years));
  const std::string id = station_id(years);
  bench_support::write_station(scratch.dir, id, 1901, years, 42);
  spill("replies", "");
  const std::vector<std::string> plain_argv{DROUGHT_EXECUTABLE, "-q", id};
  const std::vector<std::string> extended_argv{DROUGHT_EXECUTABLE, "-q", "-x", id};
  struct rusage usage {};
  double plain = 1e9, extended = 1e9;
  std::vector<double> ratios;
  for (auto _ : state) {
    if (!run_process(extended_argv, "replies", usage)) {
      state.SkipWithError("the extended run did not run to its end");
      return;
    }
    const double t = cpu_seconds(usage);
    state.SetIterationTime(t);
    extended = std::min(extended, t);
    if (!run_process(plain_argv, "replies", usage)) {
      state.SkipWithError("the plain run did not run to its end");
      return;
    }
    plain = std::min(plain, cpu_seconds(usage));
    ratios.push_back(t / cpu_seconds(usage));
  }
  std::sort(ratios.begin(), ratios.end());
  state.counters["plain_ms"] = plain * 1000.0;
  state.counters["extended_ms"] = extended * 1000.0;
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(ExtendedRatio)->Arg(120)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
#endif

// SpeiStage/<years>: the SPEI stage on a generated water balance of that many
// years (the share of the extended run that is the SPEI's).
void SpeiStage(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  Scratch scratch("spei" + std::to_string(years));
  std::string text = "YEAR,MONTH,P,PE,ET,R,RO,L,PHAT,D,Z\r\n";
  char line[128];
  for (int k = 0; k < 12 * years; ++k) {
    const int m = k % 12 + 1;
    std::snprintf(line, sizeof line, "%4d,%2d,%8.2f,%8.2f,0,0,0,0,0,0,0\r\n", 1901 + k / 12, m,
                  (k * 7919 % 1009) / 5.0, 20.0 + 10.0 * m - (m > 6 ? 18.0 * (m - 6) : 0.0));
    text += line;
  }
  spill("900120-water-balance.csv", text);
  std::string console;
  records::set_console_sink(&console);
  for (auto _ : state) spei::spei("900120", {}, catalogue::kAllYears);
  records::set_console_sink(nullptr);
}
BENCHMARK(SpeiStage)->Arg(120)->Unit(benchmark::kMillisecond);

BENCHMARK(StationRun)->Arg(60)->Arg(120)->Unit(benchmark::kMillisecond);
BENCHMARK(IoFloor)->Arg(60)->Arg(120)->Unit(benchmark::kMillisecond);
BENCHMARK(Batch100)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
