// Names that are not regular files, for readers that must refuse them
// without waiting: a pipe with no writer, and devices that never end.
#pragma once
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

namespace qvtest {

// A pipe that nobody writes to, for as long as the object lives: a FIFO in
// `folder` on POSIX, a named pipe on Windows (which has no FIFOs in folders).
class Pipe {
 public:
  explicit Pipe(const std::string& folder, const std::string& name) {
#if defined(_WIN32)
    (void)folder;
    path_ = "//./pipe/qvtest-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    std::wstring wide(path_.begin(), path_.end());
    for (wchar_t& c : wide)
      if (c == L'/') c = L'\\';
    handle_ = CreateNamedPipeW(wide.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                               nullptr);
    made_ = handle_ != INVALID_HANDLE_VALUE;
#else
    path_ = folder + "/" + name;
    made_ = ::mkfifo(path_.c_str(), 0600) == 0;
#endif
  }
  ~Pipe() {
#if defined(_WIN32)
    if (made_) CloseHandle(handle_);
#endif
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  bool Made() const { return made_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool made_ = false;
#if defined(_WIN32)
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};

// Devices that read without end (or not at all) but open like files.
inline std::vector<std::string> EndlessDevices() {
#if defined(_WIN32)
  return {"NUL", "CON"};
#else
  return {"/dev/zero", "/dev/urandom"};
#endif
}

}  // namespace qvtest
