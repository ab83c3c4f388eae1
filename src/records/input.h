// Reading records by columns with a layout, or list-directed. Reading accepts
// LF and CR LF record ends.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <variant>

#include "records/layout.h"

namespace records {

enum class ReadStatus { Ok, End, Bad };

// A place a read value goes. Spans are filled element by element in order.
// A text target has a fixed width: a longer value keeps its leftmost
// characters, a shorter one is padded with blanks on the right.
class Target {
 public:
  Target(int& v) : t_(&v) {}
  Target(float& v) : t_(&v) {}
  Target(double& v) : t_(&v) {}
  Target(std::span<int> v) : t_(v) {}
  Target(std::span<float> v) : t_(v) {}
  Target(std::span<double> v) : t_(v) {}
  static Target text(std::string& s, std::size_t width) { return Target(TextRef{&s, width}); }

  struct TextRef {
    std::string* s;
    std::size_t width;
  };
  using Variant = std::variant<int*, float*, double*, std::span<int>, std::span<float>,
                               std::span<double>, TextRef>;
  const Variant& get() const { return t_; }

 private:
  explicit Target(TextRef t) : t_(t) {}
  Variant t_;
};

// List-directed read of the next record(s) into the targets: values separated
// by commas, blanks or tabs; a slash ends the read; null values and r*v, r*
// repeats; quoted or unquoted texts; continuation over records; the rest of
// the last record used is skipped. End when the file ends before the read is
// complete, Bad for a value that cannot become its target (the position is
// then after that record). Targets filled before a failure keep their values.
ReadStatus read_list(int unit, std::initializer_list<Target> targets);

// Column read of the next record with a layout (I, F, A, X codes).
ReadStatus read_columns(int unit, const Layout& layout, std::initializer_list<Target> targets);

// The same, but a status other than Ok is fatal (end of file, or a bad value).
void must_read_list(int unit, std::initializer_list<Target> targets);
void must_read_columns(int unit, const Layout& layout, std::initializer_list<Target> targets);

// Returns to the start of the record just read, so that the next read reads
// it again.
void step_back(int unit);

}  // namespace records
