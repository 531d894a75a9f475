// Paths inside the program are UTF-8 text with "/" between folders.
// std::filesystem reads a narrow string in the system's own code page on
// Windows, so every conversion between the two goes through these.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace qv {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The generic form: "/" between folders on every system.
inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace qv
