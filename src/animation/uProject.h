// An animated picture (.QVP) in memory: the still picture, its area mask and
// preview, four water areas, the weather, up to eight sounds, the objects'
// descriptions and the build settings. Plain data: loading one starts
// nothing. The saver plays it through the engine; the thumbnail grid reads
// only its header.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "animation/uObjectDescription.h"
#include "animation/uProjectTypes.h"
#include "graphics/Bitmap32.h"
#include "platform/Dialogs.h"

namespace qv {

class TProject {
 public:
  TProject() = default;
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  // The full load; false on any error, with no message (LoadError says why).
  // A failed load leaves the project partly filled, never half-read pictures.
  bool Load(const std::string& fileName);
  // Title, comment and preview only; on error shows "File: " + name + a line
  // break + the error's message and returns false.
  bool LoadHeader(const std::string& fileName, platform::IDialogs& dialogs);
  const std::string& LoadError() const { return loadError_; }
  // What the last full load passed over: data beyond what the picture needs.
  const std::vector<std::string>& LoadNotes() const { return loadNotes_; }

  bool Loaded() const { return loaded_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& Title() const { return title_; }
  const std::string& Comment() const { return comment_; }

  TBitmap32& Picture() { return picture_; }
  const TBitmap32& Picture() const { return picture_; }
  TBitmap32& Mask() { return mask_; }
  const TBitmap32& Mask() const { return mask_; }
  const TBitmap32& Preview() const { return preview_; }
  // The picture size right after loading; fitting does not change it.
  int UnfittedWidth() const { return unfittedWidth_; }
  int UnfittedHeight() const { return unfittedHeight_; }

  void SetSpeed(int32_t percent) { speed_ = percent; }
  int32_t Speed() const { return speed_; }
  // Index 0..3; anything else throws EQVError.
  TWaveParam& Area(int index);
  const TWaveParam& Area(int index) const;
  TWeatherParam& Weather() { return weather_; }
  const TWeatherParam& Weather() const { return weather_; }

  // The first slot whose name is empty, or 8 when all hold one.
  int SoundCount() const;
  const TSoundSlot& Sound(int index) const;  // 0..7
  // The objects' descriptions, in the order they play.
  std::vector<TObjectDescription>& Objects() { return objects_; }
  const std::vector<TObjectDescription>& Objects() const { return objects_; }
  const TExtraInfo& Build() const { return build_; }

 private:
  void Reset();

  bool loaded_ = false;
  std::string fileName_, title_, comment_, loadError_;
  std::vector<std::string> loadNotes_;
  TBitmap32 picture_, preview_, mask_;
  int unfittedWidth_ = 0, unfittedHeight_ = 0;
  int32_t speed_ = 100;
  std::array<TWaveParam, kAreaCount> areas_;
  TWeatherParam weather_;
  std::array<TSoundSlot, kSoundSlots> sounds_;
  std::vector<TObjectDescription> objects_;
  TExtraInfo build_;
};

}  // namespace qv
