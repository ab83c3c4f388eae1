// Writing records: every record written ends with CR LF, except the lines of
// the tidy tables, which other tools read and which end with LF alone.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "records/layout.h"

namespace records {

// A value written. It carries its storage type: int (4-byte integer), float
// (4-byte real), double (8-byte real) or text. Spans are flattened in order,
// so a row of 31 day values is one argument.
class Arg {
 public:
  Arg(int v) : v_(v) {}
  Arg(float v) : v_(v) {}
  Arg(double v) : v_(v) {}
  Arg(const char* v) : v_(std::string_view(v)) {}
  Arg(std::string_view v) : v_(v) {}
  Arg(const std::string& v) : v_(std::string_view(v)) {}
  Arg(std::span<const int> v) : v_(v) {}
  Arg(std::span<const float> v) : v_(v) {}
  Arg(std::span<const double> v) : v_(v) {}

  using Variant = std::variant<int, float, double, std::string_view, std::span<const int>,
                               std::span<const float>, std::span<const double>>;
  const Variant& get() const { return v_; }

 private:
  Variant v_;
};

// The text that the layout makes of the values (no record end). Items are used
// in order; literal texts are emitted as met; output stops at the first value
// code that has no value left. More values than codes is a programming error
// (std::logic_error).
std::string format(const Layout& layout, std::initializer_list<Arg> values);

// The text of a list-directed record (no record end): empty without values,
// else one blank, then the values separated by one blank, with no separator
// between two adjacent texts; integers in as few columns as they need.
std::string format_list(std::initializer_list<Arg> values);

// Writes one record through a file number and ends it with CR LF.
void write(int unit, const Layout& layout, std::initializer_list<Arg> values = {});
// The same without ending the record: the next write continues the line.
void write_open(int unit, const Layout& layout, std::initializer_list<Arg> values = {});
// Writes one list-directed record.
void write_list(int unit, std::initializer_list<Arg> values = {});
// Writes one line of a tidy table (comma-separated, one header line): the
// record ends with LF alone.
void write_lf(int unit, const Layout& layout, std::initializer_list<Arg> values = {});

}  // namespace records
