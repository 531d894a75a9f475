// Comma text, as the system's string lists read and write it: items
// separated by commas or blanks; an item in double quotes may hold both (a
// doubled quote stands for one). Effect lists and build settings use it.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// A NUL ends the text, as it ends the system's strings.
std::vector<std::string> CommaTextItems(std::string_view text);
std::string ToCommaText(const std::vector<std::string>& items);

}  // namespace qv
