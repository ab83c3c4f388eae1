// Texts and file names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace records {

// Text comparison with the shorter text padded on the right with blanks
// (case-sensitive): "exit" equals "exit  ".
bool text_equal(std::string_view a, std::string_view b);

// A text cut or blank-padded to exactly width characters.
std::string fit(std::string_view text, std::size_t width);

// A text as one field of a comma-separated line: as it is, or in quotation
// marks (an inner one doubled) when it holds a comma, a quotation mark or a
// line end.
std::string csv_field(std::string_view text);

}  // namespace records
