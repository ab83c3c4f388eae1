// Fuzz target of the record layer's text handling: layout parsing, column
// reading, list-directed reading and field output on arbitrary bytes.
//
// Input: a layout notation up to the first NUL byte, then records separated
// by line feeds. Every record is read by columns with the layout (when it
// parses) into targets of the codes' types, written back with the layout, and
// all records are read list-directed into a mix of targets.
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "records/emit.h"
#include "records/input.h"
#include "records/parse.h"

using namespace records;

namespace {

void columns_round_trip(const Layout& layout, std::string_view record) {
  // One target per value code, of the code's type.
  std::vector<int> ints;
  std::vector<double> reals;
  std::vector<std::string> texts;
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Int) ints.push_back(0);
    if (item.kind == Item::Fixed || item.kind == Item::Exponent) reals.push_back(0);
    if (item.kind == Item::Text) texts.emplace_back();
  }
  std::vector<Target> targets;
  std::size_t i = 0, r = 0, t = 0;
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Int) targets.emplace_back(ints[i++]);
    if (item.kind == Item::Fixed || item.kind == Item::Exponent) targets.emplace_back(reals[r++]);
    if (item.kind == Item::Text) targets.push_back(Target::text(texts[t++], 5));
  }
  if (parse::columns(record, layout, targets) != ReadStatus::Ok) return;
  i = r = t = 0;
  std::string out;
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Int) emit::int_field(out, ints[i++], item.width, item.digits);
    if (item.kind == Item::Fixed) emit::fixed_field(out, reals[r++], item.width, item.digits);
    if (item.kind == Item::Exponent) emit::exponent_field(out, reals[r++], item.width, item.digits);
    if (item.kind == Item::Text) emit::text_field(out, texts[t++], item.width);
  }
}

void list_read(const std::vector<std::string_view>& records) {
  int a = 0;
  float f = 0;
  double d = 0;
  std::string s;
  std::array<int, 3> span{};
  std::array<float, 2> fspan{};
  std::initializer_list<Target> targets{
      a, f, Target::text(s, 6), std::span<int>(span), d, std::span<float>(fspan)};
  parse::ListState state(std::span<const Target>(targets.begin(), targets.size()));
  for (std::string_view r : records) {
    parse::ListStep step = parse::list_feed(state, r);
    if (step == parse::ListStep::Bad) {
      // The next read starts afresh at the next record.
      state = parse::ListState(std::span<const Target>(targets.begin(), targets.size()));
    } else if (step == parse::ListStep::Done) {
      std::string out;
      emit::list_record(out, {a, f, s, std::span<const int>(span), d});
      emit::fixed_field(out, d, 12, 3);
      emit::exponent_field(out, f, 12, 5);
      state = parse::ListState(std::span<const Target>(targets.begin(), targets.size()));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t nul = input.find('\0');
  std::string_view notation = input.substr(0, nul);
  std::string_view body =
      nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

  std::vector<std::string_view> records;
  for (std::size_t p = 0; p < body.size();) {
    std::size_t nl = body.find('\n', p);
    if (nl == std::string_view::npos) nl = body.size();
    std::string_view r = body.substr(p, nl - p);
    if (!r.empty() && r.back() == '\r') r.remove_suffix(1);
    records.push_back(r);
    p = nl + 1;
  }

  try {
    Layout layout(notation);
    for (std::string_view r : records) columns_round_trip(layout, r);
  } catch (const std::logic_error&) {
    // An ill-formed layout is refused, as it should be.
  }
  list_read(records);
  for (std::string_view r : records) {
    int i = 0;
    float f = 0;
    double d = 0;
    parse::to_int(r, i);
    parse::to_real(r, f, static_cast<int>(r.size() % 4));
    if (parse::to_real(r, d)) {
      std::string out;
      emit::fixed_field(out, d, 20, static_cast<int>(r.size() % 12));
      emit::exponent_field(out, d, 16, static_cast<int>(r.size() % 10));
    }
  }
  return 0;
}
