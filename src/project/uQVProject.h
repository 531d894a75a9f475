// The project packed into a screensaver: its picture list, the creator's
// settings and the user-interface settings, one object per INI text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class TIniFile;

// Picture names with an enabled flag ("TRUE" or "FALSE") each, in [FileList] order.
class TQVCFileList {
 public:
  // Clears the lists, then reads the key names of [FileList] in file order,
  // each one's value as a boolean with default false, and each picture's
  // title from [FileTitles] (its name there, as pack keeps the file name it
  // was given: the stored names are QVImage0.jpg, ...), empty when absent.
  void LoadFromFile(const std::string& file);
  void LoadFromText(std::string_view text);
  void LoadFromIni(const TIniFile& ini);

  void Clear();
  void Add(const std::string& name, bool enabled);
  size_t Count() const { return names_.size(); }
  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Flags() const { return flags_; }
  bool Enabled(size_t index) const { return flags_.at(index) == "TRUE"; }
  const std::vector<std::string>& Titles() const { return titles_; }
  void SetTitle(size_t index, const std::string& title) { titles_.at(index) = title; }
  void SetName(size_t index, const std::string& name) { names_.at(index) = name; }
  void SetEnabled(size_t index, bool enabled) { flags_.at(index) = enabled ? "TRUE" : "FALSE"; }
  void SetAllEnabled(bool enabled);

  // "[FileListHeader]", "Header=1", "[FileList]" and one "name=1" or "name=0"
  // line per picture, CR LF ended, then "[FileTitles]" with "name=title" for
  // the pictures that have one. Throws EQVError for a name that cannot be a
  // key (IsStorableIniKey); a title that cannot be a value is left out.
  std::string ToIniText() const;

 private:
  std::vector<std::string> names_;
  std::vector<std::string> flags_;
  std::vector<std::string> titles_;
};

// Transition effects are numbered 1 to kEffectCount in every project.
inline constexpr int kEffectCount = 169;

// "1,2,...,169": every effect number in ascending order.
std::string AllTransitionEffects();

// The creator's settings: one field per key, named as the key.
class TQVCSetting {
 public:
  // [General]
  std::string ProductName = "My Screensaver";
  std::string Publisher;
  std::string Website;
  // [Default]
  bool Stretch = true;
  bool Proportional = false;
  bool Sound = true;
  bool Random = true;
  int32_t Duration = 30;
  bool Transition = true;
  int32_t TransitionTime = 2000;
  std::string TransitionEffects = AllTransitionEffects();
  bool Zoom = false;
  bool LivingZoom = false;
  int32_t ZoomDuration = 5;
  bool AutoWallpaper = false;
  int32_t Speed = 100;
  bool Music = true;
  bool Animation = true;
  int32_t ShowImageMode = 0;
  bool DirectX = false;
  int32_t DirectXQuality = 0;
  // [Default] keys beyond the creator's own (see TSettingField::beyondCreator):
  // 0 the show on the primary monitor and black on the others, 1 each
  // monitor its own show, 2 the same picture on every monitor.
  int32_t Monitors = 0;
  // Still pictures fill the screen and drift and zoom slowly; at least
  // PanZoomPercent (50 to 100) of the picture's width and height stays visible.
  bool PanZoom = false;
  int32_t PanZoomPercent = 75;
  // [Advance]
  std::string MusicFile;
  int32_t MusicMode = 0;
  std::string PreviewFile;
  // [Build]
  int32_t BuildMethod = 2;
  std::string BuildFileName;
  bool BuildSmallThumbs = true;
  std::string BuildIcon;
  std::string BuildInstall;
  bool CustomIcon = false;

  // Every key is read with the field's current value as its default.
  void LoadFromFile(const std::string& file);
  void LoadFromText(std::string_view text);
  void LoadFromIni(const TIniFile& ini);

  // [General], [Default], [Advance], [Build] with every key, booleans as 1/0,
  // CR LF ended; a key beyond the creator's own only when it differs from its
  // default, so a project that does not use one is written as the creator's
  // tool writes it. Throws EQVError for a text holding CR, LF or NUL.
  std::string ToIniText() const;
};

// One key of TQVCSetting, for tools that list or set every key by name.
struct TSettingField {
  enum Kind { Int, Bool, Text };
  const char* section;
  const char* key;
  Kind kind;
  int32_t TQVCSetting::*intField = nullptr;
  bool TQVCSetting::*boolField = nullptr;
  std::string TQVCSetting::*textField = nullptr;
  // A key this engine adds to the creator's set (Monitors, PanZoom, ...).
  bool beyondCreator = false;

  // Only for a field of that kind (std::logic_error otherwise).
  int32_t GetInt(const TQVCSetting& s) const;
  bool GetBool(const TQVCSetting& s) const;
  const std::string& GetText(const TQVCSetting& s) const;
  // The value as the INI text holds it: integers in decimal, booleans 1/0.
  std::string GetIniValue(const TQVCSetting& s) const;
  // Reads an INI value the way LoadFromFile does; a value that is not an
  // integer leaves an integer or boolean field unchanged and returns false.
  bool SetFromIniValue(TQVCSetting& s, std::string_view value) const;
};

// Every key in section order: [General], [Default], [Advance], [Build].
const std::vector<TSettingField>& SettingFields();
// Matches section and key ignoring case; nullptr when there is no such key.
const TSettingField* FindSettingField(std::string_view section, std::string_view key);

class TUISetting {
 public:
  std::string UIFile;

  void LoadFromFile(const std::string& file);
  void LoadFromText(std::string_view text);
  void LoadFromIni(const TIniFile& ini);
  std::string ToIniText() const;  // "[UI]\r\nUIFile=...\r\n"
};

class TQVCProject {
 public:
  TQVCFileList& FileList() { return fileList_; }
  const TQVCFileList& FileList() const { return fileList_; }
  TQVCSetting& Setting() { return setting_; }
  const TQVCSetting& Setting() const { return setting_; }
  TUISetting& UISetting() { return uiSetting_; }
  const TUISetting& UISetting() const { return uiSetting_; }

  // Loads a settings container of 3 or 4 blocks through intermediate files in
  // `tempPath` (ending with "/"); see ContainerIntermediateFile. Any other
  // block count loads nothing. Errors are not reported: what cannot be read
  // keeps its current value.
  void LoadContainer(const std::string& containerFile, const std::string& tempPath);

 private:
  // Created in this order, freed in the reverse one.
  TQVCFileList fileList_;
  TQVCSetting setting_;
  TUISetting uiSetting_;
};

// "QV" + the container's file name up to and including its last dot (looked
// for from the second-to-last character back) + "~<number>.tmp", in
// `tempPath`: "QVC.res" gives QVQVC.~1.tmp.
std::string ContainerIntermediateFile(const std::string& containerFile, const std::string& tempPath, int number);

}  // namespace qv
