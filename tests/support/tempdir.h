// Test helpers: a fresh temporary working directory per test, and small file
// utilities for stages that read and write real files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// Creates a fresh empty directory, makes it the working directory, and on
// destruction closes every file number, returns to the previous directory and
// removes the directory.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Writes the text to the file (binary, exactly as given).
void write_file(const std::filesystem::path& name, std::string_view text);
// The whole content of a file (binary); empty if it does not exist.
std::string read_file(const std::filesystem::path& name);
// The records of a file without their CR LF ends (a file must end with CR LF).
std::vector<std::string> read_records(const std::filesystem::path& name);

}  // namespace testing_support
