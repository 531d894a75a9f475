// The look-ups built on the system's file-name rules (posix/ and win32/
// Files.cpp say what the rules are).
#include "platform/PathRules.h"

#include <filesystem>
#include <system_error>

#include "common/Paths.h"
#include "common/Utf8Path.h"

namespace qv::platform {

std::string FindInFolder(const std::string& folder, std::string_view name) {
  namespace fs = std::filesystem;
  if (name.empty() || name == "." || name == "..") return {};
  std::error_code ec;
  if (!FileNamesIgnoreCase()) {
    // Where names differ by letter case the exact one is asked for at once.
    // Where they do not, the exact name would find any spelling, so the
    // folder is read to give the entry's own.
    std::string exact = JoinPath(folder, name);
    if (fs::exists(PathFromUtf8(exact), ec)) return exact;
  }
  fs::directory_iterator it(PathFromUtf8(folder.empty() ? "." : folder), ec);
  if (ec) return {};
  std::string found;
  for (const fs::directory_entry& entry : it) {
    std::string entryName = Utf8FromPath(entry.path().filename());
    if (entryName == name) return JoinPath(folder, entryName);
    if (found.empty() && EqualsIgnoreCase(entryName, name)) found = JoinPath(folder, entryName);
  }
  return found;
}

bool SplitLocalPath(std::string_view stored, std::string& folder, std::string& name) {
  const bool windows = StoredNamesAreLocalPaths();
  if (!windows && (stored.find('\\') != std::string_view::npos || (stored.size() >= 2 && stored[1] == ':')))
    return false;
  const size_t slash = stored.find_last_of(windows ? "\\/" : "/");
  if (slash == std::string_view::npos) {
    folder.clear();
    name = stored;
    return true;
  }
  // A root keeps its separator: "/", or "C:\" (bare "C:" is the drive's
  // current folder).
  const bool root = slash == 0 || (slash == 2 && stored[1] == ':');
  folder = stored.substr(0, root ? slash + 1 : slash);
  name = stored.substr(slash + 1);
  return true;
}

}  // namespace qv::platform
