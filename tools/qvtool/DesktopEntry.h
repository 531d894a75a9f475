// Desktop entry files (.desktop) in freedesktop.org's format: what qvtool
// writes for the screensaver daemons and for starting
// the idle watch with the session.
#pragma once
#include <string>

namespace qvtool {

// One argument of an Exec line: quoted where it holds a reserved character,
// with the escapes of the quoted form and of the file's string values, and
// "%" doubled.
std::string ExecArgument(const std::string& argument);

}  // namespace qvtool
