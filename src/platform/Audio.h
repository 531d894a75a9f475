// The audio services the saver uses: one music player with an end-of-track
// notification, and eight sound players over a mixer with a one-sound
// fallback. The core converts sounds to 16-bit PCM before it hands them over.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv::platform {

// Signed 16-bit interleaved samples.
struct TPcmSound {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;
};

class IMusicPlayer {
 public:
  virtual ~IMusicPlayer() = default;
  // Closes what was open first; false when the file cannot be opened.
  virtual bool Open(const std::string& path) = 0;
  // Plays the open file once from the start; false when nothing is open.
  virtual bool Play() = 0;
  virtual void Close() = 0;
  // True once the open file has played to its end.
  virtual bool AtEnd() const = 0;
  // Called on the UI thread after a track has stopped playing.
  virtual void SetFinishedHandler(std::function<void()> handler) = 0;
};

class ISoundPlayers {
 public:
  static constexpr int kPlayers = 8;
  virtual ~ISoundPlayers() = default;
  // Readies the eight players; false when the mixer is not available, in
  // which case only the simple playback below is used.
  virtual bool Open() = 0;
  // The rate and channel count Load expects.
  virtual int Rate() const = 0;
  virtual int Channels() const = 0;
  // Replaces the player's sound (stopping it).
  virtual void Load(int slot, std::vector<int16_t> samples) = 0;
  // Starts the player's sound from its beginning; a player still playing
  // plays on, untouched, as a sound buffer asked to play again does.
  virtual void Play(int slot, bool loop) = 0;
  virtual void Stop(int slot) = 0;
  // Attenuation in hundredths of a decibel: 0 is full volume, -800 is -8 dB.
  virtual void SetVolume(int slot, int hundredthsOfDb) = 0;
  virtual void StopAll() = 0;
  // Stops and frees the eight players.
  virtual void Close() = 0;

  // One sound at a time without the mixer; silence where there is none.
  virtual void PlaySimple(const TPcmSound& sound, bool loop) = 0;
  virtual void StopSimple() = 0;
};

// The audio device of one saver window: opened when the window shows, closed
// when it closes. Without a device both players stay silent.
class IAudio {
 public:
  virtual ~IAudio() = default;
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual IMusicPlayer& Music() = 0;
  virtual ISoundPlayers& Sounds() = 0;
};

// An attenuation in hundredths of a decibel as a linear mixer volume of
// 0..128: 128 * 10^(dB / 20), with dB = hundredths / 100, rounded and
// clamped (0 dB is 128, -8 dB is 51, -100 dB and below are silent).
inline int MixerVolume(int hundredthsOfDb) {
  const double gain = std::pow(10.0, static_cast<double>(hundredthsOfDb) / 2000.0);
  return static_cast<int>(std::clamp(std::lround(128.0 * gain), 0L, 128L));
}

}  // namespace qv::platform
