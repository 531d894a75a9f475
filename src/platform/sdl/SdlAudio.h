// The audio services on SDL2_mixer: music through Mix_Music, the eight sound
// players on mixer channels 0..7, and a plain SDL audio device for the simple
// playback when the mixer cannot open.
#pragma once
#include <SDL.h>
#include <SDL_mixer.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Audio.h"

namespace qv::platform {

class TSdlAudio;

class TSdlMusicPlayer final : public IMusicPlayer {
 public:
  explicit TSdlMusicPlayer(const TSdlAudio& audio) : audio_(audio) {}
  ~TSdlMusicPlayer() override { Close(); }
  bool Open(const std::string& path) override;
  bool Play() override;
  void Close() override;
  bool AtEnd() const override;
  void SetFinishedHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  void Finished() const {
    if (handler_) handler_();
  }

 private:
  const TSdlAudio& audio_;
  Mix_Music* music_ = nullptr;
  bool started_ = false;
  std::function<void()> handler_;
};

class TSdlSoundPlayers final : public ISoundPlayers {
 public:
  explicit TSdlSoundPlayers(const TSdlAudio& audio) : audio_(audio) {}
  ~TSdlSoundPlayers() override;
  bool Open() override;
  int Rate() const override;
  int Channels() const override;
  void Load(int slot, std::vector<int16_t> samples) override;
  void Play(int slot, bool loop) override;
  void Stop(int slot) override;
  void SetVolume(int slot, int hundredthsOfDb) override;
  void StopAll() override;
  void Close() override;
  void PlaySimple(const TPcmSound& sound, bool loop) override;
  void StopSimple() override;

 private:
  // What the simple device's callback plays; guarded by the device lock.
  struct TSimpleVoice {
    std::vector<int16_t> samples;
    size_t at = 0;
    bool loop = false;
  };
  static void SDLCALL FillSimple(void* voice, Uint8* stream, int length);
  bool Valid(int slot) const { return open_ && slot >= 0 && slot < kPlayers; }

  const TSdlAudio& audio_;
  bool open_ = false;
  Mix_Chunk* chunks_[kPlayers] = {};
  std::vector<int16_t> buffers_[kPlayers];
  SDL_AudioDeviceID simpleDevice_ = 0;
  TSimpleVoice simple_;
};

// Open initialises SDL's audio (and event) subsystem and the mixer at 44100
// Hz, 16-bit stereo. Without a device it returns false and everything stays
// silent; with a device but no mixer (or `useMixer` false) only the simple
// playback sounds.
class TSdlAudio final : public IAudio {
 public:
  explicit TSdlAudio(bool useMixer = true);
  ~TSdlAudio() override;
  TSdlAudio(const TSdlAudio&) = delete;
  TSdlAudio& operator=(const TSdlAudio&) = delete;

  bool Open() override;
  void Close() override;
  IMusicPlayer& Music() override { return music_; }
  ISoundPlayers& Sounds() override { return sounds_; }

  // The event pump hands every event here; the end of a track, posted from
  // SDL's audio thread, calls the music's finished handler on this thread.
  // True when the event was the audio's own.
  bool HandleEvent(const SDL_Event& event);

  bool MixerOpen() const { return mixerOpen_; }
  bool DeviceOpen() const { return subsystemOpen_; }
  int Rate() const { return rate_; }
  int Channels() const { return channels_; }

 private:
  bool useMixer_;
  bool subsystemOpen_ = false;
  bool mixerOpen_ = false;
  int rate_ = 44100;
  int channels_ = 2;
  TSdlMusicPlayer music_;
  TSdlSoundPlayers sounds_;
};

}  // namespace qv::platform
