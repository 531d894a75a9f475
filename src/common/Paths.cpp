#include "common/Paths.h"

#include <filesystem>
#include <system_error>

#include "common/Utf8Path.h"

namespace qv {

std::string FileNamePart(std::string_view stored) {
  size_t cut = stored.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? stored : stored.substr(cut + 1));
}

std::string UpperExtension(std::string_view name) {
  std::string part = FileNamePart(name);
  size_t dot = part.rfind('.');
  if (dot == std::string::npos) return {};
  return UpperAscii(std::string_view(part).substr(dot));
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  if (folder.back() == '/') return folder + std::string(name);
  return folder + "/" + std::string(name);
}

std::string FindInFolder(const std::string& folder, std::string_view name) {
  namespace fs = std::filesystem;
  if (name.empty() || name == "." || name == "..") return {};
  std::error_code ec;
#if !defined(_WIN32)
  // Where names differ by letter case the exact one is asked for at once.
  // Windows finds any spelling by the exact name, so the folder is read to
  // give the entry's own.
  std::string exact = JoinPath(folder, name);
  if (fs::exists(PathFromUtf8(exact), ec)) return exact;
#endif
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

}  // namespace qv
