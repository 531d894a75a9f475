#include "project/uQVProject.h"

#include <stdexcept>

#include "common/Error.h"
#include "common/Paths.h"
#include "platform/Files.h"
#include "project/uBlockContainer.h"
#include "project/uIniFile.h"

namespace qv {

namespace {

void CheckStorableValue(const char* key, const std::string& value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
    throw EQVError(std::string("The value of ") + key + " cannot be stored in a settings text");
}

// The intermediate names sit in the shared temporary folder, so each file is
// created here exclusively and without following links before the container
// is extracted into it. A name that is already taken (a planted link, another
// user's file, a leftover) is never written through; a unique name beside it
// is used instead. Returns an empty path when no file could be created.
std::string CreateIntermediateFile(const std::string& path) {
  platform::TFile file;
  const platform::TCreateResult made = platform::CreateExclusive(path, file);
  if (made == platform::TCreateResult::Created) return path;
  if (made == platform::TCreateResult::Failed) return {};
  std::string unique;
  if (!platform::CreateUnique(path + ".", file, unique)) return {};
  return unique;
}

}  // namespace

// TQVCFileList

void TQVCFileList::LoadFromFile(const std::string& file) { LoadFromIni(TIniFile::FromFile(file)); }

void TQVCFileList::LoadFromText(std::string_view text) { LoadFromIni(TIniFile::FromText(text)); }

void TQVCFileList::LoadFromIni(const TIniFile& ini) {
  Clear();
  for (const std::string& name : ini.ReadSectionKeys("FileList")) {
    Add(name, ini.ReadBool("FileList", name, false));
    titles_.back() = ini.ReadString("FileTitles", name, "");
  }
}

void TQVCFileList::Clear() {
  names_.clear();
  flags_.clear();
  titles_.clear();
}

void TQVCFileList::Add(const std::string& name, bool enabled) {
  names_.push_back(name);
  flags_.push_back(enabled ? "TRUE" : "FALSE");
  titles_.emplace_back();
}

void TQVCFileList::SetAllEnabled(bool enabled) {
  for (std::string& flag : flags_) flag = enabled ? "TRUE" : "FALSE";
}

std::string TQVCFileList::ToIniText() const {
  std::string text = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
  for (size_t i = 0; i < names_.size(); ++i) {
    if (!IsStorableIniKey(names_[i])) throw EQVError("The picture name \"" + names_[i] + "\" cannot be stored in a file list");
    text += names_[i];
    text += Enabled(i) ? "=1\r\n" : "=0\r\n";
  }
  std::string titles;
  for (size_t i = 0; i < names_.size(); ++i) {
    const std::string& title = titles_[i];
    // A value is trimmed when read and ends at the line: such a title would not read back.
    if (title.empty() || title.find_first_of("\r\n") != std::string::npos || title.front() == ' ' ||
        title.back() == ' ')
      continue;
    titles += names_[i] + "=" + title + "\r\n";
  }
  if (!titles.empty()) text += "[FileTitles]\r\n" + titles;
  return text;
}

// TQVCSetting

std::string AllTransitionEffects() {
  std::string text;
  for (int i = 1; i <= kEffectCount; ++i) {
    if (i > 1) text += ',';
    text += std::to_string(i);
  }
  return text;
}

void TQVCSetting::LoadFromFile(const std::string& file) { LoadFromIni(TIniFile::FromFile(file)); }

void TQVCSetting::LoadFromText(std::string_view text) { LoadFromIni(TIniFile::FromText(text)); }

void TQVCSetting::LoadFromIni(const TIniFile& ini) {
  for (const TSettingField& f : SettingFields()) {
    switch (f.kind) {
      case TSettingField::Int:
        this->*f.intField = ini.ReadInteger(f.section, f.key, this->*f.intField);
        break;
      case TSettingField::Bool:
        this->*f.boolField = ini.ReadBool(f.section, f.key, this->*f.boolField);
        break;
      case TSettingField::Text:
        this->*f.textField = ini.ReadString(f.section, f.key, this->*f.textField);
        break;
    }
  }
}

std::string TQVCSetting::ToIniText() const {
  std::string text;
  std::string_view section;
  const TQVCSetting defaults;
  for (const TSettingField& f : SettingFields()) {
    if (f.beyondCreator && f.GetIniValue(*this) == f.GetIniValue(defaults)) continue;
    if (section != f.section) {
      section = f.section;
      text += "[";
      text += section;
      text += "]\r\n";
    }
    std::string value = f.GetIniValue(*this);
    CheckStorableValue(f.key, value);
    text += f.key;
    text += '=';
    text += value;
    text += "\r\n";
  }
  return text;
}

// TSettingField

int32_t TSettingField::GetInt(const TQVCSetting& s) const {
  if (kind != Int) throw std::logic_error(std::string(key) + " is not an integer setting");
  return s.*intField;
}

bool TSettingField::GetBool(const TQVCSetting& s) const {
  if (kind != Bool) throw std::logic_error(std::string(key) + " is not a boolean setting");
  return s.*boolField;
}

const std::string& TSettingField::GetText(const TQVCSetting& s) const {
  if (kind != Text) throw std::logic_error(std::string(key) + " is not a text setting");
  return s.*textField;
}

std::string TSettingField::GetIniValue(const TQVCSetting& s) const {
  switch (kind) {
    case Int:
      return std::to_string(s.*intField);
    case Bool:
      return s.*boolField ? "1" : "0";
    case Text:
      break;
  }
  return s.*textField;
}

bool TSettingField::SetFromIniValue(TQVCSetting& s, std::string_view value) const {
  if (kind == Text) {
    s.*textField = std::string(value);
    return true;
  }
  int32_t number;
  if (!ParseIniInteger(value, number)) return false;
  if (kind == Int) s.*intField = number;
  else s.*boolField = number != 0;
  return true;
}

const std::vector<TSettingField>& SettingFields() {
  using S = TQVCSetting;
  auto i = [](const char* section, const char* key, int32_t S::*field) {
    return TSettingField{section, key, TSettingField::Int, field, nullptr, nullptr};
  };
  auto b = [](const char* section, const char* key, bool S::*field) {
    return TSettingField{section, key, TSettingField::Bool, nullptr, field, nullptr};
  };
  auto t = [](const char* section, const char* key, std::string S::*field) {
    return TSettingField{section, key, TSettingField::Text, nullptr, nullptr, field};
  };
  auto beyond = [](TSettingField field) {
    field.beyondCreator = true;
    return field;
  };
  static const std::vector<TSettingField> fields = {
      t("General", "ProductName", &S::ProductName),
      t("General", "Publisher", &S::Publisher),
      t("General", "Website", &S::Website),
      b("Default", "Stretch", &S::Stretch),
      b("Default", "Proportional", &S::Proportional),
      b("Default", "Sound", &S::Sound),
      b("Default", "Random", &S::Random),
      i("Default", "Duration", &S::Duration),
      b("Default", "Transition", &S::Transition),
      i("Default", "TransitionTime", &S::TransitionTime),
      t("Default", "TransitionEffects", &S::TransitionEffects),
      b("Default", "Zoom", &S::Zoom),
      b("Default", "LivingZoom", &S::LivingZoom),
      i("Default", "ZoomDuration", &S::ZoomDuration),
      b("Default", "AutoWallpaper", &S::AutoWallpaper),
      i("Default", "Speed", &S::Speed),
      b("Default", "Music", &S::Music),
      b("Default", "Animation", &S::Animation),
      i("Default", "ShowImageMode", &S::ShowImageMode),
      b("Default", "DirectX", &S::DirectX),
      i("Default", "DirectXQuality", &S::DirectXQuality),
      beyond(i("Default", "Monitors", &S::Monitors)),
      beyond(b("Default", "PanZoom", &S::PanZoom)),
      beyond(i("Default", "PanZoomPercent", &S::PanZoomPercent)),
      t("Advance", "MusicFile", &S::MusicFile),
      i("Advance", "MusicMode", &S::MusicMode),
      t("Advance", "PreviewFile", &S::PreviewFile),
      i("Build", "BuildMethod", &S::BuildMethod),
      t("Build", "BuildFileName", &S::BuildFileName),
      b("Build", "BuildSmallThumbs", &S::BuildSmallThumbs),
      t("Build", "BuildIcon", &S::BuildIcon),
      t("Build", "BuildInstall", &S::BuildInstall),
      b("Build", "CustomIcon", &S::CustomIcon),
  };
  return fields;
}

const TSettingField* FindSettingField(std::string_view section, std::string_view key) {
  for (const TSettingField& f : SettingFields())
    if (EqualsIgnoreCase(f.section, section) && EqualsIgnoreCase(f.key, key)) return &f;
  return nullptr;
}

// TUISetting

void TUISetting::LoadFromFile(const std::string& file) { LoadFromIni(TIniFile::FromFile(file)); }

void TUISetting::LoadFromText(std::string_view text) { LoadFromIni(TIniFile::FromText(text)); }

void TUISetting::LoadFromIni(const TIniFile& ini) { UIFile = ini.ReadString("UI", "UIFile", ""); }

std::string TUISetting::ToIniText() const {
  CheckStorableValue("UIFile", UIFile);
  return "[UI]\r\nUIFile=" + UIFile + "\r\n";
}

// TQVCProject

std::string ContainerIntermediateFile(const std::string& containerFile, const std::string& tempPath, int number) {
  std::string name = FileNamePart(containerFile);
  std::string stem;
  if (name.size() >= 2) {
    size_t dot = name.rfind('.', name.size() - 2);
    if (dot != std::string::npos) stem = name.substr(0, dot + 1);
  }
  return tempPath + "QV" + stem + "~" + std::to_string(number) + ".tmp";
}

void TQVCProject::LoadContainer(const std::string& containerFile, const std::string& tempPath) {
  TBlockMarker marker = FindBlockMarker(containerFile);
  size_t count = marker.found ? marker.blockCount : 0;
  if (count != 3 && count != 4) {
    fileList_.Clear();
    return;
  }
  std::vector<std::string> outputs;
  for (size_t n = 1; n <= count; ++n)
    outputs.push_back(CreateIntermediateFile(ContainerIntermediateFile(containerFile, tempPath, static_cast<int>(n))));
  struct TRemover {
    const std::vector<std::string>& files;
    ~TRemover() {
      for (const std::string& file : files)
        if (!file.empty()) platform::RemoveFile(file);
    }
  } remover{outputs};

  ExtractBlocks(containerFile, outputs);
  auto load = [](auto& object, const std::string& file) {
    if (file.empty()) object.LoadFromText("");
    else object.LoadFromFile(file);
  };
  load(fileList_, outputs[0]);
  load(setting_, outputs[1]);
  load(uiSetting_, outputs[2]);
}

}  // namespace qv
