// Record assembly: the text a layout makes of the values of a write, the
// text of a list-directed record, and writing records through a file number.
#include "records/output.h"

#include <charconv>
#include <stdexcept>

#include "records/fields.h"
#include "records/unit.h"

namespace records {
namespace {

// The storage type of one value of a write after flattening.
struct Value {
  enum Kind { Int, Float, Double, Text };
};

// Walks the values of a write one scalar at a time, flattening spans; each
// argument's type is resolved once, not once per element.
class ArgCursor {
 public:
  explicit ArgCursor(std::span<const Arg> args)
      : it_(args.data()), end_(args.data() + args.size()) {
    load();
  }
  bool done() const { return it_ == end_; }
  // The type of the next value, and the next value taken as that type.
  Value::Kind kind() const { return kind_; }
  int take_int() {
    const int v = static_cast<const int*>(data_)[index_];
    step();
    return v;
  }
  double take_real() {
    const double v = kind_ == Value::Float ? static_cast<const float*>(data_)[index_]
                                           : static_cast<const double*>(data_)[index_];
    step();
    return v;
  }
  std::string_view take_text() {
    const std::string_view v = text_;
    step();
    return v;
  }

 private:
  void step() {
    if (++index_ >= length_) {
      ++it_;
      load();
    }
  }
  // Resolves the argument at it_, skipping empty spans so that done() tells
  // whether a value is left.
  void load() {
    index_ = 0;
    for (; it_ != end_; ++it_) {
      const Arg::Variant& v = it_->get();
      switch (v.index()) {
        case 0:
          set(Value::Int, std::get_if<0>(&v), 1);
          break;
        case 1:
          set(Value::Float, std::get_if<1>(&v), 1);
          break;
        case 2:
          set(Value::Double, std::get_if<2>(&v), 1);
          break;
        case 3:
          set(Value::Text, nullptr, 1);
          text_ = *std::get_if<3>(&v);
          break;
        case 4:
          set(Value::Int, std::get_if<4>(&v)->data(), std::get_if<4>(&v)->size());
          break;
        case 5:
          set(Value::Float, std::get_if<5>(&v)->data(), std::get_if<5>(&v)->size());
          break;
        default:
          set(Value::Double, std::get_if<6>(&v)->data(), std::get_if<6>(&v)->size());
          break;
      }
      if (length_ > 0) return;
    }
  }
  void set(Value::Kind kind, const void* data, std::size_t length) {
    kind_ = kind;
    data_ = data;
    length_ = length;
  }

  const Arg* it_;
  const Arg* end_;
  Value::Kind kind_ = Value::Int;
  const void* data_ = nullptr;
  std::size_t length_ = 0;
  std::size_t index_ = 0;
  std::string_view text_;
};

[[noreturn]] void mismatch(const Item& item, Value::Kind kind) {
  static constexpr const char* kTypes[] = {"an integer", "a 4-byte real", "an 8-byte real",
                                           "a text"};
  static constexpr const char* kCodes[] = {"I", "F", "D", "A", "X", "literal"};
  throw std::logic_error(std::string("layout code ") + kCodes[item.kind] + " given " +
                         kTypes[kind]);
}

// The field of one value code with the next value.
void value_field(fields::Block& out, const Item& item, ArgCursor& values) {
  const Value::Kind kind = values.kind();
  switch (item.kind) {
    case Item::Int: {
      if (kind != Value::Int) mismatch(item, kind);
      const int v = values.take_int();
      if (!fields::short_int_field(out, v, item.width, item.digits))
        fields::int_field(out.flushed(), v, item.width, item.digits);
      break;
    }
    case Item::Fixed: {
      if (kind != Value::Float && kind != Value::Double) mismatch(item, kind);
      const double real = values.take_real();
      if (!std::isfinite(real) || !fields::short_fixed_field(out, real, item.width, item.digits))
        fields::fixed_field(out.flushed(), real, item.width, item.digits);
      break;
    }
    case Item::Exponent:
      if (kind != Value::Float && kind != Value::Double) mismatch(item, kind);
      fields::exponent_field(out.flushed(), values.take_real(), item.width, item.digits,
                             item.text.empty() ? 'D' : item.text[0]);
      break;
    case Item::Text:
      if (kind != Value::Text) mismatch(item, kind);
      fields::text_field(out.flushed(), values.take_text(), item.width);
      break;
    default:
      break;
  }
}

// Appends the text the layout makes of the values (no record end).
void layout_record(std::string& text, const Layout& layout, std::initializer_list<Arg> values) {
  ArgCursor cursor(std::span<const Arg>(values.begin(), values.size()));
  fields::Block out(text);
  for (const Item& item : layout.items()) {
    if (item.kind == Item::Literal) {
      out.put(item.text);
    } else if (item.kind == Item::Skip) {
      out.put(static_cast<std::size_t>(item.width), ' ');
    } else if (cursor.done()) {
      break;
    } else {
      value_field(out, item, cursor);
    }
  }
  out.flush();
  if (!cursor.done()) throw std::logic_error("more values than layout codes");
}

// Appends the text of a list-directed record (no record end).
void list_record(std::string& out, std::initializer_list<Arg> values) {
  ArgCursor c(std::span<const Arg>(values.begin(), values.size()));
  bool first = true;
  bool previous_text = false;
  while (!c.done()) {
    const Value::Kind kind = c.kind();
    const bool is_text = kind == Value::Text;
    if (first || !(is_text && previous_text)) out += ' ';
    first = false;
    previous_text = is_text;
    std::array<char, 64> buf;
    char* end = buf.data();
    if (kind == Value::Int) {
      end = std::to_chars(buf.data(), buf.data() + buf.size(), c.take_int()).ptr;
    } else if (is_text) {
      out += c.take_text();
    } else {
      const double real = c.take_real();
      // The shortest text that reads back as the same value.
      if (!std::isfinite(real))
        out += fields::non_finite_text(real);
      else if (kind == Value::Float)
        end = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<float>(real)).ptr;
      else
        end = std::to_chars(buf.data(), buf.data() + buf.size(), real).ptr;
    }
    out.append(buf.data(), static_cast<std::size_t>(end - buf.data()));
  }
}

template <class Emit>
void write_record(int unit, bool end_record, Emit emit,
                  std::string_view record_end = units::kRecordEnd) {
  units::Unit& u = units::start_record(unit);
  emit(u.buffer);
  units::end_record(u, end_record, record_end);
}

}  // namespace

std::string format(const Layout& layout, std::initializer_list<Arg> values) {
  std::string out;
  layout_record(out, layout, values);
  return out;
}

std::string format_list(std::initializer_list<Arg> values) {
  std::string out;
  list_record(out, values);
  return out;
}

void write(int unit, const Layout& layout, std::initializer_list<Arg> values) {
  write_record(unit, true, [&](std::string& out) { layout_record(out, layout, values); });
}

void write_open(int unit, const Layout& layout, std::initializer_list<Arg> values) {
  write_record(unit, false, [&](std::string& out) { layout_record(out, layout, values); });
}

void write_list(int unit, std::initializer_list<Arg> values) {
  write_record(unit, true, [&](std::string& out) { list_record(out, values); });
}

void write_lf(int unit, const Layout& layout, std::initializer_list<Arg> values) {
  write_record(
      unit, true, [&](std::string& out) { layout_record(out, layout, values); },
      units::kTidyLineEnd);
}

}  // namespace records
