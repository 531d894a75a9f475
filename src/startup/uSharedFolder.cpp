#include "startup/uSharedFolder.h"

#include <filesystem>
#include <system_error>

#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "platform/PathRules.h"
#include "platform/System.h"

namespace qv {

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(PathFromUtf8(path), ec);
}

// A file, not a folder, of that name in the folder.
std::string FileIn(const std::string& folder, const std::string& name) {
  if (folder.empty()) return {};
  std::string found = platform::FindInFolder(folder, name);
  if (found.empty() || IsFolder(found)) return {};
  return found;
}

// A subfolder found ignoring case, with a trailing "/".
std::string SubFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return {};
  std::string found = platform::FindInFolder(folder, name);
  if (!IsFolder(found)) return {};
  return found.back() == '/' ? found : found + "/";
}

// The file a stored name names as it is, where it is a local path here
// ("C:\Sounds\bird.wav" is one on Windows only).
std::string StoredAsIs(const std::string& stored) {
  std::string folder, name;
  if (!platform::SplitLocalPath(stored, folder, name)) return {};
  return FileIn(folder.empty() ? "." : folder, name);
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
