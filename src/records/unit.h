// The table of file numbers as the record layer sees it from inside: what is
// kept for every file number and for the console, and the calls through which
// reading, writing, the console and the diagnostics use it (files.cpp keeps
// the table, console.cpp the console). Internal to the record layer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace records::units {

inline constexpr std::string_view kRecordEnd = "\r\n";
// The line end of the tidy tables, which other tools read.
inline constexpr std::string_view kTidyLineEnd = "\n";
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where the last read of a unit stopped short of its targets.
enum class Stop : unsigned char {
  None,
  BadValue,  // at a value that cannot become its target (bad_value)
  CutShort,  // at the end of the file inside a record (fewer values than wanted)
};

struct Unit {
  bool attached = false;
  bool console = false;  // standard input or output rather than a named file
  std::string name;

  // Input: the file's bytes from the record before the last one read on. The
  // file is opened at the first read and read a block at a time as far as
  // the records read reach.
  bool loaded = false;
  int in = -1;  // the descriptor of a file not yet read to its end
  std::string data;
  std::string_view text;  // data, or the test source for the console
  std::size_t pos = 0;
  std::size_t last = std::string::npos;  // start of the record just read
  long record_number = 0;                // records read so far
  Stop stop = Stop::None;                // how the last read stopped short
  std::string bad_value;                 // the value a BadValue read stopped at
  long stop_record = 0;                  // the record it stopped in
  bool missing = false;                  // the file did not exist when it was loaded

  // Output.
  int out = -1;  // the descriptor of a file being written
  bool record_open = false;
  std::string buffer;
};

// The unit a read or write through the number goes to: the attached file,
// else the console for its number (5 reads standard input, 6 writes standard
// output), else fort.<n> attached afresh (which a read does not create).
Unit& reader(int unit);
Unit& writer(int unit);

// The next record of the unit without its end, or nothing at its end.
std::optional<std::string_view> next_record(Unit& u);
// The next record of the text the unit holds (u.text from u.pos), reading
// further blocks of a file as far as the record reaches.
std::optional<std::string_view> text_record(Unit& u);

// A record written through the number: start_record attaches and creates or
// empties the file as the first output does and gives the unit whose buffer
// the record is appended to; end_record ends it (or leaves it open) and hands
// the buffer over when it is full, or at once for the console.
Unit& start_record(int unit);
void end_record(Unit& u, bool end, std::string_view record_end = kRecordEnd);

// Hands the collected output to the file or the console; a failure is fatal.
void flush(Unit& u);
// Writes all of bytes to the descriptor (a write may take only a part, or be
// interrupted); false with errno set on failure.
bool write_all(int fd, std::string_view bytes);

// The console units and their part of flush, next_record and close_all
// (console.cpp).
Unit& console_in();
Unit& console_out();
void console_write(Unit& u);
std::optional<std::string_view> console_record(Unit& u);
void console_close();

// Forgets the notes about written files (fatal.h): at the start of a station
// run and by close_all.
void forget_notes();

}  // namespace records::units
