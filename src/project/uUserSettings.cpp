#include "project/uUserSettings.h"

#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uIniFile.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"

namespace qv {

namespace {

constexpr const char* kSetting = "Setting";
constexpr const char* kMusicList = "MusicList";
constexpr const char* kFiles = "Files";

// A [Files] key as a picture index: decimal digits only, below `count`.
bool PictureIndex(const std::string& key, size_t count, size_t& index) {
  if (key.empty()) return false;
  uint64_t value = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value >= count) return false;
  }
  index = static_cast<size_t>(value);
  return true;
}

bool FileExists(const std::string& file) {
  std::error_code ec;
  return !file.empty() && std::filesystem::exists(PathFromUtf8(file), ec);
}

// Every writer reads the whole file, changes its own keys and replaces the file.
template <typename Edit>
void Save(const std::string& settingsFile, Edit&& edit) {
  TIniDocument doc = TIniDocument::FromFile(settingsFile);
  edit(doc);
  doc.SaveAtomically(settingsFile);
}

}  // namespace

std::string UserSettingsPath(const std::string& exePath) {
  std::string path = ExpandLongPath(exePath);
  if (path.empty()) return {};
  size_t dot = path.rfind('.');
  if (dot != std::string::npos) path.erase(dot);
  return path + ".ini";
}

std::string TUserSettingsFiles::ForReading() const {
  return !perUser.empty() && FileExists(perUser) ? perUser : beside;
}

std::string TUserSettingsFiles::ForWriting(bool besideFolderWritable) const {
  if (perUser.empty() || beside.empty()) return beside;
  if (FileExists(perUser)) return perUser;
  if (besideFolderWritable) return beside;
  const std::string folder = Utf8FromPath(PathFromUtf8(perUser).parent_path());
  if (!platform::CreateFolders(folder)) return beside;
  if (FileExists(beside)) TIniDocument::FromFile(beside).SaveAtomically(perUser);
  return perUser;
}

TUserSettingsFiles UserSettingsFiles(const std::string& exePath, const std::string& configFolder) {
  TUserSettingsFiles files;
  files.beside = UserSettingsPath(exePath);
  if (files.beside.empty() || configFolder.empty()) return files;
  files.perUser = JoinPath(JoinPath(configFolder, "qvsaver"), Utf8FromPath(PathFromUtf8(files.beside).filename()));
  return files;
}

TUserSettingsFiles UserSettingsFiles(const std::string& exePath) {
  return UserSettingsFiles(exePath, platform::UserConfigFolder());
}

std::string UserSettingsFileToWrite(const std::string& exePath) {
  const TUserSettingsFiles files = UserSettingsFiles(exePath);
  const std::string folder = Utf8FromPath(PathFromUtf8(files.beside).parent_path());
  return files.ForWriting(platform::FolderIsWritable(folder));
}

bool UserSettingsApply(const std::string& exePath, const std::string& firstArgument) {
  return UpperExtension(ExpandLongPath(exePath)) == ".SCR" || UpperAscii(firstArgument) == "/C";
}

void ApplyUserSettings(TQVCProject& project, const std::string& settingsFile) {
  if (!FileExists(settingsFile)) return;
  const TIniFile ini = TIniFile::FromFile(settingsFile);
  TQVCSetting& s = project.Setting();
  TQVCFileList& list = project.FileList();

  const int32_t imageSize = ini.ReadInteger(kSetting, "ImageSize", -1);
  const int32_t imageMode = ini.ReadInteger(kSetting, "ImageMode", s.ShowImageMode);
  const int32_t speed = ini.ReadInteger(kSetting, "Speed", -1);
  const bool sound = ini.ReadBool(kSetting, "Sound", s.Sound);
  const bool music = ini.ReadBool(kSetting, "Music", s.Music);
  const bool transition = ini.ReadBool(kSetting, "Transition", s.Transition);
  const int32_t duration = ini.ReadInteger(kSetting, "Duration", s.Duration);
  int32_t index = ini.ReadInteger(kSetting, "Index", 0);
  // A key the file does not hold keeps the creator's value: a file that holds
  // only Index (the configuration window closed without a visit to the
  // settings dialog) must not turn the accelerated path on.
  const bool directX = ini.ReadBool(kSetting, "DirectX", s.DirectX);
  const int32_t quality = ini.ReadInteger(kSetting, "DirectXQuality", s.DirectXQuality);
  const bool customMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  const bool shuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);
  const int32_t monitors = ini.ReadInteger(kSetting, "Monitors", s.Monitors);
  const bool panZoom = ini.ReadBool(kSetting, "PanZoom", s.PanZoom);
  const int32_t panZoomPercent = ini.ReadInteger(kSetting, "PanZoomPercent", s.PanZoomPercent);

  if (customMusic) {
    s.MusicMode = shuffleMusic ? 0 : 1;
    std::string joined;
    for (const std::string& path : ini.ReadSectionKeys(kMusicList)) {
      if (!joined.empty()) joined += ';';
      joined += path;
    }
    s.MusicFile = std::move(joined);
  }
  const std::vector<std::string> unchecked = ini.ReadSectionKeys(kFiles);

  const size_t count = list.Count();
  if (index < 0 || static_cast<size_t>(index) >= count) index = 0;
  if (imageMode == 3)
    for (size_t i = 0; i < count; ++i) list.SetEnabled(i, i == static_cast<size_t>(index));
  if (imageMode == 2) {
    size_t picture;
    for (const std::string& key : unchecked)
      if (PictureIndex(key, count, picture)) list.SetEnabled(picture, false);
  }

  s.ShowImageMode = imageMode;
  s.Duration = duration;
  s.Sound = sound;
  s.Music = music;
  s.Transition = transition;
  s.DirectX = directX;
  s.DirectXQuality = quality;
  s.Monitors = monitors;
  s.PanZoom = panZoom;
  s.PanZoomPercent = panZoomPercent;
  if (speed >= 0 && static_cast<size_t>(speed) < kSpeedTable.size()) s.Speed = kSpeedTable[static_cast<size_t>(speed)];
  if (imageSize != -1) {
    s.Stretch = imageSize > 0;
    s.Proportional = imageSize == 2;
  }
}

TUserSettings UserSettingsFromProject(const TQVCProject& project) {
  const TQVCSetting& s = project.Setting();
  TUserSettings u;
  u.ImageMode = s.ShowImageMode;
  u.Speed = -1;
  for (size_t i = 0; i < kSpeedTable.size(); ++i)
    if (kSpeedTable[i] == s.Speed) {
      u.Speed = static_cast<int32_t>(i);
      break;
    }
  u.Sound = s.Sound;
  u.Music = s.Music;
  u.Transition = s.Transition;
  u.Duration = s.Duration;
  u.DirectX = s.DirectX;
  u.DirectXQuality = s.DirectXQuality;
  u.ImageSize = s.Stretch ? (s.Proportional ? 2 : 1) : (s.Proportional ? -1 : 0);
  u.CustomMusic = false;
  u.ShuffleMusic = true;
  u.Monitors = s.Monitors;
  u.PanZoom = s.PanZoom;
  u.PanZoomPercent = s.PanZoomPercent;
  return u;
}

TUserSettings ReadUserSettings(const std::string& settingsFile, const TQVCProject& project) {
  TUserSettings u = UserSettingsFromProject(project);
  if (!FileExists(settingsFile)) return u;
  const TIniFile ini = TIniFile::FromFile(settingsFile);
  u.ImageSize = ini.ReadInteger(kSetting, "ImageSize", u.ImageSize);
  u.ImageMode = ini.ReadInteger(kSetting, "ImageMode", u.ImageMode);
  u.Speed = ini.ReadInteger(kSetting, "Speed", u.Speed);
  u.Sound = ini.ReadBool(kSetting, "Sound", u.Sound);
  u.Music = ini.ReadBool(kSetting, "Music", u.Music);
  u.Transition = ini.ReadBool(kSetting, "Transition", u.Transition);
  u.Duration = ini.ReadInteger(kSetting, "Duration", u.Duration);
  u.DirectX = ini.ReadBool(kSetting, "DirectX", u.DirectX);
  u.DirectXQuality = ini.ReadInteger(kSetting, "DirectXQuality", u.DirectXQuality);
  u.CustomMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  u.ShuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);
  u.MusicList = ini.ReadSectionKeys(kMusicList);
  u.Monitors = ini.ReadInteger(kSetting, "Monitors", u.Monitors);
  u.PanZoom = ini.ReadBool(kSetting, "PanZoom", u.PanZoom);
  u.PanZoomPercent = ini.ReadInteger(kSetting, "PanZoomPercent", u.PanZoomPercent);
  return u;
}

void WriteUserSettings(const std::string& settingsFile, const TUserSettings& u) {
  Save(settingsFile, [&u](TIniDocument& doc) {
    doc.WriteInteger(kSetting, "ImageSize", u.ImageSize);
    doc.WriteInteger(kSetting, "ImageMode", u.ImageMode);
    doc.WriteInteger(kSetting, "Speed", u.Speed);
    doc.WriteBool(kSetting, "Sound", u.Sound);
    doc.WriteBool(kSetting, "Music", u.Music);
    doc.WriteBool(kSetting, "Transition", u.Transition);
    doc.WriteInteger(kSetting, "Duration", u.Duration);
    doc.WriteBool(kSetting, "DirectX", u.DirectX);
    doc.WriteInteger(kSetting, "DirectXQuality", u.DirectXQuality);
    doc.WriteBool(kSetting, "CustomMusic", u.CustomMusic);
    doc.WriteBool(kSetting, "ShuffleMusic", u.ShuffleMusic);
    doc.WriteInteger(kSetting, "Monitors", u.Monitors);
    doc.WriteBool(kSetting, "PanZoom", u.PanZoom);
    doc.WriteInteger(kSetting, "PanZoomPercent", u.PanZoomPercent);
    std::vector<std::pair<std::string, std::string>> entries;
    std::set<std::string> seen;
    for (const std::string& path : u.MusicList)
      if (IsStorableIniKey(path) && seen.insert(path).second) entries.emplace_back(path, std::string());
    doc.ReplaceSection(kMusicList, entries);
  });
}

int32_t ReadSelectedIndex(const std::string& settingsFile, size_t pictureCount) {
  int32_t index = TIniFile::FromFile(settingsFile).ReadInteger(kSetting, "Index", 0);
  if (index < 0 || static_cast<uint64_t>(index) > pictureCount) return 0;
  return index;
}

void WriteSelectedIndex(const std::string& settingsFile, int32_t index) {
  Save(settingsFile, [index](TIniDocument& doc) { doc.WriteInteger(kSetting, "Index", index); });
}

std::vector<bool> LoadFavourites(const std::string& settingsFile, size_t pictureCount) {
  std::vector<bool> checked(pictureCount, true);
  size_t picture;
  for (const std::string& key : TIniFile::FromFile(settingsFile).ReadSectionKeys(kFiles))
    if (PictureIndex(key, pictureCount, picture)) checked[picture] = false;
  return checked;
}

void SaveFavourites(const std::string& settingsFile, const std::vector<bool>& checked) {
  Save(settingsFile, [&checked](TIniDocument& doc) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t i = 0; i < checked.size(); ++i)
      if (!checked[i]) entries.emplace_back(std::to_string(i), std::string());
    doc.ReplaceSection(kFiles, entries);
  });
}

}  // namespace qv
