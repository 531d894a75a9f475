// The "programs:" list of ~/.xscreensaver, edited without touching any other
// line: an entry is one line of its own inside the list.
#pragma once
#include <string>

namespace qvtool {

// The line an entry takes in the list: an optional pretty name in double
// quotes, the command, and the entry separator of the file's format.
std::string ProgramLine(const std::string& prettyName, const std::string& command);

// True when a line of the list runs `command`.
bool HasProgram(const std::string& file, const std::string& command);

// The file with `line` as the first entry of the list (unchanged when an
// entry already runs `command`). A file without a list gets one at its end.
std::string AddProgram(const std::string& file, const std::string& line, const std::string& command);

// The file without the lines of the list that run `command`.
std::string RemoveProgram(const std::string& file, const std::string& command);

// The list a new file starts from: the system's default list (app-defaults
// text), so that adding one screensaver does not hide the others.
std::string NewFileFromDefaults(const std::string& appDefaults);

}  // namespace qvtool
