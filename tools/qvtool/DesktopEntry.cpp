#include "DesktopEntry.h"

namespace qvtool {

std::string ExecArgument(const std::string& argument) {
  std::string quoted;
  const bool quote = argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
  for (char c : argument) {
    if (c == '%') {
      quoted += "%%";
      continue;
    }
    // Inside quotes these take a backslash; every backslash is then written
    // twice, as a string value's escape.
    if (quote && (c == '"' || c == '`' || c == '$')) quoted += "\\\\";
    if (c == '\\') quoted += quote ? "\\\\\\\\" : "\\\\";
    else quoted += c;
  }
  return quote ? "\"" + quoted + "\"" : quoted;
}

}  // namespace qvtool
