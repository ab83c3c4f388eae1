#include "report/network.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <utility>

#include "catalogue/catalogue.h"

namespace report {

namespace {

namespace fs = std::filesystem;

// ---- Reading the ends of files ------------------------------------------------

constexpr std::streamoff kTailBytes = 4096;  // first look at the end of a file: ~30 records
constexpr std::streamoff kTailGrowth = 8;    // then 8 times more, up to the whole file
// At most the records of the longest record a companion reads, 256 bytes
// each: a damaged file never takes more memory than that.
constexpr std::streamoff kMaxTailBytes = catalogue::kLongestRecordYears * 12 * 256;
constexpr std::size_t kDailyHeadBytes = 1024;  // the header and first record of <id>.csv
constexpr std::size_t kSpiFirstValue = 2;      // year, month, then the periods
constexpr std::size_t kPalmerXField = 3;       // year, month, Z, X

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

// The fields of a record between the separators, blanks trimmed.
std::vector<std::string_view> split(std::string_view line, std::string_view separators) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at <= line.size()) {
    const std::size_t end = std::min(line.find_first_of(separators, at), line.size());
    out.push_back(trim(line.substr(at, end - at)));
    at = end + 1;
  }
  return out;
}

bool to_number(std::string_view text, double& number) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// A field of an index file: missing when it is the marker, empty, asterisks,
// NaN or an infinity; else its number and its text with a leading zero.
Value index_value(std::string_view text, float marker) {
  Value v;
  double number = 0.0;
  if (!to_number(text, number) || !std::isfinite(number)) return v;
  if (static_cast<float>(number) == marker) return v;
  v.present = true;
  v.number = number;
  v.text = text;
  if (text.starts_with(".")) v.text.insert(0, 1, '0');
  if (text.starts_with("-.")) v.text.insert(1, 1, '0');
  return v;
}

// The year and month of a record, false for a header or a damaged record.
bool record_month(const std::vector<std::string_view>& f, int& year, int& month) {
  if (f.size() < 2) return false;
  const auto a = std::from_chars(f[0].data(), f[0].data() + f[0].size(), year);
  const auto b = std::from_chars(f[1].data(), f[1].data() + f[1].size(), month);
  return a.ec == std::errc() && b.ec == std::errc() && month >= 1 && month <= 12;
}

enum class Scan { Next, Found, Stop };

// Hands the lines of the end of a file to pick, last line first, until it
// finds what it looks for or stops; reads further back while it asks for
// more (a larger part, whose lines pick sees again from the last one). A
// line cut by the start of the part read is not handed on.
template <class Pick>
void scan_backwards(const fs::path& path, Pick&& pick) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  std::string text;
  for (std::streamoff bytes = kTailBytes;; bytes = std::min(bytes * kTailGrowth, kMaxTailBytes)) {
    const std::streamoff start = std::max<std::streamoff>(0, size - bytes);
    text.resize(static_cast<std::size_t>(size - start));
    in.seekg(start);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in) return;
    std::size_t end = text.size();
    while (end > 0) {
      const std::size_t nl = text.rfind('\n', end - 1);
      if (nl == std::string::npos && start > 0) break;  // cut line: read further back
      const std::size_t from = nl == std::string::npos ? 0 : nl + 1;
      const Scan s = pick(std::string_view(text).substr(from, end - from));
      if (s != Scan::Next) return;
      end = nl == std::string::npos ? 0 : nl;
    }
    if (start == 0 || bytes == kMaxTailBytes) return;
  }
}

std::size_t period_field(int months) {
  const auto& p = catalogue::kPeriodMonths;
  return kSpiFirstValue +
         static_cast<std::size_t>(std::find(p.begin(), p.end(), months) - p.begin());
}

// The last month of the results table with an observed SPI value.
void read_last_spi(const fs::path& path, NetStation& st) {
  scan_backwards(path, [&](std::string_view line) {
    const auto f = split(line, ",");
    int year = 0;
    int month = 0;
    if (!record_month(f, year, month) || f.size() < kSpiFirstValue + catalogue::kPeriods) {
      return Scan::Next;
    }
    bool any = false;
    for (std::size_t k = 0; k < catalogue::kPeriods; ++k) {
      any = any || index_value(f[kSpiFirstValue + k], catalogue::kMissingSpi).present;
    }
    if (!any) return Scan::Next;
    st.year = year;
    st.month = month;
    st.spi3 = index_value(f[period_field(3)], catalogue::kMissingSpi);
    st.spi12 = index_value(f[period_field(12)], catalogue::kMissingSpi);
    return Scan::Found;
  });
}

// The Palmer X of the station's last month, when the Palmer file holds it.
void read_palmer_x(const fs::path& path, NetStation& st) {
  if (st.year == 0) return;
  scan_backwards(path, [&](std::string_view line) {
    const auto f = split(line, ",");
    int year = 0;
    int month = 0;
    if (!record_month(f, year, month) || f.size() <= kPalmerXField) return Scan::Next;
    if (std::pair(year, month) > std::pair(st.year, st.month)) return Scan::Next;
    if (std::pair(year, month) < std::pair(st.year, st.month)) return Scan::Stop;
    st.palmer = index_value(f[kPalmerXField], catalogue::kMissingPalmer);
    return Scan::Found;
  });
}

// The latitude and longitude of the first data record of <id>.csv (fields 2
// and 3, separated by commas or blanks).
void read_position(const fs::path& path, NetStation& st) {
  std::ifstream in(path, std::ios::binary);
  std::string head(kDailyHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  const std::size_t first = head.find('\n');
  if (first == std::string::npos) return;
  const std::size_t end = head.find('\n', first + 1);
  if (end == std::string::npos) return;
  std::vector<std::string_view> f;
  for (std::string_view field :
       split(std::string_view(head).substr(first + 1, end - first - 1), ", \t")) {
    if (!field.empty()) f.push_back(field);
  }
  double lat = 0.0;
  double lon = 0.0;
  if (f.size() < 3 || !to_number(f[1], lat) || !to_number(f[2], lon)) return;
  if (!(std::abs(lat) <= 90.0) || !(std::abs(lon) <= 180.0)) return;
  st.placed = true;
  st.latitude = lat;
  st.longitude = lon;
}

// ---- Finding the stations ------------------------------------------------------

// The station IDs of a directory, sorted: every file named as the daily file
// of a station ID (the 6-character ID, blanks included, and ".csv").
std::vector<std::string> station_ids(const fs::path& dir, std::vector<std::string>& warnings) {
  std::vector<std::string> ids;
  std::error_code ec;
  const std::string_view suffix = catalogue::kDailyFile.suffix;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != catalogue::kStationIdWidth + suffix.size() || !name.ends_with(suffix))
      continue;
    const std::string id = name.substr(0, catalogue::kStationIdWidth);
    std::error_code file_ec;
    if (catalogue::valid_station_id(id) && id.front() != ' ' &&
        fs::is_regular_file(it->path(), file_ec)) {
      ids.push_back(id);
    }
  }
  if (ec) warnings.push_back(dir.string() + ": cannot read the directory (" + ec.message() + ")");
  std::sort(ids.begin(), ids.end());
  return ids;
}

// A directory given and its immediate subdirectories, sorted.
std::vector<fs::path> walk(const fs::path& dir) {
  std::vector<fs::path> out{dir};
  std::error_code ec;
  std::vector<fs::path> subdirs;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code dir_ec;
    if (it->is_directory(dir_ec)) subdirs.push_back(it->path());
  }
  std::sort(subdirs.begin(), subdirs.end());
  out.insert(out.end(), subdirs.begin(), subdirs.end());
  return out;
}

// The link from the page's directory to a station page, percent-encoded.
std::string station_link(const fs::path& page_dir, const fs::path& dir, std::string_view id) {
  fs::path rel = fs::absolute(dir).lexically_normal().lexically_relative(page_dir);
  std::string path = rel.empty() || rel == "." ? "" : rel.generic_string() + "/";
  path += catalogue::file_name(id, "-report.html");
  static constexpr std::string_view kPlain =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/";
  std::string out;
  for (unsigned char c : path) {
    if (kPlain.find(static_cast<char>(c)) != std::string_view::npos) {
      out += static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  return out;
}

}  // namespace

NetStation read_net_station(const fs::path& dir, std::string_view id) {
  NetStation st;
  st.id = std::string(trim(id));
  const std::string fid = catalogue::station_id(id);
  read_position(dir / catalogue::file_name(fid, catalogue::kDailyFile.suffix), st);
  read_last_spi(dir / catalogue::file_name(fid, catalogue::kSpiResults.suffix), st);
  read_palmer_x(dir / catalogue::file_name(fid, catalogue::kPdsi.suffix), st);
  return st;
}

Network read_network(std::span<const std::string_view> dirs, const fs::path& page_dir) {
  Network net;
  const fs::path base = fs::absolute(page_dir).lexically_normal();
  for (std::string_view given : dirs) {
    std::error_code ec;
    if (!fs::is_directory(fs::path(given), ec)) {
      net.warnings.push_back(std::string(given) + ": not a directory");
      continue;
    }
    for (const fs::path& dir : walk(fs::path(given))) {
      for (const std::string& id : station_ids(dir, net.warnings)) {
        const fs::path results = dir / catalogue::file_name(id, catalogue::kSpiResults.suffix);
        if (!fs::is_regular_file(results, ec)) {
          net.warnings.push_back((dir / id).string() +
                                 ": no SPI results (run drought first); not on the page");
          ++net.without_results;
          continue;
        }
        NetStation st = read_net_station(dir, id);
        st.href = station_link(base, dir, id);
        if (!st.placed) {
          net.warnings.push_back(
              (dir / id).string() + ": no latitude and longitude in the first record of " +
              catalogue::file_name(id, catalogue::kDailyFile.suffix) + "; not on the maps");
        }
        net.stations.push_back(std::move(st));
      }
    }
  }
  return net;
}

}  // namespace report
