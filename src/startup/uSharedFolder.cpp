#include "startup/uSharedFolder.h"

#include <filesystem>
#include <system_error>

#include "common/Paths.h"
#include "platform/System.h"

namespace qv {

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

// A file, not a folder, of that name in the folder.
std::string FileIn(const std::string& folder, const std::string& name) {
  if (folder.empty()) return {};
  std::string found = FindInFolder(folder, name);
  if (found.empty() || IsFolder(found)) return {};
  return found;
}

// A subfolder found ignoring case, with a trailing "/".
std::string SubFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return {};
  std::string found = FindInFolder(folder, name);
  if (!IsFolder(found)) return {};
  return found.back() == '/' ? found : found + "/";
}

// Stored names written on Windows ("C:\Sounds\bird.wav") never name a local file.
std::string StoredAsIs(const std::string& stored) {
  if (stored.find('\\') != std::string::npos) return {};
  if (stored.size() >= 2 && stored[1] == ':') return {};
  size_t slash = stored.rfind('/');
  if (slash == std::string::npos) return FileIn(".", stored);
  return FileIn(slash == 0 ? "/" : stored.substr(0, slash), stored.substr(slash + 1));
}

}  // namespace

std::string SharedCommonFolder(const std::vector<std::string>& dataFolders) {
  for (const std::string& data : dataFolders) {
    std::string common = SubFolder(SubFolder(data, "Torvane"), "Common");
    if (!common.empty()) return common;
  }
  return {};
}

std::string SharedCommonFolder() { return SharedCommonFolder(platform::DataFolders()); }

std::string LocateProjectFile(const std::string& stored, TLookupKind kind, const std::string& tempFolder,
                              const std::string& exeFolder, const std::string& sharedFolder) {
  if (stored.empty()) return {};
  const bool sound = kind == TLookupKind::Sound;
  const std::string name = FileNamePart(stored);
  std::string found = StoredAsIs(stored);
  if (found.empty() && sound) found = FileIn(tempFolder, name);
  if (found.empty()) found = FileIn(SubFolder(sharedFolder, sound ? "sounds" : "images"), name);
  if (found.empty() && sound) found = FileIn(SubFolder(exeFolder, "sounds"), name);
  return found;
}

std::string LocateProjectFile(const std::string& stored, TLookupKind kind, const std::string& tempFolder,
                              const std::string& exeFolder) {
  return LocateProjectFile(stored, kind, tempFolder, exeFolder, SharedCommonFolder());
}

}  // namespace qv
