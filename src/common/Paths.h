// Stored names come from Windows ("C:\Pictures\QVImage0.jpg"). These helpers
// take them apart and compare them; platform/PathRules.h finds them in a
// folder.
#pragma once
#include <string>
#include <string_view>

namespace qv {

// What follows the last "\" or "/" of a stored name.
std::string FileNamePart(std::string_view stored);

// The extension of a name, from its last "." on, upper-cased (".JPG"); empty
// when the file-name part has no dot.
std::string UpperExtension(std::string_view name);

std::string UpperAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Joins a folder (with or without a trailing "/") and a file name.
std::string JoinPath(const std::string& folder, std::string_view name);

}  // namespace qv
