// Fuzz target of the stages fed arbitrary input files. The first parameter
// picks the stage group, the other parameters and the file sections are that
// group's (see harness.h for the input form):
//   0 readit + spiformat  daily file
//   1 pdsiform            daily file
//   2 spi_format_interp   first year, first month, last year, last month; monthly file
//   3 spicompute          first year; monthly table
//   4 percentnormal, computeedi, deciles   odd: interpolated table; the table
//   5 edi                 PRN file
//   6 pdi_vers1           daily series; daily file
//   7 combine + statistics  results; interpolated results; results again
//   8 read_data           first year, last year; value files fort.12 ... fort.72
#include "catalogue/catalogue.h"
#include "compare/combine.h"
#include "compare/statistics.h"
#include "compute/read_data.h"
#include "compute/spicompute.h"
#include "harness.h"
#include "indices/computeedi.h"
#include "indices/deciles.h"
#include "indices/edi.h"
#include "indices/percentnormal.h"
#include "pdsi/pdi_vers1.h"
#include "pdsi/pdsiform.h"
#include "prep/readit.h"
#include "prep/spi_format_interp.h"
#include "prep/spiformat.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = split(data, size);
  const std::string id(kStation);
  auto arg = [&](const char* suffix) { return catalogue::file_arg(kStation, suffix); };
  fresh_directory();
  switch (in.param(0, 0)) {
    case 0:
      write_file(station_file(".csv"), in.section(0));
      run([&] {
        prep::readit(id);
        prep::spiformat(id);
      });
      break;
    case 1:
      write_file(station_file(".csv"), in.section(0));
      run([&] { pdsi::pdsiform(id); });
      break;
    case 2: {
      prep::DataSpan span;
      span.first_year = in.param_int(1, 2000);
      span.first_month = in.param_int(2, 1);
      span.last_year = in.param_int(3, 2001);
      span.last_month = in.param_int(4, 12);
      write_file(station_file("_PRCP.csv"), in.section(0));
      run([&] { prep::spi_format_interp(id, span); });
      break;
    }
    case 3:
      write_file(station_file("-spiformat.csv"), in.section(0));
      run([&] {
        compute::spicompute(arg("-spiformat.csv"), in.param_int(1, 2000), catalogue::Choices{});
      });
      break;
    case 4: {
      const char* suffix = in.param(1, 0) % 2 ? "-spi-interpolated.csv" : "-spiformat.csv";
      write_file(station_file(suffix), in.section(0));
      run([&] { indices::percentnormal(arg(suffix)); });
      run([&] { indices::computeedi(arg(suffix)); });
      run([&] { indices::deciles(arg(suffix)); });
      break;
    }
    case 5:
      write_file(station_file("-PRN.csv"), in.section(0));
      run([&] { indices::edi(arg("-spiformat.csv")); });
      break;
    case 6:
      write_file(station_file("-pdsiformat.csv"), in.section(0));
      write_file(station_file(".csv"), in.section(1));
      run([&] { pdsi::pdi_vers1(id, false); });
      break;
    case 7:
      write_file(station_file("-spi-results.csv"), in.section(0));
      write_file(station_file("-spi-results-int.csv"), in.section(1));
      run([&] {
        compare::combine(id);
        compare::statistics(id);
      });
      write_file(station_file("-spi-results.csv"), in.section(2));
      run([&] { compare::statistics(id); });
      break;
    case 8:
      // A file that the input does not supply is left missing.
      for (std::size_t k = 1; k <= 7 && k <= in.sections.size(); ++k)
        write_file("fort." + std::to_string(10 * k + 2), in.section(k - 1));
      run([&] {
        compute::read_data(arg("-spi-results.csv"), in.param_int(1, 2000), in.param_int(2, 2001));
      });
      break;
  }
  return 0;
}
