#include "common/Paths.h"

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

}  // namespace qv
