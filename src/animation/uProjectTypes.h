// The plain parts of an animated picture: water areas, weather, sounds and
// build settings, as the file stores them and the project holds them.
#pragma once
#include <cstdint>
#include <string>

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

}  // namespace qv
