// A stand-in for the audio device that records what the saver asks of it.
// Each call appends one line to `calls`, e.g. "music.open a.mp3",
// "sound.play 2 loop", "sound.volume 2 -800", "simple.play 1 once".
#pragma once
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Audio.h"

namespace qv::platform {

class TMusicPlayerDouble final : public IMusicPlayer {
 public:
  explicit TMusicPlayerDouble(std::vector<std::string>& calls) : calls_(calls) {}

  bool Open(const std::string& path) override {
    calls_.push_back("music.open " + path);
    atEnd_ = false;
    open_ = !unopenable.count(path);
    openPath = open_ ? path : std::string();
    return open_;
  }
  bool Play() override {
    calls_.push_back("music.play");
    return open_;
  }
  void Close() override {
    calls_.push_back("music.close");
    open_ = false;
    atEnd_ = false;
    openPath.clear();
  }
  bool AtEnd() const override { return open_ && atEnd_; }
  void SetFinishedHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

  // The open track plays to its end and the notification arrives.
  void FinishTrack() {
    atEnd_ = true;
    Notify();
  }
  // A notification without the track having ended.
  void Notify() {
    if (handler_) handler_();
  }
  bool HasHandler() const { return static_cast<bool>(handler_); }

  std::set<std::string> unopenable;
  std::string openPath;

 private:
  std::vector<std::string>& calls_;
  std::function<void()> handler_;
  bool open_ = false;
  bool atEnd_ = false;
};

class TSoundPlayersDouble final : public ISoundPlayers {
 public:
  explicit TSoundPlayersDouble(std::vector<std::string>& calls) : calls_(calls) {}

  bool Open() override {
    calls_.push_back(mixerAvailable ? "sound.open" : "sound.open failed");
    return mixerAvailable;
  }
  int Rate() const override { return rate; }
  int Channels() const override { return channels; }
  void Load(int slot, std::vector<int16_t> samples) override {
    calls_.push_back("sound.load " + std::to_string(slot) + " " + std::to_string(samples.size()));
    if (slot >= 0 && slot < kPlayers) loaded[static_cast<size_t>(slot)] = std::move(samples);
  }
  void Play(int slot, bool loop) override {
    calls_.push_back("sound.play " + std::to_string(slot) + (loop ? " loop" : " once"));
  }
  void Stop(int slot) override { calls_.push_back("sound.stop " + std::to_string(slot)); }
  void SetVolume(int slot, int hundredthsOfDb) override {
    calls_.push_back("sound.volume " + std::to_string(slot) + " " + std::to_string(hundredthsOfDb));
  }
  void StopAll() override { calls_.push_back("sound.stopall"); }
  void Close() override { calls_.push_back("sound.close"); }
  void PlaySimple(const TPcmSound& sound, bool loop) override {
    calls_.push_back("simple.play " + std::to_string(sound.channels) + (loop ? " loop" : " once"));
    simple = sound;
  }
  void StopSimple() override { calls_.push_back("simple.stop"); }

  bool mixerAvailable = true;
  int rate = 44100;
  int channels = 2;
  std::vector<int16_t> loaded[kPlayers];
  TPcmSound simple;

 private:
  std::vector<std::string>& calls_;
};

class TAudioDouble final : public IAudio {
 public:
  bool Open() override {
    calls.push_back("audio.open");
    return deviceAvailable;
  }
  void Close() override { calls.push_back("audio.close"); }
  IMusicPlayer& Music() override { return music; }
  ISoundPlayers& Sounds() override { return sounds; }

  std::vector<std::string> calls;
  bool deviceAvailable = true;
  TMusicPlayerDouble music{calls};
  TSoundPlayersDouble sounds{calls};
};

}  // namespace qv::platform
