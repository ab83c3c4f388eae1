#include "import/station_files.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <numeric>

#include "import/text_input.h"
#include "import/units.h"

namespace importer {

const std::string_view kDailyHeader =
    "STATION,LATITUDE,LONGITUDE,ELEVATION,ELEMENT,MONTH,YEAR,DAY01,DAY02,DAY03,DAY04,DAY05,DAY06,"
    "DAY07,DAY08,DAY09,DAY10,DAY11,DAY12,DAY13,DAY14,DAY15,DAY16,DAY17,DAY18,DAY19,DAY20,DAY21,"
    "DAY22,DAY23,DAY24,DAY25,DAY26,DAY27,DAY28,DAY29,DAY30,DAY31\n";

namespace {

// The station list's mark of an unknown elevation, written as the daily file's missing mark.
constexpr std::string_view kUnknownElevation = "-999.9";

// Months counted from year 0, so that a difference is a number of months.
std::int64_t month_of(const Record& r) {
  return std::int64_t{r.year} * kMonthsPerYear + r.month - 1;
}

std::string month_text(std::int64_t month) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d", static_cast<int>(month / kMonthsPerYear),
                static_cast<int>(month % kMonthsPerYear) + 1);
  return buffer;
}

void append_int(std::string& out, long v) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
  out.append(buffer, end);
}

// A decimal number rounded half away from zero to a whole number, from its
// text, so that no binary fraction enters. False when it is not a number or
// too large.
bool round_decimal(std::string_view s, long& value) {
  if (!is_decimal(s) || s.size() > 15) return false;
  const bool negative = s.front() == '-';
  if (s.front() == '-' || s.front() == '+') s.remove_prefix(1);
  const std::size_t point = s.find('.');
  long whole = 0;
  for (char c : s.substr(0, point)) whole = whole * 10 + (c - '0');
  if (point != std::string_view::npos && point + 1 < s.size() && s[point + 1] >= '5') ++whole;
  value = negative ? -whole : whole;
  return true;
}

}  // namespace

bool station_prefix(std::string_view id, const StationInfo& info, std::string& prefix,
                    std::string& error) {
  long elevation = kMissing;
  if (info.elevation != kUnknownElevation && !round_decimal(info.elevation, elevation)) {
    error = "elevation in the station list is not a number";
    return false;
  }
  prefix.assign(id);
  for (const std::string* field : {&info.latitude, &info.longitude}) {
    prefix += ',';
    prefix += *field;
  }
  prefix += ',';
  append_int(prefix, elevation);
  prefix += ',';
  return true;
}

namespace {

// The records in calendar and element order, those from the first month with
// a PRCP line in kept, those before it in early; of two for one element and
// month the first read counts, the other is a warning. The first month, or -1
// when no PRCP line.
std::int64_t order_records(const std::vector<Record>& records,
                           const std::vector<std::string>& files, const std::string& source_id,
                           StationPlan& plan, Log& log) {
  const auto key = [&](std::uint32_t i) {
    return month_of(records[i]) * kElementCount + records[i].element;
  };
  const auto before = [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); };
  std::vector<std::uint32_t> order(records.size());
  std::iota(order.begin(), order.end(), 0u);
  if (!std::is_sorted(order.begin(), order.end(), before))
    std::stable_sort(order.begin(), order.end(), before);
  plan.kept.clear();
  plan.kept.reserve(order.size());
  plan.early.clear();
  std::int64_t first = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const Record& r = records[order[i]];
    if (i > 0 && key(order[i]) == key(order[i - 1])) {
      warn(log, shown(files[r.file]) + ":" + std::to_string(r.line) + ": second " +
                    std::string(kElementNames[r.element]) + " line of station " + shown(source_id) +
                    " for " + month_text(month_of(r)) + "; line skipped");
      continue;
    }
    if (first < 0 && r.element == kPrcp) first = month_of(r);
    (first >= 0 ? plan.kept : plan.early).push_back(order[i]);
  }
  return first;
}

// Totals of the months of the kept PRCP records in hundredths of an inch: the
// sum of a complete month, the scaled sum of a month with at least min_days
// days, else -1; and per calendar month the sum and count of complete totals.
struct MonthlyTotals {
  std::vector<std::int64_t> total;
  std::array<std::int64_t, kMonthsPerYear> complete_sum{}, complete_count{};
};
void total_months(const std::vector<Record>& records, const std::vector<std::uint32_t>& kept,
                  std::int64_t first, int min_days, MonthlyTotals& m) {
  for (std::uint32_t i : kept) {
    const Record& r = records[i];
    if (r.element != kPrcp) continue;
    const int days = days_in_month(r.year, r.month);
    std::int64_t sum = 0;
    int present = 0;
    for (int d = 0; d < days; ++d) {
      if (r.day[d] < 0) continue;  // missing; no amount is negative
      sum += r.day[d];
      ++present;
    }
    const auto at = static_cast<std::size_t>(month_of(r) - first);
    if (present == days) {
      m.total[at] = sum;
      m.complete_sum[r.month - 1] += sum;
      ++m.complete_count[r.month - 1];
    } else if (present >= min_days) {
      m.total[at] = divide_rounded(sum * days, present);
    }
  }
}

// The monthly file: every month from first on, a month without a total filled
// with the mean of the complete totals of its calendar month.
bool monthly_file(const MonthlyTotals& m, std::int64_t first, StationPlan& plan,
                  std::string& error) {
  const std::string_view prefix(plan.prefix);
  plan.monthly.clear();
  plan.summary.filled_months = 0;
  for (std::size_t at = 0; at < m.total.size(); ++at) {
    const std::int64_t month = first + static_cast<std::int64_t>(at);
    const int year = static_cast<int>(month / kMonthsPerYear);
    const int calendar = static_cast<int>(month % kMonthsPerYear);
    std::int64_t value = m.total[at];
    if (value < 0) {
      if (m.complete_count[calendar] == 0) {
        error = "no complete month " + std::to_string(calendar + 1) + " to fill " +
                month_text(month) + " from";
        return false;
      }
      value = divide_rounded(m.complete_sum[calendar], m.complete_count[calendar]);
      ++plan.summary.filled_months;
    }
    plan.monthly += prefix;
    append_int(plan.monthly, calendar + 1);
    plan.monthly += ',';
    append_int(plan.monthly, year);
    plan.monthly += ',';
    append_int(plan.monthly, static_cast<long>(value / 100));
    plan.monthly += '.';
    plan.monthly += static_cast<char>('0' + value % 100 / 10);
    plan.monthly += static_cast<char>('0' + value % 10);
    plan.monthly += '\n';
  }
  return true;
}

}  // namespace

bool plan_station(const std::vector<Record>& records, const std::vector<std::string>& files,
                  const std::string& source_id, int min_days, StationPlan& plan, Log& log,
                  std::string& error) {
  const std::int64_t first = order_records(records, files, source_id, plan, log);
  StationSummary& summary = plan.summary;
  summary.dropped_days = 0;
  for (std::uint32_t i : plan.kept) summary.dropped_days += records[i].dropped;
  if (first < 0) {
    error = "no PRCP line";
    return false;
  }
  const std::int64_t last = month_of(records[plan.kept.back()]);
  summary.first_year = static_cast<int>(first / kMonthsPerYear);
  summary.first_month = static_cast<int>(first % kMonthsPerYear) + 1;
  summary.last_year = static_cast<int>(last / kMonthsPerYear);
  summary.last_month = static_cast<int>(last % kMonthsPerYear) + 1;
  MonthlyTotals totals;
  totals.total.assign(static_cast<std::size_t>(last - first + 1), -1);
  total_months(records, plan.kept, first, min_days, totals);
  return monthly_file(totals, first, plan, error);
}

void append_daily_lines(const StationPlan& plan, const std::vector<Record>& records,
                        std::size_t from, std::size_t to, std::string& out) {
  // Written through a pointer into a buffer sized for the longest records.
  constexpr std::size_t kLongestValues = 5 + 12 + (kDays + 1) * 12;
  const std::size_t start = out.size();
  out.resize(start + (to - from) * (plan.prefix.size() + kLongestValues));
  char* p = out.data() + start;
  const auto put = [&p](long v) { p = std::to_chars(p, p + 24, v).ptr; };
  for (std::size_t k = from; k < to; ++k) {
    const Record& r = records[plan.kept[k]];
    p = std::copy(plan.prefix.begin(), plan.prefix.end(), p);
    p = std::copy(kElementNames[r.element].begin(), kElementNames[r.element].end(), p);
    *p++ = ',';
    put(r.month);
    *p++ = ',';
    put(r.year);
    for (int d = 0; d < kDays; ++d) {
      *p++ = ',';
      const std::int32_t v = r.day[d];
      if (v >= 0 && v < 10) {
        *p++ = static_cast<char>('0' + v);
      } else {
        put(v);
      }
    }
    *p++ = '\n';
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

bool read_daily_back(const std::string& path, std::vector<Record>& records, std::string& error) {
  constexpr std::size_t kFields =
      7 + kDays;  // ID, latitude, longitude, elevation, element, month, year
  const auto number = [](std::string_view text) {
    long v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return static_cast<std::int32_t>(v);
  };
  std::array<std::string_view, kFields> field;
  const auto line = [&](std::string_view text, std::uint64_t n) {
    if (n == 1) return true;  // the header
    for (std::size_t f = 0; f < kFields; ++f) {
      const std::size_t comma = std::min(text.find(','), text.size());
      field[f] = text.substr(0, comma);
      text.remove_prefix(std::min(comma + 1, text.size()));
    }
    Record& r = records.emplace_back();
    r.element = static_cast<Element>(
        std::find(kElementNames.begin(), kElementNames.end(), field[4]) - kElementNames.begin());
    r.month = static_cast<std::uint8_t>(number(field[5]));
    r.year = number(field[6]);
    for (int d = 0; d < kDays; ++d) r.day[d] = number(field[7 + static_cast<std::size_t>(d)]);
    return true;
  };
  Log unused;
  return read_lines(path, line, unused, error);
}

}  // namespace importer
