#include "startup/uOverlay.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "platform/Files.h"
#include "platform/PathRules.h"
#include "project/uBlockContainer.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"

namespace qv {

namespace {

constexpr int kTokenAttempts = 1000;

bool IsContainerFile(const std::string& name) {
  for (const char* own : {kSettingsContainerName, kNamesFileName, kPictureContainerName, kSkinFileName, kRunLockName})
    if (EqualsIgnoreCase(name, own)) return true;
  return false;
}

// A locked file under its final name: made under a hidden name, locked, then
// renamed, so the lock is never seen free while its run is alive.
platform::TFile CreateRunLock(const std::string& folder) {
  platform::TFile lock;
  std::string temp;
  if (!platform::CreateUnique(folder + ".lock.", lock, temp)) return {};
  if (!platform::LockFile(lock) || !platform::RenameFile(temp, folder + kRunLockName)) {
    platform::RemoveFile(temp);
    return {};
  }
  return lock;
}

// "-12", "345": what a run token looks like in a folder name.
bool IsRunToken(const std::string& text) {
  size_t digits = text.size();
  if (!text.empty() && text[0] == '-') --digits;
  if (digits < 1 || digits > 5) return false;
  return std::all_of(text.end() - static_cast<std::ptrdiff_t>(digits), text.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// The target of every name line, in order; an empty target skips that block.
std::vector<std::string> PictureTargets(const std::string& folder, const std::vector<std::string>& lines) {
  std::vector<std::string> targets;
  targets.reserve(lines.size());
  for (const std::string& line : lines) {
    std::string name = FileNamePart(line);
    targets.push_back(AcceptablePictureName(name) ? folder + name : std::string());
  }
  return targets;
}

// A stored name pointed into the folder; an entry whose name differs only in
// letter case is taken when the exact name is not there.
std::string InFolder(const std::string& folder, const std::string& stored) {
  std::string name = FileNamePart(stored);
  std::string found = platform::FindInFolder(folder, name);
  return found.empty() ? folder + name : found;
}

}  // namespace

std::string EngineBaseName(const std::string& exePath) {
  std::string name = FileNamePart(exePath);
  size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool AcceptablePictureName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find('\0') != std::string::npos) return false;
  return !IsContainerFile(name);
}

TProjectTempFolder::TProjectTempFolder(std::string tempPath, const std::string& exePath, uint32_t tickAtStart)
    : tempPath_(std::move(tempPath)),
      baseName_(EngineBaseName(exePath)),
      token_(static_cast<int32_t>(tickAtStart) % 10000) {
  if (!tempPath_.empty() && tempPath_.back() != '/') tempPath_ += '/';
}

const std::string& TProjectTempFolder::ProjectTempFolder() {
  if (tried_) return folder_;
  tried_ = true;
  for (int attempt = 0; attempt < kTokenAttempts; ++attempt, ++token_) {
    std::string candidate = tempPath_ + baseName_ + std::to_string(token_);
    const platform::TCreateResult made = platform::CreatePrivateFolder(candidate);
    if (made == platform::TCreateResult::Created) {
      folder_ = candidate + "/";
      lock_ = CreateRunLock(folder_);
      return folder_;
    }
    if (made == platform::TCreateResult::Failed) break;
  }
  return folder_;
}

std::vector<std::string> ReadNameLines(const std::string& file) {
  std::vector<std::string> lines;
  std::string text;
  try {
    text = platform::ReadWholeText(file, kMaxNamesFileBytes);
  } catch (const platform::EFileUnreadable&) {
    return lines;
  }
  size_t start = 0;
  while (start < text.size() && lines.size() < kMaxNameLines) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string TOverlayShortfall::Describe() const {
  if (!Any()) return {};
  std::string text = (exact ? "" : "at least ") + std::to_string(missingBytes) + " bytes of its project are missing";
  if (lostPictures > 0)
    text += " (" + std::to_string(lostPictures) + (lostPictures == 1 ? " picture" : " pictures") + " lost)";
  return text;
}

TOverlayShortfall ExtractProject(TQVCProject& project, const std::string& exePath, TProjectTempFolder& temp) {
  TOverlayShortfall result;
  const std::string& folder = temp.ProjectTempFolder();
  if (folder.empty()) return result;
  const std::string settings = folder + kSettingsContainerName;
  const std::string names = folder + kNamesFileName;
  const std::string skin = folder + kSkinFileName;

  // The picture container is read where it lies in the overlay instead of
  // being copied out first: nothing else reads that copy, and for a large
  // project it would double the time and the disk space extraction takes.
  std::vector<TBlockRange> spans;
  TBlockShortfall overlay, pictures;
  ExtractBlocks(exePath, {settings, names, std::string(), skin}, {}, &spans, &overlay);
  const std::vector<std::string> targets = PictureTargets(folder, ReadNameLines(names));
  if (spans.size() >= 3) ExtractBlocks(exePath, targets, spans[2], nullptr, &pictures);
  project.LoadContainer(settings, temp.TempPath());
  result.missingBytes = overlay.missingBytes;
  result.exact = overlay.exact;
  if (overlay.Any()) {
    // A picture cut off would show as one; it is left out instead.
    for (size_t cut : pictures.cutBlocks)
      if (cut < targets.size() && !targets[cut].empty()) platform::RemoveFile(targets[cut]);
  }

  TQVCFileList& list = project.FileList();
  for (size_t i = 0; i < list.Count(); ++i) {
    list.SetName(i, InFolder(folder, list.Names()[i]));
    std::error_code ec;
    if (result.Any() && !std::filesystem::exists(PathFromUtf8(list.Names()[i]), ec)) ++result.lostPictures;
  }
  std::string& preview = project.Setting().PreviewFile;
  if (!preview.empty()) preview = InFolder(folder, preview);
  project.UISetting().UIFile = skin;
  return result;
}

void SweepStaleFolders(const std::string& tempPath, const std::string& baseName) {
  if (tempPath.empty() || baseName.empty()) return;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(PathFromUtf8(tempPath), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = Utf8FromPath(it->path().filename());
    if (name.size() <= baseName.size() || name.compare(0, baseName.size(), baseName) != 0) continue;
    if (!IsRunToken(name.substr(baseName.size()))) continue;
    const std::string folder = JoinPath(tempPath, name) + "/";
    if (!platform::IsOwnFolder(folder.substr(0, folder.size() - 1))) continue;
    if (!platform::IsOwnRegularFile(folder + kRunLockName) || !platform::LockIsFree(folder + kRunLockName)) continue;
    // What an earlier run extracted: files directly inside, nothing deeper.
    std::error_code inner;
    for (std::filesystem::directory_iterator f(PathFromUtf8(folder), inner), fend; !inner && f != fend;
         f.increment(inner))
      if (!f->is_directory(inner) || f->is_symlink(inner)) platform::RemoveFile(Utf8FromPath(f->path()));
    platform::RemoveEmptyFolder(folder);
  }
}

TExtractedProject::TExtractedProject(const std::string& exePath, const std::string& tempPath, uint32_t tickAtStart)
    : exePath_(ExpandLongPath(exePath)),
      folder_(tempPath, exePath_, tickAtStart),
      project_(std::make_unique<TQVCProject>()),
      lastResort_([this] { DeleteProjectFiles(folder_); }) {
  // Runs of this engine that were killed left their folders; they go first
  // (the folder of this run is made just after).
  SweepStaleFolders(folder_.TempPath(), folder_.BaseName());
  // Running out of folder names is an error: nothing is extracted anywhere else.
  if (folder_.ProjectTempFolder().empty())
    throw EQVError("no private folder for the project could be made in " + folder_.TempPath());
  try {
    shortfall_ = ExtractProject(*project_, exePath_, folder_);
  } catch (...) {
    DeleteProjectFiles(folder_);
    throw;
  }
}

TExtractedProject::~TExtractedProject() { DeleteProjectFiles(folder_); }

void DeleteProjectFiles(TProjectTempFolder& temp) {
  const std::string& folder = temp.ProjectTempFolder();
  if (folder.empty()) return;
  for (const std::string& target : PictureTargets(folder, ReadNameLines(folder + kNamesFileName)))
    if (!target.empty()) platform::RemoveFile(target);
  for (const char* own : {kSettingsContainerName, kPictureContainerName, kNamesFileName, kSkinFileName})
    platform::RemoveFile(folder + own);
  // The lock goes last: until the folder is empty it tells a sweep that the
  // run is alive.
  temp.ReleaseRunLock();
  platform::RemoveFile(folder + kRunLockName);
  platform::RemoveEmptyFolder(folder);
}

}  // namespace qv
