#include "events/tidy.h"

#include <array>

#include "records/output.h"
#include "records/text.h"

namespace events {

std::string fixed_text(double value, int decimals) {
  static const std::array<records::Layout, 3> kFixed{
      records::Layout{"F24.1"}, records::Layout{"F24.2"}, records::Layout{"F24.3"}};
  const std::string field =
      records::format(kFixed.at(static_cast<std::size_t>(decimals - 1)), {value});
  return field.substr(field.find_first_not_of(' '));
}

std::string month_text(YearMonth month) {
  static const records::Layout kMonth{"I4.4,'-',I2.2"};
  return records::format(kMonth, {month.year, month.month});
}

std::string station_field(std::string_view station_id) {
  const std::size_t end = station_id.find_last_not_of(' ');
  return records::csv_field(station_id.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

void write_line(int unit, std::string_view line) {
  static const records::Layout kLine{"A"};
  records::write_lf(unit, kLine, {line});
}

}  // namespace events
