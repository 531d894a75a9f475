// Settings given on a daemon's command line for one run: they win over the
// project and the user's own settings, and are stored nowhere.
#pragma once
#include <cstdint>
#include <optional>

namespace qv {

class TQVCSetting;

// The shortest and longest picture duration a command line may ask for, in seconds.
inline constexpr int32_t kMinOverrideDuration = 1;
inline constexpr int32_t kMaxOverrideDuration = 24 * 3600;

struct TRunOverrides {
  std::optional<int32_t> duration;  // seconds each picture stays
  std::optional<bool> music;
  std::optional<bool> sound;        // the sound effects of animated pictures
  std::optional<bool> transition;   // transition effects between pictures

  // Sets the fields that were given; the others keep their values.
  void ApplyTo(TQVCSetting& setting) const;
};

}  // namespace qv
