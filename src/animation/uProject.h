// An animated picture (.QVP) in memory: the still picture, its area mask and
// preview, four water areas, the weather, up to eight sounds, the animated
// objects and the build settings. The saver plays it through the engine; the
// thumbnail grid reads only its header.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "animation/uAnimObjects.h"
#include "graphics/Bitmap32.h"
#include "platform/Dialogs.h"

namespace qv {

// One water area (32 bytes in the file).
struct TWaveParam {
  int32_t Amplitude = 0;
  int32_t WaveCount = 0;
  int32_t Speed = 0;
  int32_t Forward = 0;  // non-zero: the phase grows
  bool Horizontal = false;
  bool Vertical = false;
  bool Perspective = false;
  int32_t Period = 0;  // degrees
  int32_t Jitter = 0;
  bool Reflection = false;
  friend bool operator==(const TWaveParam&, const TWaveParam&) = default;
};

// The weather (24 bytes in the file): Kind 0 none, 1 snow, 2 rain.
struct TWeatherParam {
  int32_t Kind = 0;
  int32_t Count = 0;
  int32_t SpeedLevel = 0;
  int32_t Angle = 0;
  int32_t Length = 0;
  int32_t Opacity = 0;
  friend bool operator==(const TWeatherParam&, const TWeatherParam&) = default;
};

// One sound (268 bytes in the file). Play mode 0 loops from the start, 1
// plays at random intervals between Interval and IntervalMax seconds, 2 every
// Interval seconds.
struct TSoundSlot {
  std::string Name;  // at most 255 characters; empty ends the list
  int32_t PlayMode = 0;
  int32_t Interval = 0;
  int32_t IntervalMax = 0;
  friend bool operator==(const TSoundSlot&, const TSoundSlot&) = default;
};

inline constexpr int kAreaCount = 4;
inline constexpr int kSoundSlots = 8;
// The area colours of the mask, areas 1 to 4, as 0x00RRGGBB pixel values.
inline constexpr uint32_t kAreaColors[kAreaCount] = {0x0000FF, 0xFF00FF, 0xFF0000, 0xFFFF00};

// The build settings of one target of the authoring tool.
struct TBuildTarget {
  std::string Filename;
  std::string MusicFile;
  bool Music = false;
  bool Sound = true;
  friend bool operator==(const TBuildTarget&, const TBuildTarget&) = default;
};

struct TExtraInfo {
  TBuildTarget BuildScr;  // screensaver
  TBuildTarget BuildExe;  // program
};

// The items of a comma text: separated by commas or blanks, an item in double
// quotes may hold both (a doubled quote stands for one), as the system's
// string lists read and write them.
std::vector<std::string> CommaTextItems(std::string_view text);
std::string ToCommaText(const std::vector<std::string>& items);

class TProject {
 public:
  explicit TProject(const TAnimEnvironment& environment);
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  // The full load; false on any error, with no message (LoadError says why).
  // A failed load leaves the project partly filled, never half-read pictures.
  bool Load(const std::string& fileName);
  // Title, comment and preview only; on error shows "File: " + name + a line
  // break + the error's message and returns false.
  bool LoadHeader(const std::string& fileName, platform::IDialogs& dialogs);
  const std::string& LoadError() const { return loadError_; }

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
  TAnimObjects& Objects() { return objects_; }
  const TAnimObjects& Objects() const { return objects_; }
  const TExtraInfo& Build() const { return build_; }

 private:
  void Reset();

  bool loaded_ = false;
  std::string fileName_, title_, comment_, loadError_;
  TBitmap32 picture_, preview_, mask_;
  int unfittedWidth_ = 0, unfittedHeight_ = 0;
  int32_t speed_ = 100;
  std::array<TWaveParam, kAreaCount> areas_;
  TWeatherParam weather_;
  std::array<TSoundSlot, kSoundSlots> sounds_;
  TAnimObjects objects_;
  TExtraInfo build_;
};

}  // namespace qv
