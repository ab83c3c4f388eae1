// The catalogue of station files: every file a station run reads or writes,
// with its name, the stage that writes it, who reads it, its missing marker,
// its year limit, where its record layout is defined, and how long it lives.
//
// Station IDs, the file-name argument, the accumulation periods and the
// missing markers are defined here once; the stages, the driver and the
// companion programs take them from here. Adding a file is one row.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace catalogue {

// ---- Station IDs and file names -------------------------------------------

// Width of a station ID: a reply or an argument is cut or blank-padded to it,
// and the blanks are part of every file name.
inline constexpr std::size_t kStationIdWidth = 6;

// The station ID a reply or an argument stands for: cut or padded to 6.
std::string station_id(std::string_view text);

// Whether the station ID can prefix file names in the current directory: no
// '/', '\' or NUL byte.
bool valid_station_id(std::string_view station_id);

// The name of a station file: the station ID as given (a station run's is
// already 6 characters: see station_id) and the suffix.
std::string file_name(std::string_view station_id, std::string_view suffix);

// The 30-character file-name argument of a stage: station ID followed by the
// suffix, padded with blanks.
inline constexpr std::size_t kFileArgWidth = 30;
std::string file_arg(std::string_view station_id, std::string_view suffix);
// The file name a file-name argument stands for: without trailing blanks.
std::string_view trim_name(std::string_view arg);
// The station ID a file-name argument carries: its first 6 characters.
std::string station_of(std::string_view arg);

// ---- Accumulation periods ---------------------------------------------------

// The accumulation periods in months, in the order of every file with one
// column per period.
inline constexpr int kPeriods = 7;
inline constexpr std::array<int, kPeriods> kPeriodMonths{1, 2, 3, 6, 9, 12, 24};

// ---- Missing markers ----------------------------------------------------------

inline constexpr int kMissingDay = -999;            // a day without a value in <id>.csv
inline constexpr float kGapDay = -99.9f;            // a gap day of the fill file
inline constexpr int kMissingMonth = -9999;         // a month of the monthly tables
inline constexpr float kMissingSpi = -99.0f;        // SPI engine files and SPI tables
inline constexpr float kMissingPercent = -99.0f;    // percent of normal
inline constexpr int kMissingDecile = -99;          // decile codes
inline constexpr float kMissingDaily = 9999.0f;     // the Palmer daily series
inline constexpr float kMissingPalmer = -99.0f;     // a month of the Palmer index files
inline constexpr double kMissingBalance = -9999.0;  // a month of the water balance

// ---- Year limits --------------------------------------------------------------

inline constexpr int kSpiYears = 120;             // years of the SPI computation
inline constexpr int kPercentYears = 200;         // years of percent of normal and EDI
inline constexpr int kDecileYears = 150;          // years of the deciles
inline constexpr int kLongestRecordYears = 1000;  // longest record a companion reads

// ---- SPI engine files ---------------------------------------------------------

// For accumulation period k = 1..7 the SPI run writes through the numbers
// 10k+1 to 10k+4, which it never opens by name: "fort.<number>".
enum class SpiKind { Parameters = 1, Values = 2, Probabilities = 3, Sums = 4 };
constexpr int spi_unit(int period, SpiKind kind) { return 10 * period + static_cast<int>(kind); }
std::string spi_file(int period, SpiKind kind);

// ---- The file table -----------------------------------------------------------

// How long a file's records live.
enum class Lifetime {
  Input,       // comes from outside the program
  SpiRun,      // closed after every SPI run: the next run starts it afresh
  StationRun,  // rewritten by every station run
  Program,     // stays open and collects the records of every SPI run
};

const char* lifetime_name(Lifetime lifetime);

struct FileRow {
  std::string_view name;     // "<id>-spiformat.csv", "fort.<k>1"
  std::string_view suffix;   // after the station ID; empty for the SPI engine files
  std::string_view content;  // one line
  std::string_view writer;   // the routine that writes it; empty for an input
  std::string_view readers;  // the routines and companions that read it
  std::string_view missing;  // the missing marker as written; empty: none
  int years;                 // the years the file holds at most; 0: no limit of its own
  std::string_view layout;   // where the record layout is defined
  Lifetime lifetime;
  bool extended;  // written only with --extended
};

// clang-format off
inline constexpr FileRow kDailyFile{"<id>.csv", ".csv", "daily observations", "",
    "readit, pdsiform, pdi_vers1, drought-report", "-999", 0, "prep/readit.cpp", Lifetime::Input, false};
inline constexpr FileRow kPrcpFile{"<id>_PRCP.csv", "_PRCP.csv", "interpolated monthly precipitation", "",
    "spi_format_interp", "", 0, "prep/spi_format_interp.cpp", Lifetime::Input, false};
inline constexpr FileRow kFillFile{"<id>-fill-prcp.csv", "-fill-prcp.csv", "daily precipitation, gap rows filled",
    "readit", "spiformat", "-99.90", 0, "prep/readit.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kObservedTable{"<id>-spiformat.csv", "-spiformat.csv", "observed monthly table",
    "spiformat", "spicompute, percentnormal, computeedi, deciles, needed, drought-report", "-9999", 0,
    "prep/readit.cpp (write_monthly_table)", Lifetime::StationRun, false};
inline constexpr FileRow kGapDays{"<id>-msgdata.csv", "-msgdata.csv", "the gap days of the fill file",
    "spiformat", "", "", 0, "prep/spiformat.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kInterpolatedTable{"<id>-spi-interpolated.csv", "-spi-interpolated.csv",
    "interpolated monthly table", "spi_format_interp",
    "spicompute, percentnormal, computeedi, deciles, needed, drought-report", "-9999", 0,
    "prep/readit.cpp (write_monthly_table)",
    Lifetime::StationRun, false};
inline constexpr FileRow kSpiValues{"fort.<k>2", "", "SPI values of period k", "spicompute", "read_data",
    "-99.00", kSpiYears, "compute/spicompute.cpp", Lifetime::SpiRun, false};
inline constexpr FileRow kSpiFirstPeriod{"fort.11, fort.13, fort.14", "",
    "parameters, probabilities and sums of the 1-month period", "spicompute", "", "-99.00", kSpiYears,
    "compute/spicompute.cpp", Lifetime::SpiRun, false};
inline constexpr FileRow kSpiCollecting{"fort.<k>1, fort.<k>3, fort.<k>4 (k = 2 to 7)", "",
    "parameters, probabilities and sums of the longer periods", "spicompute", "", "-99.00", kSpiYears,
    "compute/spicompute.cpp", Lifetime::Program, false};
inline constexpr FileRow kSpiResults{"<id>-spi-results.csv", "-spi-results.csv",
    "observed SPI, then the combined table", "read_data, combine",
    "combine, statistics, events, needed, drought-report",
    "-99.00", 0, "compute/read_data.cpp, compare/combine.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kSpiResultsInt{"<id>-spi-results-int.csv", "-spi-results-int.csv",
    "interpolated SPI", "read_data", "combine, drought-report", "-99.00", 0, "compute/read_data.cpp",
    Lifetime::StationRun, false};
inline constexpr FileRow kSpiStats{"<id>-spi-stats.csv", "-spi-stats.csv", "comparison statistics",
    "statistics", "drought-report", "", 0, "compare/statistics.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kPctNorm{"<id>-pctnorm.csv", "-pctnorm.csv", "percent of normal, observed",
    "percentnormal", "drought-report", "-99.00", kPercentYears, "indices/percentnormal.cpp",
    Lifetime::StationRun, false};
inline constexpr FileRow kPctNormInt{"<id>-pctnormint.csv", "-pctnormint.csv",
    "percent of normal, interpolated", "percentnormal", "drought-report", "-99.00", kPercentYears,
    "indices/percentnormal.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kPrn{"<id>-PRN.csv", "-PRN.csv", "effective precipitation", "computeedi", "edi", "",
    kPercentYears, "indices/computeedi.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kEdi{"<id>-EDI.csv", "-EDI.csv", "EDI, observed", "edi", "events, drought-report", "",
    0, "indices/edi.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kEdiInt{"<id>-EDIint.csv", "-EDIint.csv", "EDI, interpolated", "edi",
    "events, drought-report", "", 0, "indices/edi.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kDeciles{"<id>-deciles.csv", "-deciles.csv", "deciles, observed", "deciles",
    "drought-report", "-99", kDecileYears, "indices/deciles.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kDecilesInt{"<id>-decilesint.csv", "-decilesint.csv", "deciles, interpolated",
    "deciles", "drought-report", "-99", kDecileYears, "indices/deciles.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kPdsiDaily{"<id>-pdsiformat.csv", "-pdsiformat.csv", "the Palmer daily series",
    "pdsiform", "pdi_vers1", "9999.0", 0, "pdsi/pdsiform.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kPdsi{"<id>-pdsi.csv", "-pdsi.csv", "Palmer Z and X", "pdi_vers1",
    "palmer, drought-report", "-99.00", 0, "pdsi/pdi_vers1.cpp", Lifetime::StationRun, false};
inline constexpr FileRow kWaterBalance{"<id>-water-balance.csv", "-water-balance.csv",
    "the monthly water balance of the Palmer index", "pdi_vers1", "spei", "-9999.00", 0,
    "pdsi/pdi_vers1.cpp", Lifetime::StationRun, true};
inline constexpr FileRow kPalmer{"<id>-palmer.csv", "-palmer.csv", "PDSI, PHDI, PMDI", "palmer",
    "events, drought-report", "-99.00", 0, "palmer/palmer.cpp", Lifetime::StationRun, true};
inline constexpr FileRow kSpei{"<id>-spei.csv", "-spei.csv", "SPEI of the seven periods", "spei",
    "events, drought-report", "-99.00", 0, "spei/spei.cpp", Lifetime::StationRun, true};
inline constexpr FileRow kEvents{"<id>-events.csv", "-events.csv", "drought events", "events",
    "drought-report", "", 0, "events/events.cpp", Lifetime::StationRun, true};
inline constexpr FileRow kNeeded{"<id>-needed.csv", "-needed.csv", "precipitation needed to end a drought",
    "needed", "drought-report", "", 0, "events/needed.cpp", Lifetime::StationRun, true};
inline constexpr FileRow kOptions{"<id>-options.txt", "-options.txt", "the options that changed values",
    "station_run", "drought-report", "", 0, "driver/driver.cpp", Lifetime::StationRun, false};
// clang-format on

// Every file, in the order in which a station run first touches it.
inline constexpr std::array kFiles{
    &kDailyFile,      &kFillFile,      &kObservedTable, &kGapDays,    &kSpiValues,
    &kSpiFirstPeriod, &kSpiCollecting, &kSpiResults,    &kPrcpFile,   &kInterpolatedTable,
    &kSpiResultsInt,  &kSpiStats,      &kPctNorm,       &kPrn,        &kEdi,
    &kDeciles,        &kPctNormInt,    &kEdiInt,        &kDecilesInt, &kPdsiDaily,
    &kPdsi,           &kWaterBalance,  &kPalmer,        &kSpei,       &kEvents,
    &kNeeded,         &kOptions};

// Whether the SPI engine file of a period and kind is closed after every SPI
// run (lifetime SpiRun) rather than collecting over the program's life: the
// value files of every period, and every file of the 1-month period.
constexpr bool restarts_each_spi_run(int period, SpiKind kind) {
  return kind == SpiKind::Values || period == 1;
}

// The names of the SPI engine files that restart with every SPI run, which
// the driver closes by name at the end of each SPI run.
std::span<const std::string> spi_run_files();

}  // namespace catalogue
