// Text made safe for HTML and XML: the five characters markup gives meaning to.
#pragma once
#include <string>

namespace qvtool {

std::string MarkupEscaped(const std::string& text);

}  // namespace qvtool
