// Where file names behave differently from one system to another: whether
// the file system finds a name in any letter case, and whether a name
// stored on Windows ("C:\Sounds\bird.wav") is a local path here. The look-up
// every stored name goes through is built on them.
#pragma once
#include <string>
#include <string_view>

namespace qv::platform {

// True where the file system finds a name in any letter case (Windows).
bool FileNamesIgnoreCase();
// True where a stored name written on Windows is a path on this system, with
// "\" or "/" between folders and perhaps a drive letter (Windows).
bool StoredNamesAreLocalPaths();

// Looks a file name up in a folder: the exact name when it exists, else the
// first entry whose name matches ignoring ASCII case. Returns the full path
// with the entry's own spelling (also where the file system ignores case),
// or an empty string when there is no such entry. `folder` may or may not end
// with a separator.
std::string FindInFolder(const std::string& folder, std::string_view name);

// Splits a stored name into the local folder and file name it stands for;
// false when it names no local file here (a name with "\" or a drive letter
// where stored names are not local paths). A name without a folder gives an
// empty folder; a root keeps its separator ("/", "C:\").
bool SplitLocalPath(std::string_view stored, std::string& folder, std::string& name);

}  // namespace qv::platform
