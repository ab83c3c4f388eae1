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

// The 30-character file-name argument: station ID followed by suffix, padded.
inline constexpr std::size_t kFileArgWidth = 30;
std::string file_arg(std::string_view station_id, std::string_view suffix);
// The file name a file-name argument stands for: without trailing blanks.
std::string_view trim_name(std::string_view arg);
// The station ID a file-name argument carries: its first 6 characters.
std::string station_of(std::string_view arg);

}  // namespace records
