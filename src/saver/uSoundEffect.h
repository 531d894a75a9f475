// The sound effects of animated-picture projects: eight players, one per
// slot, over the platform's mixer, or slot 0 alone through the simple
// playback when the mixer cannot open.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Audio.h"

namespace qv {

class TSoundEffect {
 public:
  enum TMode : uint8_t { kMixing = 0, kFallback = 2 };
  static constexpr int kSlots = platform::ISoundPlayers::kPlayers;

  // Opens the players; the mode says whether the mixer was there.
  explicit TSoundEffect(platform::ISoundPlayers& players);
  // Stops everything and, in mixing mode, frees the players.
  ~TSoundEffect();
  TSoundEffect(const TSoundEffect&) = delete;
  TSoundEffect& operator=(const TSoundEffect&) = delete;

  // Appends the name and loads the WAVE into the player of the new slot,
  // returning the slot. Errors of the file (EWaveStreamError) propagate with
  // the name kept, so its slot stays silent and the later slots keep their
  // numbers. With all eight slots taken the name is refused: nothing is
  // loaded and the result is -1.
  int Add(const std::string& fileName);
  // Appends the name with no sound behind it (a file found nowhere): the
  // slot stays silent and the later slots keep their numbers. -1 when all
  // eight slots are taken.
  int AddSilent(const std::string& name);
  // Once, or looped from the start; an index without a name does nothing.
  void Play(int index, bool loop);
  void Clear();
  void StopAll();

  TMode Mode() const { return mode_; }
  const std::vector<std::string>& Names() const { return names_; }
  // The project's volume (80 by default); a player gets volume x 40 - 4000
  // hundredths of a decibel.
  int Volume() const { return volume_; }
  void SetVolume(int volume) { volume_ = volume; }

 private:
  platform::ISoundPlayers& players_;
  TMode mode_ = kFallback;
  int32_t volume_ = 80;
  std::vector<std::string> names_;
  // Fallback mode keeps slot 0's sound for the simple playback.
  platform::TPcmSound simple_;
};

}  // namespace qv
