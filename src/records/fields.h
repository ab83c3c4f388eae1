// Field writers: the text of one I, F, D or A field, appended to the text of
// a record. The usual fields take a short way, written straight into a block
// of the record (inline here, for the record assembly's loop); the others the
// general conversion. Internal to the record layer.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "records/decimal.h"

namespace records::fields {

// Appends the field of one integer, fixed-point or exponent code.
void int_field(std::string& out, int value, int width, int min_digits);
void fixed_field(std::string& out, double value, int width, int decimals);
void exponent_field(std::string& out, double value, int width, int digits, char letter = 'D');
// Appends an A field (width 0: the text as is).
void text_field(std::string& out, std::string_view text, int width);

// "+Inf", "-Inf" or "NaN": a value that is not finite, as fields show it.
std::string_view non_finite_text(double v);

// The widest short field.
inline constexpr int kShortField = 64;
inline constexpr std::size_t kBlankStride = 16;

// The text of a record collected in a block and handed to the string in few
// appends. A short field (kShortField columns at most) is written straight
// into the block at its place: room() gives its first column with at least
// kShortField + kBlankStride columns free behind it.
class Block {
 public:
  explicit Block(std::string& out) : out_(out) {}
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  char* room() {
    if (n_ > kSize) flush();
    return buf_.data() + n_;
  }
  void commit(int width) { n_ += static_cast<std::size_t>(width); }

  void put(std::string_view text) {
    if (text.size() == 1) {
      *room() = text[0];
      ++n_;
      return;
    }
    if (text.size() > kShortField) {
      flushed().append(text);
      return;
    }
    char* const at = room();
    for (std::size_t i = 0; i < text.size(); ++i) at[i] = text[i];
    n_ += text.size();
  }
  void put(std::size_t count, char c) {
    if (count > kShortField) {
      flushed().append(count, c);
      return;
    }
    char* const at = room();
    for (std::size_t i = 0; i < count; ++i) at[i] = c;
    n_ += count;
  }
  // The string with everything so far, for output formed there directly.
  std::string& flushed() {
    flush();
    return out_;
  }
  void flush() {
    out_.append(buf_.data(), n_);
    n_ = 0;
  }

 private:
  static constexpr std::size_t kSize = 2048;
  std::string& out_;
  std::array<char, kSize + kShortField + kBlankStride> buf_;  // not cleared: written before read
  std::size_t n_ = 0;
};

// Fills the columns of a short field with blanks, a stride at a time (the
// block has room for the last stride's overrun).
inline void blank_field(char* field, int width) {
  static constexpr char kBlanks[kBlankStride + 1] = "                ";
  std::memcpy(field, kBlanks, kBlankStride);
  for (int i = static_cast<int>(kBlankStride); i < width; i += static_cast<int>(kBlankStride))
    std::memcpy(field + i, kBlanks, kBlankStride);
}

inline void star_field(char* field, int width) {
  for (int i = 0; i < width; ++i) field[i] = '*';
}

// The usual I field (see int_field), written into the block; false when the
// general way must do it.
[[gnu::always_inline]] inline bool short_int_field(Block& out, int value, int width,
                                                   int min_digits) {
  if (width < 0 || width > kShortField || min_digits > kShortField / 2) return false;
  // The magnitude as unsigned, so that -2147483648 has digits too.
  const unsigned magnitude =
      value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  // Iw.0 writes a zero value as blanks only.
  const int digits = min_digits == 0 && value == 0 ? 0 : decimal::digit_count(magnitude);
  const int shown = std::max(digits, min_digits);  // with leading zeros
  const int length = shown + (value < 0 ? 1 : 0);
  char* const field = out.room();
  if (length > width) {
    star_field(field, width);
  } else {
    blank_field(field, width);
    decimal::put_digits(field + width, magnitude, shown);
    if (value < 0) field[width - shown - 1] = '-';
  }
  out.commit(width);
  return true;
}

// The usual F field: a magnitude below 1e9 with at most 9 decimals in a field
// of at most kShortField columns, by exact integer arithmetic (the digits of
// the value scaled and rounded are the digits of the field), written into the
// block; false when the general conversion must do it.
[[gnu::always_inline]] inline bool short_fixed_field(Block& out, double value, int width,
                                                     int decimals) {
  const double magnitude = std::fabs(value);
  if (decimals < 0 || decimals > decimal::kExactMaxDecimals ||
      !(magnitude < decimal::kExactMaxMagnitude) || width < 0 || width > kShortField)
    return false;
  const std::uint64_t v = decimal::scaled(magnitude, decimals);
  const bool negative = std::signbit(value);
  // At least one digit before the point, but "0.ddd" one column too wide
  // for the field drops its 0.
  const bool integer_zero = v < decimal::kPow10[static_cast<std::size_t>(decimals)];
  int integer_digits = integer_zero ? 1 : decimal::digit_count(v) - decimals;
  if (integer_zero && (negative ? 1 : 0) + 2 + decimals == width + 1) integer_digits = 0;
  const int length = (negative ? 1 : 0) + integer_digits + 1 + decimals;
  char* const field = out.room();
  if (length > width) {
    star_field(field, width);
  } else {
    blank_field(field, width);
    char* p = field + width;
    const std::uint64_t integer = decimal::put_digits(p, v, decimals);
    p -= decimals;
    *--p = '.';
    decimal::put_digits(p, integer, integer_digits);
    if (negative) p[-integer_digits - 1] = '-';
  }
  out.commit(width);
  return true;
}

}  // namespace records::fields
