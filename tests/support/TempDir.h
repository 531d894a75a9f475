// A scratch folder for one test, removed with everything in it afterwards.
#pragma once
#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/Utf8Path.h"

namespace qvtest {

class TempDir {
 public:
  TempDir() {
#if defined(_WIN32)
    // Made in one step; a name that is taken moves on to the next.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    static unsigned counter = 0;
    for (;;) {
      const std::filesystem::path candidate =
          base / ("qvtest-" + std::to_string(::_getpid()) + "-" + std::to_string(++counter));
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec)) {
        path_ = qv::Utf8FromPath(candidate);
        break;
      }
      if (counter > 100000) std::abort();
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
#endif
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(qv::PathFromUtf8(path_), ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The folder with a trailing "/", as the system temporary path is given.
  std::string slash() const { return path_ + "/"; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// An absolute path on this system for a file that need not exist: "/NAME"
// on POSIX, "C:/NAME" on Windows (where "/NAME" lacks its drive).
inline std::string Rooted(const std::string& name) {
#if defined(_WIN32)
  return "C:/" + name;
#else
  return "/" + name;
#endif
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(qv::PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(qv::PathFromUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

}  // namespace qvtest
