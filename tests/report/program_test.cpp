// drought-report as a program: the station-ID rule, an infinite percent of
// normal written by drought itself, memory and size limits, and a failed
// write that leaves the previous page in place.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "report/reader.h"
#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::string kId = "100111";

// drought-report beside the drought under test in the build tree.
std::string report_exe() {
  return (fs::path(testing_support::drought_exe()).parent_path().parent_path() / "report" /
          "drought-report")
      .string();
}

struct Limits {
  rlim_t memory = 0;     // RLIMIT_AS in bytes, 0: none
  rlim_t file_size = 0;  // RLIMIT_FSIZE in bytes, 0: none
};

// Runs drought-report in the current directory with standard error to
// ".err"; its exit status, or -1 when it did not exit.
int run_report(const std::vector<std::string>& args, Limits limits = {}) {
  const std::string exe = report_exe();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    if (limits.memory) {
      const rlimit l{limits.memory, limits.memory};
      setrlimit(RLIMIT_AS, &l);
    }
    if (limits.file_size) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit l{limits.file_size, limits.file_size};
      setrlimit(RLIMIT_FSIZE, &l);
    }
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Standard error of the run without the lines of missing files (the small
// stations here have only some files).
std::string diagnostics() {
  std::string out;
  std::istringstream in(read_file(".err"));
  for (std::string line; std::getline(in, line);)
    if (!line.ends_with(" is missing")) out += line + "\n";
  return out;
}

// One year of SPI results, enough for a page.
void write_results() {
  std::string spi;
  for (int m = 1; m <= 12; ++m)
    spi += "2000," + std::string(m < 10 ? " " : "") + std::to_string(m) +
           ",   0.30,   0.30,   0.30,   0.30,   0.30,   0.30, -99.00\r\n";
  write_file(kId + "-spi-results.csv", spi);
}

TEST(ReportProgram, RefusesIdsThatLeaveTheDirectory) {
  TempDir dir;
  fs::create_directory("work");
  fs::current_path("work");
  write_results();
  const int status = run_report({"../x", "/tmp/a", std::string("a\x01") + "b", "c\\d", kId});
  EXPECT_EQ(diagnostics(),
            "drought-report: invalid station ID ../x\n"
            "drought-report: invalid station ID /tmp/a\n"
            "drought-report: invalid station ID a\\x01b\n"
            "drought-report: invalid station ID c\\d\n");
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(fs::exists(kId + "-report.html"));
  EXPECT_TRUE(fs::exists(kId + "-indices.csv"));
  EXPECT_FALSE(fs::exists("../x  -report.html"));
  EXPECT_FALSE(fs::exists("/tmp/a     -report.html"));
  fs::current_path("..");
}

// July is dry in the reference years 2011 and 2012 and wet later: percent of
// normal of July 2013 to 2015 is infinite, written +Inf by drought.
void make_dry_reference_julys() {
  for (const char* suffix : {".csv", "_PRCP.csv"}) {
    std::ifstream in(fs::path(DROUGHT_SOURCE_DIR) / "examples" / (kId + suffix));
    std::string out;
    for (std::string line; std::getline(in, line);) {
      const bool daily = *suffix == '.';
      const std::string july = daily ? ",PRCP,7,201" : ",7,201";
      const auto at = line.find(july);
      const char year = at == std::string::npos ? 0 : line[at + july.size()];
      if (year == '1' || year == '2') {
        line = line.substr(0, at + july.size() + 1);
        if (daily)
          for (int d = 0; d < 31; ++d) line += ",0";
        else
          line += ",0.00";
      }
      out += line + "\n";
    }
    write_file(kId + suffix, out);
  }
}

TEST(ReportProgram, InfinitePercentOfNormalKeepsEveryLaterMonth) {
  TempDir dir;
  make_dry_reference_julys();
  ASSERT_EQ(testing_support::run_drought(dir.path(), "", "--reference 2011-2012 " + kId).status, 0);
  ASSERT_NE(read_file(kId + "-pctnorm.csv").find("+Inf"), std::string::npos);
  EXPECT_EQ(run_report({kId}), 0);
  EXPECT_EQ(read_file(".err"), "");
  const std::string table = read_file(kId + "-indices.csv");
  for (const char* series : {"observed", "interpolated"}) {
    const std::string row = kId + ",2013,7,pct_normal,," + series + ",\n";
    EXPECT_NE(table.find("\n" + row), std::string::npos) << row;
    EXPECT_NE(table.find("\n" + kId + ",2015,12,pct_normal,," + series + ",143.31\n"),
              std::string::npos);
  }
  const std::string page = read_file(kId + "-report.html");
  EXPECT_EQ(page.find("Inf"), std::string::npos);
  EXPECT_EQ(page.find("cut short"), std::string::npos);
  EXPECT_NE(page.find("options that changed values: <code>--reference 2011-2012</code>"),
            std::string::npos);
}

TEST(ReportProgram, MemoryAndSizeLimits) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer does not run under a memory limit";
#endif
  TempDir dir;
  fs::create_symlink("/dev/zero", kId + "-spi-results.csv");
  EXPECT_EQ(run_report({kId}, {rlim_t{256} << 20}), 2);
  EXPECT_EQ(read_file(".err"), "drought-report: read 100111-spi-results.csv: out of memory\n");
  EXPECT_FALSE(fs::exists(kId + "-report.html"));

  // A results file larger than a 1000-year station writes is not read.
  fs::remove(kId + "-spi-results.csv");
  write_results();
  const std::uintmax_t largest = report::reading::largest_file(1000 * 12, 9);
  write_file(kId + "-spi-results-int.csv", "");
  fs::resize_file(kId + "-spi-results-int.csv", largest + 1);
  EXPECT_EQ(run_report({kId}, {rlim_t{256} << 20}), 0);
  EXPECT_EQ(diagnostics(), "drought-report: 100111: 100111-spi-results-int.csv is " +
                               std::to_string(largest + 1) +
                               " bytes, larger than any station writes; not read\n");
  EXPECT_NE(read_file(kId + "-report.html").find("SPI, observed series"), std::string::npos);
}

TEST(ReportProgram, FailedWriteLeavesThePreviousPage) {
  TempDir dir;
  write_results();
  write_file(kId + "-report.html", "previous page");
  EXPECT_EQ(run_report({kId}, {0, 4096}), 2);
  EXPECT_EQ(diagnostics(), "drought-report: write 100111-report.html: File too large\n");
  EXPECT_EQ(read_file(kId + "-report.html"), "previous page");
  EXPECT_TRUE(fs::exists(kId + "-indices.csv"));
  for (const auto& entry : fs::directory_iterator("."))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
