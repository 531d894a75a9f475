// The maker's shared folder, a fallback location for the pictures and sounds
// that animation projects name, and the look-up of such files.
#pragma once
#include <string>
#include <vector>

namespace qv {

// "Torvane/Common/" under the first data folder (platform::DataFolders(),
// each ending with "/") that holds it, ending with "/"; empty when none does.
std::string SharedCommonFolder();
std::string SharedCommonFolder(const std::vector<std::string>& dataFolders);

enum class TLookupKind { Picture, Sound };

// Finds a file named by an animation project, in this order, each name
// matched ignoring case:
//   1. the path as stored, when it names an existing local file;
//   2. (sounds) `tempFolder` + the name part;
//   3. the shared folder + "images/" or "sounds/" + the name part;
//   4. (sounds) `exeFolder` + "sounds/" + the name part.
// Returns the path found, or an empty string. Empty folders are skipped.
std::string LocateProjectFile(const std::string& stored, TLookupKind kind, const std::string& tempFolder,
                              const std::string& exeFolder);
std::string LocateProjectFile(const std::string& stored, TLookupKind kind, const std::string& tempFolder,
                              const std::string& exeFolder, const std::string& sharedFolder);

}  // namespace qv
