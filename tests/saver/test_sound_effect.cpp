#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Limits.h"
#include "graphics/SoundFormats/uWave.h"
#include "platform/doubles/AudioDouble.h"
#include "saver/uSoundEffect.h"
#include "support/TempDir.h"

using qv::TSoundEffect;
using Calls = std::vector<std::string>;

namespace {

class SoundEffect : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  qv::platform::TAudioDouble audio;
  qv::platform::TSoundPlayersDouble& players = audio.sounds;

  // A mono 16-bit WAVE of `frames` samples at `rate`.
  std::string MakeWave(const std::string& name, int rate = 44100, int frames = 4) {
    qv::TWave wave;
    wave.format = qv::PcmFormatBlock(rate, 1, 16);
    wave.data.assign(static_cast<size_t>(frames) * 2, 0x10);
    const std::vector<uint8_t> bytes = wave.ToBytes();
    qvtest::WriteFile(dir.file(name), std::string(bytes.begin(), bytes.end()));
    return dir.file(name);
  }
  Calls TakeCalls() {
    Calls taken;
    taken.swap(audio.calls);
    return taken;
  }
};

TEST_F(SoundEffect, OpensInMixingModeAtVolumeEighty) {
  TSoundEffect effect(players);
  EXPECT_EQ(effect.Mode(), TSoundEffect::kMixing);
  EXPECT_EQ(effect.Volume(), 80);
  EXPECT_EQ(TakeCalls(), (Calls{"sound.open"}));
}

TEST_F(SoundEffect, AddLoadsEachFileIntoTheNextPlayerConverted) {
  TSoundEffect effect(players);
  EXPECT_EQ(effect.Add(MakeWave("a.wav")), 0);
  EXPECT_EQ(effect.Add(MakeWave("b.wav", 11025, 4)), 1);
  EXPECT_EQ(effect.Names(), (std::vector<std::string>{dir.file("a.wav"), dir.file("b.wav")}));
  // Mono becomes stereo; 11025 Hz becomes 44100 Hz.
  EXPECT_EQ(players.loaded[0].size(), 4u * 2);
  EXPECT_EQ(players.loaded[1].size(), 16u * 2);
}

TEST_F(SoundEffect, PlaySetsMinusEightDecibelsThenPlaysOnceOrLooped) {
  TSoundEffect effect(players);
  effect.Add(MakeWave("a.wav"));
  effect.Add(MakeWave("b.wav"));
  TakeCalls();
  effect.Play(1, true);
  effect.Play(0, false);
  EXPECT_EQ(TakeCalls(), (Calls{"sound.volume 1 -800", "sound.play 1 loop", "sound.volume 0 -800", "sound.play 0 once"}));
  effect.SetVolume(100);
  effect.Play(0, false);
  EXPECT_EQ(TakeCalls().front(), "sound.volume 0 0");
}

TEST_F(SoundEffect, PlayBeyondTheLoadedNamesDoesNothing) {
  TSoundEffect effect(players);
  effect.Add(MakeWave("a.wav"));
  TakeCalls();
  effect.Play(1, false);
  effect.Play(7, true);
  effect.Play(-1, true);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(SoundEffect, ANinthAddIsRefusedAndLoadsNothing) {
  TSoundEffect effect(players);
  const std::string file = MakeWave("a.wav");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(effect.Add(file), i);
  TakeCalls();
  EXPECT_EQ(effect.Add(file), -1);
  EXPECT_EQ(effect.Names().size(), 8u);
  effect.Play(8, false);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(SoundEffect, AFileWithATagBlockOrStrayBytesAfterItsSamplesPlays) {
  TSoundEffect effect(players);
  const std::string tagged = MakeWave("tagged.wav");
  const std::string stray = MakeWave("stray.wav");
  {
    std::ofstream(tagged, std::ios::binary | std::ios::app) << "TAG" << std::string(125, 'x');
    std::ofstream(stray, std::ios::binary | std::ios::app) << "abc";
  }
  EXPECT_EQ(effect.Add(tagged), 0);
  EXPECT_EQ(effect.Add(stray), 1);
  EXPECT_EQ(players.loaded[0].size(), 4u * 2);
  EXPECT_EQ(players.loaded[1].size(), 4u * 2);
}

TEST_F(SoundEffect, AFileThatFailsToLoadKeepsItsSlotSilent) {
  TSoundEffect effect(players);
  effect.Add(MakeWave("a.wav"));
  effect.Add(MakeWave("b.wav"));
  effect.Clear();
  qvtest::WriteFile(dir.file("bad.wav"), "RIFX....WAVE");
  effect.Add(MakeWave("c.wav"));
  try {
    effect.Add(dir.file("bad.wav"));
    FAIL();
  } catch (const qv::EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Wave is invalid");
  }
  EXPECT_THROW(effect.Add(dir.file("missing.wav")), qv::EQVError);
  EXPECT_EQ(effect.Names().size(), 3u);
  // Slot 1 held the earlier project's sound; now it holds none.
  EXPECT_TRUE(players.loaded[1].empty());
  EXPECT_EQ(effect.Add(MakeWave("d.wav")), 3);
}

TEST_F(SoundEffect, AFileOverTheCapIsRefusedBeforeItIsRead) {
  TSoundEffect effect(players);
  qvtest::WriteFile(dir.file("big.wav"), "");
  std::filesystem::resize_file(dir.file("big.wav"), qv::kMaxWaveBytes + 1);  // sparse
  try {
    effect.Add(dir.file("big.wav"));
    FAIL();
  } catch (const qv::EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("larger than 256 MiB"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(players.loaded[0].empty());
}

TEST_F(SoundEffect, ASilentSlotEmptiesItsPlayerAndKeepsTheLaterSlotsInTheirNumbers) {
  TSoundEffect effect(players);
  effect.Add(MakeWave("a.wav"));
  effect.Clear();
  EXPECT_EQ(effect.AddSilent("C:\\gone.wav"), 0);
  EXPECT_TRUE(players.loaded[0].empty()) << "the earlier project's sound is gone";
  EXPECT_EQ(effect.Add(MakeWave("b.wav")), 1);
  TakeCalls();
  effect.Play(0, true);
  effect.Play(1, false);
  EXPECT_EQ(TakeCalls(), (Calls{"sound.volume 0 -800", "sound.play 0 loop", "sound.volume 1 -800", "sound.play 1 once"}));
  for (int i = 2; i < 8; ++i) effect.AddSilent("x");
  EXPECT_EQ(effect.AddSilent("ninth"), -1);
  EXPECT_EQ(effect.Names().size(), 8u);

  // Without a mixer a silent slot 0 forgets the simple call's sound.
  players.mixerAvailable = false;
  TSoundEffect simple(players);
  simple.Add(MakeWave("c.wav"));
  simple.Clear();
  simple.AddSilent("gone.wav");
  TakeCalls();
  simple.Play(0, true);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(SoundEffect, ClearEmptiesTheNamesAndStopAllStopsThePlayers) {
  TSoundEffect effect(players);
  effect.Add(MakeWave("a.wav"));
  effect.StopAll();
  effect.Clear();
  EXPECT_TRUE(effect.Names().empty());
  TakeCalls();
  effect.Play(0, false);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(SoundEffect, DestroyStopsAndFreesThePlayers) {
  { TSoundEffect effect(players); }
  EXPECT_EQ(TakeCalls(), (Calls{"sound.open", "sound.stopall", "sound.close"}));
}

TEST_F(SoundEffect, WithoutAMixerOnlySlotZeroPlaysThroughTheSimpleCall) {
  players.mixerAvailable = false;
  {
    TSoundEffect effect(players);
    EXPECT_EQ(effect.Mode(), TSoundEffect::kFallback);
    EXPECT_EQ(effect.Add(MakeWave("a.wav", 22050, 6)), 0);
    EXPECT_EQ(effect.Add(MakeWave("b.wav")), 1);
    TakeCalls();
    effect.Play(1, false);
    EXPECT_TRUE(TakeCalls().empty());
    effect.Play(0, true);
    EXPECT_EQ(TakeCalls(), (Calls{"simple.play 1 loop"}));
    // The simple call plays the sound at its own rate.
    EXPECT_EQ(players.simple.rate, 22050);
    EXPECT_EQ(players.simple.samples.size(), 6u);
    effect.StopAll();
    EXPECT_EQ(TakeCalls(), (Calls{"simple.stop"}));
  }
  EXPECT_EQ(TakeCalls(), (Calls{"simple.stop"}));
}

TEST_F(SoundEffect, InFallbackOnlySlotZerosFileIsRead) {
  players.mixerAvailable = false;
  TSoundEffect effect(players);
  effect.Add(MakeWave("a.wav"));
  EXPECT_EQ(effect.Add(dir.file("missing.wav")), 1);
  EXPECT_EQ(effect.Names().size(), 2u);
}

TEST(MixerVolume, IsOneHundredTwentyEightTimesTheLinearGain) {
  using qv::platform::MixerVolume;
  EXPECT_EQ(MixerVolume(0), 128);
  EXPECT_EQ(MixerVolume(-800), 51);    // 128 * 10^(-8/20) = 50.96
  EXPECT_EQ(MixerVolume(-600), 64);    // -6 dB is about half
  EXPECT_EQ(MixerVolume(-4000), 1);    // volume 0: 128 * 0.01
  EXPECT_EQ(MixerVolume(-10000), 0);
  EXPECT_EQ(MixerVolume(600), 128);
}

}  // namespace
