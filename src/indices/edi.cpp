#include "indices/edi.h"

#include <array>
#include <cmath>
#include <string>

#include "catalogue/catalogue.h"
#include "indices/monthly_table.h"
#include "records/files.h"
#include "records/input.h"
#include "records/numeric.h"
#include "records/output.h"
#include "records/text.h"

namespace indices {
namespace {

constexpr int kPrnUnit = 84, kEdiUnit = 85;
constexpr int kMaxEdiMonths = 2000;

struct PrnRecord {
  int year = 0;
  int month = 0;
  float ep = 0.0f;
  float dep = 0.0f;
  float sep = 0.0f;
  float prn = 0.0f;
};

}  // namespace

void edi(std::string_view table_arg) {
  static const records::Layout kHeaderSkip{"A1"};
  static const records::Layout kEdiRecord{"I4,',',I2,',',5(F8.2,',')"};

  const std::string station = catalogue::station_of(table_arg);

  // The values are those of the file's text, not those computeedi held.
  std::array<PrnRecord, kMaxEdiMonths> rec{};
  int n = 0;
  records::open(kPrnUnit, catalogue::file_name(station, catalogue::kPrn.suffix),
                records::Presence::MustExist);
  std::string header;
  if (records::read_columns(kPrnUnit, kHeaderSkip, {records::Target::text(header, 1)}) ==
      records::ReadStatus::Ok) {
    while (n < kMaxEdiMonths) {
      PrnRecord r;
      if (records::read_list(kPrnUnit, {r.year, r.month, r.ep, r.dep, r.sep, r.prn}) !=
          records::ReadStatus::Ok)
        break;
      rec[n++] = r;
    }
  }
  records::close(kPrnUnit);

  float sum = 0.0f;
  for (int i = 0; i < n; ++i) sum = records::round_to_float(double(sum) + double(rec[i].prn));
  const float mean = records::round_to_float(double(sum) / n);
  float squares = 0.0f;
  for (int i = 0; i < n; ++i) {
    const double d = double(rec[i].prn) - double(mean);
    squares = records::round_to_float(double(squares) + d * d);
  }
  // One record gives 0/0: NaN, and every EDI is written as NaN.
  const float sd = records::round_to_float(std::sqrt(double(squares) / (n - 1)));

  records::open(kEdiUnit, output_name(table_arg, catalogue::kEdi, catalogue::kEdiInt));
  records::write_list(kEdiUnit, {"YEAR,MO,EP,DEP,SEP,PRN,EDI"});
  for (int i = 0; i < n; ++i) {
    const PrnRecord& r = rec[i];
    const float index = records::round_to_float(double(r.prn) / double(sd));
    records::write(kEdiUnit, kEdiRecord, {r.year, r.month, r.ep, r.dep, r.sep, r.prn, index});
  }
  records::write_list(kEdiUnit);
  records::close(kEdiUnit);
}

}  // namespace indices
