// The "programs:" list of ~/.xscreensaver, edited without touching any other
// line: an entry is one line of its own inside the list. "selected:" numbers
// the user's chosen entry, so it follows every entry added or taken out.
#pragma once
#include <string>

namespace qvtool {

// The line an entry takes in the list: an optional pretty name in double
// quotes, the command, and the entry separator of the file's format.
std::string ProgramLine(const std::string& prettyName, const std::string& command);

// True when a line of the list runs `command`.
bool HasProgram(const std::string& file, const std::string& command);

// The number xscreensaver gives the first entry that runs `command` (blank
// entries are not counted); -1 when none does.
int ProgramIndex(const std::string& file, const std::string& command);

// The value of "selected:"; -1 when there is none.
int SelectedIndex(const std::string& file);

// The file with `line` as the first entry of the list (unchanged when an
// entry already runs `command`), "selected:" moved on by one. A file without
// a list gets one at its end.
std::string AddProgram(const std::string& file, const std::string& line, const std::string& command);

// The file without the lines of the list that run `command`. "selected:"
// keeps naming the same entry; when it named one that goes it becomes -1
// (xscreensaver then chooses for itself).
std::string RemoveProgram(const std::string& file, const std::string& command);

// The list a new file starts from: the system's default list (app-defaults
// text), so that adding one screensaver does not hide the others.
std::string NewFileFromDefaults(const std::string& appDefaults);

}  // namespace qvtool
