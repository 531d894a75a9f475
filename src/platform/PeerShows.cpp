#include "platform/PeerShows.h"

#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/System.h"

namespace qv::platform {

namespace {

constexpr const char* kLock = ".lock";
constexpr const char* kShown = ".shown";

int ReadIndex(const std::string& file) {
  try {
    return std::stoi(ReadWholeText(file, 64));
  } catch (const std::exception&) {
    return -1;
  }
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Calls `each` with the lock file of every other live instance, and takes
// away what ended instances left.
template <typename Each>
void ForLivePeers(const std::string& folder, const std::string& own, Each&& each) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string path = entry.path().string();
    if (path == own || !EndsWith(path, kLock)) continue;
    if (LockIsFree(path)) {
      RemoveFile(path + kShown);
      RemoveFile(path);
      continue;
    }
    each(path);
  }
}

}  // namespace

TPeerShows::TPeerShows(const std::string& name, bool primary) {
  folder_ = RuntimeFolder() + "qvsaver-peers-" + CurrentUserId() + "-" +
            std::to_string(std::hash<std::string>{}(name) % 1000000007u) + "/";
  if (!CreateFolders(folder_) || !IsOwnFolder(folder_.substr(0, folder_.size() - 1))) {
    folder_.clear();
    return;
  }
  std::string path;
  if (!CreateUnique(folder_ + (primary ? "primary-" : "other-"), held_, path) || !LockFile(held_)) return;
  // The lock file's name ends as the others look for it.
  if (RenameFile(path, path + kLock)) lock_ = path + kLock;
  else RemoveFile(path);
}

TPeerShows::~TPeerShows() {
  choosing_ = TFile();
  if (lock_.empty()) return;
  RemoveFile(lock_ + kShown);
  RemoveFile(lock_);
  held_ = TFile();
  // The last instance takes the folder away; the choice file goes with it.
  bool others = false;
  ForLivePeers(folder_, lock_, [&](const std::string&) { others = true; });
  if (!others) RemoveFile(folder_ + "choice");
  RemoveEmptyFolder(folder_);
}

void TPeerShows::Tell(int index) {
  if (!lock_.empty()) {
    std::string reason;
    ReplaceFileContents(lock_ + kShown, std::to_string(index) + "\n", reason);
  }
  choosing_ = TFile();  // the choice is made: another may choose
}

std::vector<int> TPeerShows::Others() {
  std::vector<int> shown;
  if (folder_.empty()) return shown;
  if (!choosing_.IsOpen()) {
    const std::string choice = folder_ + "choice";
    for (int waited = 0; waited < 100; ++waited) {
      TFile file;
      std::string reason;
      if (CreateExclusive(choice, file) != TCreateResult::Created &&
          OpenRegularFile(choice, 16, file, reason) != TOpenResult::Ok)
        break;
      if (LockFile(file)) {
        choosing_ = std::move(file);
        break;
      }
      SleepMs(1);
    }
  }
  ForLivePeers(folder_, lock_, [&](const std::string& lock) {
    const int index = ReadIndex(lock + kShown);
    if (index >= 0) shown.push_back(index);
  });
  return shown;
}

int TPeerShows::Primary() const {
  int index = -1;
  if (folder_.empty()) return index;
  ForLivePeers(folder_, lock_, [&](const std::string& lock) {
    if (std::filesystem::path(lock).filename().string().rfind("primary-", 0) == 0) index = ReadIndex(lock + kShown);
  });
  return index;
}

}  // namespace qv::platform
