// The command line: options, and station IDs given as arguments instead of
// replies, which must write the very files the dialogue writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "driver/options.h"
#include "support/run_program.h"
#include "support/tempdir.h"
#include "version.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::run_drought;
using testing_support::TempDir;

TEST(CommandLine, OptionsPrintTheirTextAndStatus) {
  TempDir dir;
  struct Case {
    const char* args;
    int status;
    std::string out, err;
  } cases[] = {
      {"--version", 0, "drought " DROUGHT_VERSION "\n", ""},
      {"-z", 2, "", "drought: unknown option -z (see drought --help)\r\n"},
      {"--quiet --verbose 123456", 2, "",
       "drought: unknown option --verbose (see drought --help)\r\n"},
      {"--reference 2010-1981", 2, "",
       "drought: --reference 2010-1981: expected FIRST-LAST, two years with FIRST not after "
       "LAST (see drought --help)\r\n"},
      {"--reference=19x1-2010", 2, "",
       "drought: --reference 19x1-2010: expected FIRST-LAST, two years with FIRST not after "
       "LAST (see drought --help)\r\n"},
      {"--event-start 0.5", 2, "",
       "drought: --event-start 0.5 lies above --event-end 0 (see drought --help)\r\n"},
      {"--event-start=-0.3", 2, "",  // meets the Palmer index's default end
       "drought: --event-start -0.3 lies above the Palmer index's --event-end -0.5 (see drought "
       "--help)\r\n"},
      {"--event-min 0", 2, "",
       "drought: --event-min 0: expected a whole number of months from 1 to 1000 (see drought "
       "--help)\r\n"},
  };
  for (const auto& c : cases) {
    auto result = run_drought(dir.path(), "exit\n", c.args);
    EXPECT_EQ(result.status, c.status) << c.args;
    EXPECT_EQ(result.out, c.out) << c.args;
    EXPECT_EQ(result.err, c.err) << c.args;
  }
  // A control byte of an ID reaches the diagnostic as \xNN, never as itself.
  auto tab = run_drought(dir.path(), "", "\"$(printf 'a\\tb')\"");
  EXPECT_EQ(tab.err, "drought: read a\\x09b   .csv: No such file or directory\r\n");
  // After "--" an argument beginning with '-' is a station ID, cut or padded.
  auto result = run_drought(dir.path(), "", "-- -q");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("-q    .csv"), std::string::npos) << result.err;
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Every file of a directory but the inputs, by name and content.
std::set<std::pair<std::string, std::string>> outputs(const fs::path& dir) {
  std::set<std::pair<std::string, std::string>> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename();
    if (name.find("_PRCP") == std::string::npos && name != "100111.csv" && name != "100112.csv")
      files.emplace(name, read_file(e.path()));
  }
  return files;
}

TEST(CommandLine, StationArgumentsWriteTheFilesOfTheDialogue) {
  TempDir dir;
  const fs::path examples = fs::path(DROUGHT_SOURCE_DIR) / "examples";
  for (const char* run : {"dialogue", "arguments", "quiet"}) {
    fs::create_directory(dir.path() / run);
    for (const char* f : {"100111.csv", "100111_PRCP.csv", "100112.csv", "100112_PRCP.csv"})
      fs::copy_file(examples / f, dir.path() / run / f);
  }
  const std::string prompt = " Enter 6-digit station ID or exit: \r\n";
  auto dialogue = run_drought(dir.path() / "dialogue", "100111\n'a/b'\n100112\nexit\n");
  ASSERT_EQ(dialogue.status, 0);
  // The second argument is cut to 6 characters, the third refused.
  auto arguments = run_drought(dir.path() / "arguments", "", "100111 a/b 1001123");
  auto quiet = run_drought(dir.path() / "quiet", "", "100111 -q a/b 100112");

  std::string without_prompts = dialogue.out;
  for (auto p = without_prompts.find(prompt); p != std::string::npos;
       p = without_prompts.find(prompt))
    without_prompts.erase(p, prompt.size());
  EXPECT_EQ(arguments.status, 1);
  EXPECT_TRUE(arguments.out == without_prompts);
  EXPECT_EQ(arguments.err, "drought: invalid station ID a/b\r\n");
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "drought: invalid station ID a/b\r\n");

  const auto expected = outputs(dir.path() / "dialogue");
  EXPECT_GT(expected.size(), 40u);
  EXPECT_TRUE(outputs(dir.path() / "arguments") == expected);
  EXPECT_TRUE(outputs(dir.path() / "quiet") == expected);

  // Quiet mode in the dialogue: no prompt either.
  auto quiet_dialogue = run_drought(dir.path() / "quiet", "exit\n", "-q");
  EXPECT_EQ(quiet_dialogue.status, 0);
  EXPECT_EQ(quiet_dialogue.out, "");
}

// A reference period holding every data year fits exactly what a run without
// one fits (the same files but the note of the options); one partly outside the data is cut with a
// warning, one wholly outside is fatal.
TEST(CommandLine, ReferencePeriodAgainstTheDataYears) {
  TempDir dir;
  const fs::path examples = fs::path(DROUGHT_SOURCE_DIR) / "examples";
  for (const char* run : {"all", "span", "part"}) {
    fs::create_directory(dir.path() / run);
    for (const char* f : {"100111.csv", "100111_PRCP.csv"})
      fs::copy_file(examples / f, dir.path() / run / f);
  }
  ASSERT_EQ(run_drought(dir.path() / "all", "", "-q 100111").status, 0);
  auto span = run_drought(dir.path() / "span", "", "-q --reference 1900-2100 100111");
  EXPECT_EQ(span.status, 0);
  // The options that changed values are named beside the results; a later run
  // without them removes the note.
  const fs::path note = dir.path() / "span" / "100111-options.txt";
  EXPECT_EQ(read_file(note), "--reference 1900-2100\r\n");
  ASSERT_EQ(run_drought(dir.path() / "span", "", "-q 100111").status, 0);
  EXPECT_FALSE(fs::exists(note));
  EXPECT_TRUE(outputs(dir.path() / "span") == outputs(dir.path() / "all"));
  EXPECT_NE(span.err.find("drought: warning: reference period 1900-2100 lies partly outside the "
                          "data of station 100111 ("),
            std::string::npos)
      << span.err;

  auto part = run_drought(dir.path() / "part", "", "-q --reference 1000-1001 100111");
  EXPECT_EQ(part.status, 2);
  EXPECT_EQ(part.err.rfind("drought: reference period 1000-1001: no year in the data of station "
                           "100111 (",
                           0),
            0u)
      << part.err;
}

}  // namespace
