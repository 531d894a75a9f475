// The project overlay at the end of the engine's file: extracting it into a
// private per-run folder, loading the project from it, and removing what was
// extracted.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/LastResort.h"

namespace qv {

class TQVCProject;

// The container's own files in the temporary folder.
inline constexpr const char* kSettingsContainerName = "QVC.res";
inline constexpr const char* kNamesFileName = "QVFilenames.res";
inline constexpr const char* kPictureContainerName = "QVFiles.res";
inline constexpr const char* kSkinFileName = "QVGUI.qvu";
// Held locked for as long as the run that made the folder is alive.
inline constexpr const char* kRunLockName = "QVRun.lock";

// The per-run temporary folder: the system temporary path, the engine's base
// name (its file name cut at the first dot), the run token and a separator.
// The run token is the tick count at start, signed, remainder by 10000. The
// folder is made once, mode 0700, by a single mkdir; when the name is taken
// (another user's folder, a link, a stale folder) the next token is tried, so
// nothing is ever written into a folder this run did not make. While the
// object lives it holds a lock on a file in the folder, which tells later
// runs whether the folder's run is still alive.
class TProjectTempFolder {
 public:
  TProjectTempFolder(std::string tempPath, const std::string& exePath, uint32_t tickAtStart);

  // The folder path ending with "/", created on the first call; the same on
  // every call. Empty when no folder could be made.
  const std::string& ProjectTempFolder();

  // Lets go of the run lock, for the removal of the folder: Windows keeps
  // an open file in its folder until it is closed.
  void ReleaseRunLock() { lock_.Close(); }

  const std::string& TempPath() const { return tempPath_; }
  const std::string& BaseName() const { return baseName_; }
  int32_t RunToken() const { return token_; }

 private:
  std::string tempPath_;
  std::string baseName_;
  int32_t token_;
  bool tried_ = false;
  std::string folder_;
  platform::TFile lock_;
};

// Removes the folders that earlier runs of the same engine left behind when
// they were killed: this user's own folders in `tempPath` named for
// `baseName` and a run token, whose run lock is free. Nothing else is ever
// touched: a folder without a lock, a locked one, a link, another user's.
void SweepStaleFolders(const std::string& tempPath, const std::string& baseName);

// The engine base name of an executable path.
std::string EngineBaseName(const std::string& exePath);

// Whether a name line of the names file may be extracted: a file name only,
// not empty, not "." or "..", not one of the container's own files.
bool AcceptablePictureName(const std::string& namePart);

// Reads a names file as lines (CR LF or LF). Lines are capped in number and
// the file in size, so a damaged file cannot exhaust memory.
std::vector<std::string> ReadNameLines(const std::string& file);

// What an overlay cut short (a download or copy that stopped early) lacks.
struct TOverlayShortfall {
  uint64_t missingBytes = 0;  // at least this many
  bool exact = true;
  size_t lostPictures = 0;    // pictures of the list that are not whole
  bool Any() const { return missingBytes > 0; }
  // "N bytes of its project are missing (K pictures lost)"; empty when whole.
  std::string Describe() const;
};

// Extracts the overlay of `exePath` into the folder and loads the project from
// it. Errors are not reported: a file without an overlay leaves the project at
// its defaults with no pictures. A picture whose bytes are not all there is
// not extracted (it would show cut off); the result says what is missing.
TOverlayShortfall ExtractProject(TQVCProject& project, const std::string& exePath, TProjectTempFolder& folder);

// Removes what ExtractProject wrote, then the folder if it is empty.
void DeleteProjectFiles(TProjectTempFolder& folder);

// Extract, use, remove: the project of an engine file, extracted into its
// private folder for as long as this object lives. Whatever happens while it
// is used, what was extracted is removed when it goes.
class TExtractedProject {
 public:
  // `exePath` is taken in its long form; nothing is extracted when it has no
  // overlay (the project keeps its defaults). Throws EQVError, extracting
  // nothing, when no private folder can be made.
  TExtractedProject(const std::string& exePath, const std::string& tempPath, uint32_t tickAtStart);
  ~TExtractedProject();
  TExtractedProject(const TExtractedProject&) = delete;
  TExtractedProject& operator=(const TExtractedProject&) = delete;

  TQVCProject& Project() { return *project_; }
  // The executable's long path; its user settings file lies beside it.
  const std::string& ExePath() const { return exePath_; }
  // The folder the files went to, ending with "/"; empty when none was made.
  const std::string& TempFolder() { return folder_.ProjectTempFolder(); }
  // What the file lacks when it is cut short.
  const TOverlayShortfall& Shortfall() const { return shortfall_; }

 private:
  std::string exePath_;
  TOverlayShortfall shortfall_;
  TProjectTempFolder folder_;
  std::unique_ptr<TQVCProject> project_;
  // When the process cannot end through its normal path, the files go still.
  platform::TLastResort lastResort_;
};

}  // namespace qv
