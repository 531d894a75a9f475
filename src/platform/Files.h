// File services the core uses instead of calling the system: private folders,
// exclusive creation that never follows a link, atomic replacement, and
// reading only regular files within a size cap. One implementation per
// system (posix/, win32/); the guarantees are the same everywhere. Paths are
// UTF-8 with "/" between folders on every system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/Error.h"

namespace qv::platform {

// The system temporary path, ending with the separator: $TMPDIR when set and
// a folder, else /tmp/ (Windows: GetTempPath, %TMP% or %TEMP%).
std::string TempPath();

// An open file, closed when destroyed.
class TFile {
 public:
  TFile() = default;
  ~TFile();
  TFile(TFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  TFile& operator=(TFile&& other) noexcept;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  bool IsOpen() const { return handle_ != kNone; }
  // The file's size now; 0 when it cannot be told.
  uint64_t Size() const;
  // Reads up to `count` bytes at `offset`; the count read, 0 at the end or
  // on an error.
  size_t ReadAt(void* buffer, size_t count, uint64_t offset) const;
  // Reads up to `count` bytes from the current position.
  size_t Read(void* buffer, size_t count);
  // Writes all `count` bytes at the current position; false on an error.
  bool Write(const void* buffer, size_t count);
  // Flushes what was written to the disk.
  bool Sync();
  // Closes the file; false when the system reports that written data was lost.
  bool Close();
  // Hands the open file over, for reading, as a C stream (for libraries that
  // read one); this object holds nothing afterwards. Null on failure.
  std::FILE* ReleaseToStream();

 private:
  friend struct TFileAccess;
  static constexpr intptr_t kNone = -1;
  explicit TFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = kNone;
};

enum class TOpenResult { Ok, Missing, Refused };

// Opens a regular file for reading. Missing: nothing by that name. Refused:
// anything else that keeps it from being read (a folder, a device, a FIFO, a
// file over `maxBytes`, no permission), with the reason. The type and size
// are checked on the opened file, not only on its name, and opening never
// waits on a FIFO.
TOpenResult OpenRegularFile(const std::string& path, uint64_t maxBytes, TFile& file, std::string& reason);

// A file that cannot be opened or read. The message names the file and says
// why, "Cannot read PATH: REASON": no such file, a folder, not a regular
// file (a device, a FIFO), larger than the cap, or the system's reason.
class EFileUnreadable : public EQVError {
 public:
  EFileUnreadable(const std::string& path, TOpenResult result, const std::string& reason);
  bool Missing() const { return missing_; }
  // Why, without the file's name ("no such file" when it is missing).
  const std::string& Reason() const { return reason_; }

 private:
  bool missing_;
  std::string reason_;
};

// The one way to read a whole file: a regular file within the cap, by
// OpenRegularFile's rules, or EFileUnreadable. A file that grows past the
// cap while it is read is refused all the same.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes);
std::string ReadWholeText(const std::string& path, uint64_t maxBytes);
// Opens a regular file within the cap for reading in parts, or throws
// EFileUnreadable.
TFile OpenFileToRead(const std::string& path, uint64_t maxBytes);

enum class TCreateResult { Created, Exists, Failed };

// Makes a folder that only this user may enter, in one step; Exists when the
// name is taken by anything at all (a folder, a file, a link).
TCreateResult CreatePrivateFolder(const std::string& path);

// Creates a new file for writing that only this user may read. Never opens an
// existing name and never follows a link: Exists when the name is taken.
TCreateResult CreateExclusive(const std::string& path, TFile& file);

// Creates a new file like CreateExclusive under a name made from `prefix` and
// a unique suffix in the same folder; `path` receives the name.
bool CreateUnique(const std::string& prefix, TFile& file, std::string& path);

// True when `path` is a regular file (not a link) that this user owns.
bool IsOwnRegularFile(const std::string& path);
// True when `path` is a folder (not a link) that this user owns.
bool IsOwnFolder(const std::string& path);

// Takes an exclusive lock on the open file without waiting; the lock lasts
// while this process keeps the file open. False when another process holds it.
bool LockFile(TFile& file);
// True when the regular file `path` exists and no running process holds a
// lock on it: whoever held it has ended.
bool LockIsFree(const std::string& path);

// A lock known by its file name, taken without waiting: `held` keeps it.
// False when another open file holds it. ReleaseNamedLock removes the file
// and lets go, so nothing is left behind; a taker that meanwhile opened the
// removed file sees that it is no longer the named one and tries again.
bool TakeNamedLock(const std::string& path, TFile& held);
void ReleaseNamedLock(const std::string& path, TFile& held);

// A folder for this user's running programs: $XDG_RUNTIME_DIR, else the
// temporary path. Ends with the separator.
std::string RuntimeFolder();
// This user, as a number for file names.
std::string CurrentUserId();

// Gives `file` the permission bits (and, where allowed, the owner) of the
// file `like`; nothing when `like` does not exist.
void CopyPermissions(const std::string& like, TFile& file);

// True when this user may create and rename files in the folder.
bool FolderIsWritable(const std::string& folder);
// True when the file exists and was made read-only (no write permission for
// anyone), or this user may not write it.
bool IsReadOnlyFile(const std::string& path);
// Makes the folder and its missing parents, the new ones only for this user.
bool CreateFolders(const std::string& folder);
// Seconds since the file was last changed; -1 when it cannot be told.
int64_t SecondsSinceChange(const std::string& path);

// Renames within one folder; false when the system refuses.
bool RenameFile(const std::string& from, const std::string& to);

// Puts `temp` in place of `target` in one step: readers see the old file or
// the new one, never a mix; the folder entry is flushed to the disk. On
// failure `target` is untouched and `reason` says why; a target that is not
// a regular file (a device, a pipe, a folder) is never replaced.
bool ReplaceFileAtomically(const std::string& temp, const std::string& target, std::string& reason);

// Replaces a file's contents whole: written beside it under a hidden name,
// flushed, then put in its place in one step, keeping the old file's
// permissions (through a link, the link's target). A file made read-only is
// refused; what earlier saves that were cut short left beside it is removed.
// False, with the reason, on failure, the old file untouched.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& reason);

// A C stream on a file named in UTF-8 ("rb", "wb" and the like), for
// libraries and tools that read or write one; null when it cannot be opened.
std::FILE* OpenStream(const std::string& path, const char* mode);

// Removal that reports nothing: a file (or link) and an empty folder.
void RemoveFile(const std::string& path);
void RemoveEmptyFolder(const std::string& path);

}  // namespace qv::platform
