#include "project/uLongPath.h"

#include <filesystem>
#include <system_error>

#include "common/Utf8Path.h"

namespace qv {

std::string ExpandLongPath(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return {};
  if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && path[1] == path[0]) return {};
  std::error_code ec;
  fs::path real = fs::canonical(PathFromUtf8(path), ec);
  if (ec) return {};
  return Utf8FromPath(real);
}

}  // namespace qv
