// Output of single fields and whole records into a text buffer, shared by
// format() and the writers. Internal to the record layer.
#pragma once

#include <initializer_list>
#include <span>
#include <string>

#include "records/output.h"

namespace records::emit {

// Appends the field of one integer, fixed-point or exponent code.
void int_field(std::string& out, int value, int width, int min_digits);
void fixed_field(std::string& out, double value, int width, int decimals);
void exponent_field(std::string& out, double value, int width, int digits, char letter = 'D');
// Appends an A field (width 0: the text as is).
void text_field(std::string& out, std::string_view text, int width);

// Appends the text the layout makes of the values (no record end).
void layout_record(std::string& out, const Layout& layout, std::initializer_list<Arg> values);
// Appends the text of a list-directed record (no record end).
void list_record(std::string& out, std::initializer_list<Arg> values);

}  // namespace records::emit
