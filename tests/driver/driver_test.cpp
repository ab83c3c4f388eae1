// The console dialogue of the program, byte for byte, run as the operator
// runs it: replies on standard input, in a fresh directory.
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "catalogue/catalogue.h"
#include "support/run_program.h"
#include "support/tempdir.h"

namespace {

using testing_support::run_drought;
using testing_support::TempDir;

const std::string kPrompt = " Enter 6-digit station ID or exit: \r\n";

TEST(Dialogue, EndOfInputAtThePromptIsFatal) {
  TempDir dir;
  auto result = run_drought(dir.path(), "");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, kPrompt);
  EXPECT_NE(result.err.find("standard input"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("end of file"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line";
}

// A reply that is not "exit" is a station ID: its daily file is looked up by
// the ID cut or blank-padded to 6 characters. Without the file the first read
// meets its end, which is fatal; the diagnostic names the file, and the read
// creates nothing.
TEST(Dialogue, StationIdIsCutOrPaddedToSixCharacters) {
  TempDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {"EXIT\n", "EXIT  .csv"}, {"Exit\n", "Exit  .csv"},   {"1234567\n", "123456.csv"},
      {"1234\n", "1234  .csv"}, {"'12 4'\n", "12 4  .csv"}, {"123456,exit\n", "123456.csv"}};
  for (const auto& [reply, file] : cases) {
    auto result = run_drought(dir.path(), reply);
    EXPECT_EQ(result.status, 2) << reply;
    EXPECT_EQ(result.out, kPrompt) << reply;
    EXPECT_NE(result.err.find(file), std::string::npos) << reply << " -> " << result.err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Dialogue, StationIdNamingAFileElsewhereIsRefused) {
  TempDir dir;
  auto result = run_drought(dir.path(), "'../x'\nab\\cd\nexit\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kPrompt + " Invalid station ID: ../x  \r\n" + kPrompt +
                            " Invalid station ID: ab\\cd \r\n" + kPrompt);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
