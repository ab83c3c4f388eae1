// Fuzz target of list-directed reading through file numbers: the record
// shapes the program reads list-directed, from a file and from the console,
// with step_back between reads.
//
// Input: a parameter line "shape", then the file. The shape picks the
// targets of every read (a monthly table row, a daily record, a fill row, a
// results row, a combined row, a PRN row, a daily series row, a station ID).
#include <array>
#include <span>
#include <string>

#include "harness.h"
#include "records/input.h"
#include "records/files.h"
#include "records/console.h"

namespace {

constexpr int kUnit = 90;
constexpr int kMaxReads = 20000;

struct Targets {
  int i1 = 0, i2 = 0, i3 = 0, i4 = 0;
  float f1 = 0, f2 = 0, f3 = 0, f4 = 0;
  double d1 = 0;
  std::string text;
  std::array<int, 31> ints{};
  std::array<float, 31> floats{};
};

records::ReadStatus read_shape(int unit, int shape, Targets& t) {
  using records::Target;
  std::span<int> ints(t.ints);
  std::span<float> floats(t.floats);
  switch (shape) {
    case 0:  // monthly table: station, year, 12 totals
      return records::read_list(unit, {t.i1, t.i2, ints.first(12)});
    case 1:  // daily observation record
      return records::read_list(
          unit, {t.i1, t.f1, t.f2, t.i2, Target::text(t.text, 4), t.i3, t.i4, floats});
    case 2:  // fill row
      return records::read_list(unit, {t.i1, Target::text(t.text, 4), t.i2, t.i3, floats});
    case 3:  // results row: year, month, 7 SPI
      return records::read_list(unit, {t.i1, t.i2, floats.first(7)});
    case 4:  // combined row: year, month, 14 SPI
      return records::read_list(unit, {t.i1, t.i2, floats.first(14)});
    case 5:  // PRN row
      return records::read_list(unit, {t.i1, t.i2, t.f1, t.f2, t.f3, t.f4});
    case 6:  // daily series row, with an 8-byte real
      return records::read_list(unit, {t.i1, t.i2, t.f1, t.f2, t.d1, t.f3});
    case 7:  // monthly file record
      return records::read_list(unit, {t.i1, t.f1, t.f2, t.i2, t.i3, t.i4, t.f3});
    default:  // station ID, the only target
      return records::read_list(unit, {Target::text(t.text, 6)});
  }
}

// Reads the unit to its end, reading every other record twice by stepping
// back after it.
void read_all(int unit, int shape) {
  Targets t;
  for (int n = 0; n < kMaxReads; ++n) {
    const records::ReadStatus status = read_shape(unit, shape, t);
    if (status == records::ReadStatus::End) {
      // Reading on after the end keeps reporting the end.
      if (read_shape(unit, shape, t) != records::ReadStatus::End) std::abort();
      return;
    }
    if (status == records::ReadStatus::Ok && n % 2 == 1) records::step_back(unit);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  const int shape = static_cast<int>(in.param(0, 0) & 0xf);
  const std::string body(in.section(0));
  fuzz::fresh_directory();
  fuzz::write_file("list.txt", body);
  fuzz::run([&] {
    records::open(kUnit, "list.txt", records::Presence::MustExist);
    read_all(kUnit, shape);
    records::close(kUnit);
  });
  // The same text as console input.
  records::set_console_source(&body);
  fuzz::run([&] { read_all(records::kConsoleIn, shape); });
  records::set_console_source(nullptr);
  return 0;
}
