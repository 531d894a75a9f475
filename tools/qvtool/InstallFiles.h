// What the install commands share: quoting for the daemons' command lines,
// the desktop entry, whole-file reads and writes, the folders an install
// makes (and takes away again when empty), and names a daemon can run.
#pragma once
#include <string>
#include <vector>

namespace qvtool {

// A path as a shell reads it (xscreensaver runs its programs through one).
std::string ShellQuoted(const std::string& path);

// The desktop entry xfce4-screensaver and mate-screensaver list a saver by.
std::string DesktopEntry(const std::string& prettyName, const std::string& comment, const std::string& saver);

// A text file within the INI size cap; empty when it does not exist.
std::string ReadText(const std::string& path);

// Replaces the file whole (written beside it, then renamed), with `mode`
// when it is not 0. The folder must exist.
void WriteText(const std::string& path, const std::string& text, unsigned mode = 0);

// Copies the bytes whole under a temporary name beside `to`, then renames
// it into place, so a saver that is running keeps its old file. `mode` is
// the new file's permission bits.
void CopyWhole(const std::string& from, const std::string& to, unsigned mode);

// Of the folders and their parents, those that do not exist yet, outermost first.
std::vector<std::string> MissingFolders(const std::vector<std::string>& folders);

// Makes the folder and its missing parents with `mode` (0 makes them for
// this user only).
void MakeFolders(const std::string& folder, unsigned mode);

// Removes the folders that are empty, deepest first; the others stay.
void RemoveEmptyFolders(std::vector<std::string> folders);

// "a;b;c" and back, for the records install keeps.
std::string JoinList(const std::vector<std::string>& items);
std::vector<std::string> SplitList(const std::string& text);

// A name a daemon can run and Debian can take as a package name: the text in
// lower case with every run of other characters than a-z and 0-9 made one
// "-", none at either end. Empty when fewer than two characters are left.
std::string RunnableName(const std::string& text);

// True when the file starts as a Linux program (ELF); a Windows engine does not.
bool IsLinuxProgram(const std::string& path);

}  // namespace qvtool
