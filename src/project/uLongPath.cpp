#include "project/uLongPath.h"

#include <filesystem>
#include <system_error>

namespace qv {

std::string ExpandLongPath(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return {};
  if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && path[1] == path[0]) return {};
  std::error_code ec;
  fs::path real = fs::canonical(fs::path(path), ec);
  if (ec) return {};
  return real.string();
}

}  // namespace qv
