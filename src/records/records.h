// The record layer: the only part of the program that knows about text.
//
// Every file and every console line is a sequence of records. A record is
// written from a layout (I, I.m, F, D, A, X, literal texts, repeated groups) or
// list-directed; it is read by columns with a layout or list-directed. Files
// are attached to small positive file numbers; number 5 is standard input and
// number 6 standard output. Every record written ends with CR LF; reading
// accepts LF and CR LF.
//
// An input/output failure that the calling stage does not handle raises
// FatalError; the entry point prints its one-line diagnostic and ends the
// program with exit status 2.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace records {

inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;

// ---------------------------------------------------------------------------
// Fatal failures

// An input/output failure that ends the program: "<operation> <file>: <cause>".
struct FatalError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void fatal(std::string_view operation, std::string_view file, std::string_view cause);

// ---------------------------------------------------------------------------
// Layouts

// One parsed layout item.
struct Item {
  enum Kind { Int, Fixed, Exponent, Text, Skip, Literal };
  Kind kind = Literal;
  int width = 0;     // w of Iw, Fw.d, Dw.d, Aw; n of nX; 0 for A without w
  int digits = -1;   // m of Iw.m (-1: none), d of Fw.d and Dw.d
  std::string text;  // the literal text
};

// A layout in the usual notation, for example
//   "I6,',',A4,',',I4,',',I2,',',31(F8.2,',')"  or  "I6,1X,I4,12F7.2".
// Literal texts are in apostrophes or quotation marks (a doubled quote inside
// stands for one). A repeat count may stand before a code or a bracketed group.
// Parsed once, at construction; an ill-formed layout throws std::logic_error.
class Layout {
 public:
  explicit Layout(std::string_view notation);
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;  // repeated groups expanded
};

// ---------------------------------------------------------------------------
// Values written. A value carries its storage type: int (4-byte integer),
// float (4-byte real), double (8-byte real) or text. Spans are flattened in
// order, so a row of 31 day values is one argument.
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

// One scalar value after flattening.
using Scalar = std::variant<int, float, double, std::string_view>;

// The text that the layout makes of the values (no record end). Items are used
// in order; literal texts are emitted as met; output stops at the first value
// code that has no value left. More values than codes is a programming error
// (std::logic_error).
std::string format(const Layout& layout, std::initializer_list<Arg> values);
std::string format(const Layout& layout, std::span<const Scalar> values);

// The text of a list-directed record (no record end): empty without values,
// else one blank, then the values separated by one blank, with no separator
// between two adjacent texts; integers in as few columns as they need.
std::string format_list(std::initializer_list<Arg> values);

// ---------------------------------------------------------------------------
// Writing through a file number.

// Writes one record and ends it with CR LF.
void write(int unit, const Layout& layout, std::initializer_list<Arg> values = {});
// The same without ending the record: the next write continues the line.
void write_open(int unit, const Layout& layout, std::initializer_list<Arg> values = {});
// Writes one list-directed record.
void write_list(int unit, std::initializer_list<Arg> values = {});

// ---------------------------------------------------------------------------
// Reading.

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

// ---------------------------------------------------------------------------
// File numbers.

enum class Presence { MayBeMissing, MustExist };

// Attaches the named file to the file number. A file already attached to the
// number is completed and closed first. A missing file that must exist is
// fatal; a missing file that may be missing reads as empty, and nothing is
// created unless a record is written to it. The file is positioned at its
// first record. An existing file loses its old records only when the first
// record is written to it.
void open(int unit, std::string_view name, Presence presence = Presence::MayBeMissing);

// Completes and detaches the file attached to the number (nothing if none).
// The next write through the number attaches "fort.<n>" afresh.
void close(int unit);

// Makes the file attached to the number an output file exactly as a first
// record written through it would, without writing a record: when no file is
// attached, "fort.<n>" is attached; a file to which no record has been written
// since it was attached is created or emptied. A file that already holds
// records written through the number is left as it is.
void start_output(int unit);

// Completes and closes every attached file (program end, fatal end, tests).
void close_all();

// Whether a file is attached to the number, and its name.
bool is_attached(int unit);
std::string attached_name(int unit);

// Console redirection for tests: while set, records written through number 6
// are appended to *sink instead of standard output, and number 5 reads from
// source instead of standard input. nullptr restores the real console.
void set_console_sink(std::string* sink);
void set_console_source(const std::string* source);

// Quiet mode: while muted, records written through number 6 are dropped
// (standard output stays empty); standard error is not affected.
void set_console_muted(bool muted);

// ---------------------------------------------------------------------------
// Texts and names.

// Text comparison with the shorter text padded on the right with blanks
// (case-sensitive): "exit" equals "exit  ".
bool text_equal(std::string_view a, std::string_view b);

// A text cut or blank-padded to exactly width characters.
std::string fit(std::string_view text, std::size_t width);

// The 30-character file-name argument: station ID followed by suffix, padded.
inline constexpr std::size_t kFileArgWidth = 30;
std::string file_arg(std::string_view station_id, std::string_view suffix);
// The file name a file-name argument stands for: without trailing blanks.
std::string_view trim_name(std::string_view arg);
// The station ID a file-name argument carries: its first 6 characters.
std::string station_of(std::string_view arg);

// ---------------------------------------------------------------------------
// Numeric helpers shared by every stage.

// Rounds an 8-byte value to the 4-byte real it is stored as.
inline float round_to_float(double v) { return static_cast<float>(v); }

// Truncates toward zero to a 4-byte integer; a value that cannot become one
// (NaN, infinite, out of range) gives -2147483648, as the processor's
// conversion instruction does, never undefined behaviour.
int trunc_to_int(double v);

}  // namespace records
