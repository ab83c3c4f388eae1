// Whole-program runs in real processes under a watchdog: two runs in one
// directory, a directory that cannot be locked, a signal, write failures, input without end under a
// memory limit.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const std::string kId = "727930", kPrompt = " Enter 6-digit station ID or exit: \r\n";

struct Child {
  pid_t pid;
  int in, out;  // pipes to its standard input and from its standard output
};
// The program in the current directory, standard error to ".err", with a
// memory limit in bytes when not 0; with no_reader its standard output is a
// pipe that nobody reads from, closed before the program starts.
Child spawn(const char* input = nullptr, rlim_t memory = 0, bool no_reader = false) {
  int in[2], out[2];
  EXPECT_EQ(pipe(in) | pipe(out), 0);
  if (no_reader) close(out[0]), out[0] = -1;
  const std::string exe = drought_exe();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(input ? open(input, O_RDONLY) : in[0], 0), dup2(out[1], 1);
    dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    for (int fd : {in[0], in[1], out[0], out[1]})
      if (fd >= 0) close(fd);
    const rlimit limit{memory, memory};
    if (memory) setrlimit(RLIMIT_AS, &limit);
    execl(exe.c_str(), exe.c_str(), nullptr);
    _exit(127);
  }
  close(in[0]), close(out[1]);
  return {pid, in[1], out[0]};
}
void say(const Child& c, const std::string& s) {
  ASSERT_EQ(write(c.in, s.data(), s.size()), ssize_t(s.size()));
}
// Standard output until it holds that many prompts, or its end.
std::string read_prompts(const Child& c, std::size_t prompts) {
  std::string text;
  char buf[4096];
  auto count = [&] {
    std::size_t n = 0;
    for (auto at = text.find(kPrompt); at != std::string::npos; at = text.find(kPrompt, at + 1))
      ++n;
    return n;
  };
  for (ssize_t n; count() < prompts && (n = read(c.out, buf, sizeof buf)) > 0;)
    text.append(buf, std::size_t(n));
  return text;
}
// The exit status, 128 + the signal when killed.
int finish(const Child& c) {
  close(c.in), close(c.out);
  int raw = 0;
  waitpid(c.pid, &raw, 0);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}
std::size_t records_of(const char* name) { return read_records(name).size(); }

struct Session : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    alarm(60);  // a hang ends the test program
    for (const char* suffix : {".csv", "_PRCP.csv"})
      fs::copy(fs::path(DROUGHT_SOURCE_DIR) / "examples" / (kId + suffix), kId + suffix);
  }
  void TearDown() override { alarm(0); }
};

TEST_F(Session, SecondRunInTheDirectoryIsRefusedUntouched) {
  const Child first = spawn();
  read_prompts(first, 1);  // the lock is taken before the prompt
  const Child second = spawn();
  EXPECT_EQ(read_prompts(second, 1), "");
  EXPECT_EQ(finish(second), 2);
  EXPECT_EQ(read_file(".err"), "drought: lock .: another drought run is using this directory\r\n");
  EXPECT_FALSE(fs::exists("fort.21"));
  say(first, "exit\n");
  EXPECT_EQ(finish(first), 0);
}

// The program with the arguments in dir as a user who may not read dir (the
// user nobody when the tests run as root), standard error to ".err" here; -1
// when the user cannot be changed.
int run_without_read_permission(const fs::path& dir, const char* arg) {
  const std::string exe = drought_exe();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    dup2(open("/dev/null", O_RDWR), 0), dup2(open("/dev/null", O_RDWR), 1);
    constexpr uid_t kNobody = 65534;
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
      _exit(126);
    if (chdir(dir.c_str()) != 0) _exit(125);
    execl(exe.c_str(), exe.c_str(), "-q", arg, nullptr);
    _exit(127);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  return WIFEXITED(raw) && WEXITSTATUS(raw) < 125 ? WEXITSTATUS(raw) : -1;
}

TEST_F(Session, DirectoryThatCannotBeOpenedToLockEndsTheRunUntouched) {
  // Mode 0333: the run may enter and write but cannot open the directory to
  // lock it, so two such runs could not keep each other out.
  fs::create_directory("locked");
  for (const char* suffix : {".csv", "_PRCP.csv"}) fs::copy(kId + suffix, "locked/" + kId + suffix);
  fs::permissions(dir.path(), fs::perms::others_exec, fs::perm_options::add);
  fs::permissions("locked", fs::perms(0333));
  const int status = run_without_read_permission(dir.path() / "locked", kId.c_str());
  fs::permissions("locked", fs::perms(0755));
  if (status == -1) GTEST_SKIP() << "cannot run the program as a user without read permission";
  EXPECT_EQ(status, 2);
  EXPECT_EQ(read_file(".err"), "drought: lock .: Permission denied\r\n");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& f : fs::directory_iterator("locked")) ++files;
  EXPECT_EQ(files, 2u);
}

TEST_F(Session, SignalAtThePromptEndsWithFinishedStationsComplete) {
  const Child c = spawn();
  say(c, kId + "\n" + kId + "\n" + kId + "\n");
  read_prompts(c, 4);
  // Complete on disk while the program waits: 12 parameter records per SPI run.
  EXPECT_EQ(records_of("fort.21"), 3u * 2 * 12);
  const std::string collected = read_file("fort.23");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(c.pid, SIGTERM);
  EXPECT_EQ(finish(c), 128 + SIGTERM);
  EXPECT_EQ(read_file(".err"), "drought: interrupted by SIGTERM\r\n");
  EXPECT_EQ(read_file("fort.23"), collected);
}

TEST_F(Session, WriteFailuresAreReportedOnceInTheStationCausingThem) {
  // A closed standard output.
  // Standard output has no reader from the start and standard input stays
  // open, so that the failed write of the first prompt, not an end of input,
  // ends the program.
  const Child closed = spawn(nullptr, 0, true);
  int raw = 0;
  waitpid(closed.pid, &raw, 0);
  close(closed.in);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 2) << raw;
  EXPECT_EQ(read_file(".err"), "drought: write standard output: Broken pipe\r\n");
  // Two collecting files on a full disk: one diagnostic, after the first station.
  fs::create_symlink("/dev/full", "fort.21");
  fs::create_symlink("/dev/full", "fort.23");
  const Child full = spawn();
  say(full, kId + "\n" + kId + "\nexit\n");
  const std::string out = read_prompts(full, 3);
  EXPECT_EQ(finish(full), 2);
  EXPECT_EQ(out.find("Data ends"), out.rfind("Data ends"));
  EXPECT_EQ(read_file(".err"), "drought: write fort.21: No space left on device\r\n");
}

TEST_F(Session, InputWithoutEndIsOutOfMemoryAndEarlierStationsKept) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer does not run under a memory limit";
#endif
  fs::create_symlink("/dev/zero", "100111.csv");
  const Child c = spawn(nullptr, rlim_t{256} << 20);
  say(c, kId + "\n100111\n" + kId + "\n");
  read_prompts(c, 3);
  EXPECT_EQ(finish(c), 2);
  EXPECT_EQ(read_file(".err"), "drought: read 100111.csv: out of memory\r\n");
  EXPECT_EQ(records_of("fort.21"), 2u * 12);
  const Child z = spawn("/dev/zero", rlim_t{256} << 20);
  read_prompts(z, 2);
  EXPECT_EQ(finish(z), 2);
  EXPECT_EQ(read_file(".err"), "drought: read standard input: out of memory\r\n");
}

}  // namespace
