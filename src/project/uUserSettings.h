// The user settings file beside the screensaver: the user's overrides of the
// project, written by the configuration window and read by run mode.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class TQVCProject;

// Speed slider positions 0..20 to playback speeds; 10 is the normal speed.
inline constexpr std::array<int32_t, 21> kSpeedTable = {10,  20,  30,  45,  50,  60,  70,  75,  80,  90, 100,
                                                        120, 140, 160, 180, 200, 220, 240, 360, 480, 500};
inline constexpr int32_t kNormalSpeedIndex = 10;

// ExpandLongPath of the executable with everything from the last "." of the
// whole path on replaced by ".ini". Empty when the executable cannot be found.
std::string UserSettingsPath(const std::string& exePath);

// Where the user's settings are kept. Beside the screensaver first; when its
// folder cannot be written (a screensaver installed in a system folder) the
// choices go to a file of this user's own, `configFolder` + "qvsaver/" + the
// screensaver's file name with ".ini", and once that file exists it is the
// one read and written.
struct TUserSettingsFiles {
  std::string beside;   // UserSettingsPath
  std::string perUser;  // empty when there is no configuration folder
  // The file run mode and the configuration window read.
  std::string ForReading() const;
  // The file the configuration window writes. When that is a per-user file
  // that does not exist yet, it is started from the file beside the
  // screensaver, so nothing the user chose before is lost.
  std::string ForWriting(bool besideFolderWritable) const;
};
TUserSettingsFiles UserSettingsFiles(const std::string& exePath, const std::string& configFolder);
// The same with this machine's configuration folder and folder permissions.
TUserSettingsFiles UserSettingsFiles(const std::string& exePath);
std::string UserSettingsFileToWrite(const std::string& exePath);

// Whether the configuration window reads and writes user settings: the
// engine's file has the extension ".SCR" (any case) or the first argument is "/C".
bool UserSettingsApply(const std::string& exePath, const std::string& firstArgument);

// Run mode: folds the file's [Setting], [MusicList] and [Files] into the
// project in memory. A missing file changes nothing; a key the file does not
// hold keeps the project's value (DirectX and DirectXQuality included). Hand-edited values the
// configuration window never writes are ignored: a Speed outside 0..20, [Files]
// keys that are not decimal picture indices; a negative Index counts as 0.
void ApplyUserSettings(TQVCProject& project, const std::string& settingsFile);

// The values the settings dialog edits.
// -1 in ImageSize or Speed stands for the project's own value where no choice
// of the dialog gives it (not stretched but keeping the shape; a speed off the
// table); written so, run mode keeps the project's value.
struct TUserSettings {
  int32_t ImageSize = 0;  // 0 original size, 1 stretched, 2 stretched keeping proportions
  int32_t ImageMode = 0;  // the project's ShowImageMode
  int32_t Speed = kNormalSpeedIndex;  // slider position into kSpeedTable
  bool Sound = true;
  bool Music = true;
  bool Transition = true;
  int32_t Duration = 30;
  bool DirectX = false;
  int32_t DirectXQuality = 0;
  bool CustomMusic = false;
  bool ShuffleMusic = true;
  std::vector<std::string> MusicList;
  // Beyond the creator's keys, with the project's meaning.
  int32_t Monitors = 0;
  bool PanZoom = false;
  int32_t PanZoomPercent = 75;
};

// The dialog's starting values taken from the project alone.
TUserSettings UserSettingsFromProject(const TQVCProject& project);

// The configuration window's readers and writers. Callers check
// UserSettingsApply first. Readers of a missing or unreadable file return
// their defaults; writers keep every other section and key of the file,
// replace it atomically and throw EQVError when they cannot (a file the user
// made read-only is reported and kept as it is).
TUserSettings ReadUserSettings(const std::string& settingsFile, const TQVCProject& project);
// [Setting] keys, and [MusicList] rewritten with one "path=" line per file.
// Paths that cannot be INI key names (with "=", a leading ";" or "[", line
// breaks, outer blanks) are left out, and a repeated path is stored once.
void WriteUserSettings(const std::string& settingsFile, const TUserSettings& settings);

// Index, or 0 when it is negative or greater than pictureCount.
int32_t ReadSelectedIndex(const std::string& settingsFile, size_t pictureCount);
void WriteSelectedIndex(const std::string& settingsFile, int32_t index);

// One check mark per picture: set unless the picture's index is a key of [Files].
std::vector<bool> LoadFavourites(const std::string& settingsFile, size_t pictureCount);
// [Files] rewritten with one "index=" line per cleared check mark.
void SaveFavourites(const std::string& settingsFile, const std::vector<bool>& checked);

}  // namespace qv
