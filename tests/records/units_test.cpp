#include <gtest/gtest.h>

#include <filesystem>

#include "records/console.h"
#include "records/fatal.h"
#include "records/files.h"
#include "records/input.h"
#include "records/output.h"
#include "records/text.h"
#include "records/warnings.h"
#include "support/tempdir.h"

using namespace records;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {
const Layout kInt{"I4"};
const Layout kText{"A"};

// The diagnostic of the FatalError that the call raises ("" if none).
template <class F>
std::string fatal_text(F f) {
  try {
    f();
  } catch (const FatalError& e) {
    return e.what();
  }
  return "";
}
}  // namespace

TEST(FileNumbers, OldRecordsAreLostOnlyAtTheFirstWrite) {
  TempDir dir;
  write_file("keep.csv", "kept\r\n");
  records::open(82, "keep.csv");
  records::close(82);
  records::open(82, "keep.csv");
  records::open(82, "other.csv");  // reattaching completes the first file untouched
  close_all();
  EXPECT_EQ(read_file("keep.csv"), "kept\r\n");
  EXPECT_FALSE(std::filesystem::exists("other.csv"));

  records::open(82, "keep.csv");
  std::string t;
  EXPECT_EQ(read_list(82, {Target::text(t, 4)}), ReadStatus::Ok);
  records::write(82, kInt, {5});
  records::open(82, "keep.csv");  // closes, then positions at the first record
  EXPECT_EQ(read_list(82, {Target::text(t, 4)}), ReadStatus::Ok);
  EXPECT_EQ(t, "5   ");

  records::open(83, "named.csv");
  start_output(83);
  EXPECT_TRUE(std::filesystem::exists("named.csv"));
}

TEST(FileNumbers, FailedWritesAreFatal) {
  TempDir dir;
  std::filesystem::create_directory("out.csv");
  records::open(86, "out.csv");
  EXPECT_EQ(fatal_text([] { records::write(86, kInt, {1}); }), "write out.csv: Is a directory");
  EXPECT_EQ(attached_name(86), "");
  if (std::filesystem::exists("/dev/full")) {
    records::open(87, "/dev/full");
    records::write(87, kInt, {1});
    EXPECT_EQ(fatal_text([] { records::close(87); }), "write /dev/full: No space left on device");
    records::open(87, "/dev/full");
    records::write(87, kInt, {1});
    EXPECT_EQ(fatal_text([] { close_all(); }), "write /dev/full: No space left on device");
  }
}

TEST(RecordInput, LineEndsAndLastLine) {
  TempDir dir;
  write_file("in.csv", "a\r\nb\nc\rd\r\n\r\nlast");
  records::open(88, "in.csv", Presence::MustExist);
  std::string t;
  for (const char* expected : {"a   ", "b   ", "c\rd ", "    ", "last"}) {
    EXPECT_EQ(read_columns(88, kText, {Target::text(t, 4)}), ReadStatus::Ok);
    EXPECT_EQ(t, expected);
  }
  EXPECT_EQ(read_columns(88, kText, {Target::text(t, 4)}), ReadStatus::End);
}

TEST(RecordInput, EndBadAndStepBack) {
  TempDir dir;
  write_file("x.csv", "1 2 3\r\n4\r\nabc 5\r\n6\r\n");
  records::open(89, "x.csv");
  int a = 0, b = 0;
  EXPECT_EQ(read_list(89, {a}), ReadStatus::Ok);  // the rest of the record is skipped
  step_back(89);
  EXPECT_EQ(read_list(89, {a, b}), ReadStatus::Ok);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(read_list(89, {a, b}), ReadStatus::Bad);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(read_list(89, {a}), ReadStatus::Ok);  // after a bad value: the next record
  EXPECT_EQ(a, 6);
  EXPECT_EQ(read_list(89, {a}), ReadStatus::End);

  records::open(89, "x.csv");
  must_read_list(89, {a});
  must_read_list(89, {a});
  EXPECT_EQ(fatal_text([&] { must_read_list(89, {a}); }),
            "read x.csv: bad value 'abc' in record 3");
  must_read_columns(89, kInt, {a});
  EXPECT_EQ(fatal_text([&] { must_read_columns(89, kInt, {a}); }), "read x.csv: end of file");
}

// Files are read a block at a time: records that straddle blocks, a record
// longer than several blocks, a step back to a record begun in the block
// before, and a reader that began before another number emptied the file.
TEST(RecordInput, RecordsAcrossReadBlocks) {
  TempDir dir;
  std::string text, long_record(200000, 'x');
  for (int i = 0; i < 40000; ++i) text += std::to_string(i) + (i % 7 ? "\n" : "\r\n");
  write_file("big.csv", text + long_record + "\n7\n");
  records::open(93, "big.csv");
  int v = -1;
  for (int i = 0; i < 40000; ++i) {
    ASSERT_EQ(read_list(93, {v}), ReadStatus::Ok);
    ASSERT_EQ(v, i);
    if (i % 997 == 0) {
      step_back(93);
      ASSERT_EQ(read_list(93, {v}), ReadStatus::Ok);
      ASSERT_EQ(v, i);
    }
  }
  std::string t;
  EXPECT_EQ(read_columns(93, kText, {Target::text(t, 200000)}), ReadStatus::Ok);
  EXPECT_EQ(t, long_record);
  records::write(94, kInt, {1});  // fort.94
  records::open(95, "big.csv");
  EXPECT_EQ(read_list(95, {v}), ReadStatus::Ok);
  records::open(96, "big.csv");
  records::write(96, kInt, {5});  // empties the file that 95 reads
  for (int i = 1; i < 40000; ++i) ASSERT_EQ(read_list(95, {v}), ReadStatus::Ok);
  EXPECT_EQ(v, 39999);
  EXPECT_EQ(read_list(93, {v}), ReadStatus::Ok);
  EXPECT_EQ(read_list(93, {v}), ReadStatus::End);
  step_back(93);  // to the last record read
  EXPECT_EQ(read_list(93, {v}), ReadStatus::Ok);
  EXPECT_EQ(v, 7);
}

// A fatal read of a file the program wrote names the input behind it: the
// first cause noted, or else its source (an input written from another file
// stands for that one); other operations keep their diagnostic. The notes
// last until the next station run or close_all.
TEST(FatalDiagnostics, ReadsOfWrittenFilesNameTheirInput) {
  const auto read_c = [] { fatal("read", "c.csv", "end of file"); };
  note_source("b.csv", "a.csv");
  note_source("c.csv", "b.csv");
  EXPECT_EQ(fatal_text(read_c), "read c.csv (from a.csv): end of file");
  EXPECT_EQ(fatal_text([] { fatal("open", "c.csv", "no such file"); }), "open c.csv: no such file");
  note_cause("c.csv", "a.csv line 5: value 1e+11 does not fit");
  note_cause("c.csv", "a later cause");
  EXPECT_EQ(fatal_text(read_c), "read a.csv line 5: value 1e+11 does not fit");
  forget_warnings();
  EXPECT_EQ(fatal_text(read_c), "read c.csv: end of file");
  note_source("c.csv", "a.csv");
  close_all();
  EXPECT_EQ(fatal_text(read_c), "read c.csv: end of file");
}
