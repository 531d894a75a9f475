#include "platform/Files.h"
#include "platform/FileCommon.h"
#include "platform/PathRules.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qv::platform {

namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

std::string FolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

}  // namespace

struct TFileAccess {
  static TFile Make(int fd) { return TFile(fd); }
  static int Get(const TFile& file) { return Fd(file.handle_); }
};

std::string TempPath() {
  const char* env = std::getenv("TMPDIR");
  std::error_code ec;
  if (env && *env && std::filesystem::is_directory(env, ec)) return WithSlash(env);
  return "/tmp/";
}

// TFile

uint64_t TFile::Size() const {
  struct stat st {};
  if (!IsOpen() || ::fstat(Fd(handle_), &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

size_t TFile::ReadAt(void* buffer, size_t count, uint64_t offset) const {
  if (!IsOpen()) return 0;
  for (;;) {
    ssize_t got = ::pread(Fd(handle_), buffer, count, static_cast<off_t>(offset));
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) return 0;
  }
}

size_t TFile::Read(void* buffer, size_t count) {
  if (!IsOpen()) return 0;
  for (;;) {
    ssize_t got = ::read(Fd(handle_), buffer, count);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) return 0;
  }
}

bool TFile::Write(const void* buffer, size_t count) {
  if (!IsOpen()) return false;
  auto* p = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    ssize_t put = ::write(Fd(handle_), p, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

bool TFile::Sync() { return IsOpen() && ::fsync(Fd(handle_)) == 0; }

std::FILE* TFile::ReleaseToStream() {
  if (!IsOpen()) return nullptr;
  std::FILE* stream = ::fdopen(Fd(handle_), "rb");
  if (stream) handle_ = kNone;
  return stream;
}

bool TFile::Close() {
  if (!IsOpen()) return true;
  const int fd = Fd(handle_);
  handle_ = kNone;
  return ::close(fd) == 0;
}

// File names: letter case counts, and a name written on Windows is none of
// ours.

bool FileNamesIgnoreCase() { return false; }
bool StoredNamesAreLocalPaths() { return false; }

// Reading

TOpenResult OpenRegularFile(const std::string& path, uint64_t maxBytes, TFile& file, std::string& reason) {
  file = TFile();
  // Non-blocking, so that opening a FIFO does not wait for a writer; the
  // flag is dropped once the file is known to be a regular one.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return TOpenResult::Missing;
    reason = std::strerror(errno);
    return TOpenResult::Refused;
  }
  TFile opened = TFileAccess::Make(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    reason = S_ISDIR(st.st_mode) ? kFolderReason : kNotRegularReason;
    return TOpenResult::Refused;
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    reason = TooLargeReason(maxBytes);
    return TOpenResult::Refused;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file = std::move(opened);
  return TOpenResult::Ok;
}

// Creating

TCreateResult CreatePrivateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return TCreateResult::Created;
  return errno == EEXIST ? TCreateResult::Exists : TCreateResult::Failed;
}

TCreateResult CreateExclusive(const std::string& path, TFile& file) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? TCreateResult::Exists : TCreateResult::Failed;
  file = TFileAccess::Make(fd);
  return TCreateResult::Created;
}

bool CreateUnique(const std::string& prefix, TFile& file, std::string& path) {
  std::string name = prefix + "XXXXXX";
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  file = TFileAccess::Make(fd);
  path = std::move(name);
  return true;
}

bool IsOwnRegularFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

bool IsOwnFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// Locks that belong to an open file rather than to the process where the
// system has them: another descriptor of this same process then sees the
// lock too, and closing it releases nothing.
#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK, kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK, kGetLock = F_GETLK;
#endif

bool LockFile(TFile& file) {
  if (!file.IsOpen()) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(TFileAccess::Get(file), kSetLock, &lock) == 0;
}

bool LockIsFree(const std::string& path) {
  // Asked, not taken: the answer says whether another open file holds it.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool free = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::fcntl(fd, kGetLock, &lock) == 0 &&
                    lock.l_type == F_UNLCK;
  ::close(fd);
  return free;
}

bool TakeNamedLock(const std::string& path, TFile& held) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    TFile file = TFileAccess::Make(fd);
    if (!LockFile(file)) return false;
    // Still the file of that name, not one its last holder removed?
    struct stat opened {}, named {};
    if (::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
        opened.st_dev == named.st_dev) {
      held = std::move(file);
      return true;
    }
  }
  return false;
}

void ReleaseNamedLock(const std::string& path, TFile& held) {
  if (!held.IsOpen()) return;
  ::unlink(path.c_str());
  held.Close();
}

std::string RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code ec;
  if (runtime && *runtime && std::filesystem::is_directory(runtime, ec)) return WithSlash(runtime);
  return TempPath();
}

std::string CurrentUserId() { return std::to_string(::geteuid()); }

bool RenameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

void CopyPermissions(const std::string& like, TFile& file) {
  struct stat old {};
  if (!file.IsOpen() || ::stat(like.c_str(), &old) != 0) return;
  const int fd = TFileAccess::Get(file);
  if (::fchmod(fd, old.st_mode & 07777) != 0) {
    // The new file keeps 0600.
  }
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    // Only root may give a file away; others keep their own ownership.
  }
}

bool FolderIsWritable(const std::string& folder) {
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool CreateFolders(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path path(folder);
  std::filesystem::path built;
  for (const auto& part : path) {
    built /= part;
    if (std::filesystem::is_directory(built, ec)) continue;
    if (::mkdir(built.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return std::filesystem::is_directory(path, ec);
}

int64_t SecondsSinceChange(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(::time(nullptr) - st.st_mtime);
}

bool ReplaceFileAtomically(const std::string& temp, const std::string& target, std::string& reason) {
  // A device, pipe or folder in the target's place is never replaced by a
  // file (as root, --out /dev/null would otherwise take /dev/null away).
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
    reason = "it is not a regular file";
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::FILE* OpenStream(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

void RemoveEmptyFolder(const std::string& path) { ::rmdir(path.c_str()); }

}  // namespace qv::platform
