#include "events/events.h"

#include <array>
#include <string>

#include "catalogue/catalogue.h"
#include "events/monthly_file.h"
#include "events/tidy.h"
#include "records/files.h"

namespace events {
namespace {

constexpr int kIndexUnit = 92, kEventsUnit = 93;

constexpr std::string_view kHeader =
    "station,index,period,series,event,start,end,duration,severity,intensity,peak,peak_month,"
    "ongoing,ended_by";

// One series of an index file: its column and its names in the table.
struct SeriesSpec {
  std::string_view index;
  int period;
  std::string_view series;
  int column;
};

// The SPI-like series of 3, 6 and 12 months, their columns after offset.
void add_periods(std::vector<SeriesSpec>& out, std::string_view index, std::string_view series,
                 int offset) {
  for (std::size_t k = 0; k < kDroughtPeriods.size(); ++k)
    out.push_back({index, kDroughtPeriods[k], series, offset + kDroughtColumns[k]});
}

const char* ended_by_name(EndedBy e) {
  switch (e) {
    case EndedBy::Recovery:
      return "recovery";
    case EndedBy::Missing:
      return "missing";
    case EndedBy::EndOfData:
      break;
  }
  return "end of data";
}

// The line of one event; the months of the series count from (year, month).
std::string event_line(const std::string& head, int number, const Event& e,
                       const MonthlyFile& file) {
  const auto month = [&file](std::size_t i) {
    return month_text(month_after(file.first_year, file.first_month, static_cast<long long>(i)));
  };
  const bool ongoing = e.ended_by == EndedBy::EndOfData;
  const int duration = static_cast<int>(e.last - e.first + 1);
  const double severity = static_cast<double>(e.severity) / 100.0;
  return head + std::to_string(number) + "," + month(e.first) + "," +
         (ongoing ? "" : month(e.last)) + "," + std::to_string(duration) + "," +
         fixed_text(severity, 2) + "," + fixed_text(severity / duration, 2) + "," +
         fixed_text(static_cast<double>(e.peak) / 100.0, 2) + "," + month(e.peak_month) + "," +
         (ongoing ? "yes" : "no") + "," + ended_by_name(e.ended_by);
}

// Reads one index file and writes the events of its series.
void file_events(std::string_view id, const catalogue::FileRow& row, const FileShape& shape,
                 const std::vector<SeriesSpec>& specs, const Thresholds& thresholds) {
  const MonthlyFile file = read_monthly(kIndexUnit, catalogue::file_name(id, row.suffix), shape);
  if (file.columns.empty()) return;
  const std::string station = station_field(id);
  for (const SeriesSpec& s : specs) {
    const std::string head = station + "," + std::string(s.index) + "," + std::to_string(s.period) +
                             "," + std::string(s.series) + ",";
    const auto found = find_events(file.columns[static_cast<std::size_t>(s.column)], thresholds);
    for (std::size_t n = 0; n < found.size(); ++n)
      write_line(kEventsUnit, event_line(head, static_cast<int>(n + 1), found[n], file));
  }
}

}  // namespace

Thresholds spi_thresholds(const catalogue::Choices& c) {
  return {c.event_start.value_or(catalogue::kEventStart),
          c.event_end.value_or(catalogue::kEventEnd), c.event_min};
}

Thresholds palmer_thresholds(const catalogue::Choices& c) {
  return {c.event_start.value_or(catalogue::kPalmerEventStart),
          c.event_end.value_or(catalogue::kPalmerEventEnd), c.event_min};
}

void events(std::string_view id, const catalogue::Choices& choices) {
  const float missing = catalogue::kMissingSpi;
  std::vector<SeriesSpec> spi, spei, edi_observed, edi_interpolated;
  add_periods(spi, "spi", "observed", 0);
  add_periods(spi, "spi", "interpolated", catalogue::kPeriods);
  add_periods(spei, "spei", "observed", 0);
  const std::vector<SeriesSpec> pdsi{{"pdsi", 1, "observed", 1}};  // Z, then PDSI
  edi_observed.push_back({"edi", 1, "observed", 4});               // EP, DEP, SEP, PRN, then EDI
  edi_interpolated.push_back({"edi", 1, "interpolated", 4});

  records::open(kEventsUnit, catalogue::file_name(id, catalogue::kEvents.suffix));
  write_line(kEventsUnit, kHeader);
  const Thresholds spi_like = spi_thresholds(choices);
  file_events(id, catalogue::kSpiResults, {false, 2 * catalogue::kPeriods, missing}, spi, spi_like);
  file_events(id, catalogue::kSpei, {true, catalogue::kPeriods, missing}, spei, spi_like);
  file_events(id, catalogue::kPalmer, {true, 8, catalogue::kMissingPalmer}, pdsi,
              palmer_thresholds(choices));
  file_events(id, catalogue::kEdi, {true, 5, std::nullopt}, edi_observed, spi_like);
  file_events(id, catalogue::kEdiInt, {true, 5, std::nullopt}, edi_interpolated, spi_like);
  records::close(kEventsUnit);
}

}  // namespace events
