#include "platform/Files.h"
#include "platform/FileCommon.h"
#include "platform/PathRules.h"

// windows.h comes before the other system headers, which need its types.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <memory>

#include "platform/win32/WinSecurity.h"
#include "platform/win32/WinText.h"

namespace qv::platform {

using win32::ErrorText;
using win32::ProgramPath;
using win32::SystemPath;

namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Every file is opened so that others may read, write, rename and delete it
// meanwhile, as POSIX allows: a locked run file is renamed while open, and
// an extracted file may be removed while a reader still holds it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Locks sit far beyond any data, so a locked file can still be read and
// written in full by whoever opens it (Windows locks bar access to the
// bytes they cover).
constexpr DWORD kLockOffsetHigh = 0x40000000;

OVERLAPPED LockRange() {
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  return at;
}

struct THandleCloser {
  void operator()(HANDLE h) const {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using TScopedHandle = std::unique_ptr<void, THandleCloser>;

DWORD Attributes(const std::string& path) { return GetFileAttributesW(SystemPath(path).c_str()); }

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
         error == ERROR_BAD_NETPATH || error == ERROR_BAD_PATHNAME;
}

// The identity of an open file: its volume and its index on the volume.
bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

HANDLE OpenForQuery(const std::string& path, DWORD extraFlags = 0) {
  return CreateFileW(SystemPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | extraFlags, nullptr);
}

}  // namespace

struct TFileAccess {
  static TFile Make(HANDLE h) { return TFile(reinterpret_cast<intptr_t>(h)); }
  static HANDLE Get(const TFile& file) { return Handle(file.handle_); }
};

std::string TempPath() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return "C:/Windows/Temp/";
  // A user name that does not fit 8.3 comes back in its short form.
  std::wstring path(buffer, n);
  wchar_t longer[32768];
  const DWORD m = GetLongPathNameW(path.c_str(), longer, 32768);
  if (m > 0 && m < 32768) path.assign(longer, m);
  return WithSlash(ProgramPath(path));
}

// TFile

uint64_t TFile::Size() const {
  LARGE_INTEGER size{};
  if (!IsOpen() || !GetFileSizeEx(Handle(handle_), &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}

size_t TFile::ReadAt(void* buffer, size_t count, uint64_t offset) const {
  if (!IsOpen()) return 0;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
  if (!ReadFile(Handle(handle_), buffer, want, &got, &at)) return 0;
  return got;
}

size_t TFile::Read(void* buffer, size_t count) {
  if (!IsOpen()) return 0;
  DWORD got = 0;
  const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
  if (!ReadFile(Handle(handle_), buffer, want, &got, nullptr)) return 0;
  return got;
}

bool TFile::Write(const void* buffer, size_t count) {
  if (!IsOpen()) return false;
  auto* p = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    DWORD put = 0;
    if (!WriteFile(Handle(handle_), p, want, &put, nullptr) || put == 0) return false;
    p += put;
    count -= put;
  }
  return true;
}

bool TFile::Sync() { return IsOpen() && FlushFileBuffers(Handle(handle_)); }

std::FILE* TFile::ReleaseToStream() {
  if (!IsOpen()) return nullptr;
  const int fd = _open_osfhandle(handle_, _O_RDONLY | _O_BINARY);
  if (fd < 0) return nullptr;
  // From here the descriptor owns the handle.
  handle_ = kNone;
  std::FILE* stream = _fdopen(fd, "rb");
  if (!stream) _close(fd);
  return stream;
}

bool TFile::Close() {
  if (!IsOpen()) return true;
  HANDLE h = Handle(handle_);
  handle_ = kNone;
  return CloseHandle(h) != 0;
}

// File names: found in any letter case, and a stored name ("C:\Sounds\a.wav")
// is a local path.

bool FileNamesIgnoreCase() { return true; }
bool StoredNamesAreLocalPaths() { return true; }

// Reading

TOpenResult OpenRegularFile(const std::string& path, uint64_t maxBytes, TFile& file, std::string& reason) {
  file = TFile();
  HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMissingError(error)) return TOpenResult::Missing;
    // A folder cannot be opened as a file at all.
    const DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      reason = kFolderReason;
      return TOpenResult::Refused;
    }
    reason = ErrorText(error);
    return TOpenResult::Refused;
  }
  TFile opened = TFileAccess::Make(h);
  // Devices (NUL, CON, COM1) and pipes open like files; only a file on a
  // disk is one.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) {
    reason = kNotRegularReason;
    return TOpenResult::Refused;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    reason = kFolderReason;
    return TOpenResult::Refused;
  }
  if (opened.Size() > maxBytes) {
    reason = TooLargeReason(maxBytes);
    return TOpenResult::Refused;
  }
  file = std::move(opened);
  return TOpenResult::Ok;
}

// Creating

TCreateResult CreatePrivateFolder(const std::string& path) {
  win32::TPrivateAccess access;
  if (CreateDirectoryW(SystemPath(path).c_str(), access.Attributes())) return TCreateResult::Created;
  return GetLastError() == ERROR_ALREADY_EXISTS ? TCreateResult::Exists : TCreateResult::Failed;
}

TCreateResult CreateExclusive(const std::string& path, TFile& file) {
  // CREATE_NEW fails on any name that exists, a link included, so nothing is
  // ever opened through one.
  win32::TPrivateAccess access;
  HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, access.Attributes(),
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? TCreateResult::Exists
                                                                         : TCreateResult::Failed;
  }
  file = TFileAccess::Make(h);
  return TCreateResult::Created;
}

bool CreateUnique(const std::string& prefix, TFile& file, std::string& path) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  // A counter mixed with the time and the process: names differ between
  // calls, processes and runs without drawing on the shared generator.
  static LONG counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    uint64_t seed = static_cast<uint64_t>(now.QuadPart) * 6364136223846793005ull ^
                    (static_cast<uint64_t>(GetCurrentProcessId()) << 20) ^
                    static_cast<uint64_t>(InterlockedIncrement(&counter)) * 0x9E3779B97F4A7C15ull;
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) {
      seed = seed * 6364136223846793005ull + 1442695040888963407ull;
      name += kLetters[(seed >> 33) % 36];
    }
    const TCreateResult made = CreateExclusive(name, file);
    if (made == TCreateResult::Created) {
      path = std::move(name);
      return true;
    }
    if (made == TCreateResult::Failed) return false;
  }
  return false;
}

bool IsOwnRegularFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return false;
  return win32::OwnedByThisUser(SystemPath(path));
}

bool IsOwnFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return win32::OwnedByThisUser(SystemPath(path));
}

bool LockFile(TFile& file) {
  if (!file.IsOpen()) return false;
  OVERLAPPED at = LockRange();
  return LockFileEx(TFileAccess::Get(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

bool LockIsFree(const std::string& path) {
  // Windows cannot ask about a lock without taking it: the lock is taken
  // and given back at once.
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  TScopedHandle h(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE || GetFileType(h.get()) != FILE_TYPE_DISK) return false;
  OVERLAPPED at = LockRange();
  if (!LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return false;
  at = LockRange();
  UnlockFileEx(h.get(), 0, 1, 0, &at);
  return true;
}

bool TakeNamedLock(const std::string& path, TFile& held) {
  win32::TPrivateAccess access;
  for (int attempt = 0; attempt < 3; ++attempt) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, access.Attributes(),
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      // The name is being removed by its last holder: try again.
      if (GetLastError() == ERROR_ACCESS_DENIED) {
        Sleep(1);
        continue;
      }
      return false;
    }
    TFile file = TFileAccess::Make(h);
    if (!LockFile(file)) return false;
    // Still the file of that name, not one its last holder removed?
    TScopedHandle named(OpenForQuery(path));
    if (named.get() != INVALID_HANDLE_VALUE && SameFile(h, named.get())) {
      held = std::move(file);
      return true;
    }
  }
  return false;
}

void ReleaseNamedLock(const std::string& path, TFile& held) {
  if (!held.IsOpen()) return;
  DeleteFileW(SystemPath(path).c_str());
  held.Close();
}

std::string RuntimeFolder() { return TempPath(); }

std::string CurrentUserId() { return win32::CurrentUserSid(); }

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void CopyPermissions(const std::string&, TFile&) {
  // Replacing a file on Windows keeps the replaced file's access list and
  // attributes (ReplaceFileW), so nothing is copied beforehand.
}

bool FolderIsWritable(const std::string& folder) {
  // Access lists decide, not mode bits: the only sure answer is to try.
  const std::string base = WithSlash(folder.empty() ? "." : folder) + ".qvsaver-write-test.";
  TFile probe;
  std::string name;
  if (!CreateUnique(base, probe, name)) return false;
  probe.Close();
  return DeleteFileW(SystemPath(name).c_str()) != 0;
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY) return true;
  TScopedHandle h(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return h.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED;
}

bool CreateFolders(const std::string& folder) {
  if (folder.empty()) return false;
  win32::TPrivateAccess access;
  std::wstring path = SystemPath(folder);
  while (path.size() > 1 && path.back() == L'\\') path.pop_back();
  // Each part from the top is made when missing; parts that cannot be made
  // (a drive, a network share) are passed over, and the whole is checked.
  for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    const std::wstring part = path.substr(0, at);
    if (!part.empty() && GetFileAttributesW(part.c_str()) == INVALID_FILE_ATTRIBUTES)
      CreateDirectoryW(part.c_str(), access.Attributes());
  }
  CreateDirectoryW(path.c_str(), access.Attributes());
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t SecondsSinceChange(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  // File times count 100-nanosecond steps.
  return (ticks(now) - ticks(data.ftLastWriteTime)) / 10000000;
}

bool ReplaceFileAtomically(const std::string& temp, const std::string& target, std::string& reason) {
  const std::wstring from = SystemPath(temp), to = SystemPath(target);
  // An existing file is replaced keeping its access list and attributes;
  // where that is not possible (a new name, a file system without it) the
  // rename with replacement serves, written through to the disk.
  if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return true;
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  reason = ErrorText(GetLastError());
  return false;
}

std::FILE* OpenStream(const std::string& path, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(SystemPath(path).c_str(), wideMode.c_str());
}

void RemoveFile(const std::string& path) {
  const std::wstring name = SystemPath(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  // A link to a folder is removed as a folder entry; the folder it points
  // at is left alone.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    RemoveDirectoryW(name.c_str());
    return;
  }
  DeleteFileW(name.c_str());
}

void RemoveEmptyFolder(const std::string& path) { RemoveDirectoryW(SystemPath(path).c_str()); }

}  // namespace qv::platform
