#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/Utf8Path.h"
#include "platform/Files.h"

namespace qv::platform {

namespace {

// What a save that was cut short (a crash, a power cut) left beside the
// file: our own hidden temporaries older than a minute, which no save still
// in progress can be writing.
void RemoveStaleTemporaries(const std::string& folder, const std::string& hiddenPrefix) {
  constexpr size_t kSuffix = 6;  // the unique part CreateUnique adds
  constexpr int64_t kStaleSeconds = 60;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(PathFromUtf8(folder), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = Utf8FromPath(it->path().filename());
    if (name.size() != hiddenPrefix.size() + kSuffix || name.compare(0, hiddenPrefix.size(), hiddenPrefix) != 0)
      continue;
    const std::string path = Utf8FromPath(it->path());
    if (IsOwnRegularFile(path) && SecondsSinceChange(path) > kStaleSeconds) RemoveFile(path);
  }
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& reason) {
  namespace fs = std::filesystem;
  if (path.empty()) {
    reason = "no file name";
    return false;
  }
  std::error_code ec;
  fs::path target = PathFromUtf8(path);
  if (fs::is_symlink(target, ec)) {
    fs::path real = fs::weakly_canonical(target, ec);
    if (!ec) target = real;
  }
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  if (IsReadOnlyFile(Utf8FromPath(target))) {
    reason = "the file is read-only";
    return false;
  }
  // A hidden name beside the target: ".NAME." and a unique suffix.
  std::string hidden = ".";
  hidden += Utf8FromPath(target.filename());
  hidden += '.';
  RemoveStaleTemporaries(Utf8FromPath(folder), hidden);

  TFile file;
  std::string temp;
  if (!CreateUnique(Utf8FromPath(folder / PathFromUtf8(hidden)), file, temp)) {
    reason = "cannot create a temporary file in " + Utf8FromPath(folder) + ": " + std::strerror(errno);
    return false;
  }
  auto discard = [&](const char* what) {
    file.Close();
    RemoveFile(temp);
    reason = what;
    return false;
  };
  CopyPermissions(Utf8FromPath(target), file);
  if (!file.Write(bytes.data(), bytes.size())) return discard("write failed");
  if (!file.Sync()) return discard("flush failed");
  if (!file.Close()) return discard("close failed");
  std::string why;
  if (!ReplaceFileAtomically(temp, Utf8FromPath(target), why)) {
    RemoveFile(temp);
    reason = "rename failed: " + why;
    return false;
  }
  return true;
}

}  // namespace qv::platform
