// Fatal diagnostics of input/output failures.
#include "records/fatal.h"

#include <map>

#include "records/unit.h"

namespace records {
namespace {

struct Note {
  std::string source;  // the input the file is written from
  std::string cause;   // why a reader cannot read it back
};
std::map<std::string, Note, std::less<>> g_notes;  // by file name

}  // namespace

void fatal(std::string_view operation, std::string_view file, std::string_view cause) {
  std::string message(operation);
  message += ' ';
  const auto note = operation == "read" ? g_notes.find(file) : g_notes.end();
  if (note != g_notes.end() && !note->second.cause.empty()) {
    message += note->second.cause;
    throw FatalError(message);
  }
  message += shown_name(file);
  if (note != g_notes.end() && !note->second.source.empty())
    message += " (from " + shown_name(note->second.source) + ")";
  message += ": ";
  message += cause;
  throw FatalError(message);
}

void note_source(std::string_view file, std::string_view input) {
  std::string source = source_of(input);
  g_notes[std::string(file)].source = std::move(source);
}

void note_cause(std::string_view file, std::string_view cause) {
  Note& note = g_notes[std::string(file)];
  if (note.cause.empty()) note.cause = cause;
}

std::string source_of(std::string_view file) {
  const auto note = g_notes.find(file);
  return note != g_notes.end() && !note->second.source.empty() ? note->second.source
                                                               : std::string(file);
}

void units::forget_notes() { g_notes.clear(); }

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void append_hex(std::string& s, unsigned char c) {
  s += "\\x";
  s += kHex[c >> 4];
  s += kHex[c & 15];
}

}  // namespace

std::string shown_name(std::string_view name) {
  std::string s;
  for (const char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7f)
      append_hex(s, c);
    else
      s += ch;
  }
  return s;
}

std::string shown(std::string_view value) {
  constexpr std::size_t kShownLength = 40;
  std::string s;
  for (std::size_t i = 0; i < value.size() && i < kShownLength; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x20 && c < 0x7f) {
      s += static_cast<char>(c);
    } else {
      append_hex(s, c);
    }
  }
  if (value.size() > kShownLength) s += "...";
  return s;
}

}  // namespace records
