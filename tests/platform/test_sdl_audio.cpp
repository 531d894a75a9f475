// The SDL2_mixer audio under SDL's disk driver (samples written to a file)
// and with no audio driver at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <cstdlib>
#include <string>
#include <vector>

#include <SDL_mixer.h>

#include <algorithm>

#include "config_ui/FSettingWindow.h"
#include "graphics/SoundFormats/uWave.h"
#include "platform/sdl/SdlAudio.h"
#include "saver/uMusicList.h"
#include "saver/uSoundEffect.h"
#include "support/Env.h"
#include "support/NotRegularFiles.h"
#include "support/TempDir.h"

using qv::platform::TSdlAudio;

namespace {

// `seconds` of a sine tone, 16-bit mono.
void WriteTone(const std::string& path, double hz, double seconds, int rate = 22050, int amplitude = 12000) {
  qv::TWave wave;
  wave.format = qv::PcmFormatBlock(rate, 1, 16);
  const int frames = static_cast<int>(seconds * rate);
  for (int i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate));
    wave.data.push_back(static_cast<uint8_t>(v & 0xFF));
    wave.data.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  const std::vector<uint8_t> bytes = wave.ToBytes();
  qvtest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// Pumps SDL's events through the audio until `done` or the timeout.
template <class Done>
bool PumpUntil(TSdlAudio& audio, Done done, uint32_t timeoutMs = 5000) {
  const uint32_t start = SDL_GetTicks();
  while (!done()) {
    if (SDL_GetTicks() - start > timeoutMs) return false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) audio.HandleEvent(event);
    SDL_Delay(5);
  }
  return true;
}

int LoudestSample(const std::string& rawPath) {
  const std::string bytes = qvtest::ReadFile(rawPath);
  int loudest = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    loudest = std::max(loudest, std::abs(static_cast<int>(v)));
  }
  return loudest;
}

class DiskAudio : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  void SetUp() override {
    qvtest::SetEnv("SDL_AUDIODRIVER", "disk");
    qvtest::SetEnv("SDL_DISKAUDIOFILE", dir.file("out.raw"));
  }
  void TearDown() override {
    qvtest::UnsetEnv("SDL_AUDIODRIVER");
    qvtest::UnsetEnv("SDL_DISKAUDIOFILE");
  }
};

TEST_F(DiskAudio, OpensTheMixerWithEightPlayers) {
  TSdlAudio audio;
  ASSERT_TRUE(audio.Open());
  EXPECT_EQ(audio.Rate(), 44100);
  EXPECT_EQ(audio.Channels(), 2);
  qv::TSoundEffect effect(audio.Sounds());
  EXPECT_EQ(effect.Mode(), qv::TSoundEffect::kMixing);
  audio.Close();
  // Opening again for the next window works.
  EXPECT_TRUE(audio.Open());
}

TEST_F(DiskAudio, ASoundEffectIsHeardAtMinusEightDecibels) {
  WriteTone(dir.file("tone.wav"), 440, 0.3, 11025, 20000);
  {
    TSdlAudio audio;
    ASSERT_TRUE(audio.Open());
    {
      qv::TSoundEffect effect(audio.Sounds());
      ASSERT_EQ(effect.Add(dir.file("tone.wav")), 0);
      effect.Play(0, true);
      SDL_Delay(400);
    }
    audio.Close();
  }
  // 20000 at -8 dB is about 7960.
  const int loudest = LoudestSample(dir.file("out.raw"));
  EXPECT_GT(loudest, 7000);
  EXPECT_LT(loudest, 9000);
}

// Asked to play while it plays, a player plays on from where it is: a sound
// on a short interval is heard whole, never cut back to its start.
TEST_F(DiskAudio, APlayingSoundIsNotStartedAgain) {
  WriteTone(dir.file("tone.wav"), 440, 0.5, 44100, 20000);
  {
    TSdlAudio audio;
    ASSERT_TRUE(audio.Open());
    {
      qv::TSoundEffect effect(audio.Sounds());
      ASSERT_EQ(effect.Add(dir.file("tone.wav")), 0);
      effect.Play(0, false);
      SDL_Delay(250);
      effect.Play(0, false);  // half way through
      SDL_Delay(700);
    }
    audio.Close();
  }
  // Frames that hold sound: half a second of it, not three quarters.
  const std::string pcm = qvtest::ReadFile(dir.file("out.raw"));
  size_t loud = 0;
  for (size_t i = 0; i + 4 <= pcm.size(); i += 4) {
    int16_t left;
    std::memcpy(&left, pcm.data() + i, 2);
    if (std::abs(left) > 100) ++loud;
  }
  const double seconds = static_cast<double>(loud) / 44100;
  EXPECT_GT(seconds, 0.4);
  EXPECT_LT(seconds, 0.6) << "the sound started again half way";
}

TEST_F(DiskAudio, TheEndOfATrackReachesTheHandlerOnThisThread) {
  WriteTone(dir.file("short.wav"), 330, 0.2);
  TSdlAudio audio;
  ASSERT_TRUE(audio.Open());
  bool finished = false;
  const SDL_threadID uiThread = SDL_ThreadID();
  SDL_threadID calledOn = 0;
  audio.Music().SetFinishedHandler([&] {
    finished = true;
    calledOn = SDL_ThreadID();
  });
  ASSERT_TRUE(audio.Music().Open(dir.file("short.wav")));
  EXPECT_FALSE(audio.Music().AtEnd());
  ASSERT_TRUE(audio.Music().Play());
  ASSERT_TRUE(PumpUntil(audio, [&] { return finished; }));
  EXPECT_EQ(calledOn, uiThread);
  EXPECT_TRUE(audio.Music().AtEnd());
  audio.Close();
  EXPECT_GT(LoudestSample(dir.file("out.raw")), 10000);
}

TEST_F(DiskAudio, PlaybackMovesOnToTheNextTrack) {
  WriteTone(dir.file("a.wav"), 262, 0.2);
  WriteTone(dir.file("b.wav"), 392, 0.2);
  TSdlAudio audio;
  ASSERT_TRUE(audio.Open());
  {
    qv::TMusicPlayback music(audio.Music(), qv::BuildMusicList("a.wav;b.wav", dir.slash()), 1);
    music.Start();
    EXPECT_EQ(music.CurrentTrack(), 0);
    EXPECT_TRUE(PumpUntil(audio, [&] { return music.CurrentTrack() == 1; }));
    EXPECT_TRUE(PumpUntil(audio, [&] { return music.CurrentTrack() == 0; }));
    music.Stop();
  }
  audio.Close();
}

TEST_F(DiskAudio, AFileTheMixerCannotDecodeLeavesTheMusicSilent) {
  qvtest::WriteFile(dir.file("noise.mp3"), std::string(1000, 'x'));
  TSdlAudio audio;
  ASSERT_TRUE(audio.Open());
  EXPECT_FALSE(audio.Music().Open(dir.file("noise.mp3")));
  EXPECT_FALSE(audio.Music().Open(dir.file("missing.ogg")));
  EXPECT_FALSE(audio.Music().Play());
  EXPECT_FALSE(audio.Music().AtEnd());
}

TEST_F(DiskAudio, OnlyRegularFilesAreHandedToTheMixer) {
  // A project may name anything; these would be read without end.
  qvtest::Pipe pipe(dir.path(), "pipe.mp3");
  ASSERT_TRUE(pipe.Made());
  TSdlAudio audio;
  ASSERT_TRUE(audio.Open());
  for (const std::string& device : qvtest::EndlessDevices()) EXPECT_FALSE(audio.Music().Open(device)) << device;
  EXPECT_FALSE(audio.Music().Open(pipe.path()));
  EXPECT_FALSE(audio.Music().Open(dir.path()));
  // A real track still plays, whatever its name says.
  WriteTone(dir.file("tone.dat"), 440, 0.2);
  EXPECT_TRUE(audio.Music().Open(dir.file("tone.dat")));
}

TEST_F(DiskAudio, WithoutTheMixerSlotZeroIsHeardThroughTheSimplePlayback) {
  WriteTone(dir.file("a.wav"), 440, 0.2, 22050, 16000);
  WriteTone(dir.file("b.wav"), 660, 0.2, 22050, 16000);
  {
    TSdlAudio audio(false);
    EXPECT_FALSE(audio.Open());
    EXPECT_TRUE(audio.DeviceOpen());
    qv::TSoundEffect effect(audio.Sounds());
    ASSERT_EQ(effect.Mode(), qv::TSoundEffect::kFallback);
    effect.Add(dir.file("a.wav"));
    effect.Add(dir.file("b.wav"));
    effect.Play(0, true);
    SDL_Delay(400);
    effect.StopAll();
    audio.Close();
  }
  const int loudest = LoudestSample(dir.file("out.raw"));
  EXPECT_GT(loudest, 15000);
  EXPECT_LE(loudest, 16000);
}

TEST(NoAudioDevice, EverythingStaysSilentWithoutErrors) {
  qvtest::SetEnv("SDL_AUDIODRIVER", "no-such-driver");
  qvtest::TempDir dir;
  WriteTone(dir.file("a.wav"), 440, 0.1);
  {
    TSdlAudio audio;
    EXPECT_FALSE(audio.Open());
    EXPECT_FALSE(audio.Music().Open(dir.file("a.wav")));
    EXPECT_FALSE(audio.Music().Play());
    qv::TSoundEffect effect(audio.Sounds());
    EXPECT_EQ(effect.Mode(), qv::TSoundEffect::kFallback);
    EXPECT_EQ(effect.Add(dir.file("a.wav")), 0);
    effect.Play(0, true);
    effect.StopAll();
    qv::TMusicPlayback music(audio.Music(), {dir.file("a.wav")}, 1);
    music.Start();
    audio.Close();
  }
  qvtest::UnsetEnv("SDL_AUDIODRIVER");
}

// The music chooser offers exactly what the mixer decodes here.
TEST_F(DiskAudio, TheMusicChooserOffersWhatTheMixerPlays) {
  TSdlAudio audio;
  ASSERT_TRUE(audio.Open());
  std::vector<std::string> decoders;
  for (int i = 0; i < Mix_GetNumMusicDecoders(); ++i) decoders.push_back(Mix_GetMusicDecoder(i));
  auto has = [&](const std::string& name) {
    // Windows plays MIDI through the system's own synthesizer.
    for (const std::string& d : decoders)
      if (d == name || (name == "MIDI" && d == "NATIVEMIDI")) return true;
    return false;
  };
  const std::string filter = qv::TfmSettingWindow::kMusicFilter;
  const std::pair<const char*, const char*> offered[] = {
      {"*.mp3", "MP3"}, {"*.ogg", "OGG"}, {"*.flac", "FLAC"}, {"*.wav", "WAVE"}, {"*.mid", "MIDI"}, {"*.midi", "MIDI"}};
  for (const auto& [pattern, decoder] : offered) {
    EXPECT_NE(filter.find(pattern), std::string::npos) << pattern;
    EXPECT_TRUE(has(decoder)) << pattern << " is offered but the mixer has no " << decoder << " decoder";
  }
  EXPECT_EQ(filter.find("wma"), std::string::npos) << "no decoder plays it";
  audio.Close();
}

}  // namespace
