// Fuzz target of column reading with the layouts of the program's files:
// every record is read with one layout, written back with it when it reads,
// and the whole file is also read as a fixed-column monthly table by the SPI
// engine's table reader.
//
// Input: a parameter line "layout first_year", then the file.
#include <array>
#include <span>
#include <string>

#include "compute/spicompute.h"
#include "harness.h"
#include "records/output.h"
#include "records/input.h"
#include "records/files.h"

namespace {

constexpr int kInUnit = 90;
constexpr int kOutUnit = 91;
constexpr int kTableUnit = 92;
constexpr int kMaxRecords = 20000;

// The layouts the program writes or reads by columns.
const std::array<records::Layout, 18> kLayouts{
    records::Layout{"I6,1X,I4,12F7.2"},
    records::Layout{"I4,1X,I4,12F7.2"},
    records::Layout{"I6.6,I3,I3,6F13.8,2I5,F5.3"},
    records::Layout{"I6.6,I5,12F7.2"},
    records::Layout{"I6.6,I5,12F8.3"},
    records::Layout{"I6.6,I5,12F9.2"},
    records::Layout{"I6,',',A4,',',I4,',',I2,',',31(F8.2,',')"},
    records::Layout{"I6,',',I4,',',12(I7,',')"},
    records::Layout{"I4,',',I2,',',7(F7.2,','),' '"},
    records::Layout{"I4,',',I2,',',14(F7.2,',')"},
    records::Layout{"11(F10.2,','),I4"},
    records::Layout{"I4,',',I3,',',F7.1,',',F7.1,',',F7.1,',',F7.1"},
    records::Layout{"I4,',',I2,',',F8.2,',',F8.2,','"},
    records::Layout{"I6,',',I4,',',12(I3,',')"},
    records::Layout{"I4,',',I2,',',5(F8.2,',')"},
    records::Layout{"A1"},
    records::Layout{"I4,',',12(F6.2,',')"},
    records::Layout{"I4,',',I2,',',I2,','"},
};

struct Fields {
  int i1 = 0, i2 = 0, i3 = 0;
  float f1 = 0;
  std::string text;
  std::array<int, 12> ints{};
  std::array<float, 31> floats{};
  std::array<double, 12> doubles{};
};

// Reads one record with layout `which` into targets of the codes' types and
// writes it back when it reads.
records::ReadStatus round_trip(int which, bool wide, Fields& f) {
  using records::Target;
  const records::Layout& layout = kLayouts[static_cast<std::size_t>(which)];
  std::span<float> fl(f.floats);
  std::span<double> db(f.doubles);
  std::span<int> in(f.ints);
  records::ReadStatus s;
  switch (which) {
    case 0:
    case 1:
    case 3:
    case 4:
    case 5:
      // Station and year, then twelve reals of either storage type.
      s = wide ? records::read_columns(kInUnit, layout, {f.i1, f.i2, db.first(12)})
               : records::read_columns(kInUnit, layout, {f.i1, f.i2, fl.first(12)});
      if (s == records::ReadStatus::Ok) {
        if (wide)
          records::write(kOutUnit, layout, {f.i1, f.i2, std::span<const double>(db.first(12))});
        else
          records::write(kOutUnit, layout, {f.i1, f.i2, std::span<const float>(fl.first(12))});
      }
      return s;
    case 2:
      s = records::read_columns(kInUnit, layout,
                                {f.i1, f.i2, f.i3, db.first(6), in.first(2), f.f1});
      if (s == records::ReadStatus::Ok)
        records::write(kOutUnit, layout,
                       {f.i1, f.i2, f.i3, std::span<const double>(db.first(6)),
                        std::span<const int>(in.first(2)), f.f1});
      return s;
    case 6:
      s = records::read_columns(kInUnit, layout,
                                {f.i1, Target::text(f.text, 4), f.i2, f.i3, fl.first(31)});
      if (s == records::ReadStatus::Ok)
        records::write(kOutUnit, layout, {f.i1, f.text, f.i2, f.i3, std::span<const float>(fl)});
      return s;
    case 7:
    case 13:
      s = records::read_columns(kInUnit, layout, {f.i1, f.i2, in.first(12)});
      if (s == records::ReadStatus::Ok)
        records::write(kOutUnit, layout, {f.i1, f.i2, std::span<const int>(in.first(12))});
      return s;
    case 10:
      s = records::read_columns(kInUnit, layout, {fl.first(11), f.i1});
      if (s == records::ReadStatus::Ok)
        records::write(kOutUnit, layout, {std::span<const float>(fl.first(11)), f.i1});
      return s;
    case 15:
      s = records::read_columns(kInUnit, layout, {Target::text(f.text, 1)});
      if (s == records::ReadStatus::Ok) records::write_list(kOutUnit, {f.text});
      return s;
    case 16:
      s = records::read_columns(kInUnit, layout, {f.i1, fl.first(12)});
      if (s == records::ReadStatus::Ok)
        records::write(kOutUnit, layout, {f.i1, std::span<const float>(fl.first(12))});
      return s;
    case 17:
      s = records::read_columns(kInUnit, layout, {f.i1, f.i2, f.i3});
      if (s == records::ReadStatus::Ok) records::write(kOutUnit, layout, {f.i1, f.i2, f.i3});
      return s;
    default: {
      // Year, month (or day of year) and a run of reals.
      const std::size_t n = which == 8    ? 7
                            : which == 9  ? 14
                            : which == 11 ? 4
                            : which == 12 ? 2
                                          : 5;
      s = records::read_columns(kInUnit, layout, {f.i1, f.i2, fl.first(n)});
      if (s == records::ReadStatus::Ok)
        records::write(kOutUnit, layout, {f.i1, f.i2, std::span<const float>(fl.first(n))});
      return s;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input in = fuzz::split(data, size);
  const std::int64_t p0 = in.param(0, 0);
  const int which = static_cast<int>(((p0 % 18) + 18) % 18);
  const bool wide = (p0 / 18) % 2 != 0;
  const int first_year = in.param_int(1, 2000);
  fuzz::fresh_directory();
  fuzz::write_file("columns.txt", in.section(0));
  fuzz::run([&] {
    records::open(kInUnit, "columns.txt", records::Presence::MustExist);
    records::open(kOutUnit, "written.txt");
    Fields f;
    for (int n = 0; n < kMaxRecords; ++n)
      if (round_trip(which, wide, f) == records::ReadStatus::End) break;
  });
  fuzz::run([&] {
    records::open(kTableUnit, "columns.txt", records::Presence::MustExist);
    std::array<float, 12 * 30> series;
    int station = 0, end_flag = 0;
    for (int n = 0; n < kMaxRecords && end_flag != 1; ++n)
      compute::read(compute::kColumnValues, series, kTableUnit, -99.0f, -9999.0f, first_year, 30,
                    station, end_flag);
  });
  return 0;
}
