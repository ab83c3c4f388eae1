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

}  // namespace records
