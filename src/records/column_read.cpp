// Column reading: every value code of a layout takes its columns of the
// record.
#include "records/column_read.h"

#include <array>
#include <stdexcept>

#include "records/convert.h"
#include "records/list_read.h"

namespace records::parse {
namespace {

// The text of a field with its blanks removed, in a buffer kept for the
// record's fields (on the stack unless a field is long).
class Digits {
 public:
  std::string_view of(std::string_view field) {
    std::size_t n = 0;
    char* out = small_.data();
    if (field.size() > small_.size()) {
      large_.resize(field.size());
      out = large_.data();
    }
    for (char c : field)
      if (!is_blank(c)) out[n++] = c;
    return std::string_view(out, n);
  }

 private:
  std::array<char, 128> small_;
  std::string large_;
};

bool int_field(const ListPlace& place, std::size_t element, std::string_view digits) {
  if (place.kind != ListPlace::Int)
    throw std::logic_error("layout code I given a target that is not an integer");
  int& target = static_cast<int*>(place.base)[element];
  if (digits.empty()) {
    target = 0;
    return true;
  }
  return to_int(digits, target);
}

template <class T>
bool real_into(T& target, std::string_view text, int implied) {
  if (text.empty()) {
    target = 0;
    return true;
  }
  return to_real(text, target, implied);
}

bool real_field(const ListPlace& place, std::size_t element, std::string_view text, int implied) {
  if (place.kind == ListPlace::Float)
    return real_into(static_cast<float*>(place.base)[element], text, implied);
  if (place.kind == ListPlace::Double)
    return real_into(static_cast<double*>(place.base)[element], text, implied);
  throw std::logic_error("layout code F or D given a target that is not a real");
}

// The field padded with blanks to its width; a field wider than the target
// gives its rightmost characters, a narrower one is padded.
void text_field(const ListPlace& place, std::string_view field, std::size_t width) {
  if (place.kind != ListPlace::Text)
    throw std::logic_error("layout code A given a target that is not a text");
  std::string value(field);
  value.resize(width, ' ');
  if (width > place.width) value.erase(0, width - place.width);
  store_text(place, value);
}

// Reads one field of a value code into the element; false for a value that
// cannot become it.
bool read_field(const Item& item, const ListPlace& place, std::size_t element,
                std::string_view field, std::size_t width, Digits& digits) {
  switch (item.kind) {
    case Item::Int:
      return int_field(place, element, digits.of(field));
    case Item::Fixed:
      return real_field(place, element, digits.of(field), item.digits);
    case Item::Exponent:
      return real_field(place, element, digits.of(field), 0);
    case Item::Text:
      text_field(place, field, width);
      return true;
    default:
      return true;
  }
}

}  // namespace

ReadStatus columns(std::string_view record, const Layout& layout, std::span<const Target> targets,
                   std::string* bad_field) {
  ListState state(targets);
  Cursor cursor(state);
  std::size_t pos = 0;
  Digits digits;
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Literal) {
      pos += item.text.size();
      continue;
    }
    if (item.kind == Item::Skip) {
      pos += static_cast<std::size_t>(item.width);
      continue;
    }
    if (cursor.done()) return ReadStatus::Ok;
    const ListPlace& place = cursor.place();
    std::size_t width = static_cast<std::size_t>(item.width);
    if (item.kind == Item::Text && width == 0)
      width = place.kind == ListPlace::Text ? place.width : 0;
    const std::string_view field =
        pos < record.size() ? record.substr(pos, width) : std::string_view();
    pos += width;
    if (!read_field(item, place, cursor.index(), field, width, digits)) {
      if (bad_field) bad_field->assign(field);
      return ReadStatus::Bad;
    }
    cursor.advance();
  }
  if (!cursor.done()) throw std::logic_error("more targets than layout codes");
  return ReadStatus::Ok;
}

}  // namespace records::parse
