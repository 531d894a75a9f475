#include "saver/uSoundEffect.h"

#include <algorithm>

#include "common/Limits.h"
#include "graphics/SoundFormats/uWave.h"
#include "platform/Files.h"

namespace qv {

TSoundEffect::TSoundEffect(platform::ISoundPlayers& players) : players_(players) {
  mode_ = players_.Open() ? kMixing : kFallback;
}

TSoundEffect::~TSoundEffect() {
  names_.clear();
  StopAll();
  if (mode_ == kMixing) players_.Close();
}

int TSoundEffect::Add(const std::string& fileName) {
  if (names_.size() >= static_cast<size_t>(kSlots)) return -1;
  const int slot = static_cast<int>(names_.size());
  names_.push_back(fileName);
  if (mode_ == kFallback && slot != 0) return slot;

  TWave wave;
  if (mode_ == kMixing) {
    try {
      wave.LoadFromBytes(platform::ReadWholeFile(fileName, kMaxWaveBytes));
      players_.Load(slot, ConvertToPcm16(wave, players_.Rate(), players_.Channels()));
    } catch (...) {
      // The slot may hold the sound of an earlier project.
      players_.Load(slot, {});
      throw;
    }
  } else {
    wave.LoadFromBytes(platform::ReadWholeFile(fileName, kMaxWaveBytes));
    const TWaveFormat format = ParseWaveFormat(wave.format);
    platform::TPcmSound sound;
    sound.rate = format.rate;
    sound.channels = std::min(format.channels, 2);
    sound.samples = ConvertToPcm16(wave, sound.rate, sound.channels);
    simple_ = std::move(sound);
  }
  return slot;
}

int TSoundEffect::AddSilent(const std::string& name) {
  if (names_.size() >= static_cast<size_t>(kSlots)) return -1;
  const int slot = static_cast<int>(names_.size());
  names_.push_back(name);
  // The player may still hold the sound of an earlier project.
  if (mode_ == kMixing) players_.Load(slot, {});
  else if (slot == 0) simple_ = {};
  return slot;
}

void TSoundEffect::Play(int index, bool loop) {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return;
  if (mode_ == kMixing) {
    players_.SetVolume(index, volume_ * 40 - 4000);
    players_.Play(index, loop);
  } else if (index == 0 && !simple_.samples.empty()) {
    players_.PlaySimple(simple_, loop);
  }
}

void TSoundEffect::Clear() {
  names_.clear();
  simple_ = {};
}

void TSoundEffect::StopAll() {
  if (mode_ == kMixing) {
    players_.StopAll();
  } else {
    players_.StopSimple();
  }
}

}  // namespace qv
