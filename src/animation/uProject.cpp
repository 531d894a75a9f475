#include "animation/uProject.h"

#include <exception>
#include <new>

#include "animation/uFileLoader.h"
#include "common/CommaText.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "project/uIniFile.h"

namespace qv {

namespace {

TBuildTarget ReadTarget(const TIniFile& ini, std::string_view section) {
  TBuildTarget t;
  t.Filename = ini.ReadString(section, "Filename", "");
  t.MusicFile = ini.ReadString(section, "MusicFile", "");
  t.Music = ini.ReadBool(section, "Music", false);
  t.Sound = ini.ReadBool(section, "Sound", true);
  return t;
}

}  // namespace


void TProject::Reset() {
  loaded_ = false;
  fileName_.clear();
  title_.clear();
  comment_.clear();
  loadError_.clear();
  loadNotes_.clear();
  picture_ = preview_ = mask_ = TBitmap32();
  unfittedWidth_ = unfittedHeight_ = 0;
  areas_ = {};
  weather_ = {};
  sounds_ = {};
  objects_.clear();
  build_ = {};
}

bool TProject::Load(const std::string& fileName) {
  Reset();
  try {
    TFileLoader loader;
    loader.ReadFile(fileName);
    loadNotes_ = loader.Notes();
    loader.CopyMask(mask_);
    loader.CopyPicture(picture_);
    if (mask_.Width() != picture_.Width() || mask_.Height() != picture_.Height())
      throw EQVError("Incorrect Project File! The area mask is " + std::to_string(mask_.Width()) + " x " +
                     std::to_string(mask_.Height()) + " pixels, the picture " + std::to_string(picture_.Width()) +
                     " x " + std::to_string(picture_.Height()) + ".");
    loader.CopyPreview(preview_);
    loader.CopyAreas(areas_);
    loader.CopyWeather(weather_);
    loader.CopySounds(sounds_);
    fileName_ = fileName;
    title_ = loader.Title();
    comment_ = loader.Comment();
    std::string sound = loader.Sound();

    unfittedWidth_ = picture_.Width();
    unfittedHeight_ = picture_.Height();
    if (weather_.Opacity == 0 && weather_.Kind == 1) weather_.Opacity = 9;
    if (weather_.Opacity == 0 && weather_.Kind == 2) weather_.Opacity = 6;
    // The one sound name of older files goes into the first free slot; with
    // all eight slots taken it is dropped.
    if (!sound.empty() && UpperAscii(sound) != kNoSound) {
      const int free = SoundCount();
      if (free < kSoundSlots) sounds_[static_cast<size_t>(free)] = TSoundSlot{sound, 0, 0, 0};
    }
    loaded_ = true;
    objects_ = ReadObjectDescriptions(loader.Objects());

    const std::vector<std::string> lines = CommaTextItems(loader.BuildSettings());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const TIniFile ini = TIniFile::FromText(text);
    build_.BuildScr = ReadTarget(ini, "BuildScr");
    build_.BuildExe = ReadTarget(ini, "BuildExe");
    return true;
  } catch (const EQVError& e) {
    loadError_ = e.what();
  } catch (const std::bad_alloc&) {
    loadError_ = "Out of memory";
  } catch (const std::exception& e) {
    loadError_ = e.what();
  }
  return false;
}

bool TProject::LoadHeader(const std::string& fileName, platform::IDialogs& dialogs) {
  try {
    TFileLoader loader;
    loader.ReadHeaderFile(fileName);
    loader.CopyPreview(preview_);
    fileName_ = fileName;
    title_ = loader.Title();
    comment_ = loader.Comment();
    loaded_ = true;
    return true;
  } catch (const EQVError& e) {
    loadError_ = e.what();
  } catch (const std::bad_alloc&) {
    loadError_ = "Out of memory";
  } catch (const std::exception& e) {
    loadError_ = e.what();
  }
  dialogs.Error("File: " + fileName + "\n" + loadError_);
  return false;
}

TWaveParam& TProject::Area(int index) {
  if (index < 0 || index >= kAreaCount) throw EQVError("There is no water area " + std::to_string(index));
  return areas_[static_cast<size_t>(index)];
}

const TWaveParam& TProject::Area(int index) const { return const_cast<TProject*>(this)->Area(index); }

int TProject::SoundCount() const {
  for (int i = 0; i < kSoundSlots; ++i)
    if (sounds_[static_cast<size_t>(i)].Name.empty()) return i;
  return kSoundSlots;
}

const TSoundSlot& TProject::Sound(int index) const {
  if (index < 0 || index >= kSoundSlots) throw EQVError("There is no sound slot " + std::to_string(index));
  return sounds_[static_cast<size_t>(index)];
}

}  // namespace qv
