// Parsing of the layout notation into a flat list of items.
#include "records/layout.h"

#include <cctype>
#include <stdexcept>
#include <string>

namespace records {
namespace {

// Limits that keep a mistyped layout from asking for absurd amounts of work.
constexpr int kMaxFieldWidth = 1000;       // w, d, m and n of every code
constexpr int kMaxRepeat = 100000;         // a repeat count
constexpr std::size_t kMaxItems = 200000;  // items after expanding the groups

[[noreturn]] void ill_formed(std::string_view notation, std::string_view why) {
  throw std::logic_error("layout \"" + std::string(notation) + "\": " + std::string(why));
}

class Parser {
 public:
  explicit Parser(std::string_view notation) : s_(notation) {}

  std::vector<Item> parse() {
    std::vector<Item> items = list(0);
    skip_blanks();
    if (p_ != s_.size()) ill_formed(s_, "unexpected text after an item");
    return items;
  }

 private:
  void skip_blanks() {
    while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t')) ++p_;
  }
  bool at_end() {
    skip_blanks();
    return p_ >= s_.size();
  }
  char peek() { return at_end() ? '\0' : s_[p_]; }

  // An unsigned number, or -1 if none stands here.
  int number() {
    skip_blanks();
    if (p_ >= s_.size() || !std::isdigit(static_cast<unsigned char>(s_[p_]))) return -1;
    long long v = 0;
    while (p_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p_]))) {
      v = v * 10 + (s_[p_] - '0');
      if (v > kMaxRepeat) ill_formed(s_, "number too large");
      ++p_;
    }
    return static_cast<int>(v);
  }

  int required(const char* what, int limit) {
    int v = number();
    if (v < 0) ill_formed(s_, std::string("missing ") + what);
    if (v > limit) ill_formed(s_, std::string(what) + " too large");
    return v;
  }

  void append(std::vector<Item>& out, const std::vector<Item>& group, int count) {
    if (out.size() + group.size() * static_cast<std::size_t>(count) > kMaxItems)
      ill_formed(s_, "too many items");
    for (int i = 0; i < count; ++i) out.insert(out.end(), group.begin(), group.end());
  }

  // Items separated by commas, up to the end or a closing bracket.
  std::vector<Item> list(int depth) {
    std::vector<Item> out;
    if (at_end() || peek() == ')') return out;
    for (;;) {
      item(out, depth);
      if (peek() != ',') break;
      ++p_;
    }
    return out;
  }

  void item(std::vector<Item>& out, int depth) {
    char c = peek();
    if (c == '\'' || c == '"') {
      Item it;
      it.kind = Item::Literal;
      it.text = literal(c);
      out.push_back(std::move(it));
      return;
    }
    int count = number();
    if (count == 0) ill_formed(s_, "zero repeat count");
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
    if (c == '(') {
      if (depth > 20) ill_formed(s_, "groups nested too deeply");
      ++p_;
      std::vector<Item> group = list(depth + 1);
      if (peek() != ')') ill_formed(s_, "missing ')'");
      ++p_;
      append(out, group, count < 0 ? 1 : count);
      return;
    }
    if (c == '\0') ill_formed(s_, "missing code");
    ++p_;
    Item it;
    switch (c) {
      case 'X':
        // In nX the number is the count of columns, not a repeat count.
        it.kind = Item::Skip;
        it.width = count < 0 ? 1 : count;
        out.push_back(it);
        return;
      case 'I':
        it.kind = Item::Int;
        it.width = required("width", kMaxFieldWidth);
        if (peek() == '.') {
          ++p_;
          it.digits = required("minimum digits", kMaxFieldWidth);
        }
        break;
      case 'F':
      case 'D':
      case 'E':  // the E form is written like D with the letter E
        it.kind = c == 'F' ? Item::Fixed : Item::Exponent;
        if (c == 'E') it.text = "E";
        it.width = required("width", kMaxFieldWidth);
        if (peek() != '.') ill_formed(s_, "missing '.d'");
        ++p_;
        it.digits = required("decimal digits", kMaxFieldWidth);
        break;
      case 'A':
        it.kind = Item::Text;
        it.width = number();
        if (it.width < 0)
          it.width = 0;
        else if (it.width == 0)
          ill_formed(s_, "A0");
        else if (it.width > kMaxFieldWidth)
          ill_formed(s_, "width too large");
        break;
      default:
        ill_formed(s_, std::string("unknown code '") + c + "'");
    }
    if (it.kind != Item::Text && it.width == 0) ill_formed(s_, "zero width");
    append(out, {it}, count < 0 ? 1 : count);
  }

  std::string literal(char quote) {
    ++p_;
    std::string text;
    for (;;) {
      if (p_ >= s_.size()) ill_formed(s_, "unterminated text");
      char c = s_[p_++];
      if (c == quote) {
        if (p_ < s_.size() && s_[p_] == quote) {
          text += quote;
          ++p_;
          continue;
        }
        return text;
      }
      text += c;
    }
  }

  std::string_view s_;
  std::size_t p_ = 0;
};

}  // namespace

Layout::Layout(std::string_view notation) : items_(Parser(notation).parse()) {}

}  // namespace records
