// Run mode in a screensaver daemon's window, on the manual clock: one
// instance speaks, and a project without pictures shows black until the
// daemon closes the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "platform/doubles/AudioDouble.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/MemoryDisplay.h"
#include "platform/doubles/RecordingDialogs.h"
#include "project/uQVProject.h"
#include "saver/FScrSvr.h"
#include "saver/uHostedSaver.h"
#include "support/TempDir.h"

using qv::THostedVoice;
using qv::platform::TScriptedEvent;

namespace {

TEST(HostedVoice, TheDaemonsNumberZeroSpeaksAndNoOtherNumber) {
  qvtest::TempDir dir;
  EXPECT_TRUE(THostedVoice("0", dir.slash()).Speaks());
  EXPECT_FALSE(THostedVoice("1", dir.slash()).Speaks());
  EXPECT_FALSE(THostedVoice("12", dir.slash()).Speaks());
  THostedVoice first("0", dir.slash()), second("0", dir.slash());
  EXPECT_TRUE(second.Speaks()) << "the daemon's number decides, not a lock";
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(HostedVoice, WithoutANumberTheFirstToTakeTheLockSpeaksUntilItGoes) {
  qvtest::TempDir dir;
  auto first = std::make_unique<THostedVoice>(std::nullopt, dir.slash());
  EXPECT_TRUE(first->Speaks());
  EXPECT_FALSE(THostedVoice(std::nullopt, dir.slash()).Speaks());
  // A value that is no number counts as none.
  EXPECT_FALSE(THostedVoice("", dir.slash()).Speaks());
  EXPECT_FALSE(THostedVoice("left", dir.slash()).Speaks());
  first.reset();
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the lock goes with its holder";
  EXPECT_TRUE(THostedVoice(std::nullopt, dir.slash()).Speaks());
}

class HostedRun : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  qv::TQVCProject project;
  qv::platform::TManualClock clock{1000};
  qv::platform::TMemoryDisplay display{clock, 160, 120};
  qv::platform::TRecordingDialogs dialogs;
  qv::TSaverServices services;
  qv::THostedServices hosted;
  int audioOpened = 0;

  void SetUp() override {
    services.display = &display;
    services.clock = &clock;
    services.dialogs = &dialogs;
    qvtest::WriteFile(dir.file("saver.scr"), "engine");
    services.exePath = dir.file("saver.scr");
    services.seed = 7;
    hosted.lockFolder = dir.slash();
    hosted.openAudio = [this] {
      ++audioOpened;
      return std::make_unique<qv::platform::TAudioDouble>();
    };
  }

  void AddPicture(uint32_t colour) {
    qv::TBitmap32 b(32, 24);
    b.Clear(colour);
    qv::SaveBMP32(b, dir.file("p.bmp"));
    project.FileList().Add(dir.file("p.bmp"), true);
  }
};

TEST_F(HostedRun, WithoutPicturesItSaysSoAndStaysBlackUntilTheWindowCloses) {
  display.Script({TScriptedEvent::MouseMove, 2000, 50, 50});
  display.Script({TScriptedEvent::MouseDown, 3000});
  display.Script({TScriptedEvent::Character, 4000, 0, 0, U'x'});
  display.Script({TScriptedEvent::Close, 60000});
  qv::RunHostedSaver(project, services, hosted);
  EXPECT_EQ(dialogs.shown, (std::vector<std::string>{std::string("information: ") + qv::kNoImageMessage}));
  EXPECT_GE(clock.TickCount(), 60000u) << "input belongs to the daemon: only the close ends it";
  EXPECT_GE(display.FramesPresented(), 1);
  for (int y = 0; y < 120; y += 17)
    for (int x = 0; x < 160; x += 13) ASSERT_EQ(display.Screen().Pixel(x, y), 0xFF000000u);
  EXPECT_EQ(audioOpened, 0);
}

TEST_F(HostedRun, TheSpeakingInstancePlaysWithSoundAndTheOthersSilently) {
  AddPicture(0xFFFF0000u);
  display.Script({TScriptedEvent::Close, 5000});
  hosted.saverIndex = "1";
  qv::RunHostedSaver(project, services, hosted);
  EXPECT_EQ(audioOpened, 0);
  EXPECT_EQ(display.Screen().Pixel(80, 60), 0xFF000000u) << "a monitor beside the primary one stays black";

  project.Setting().Monitors = 1;
  display.Script({TScriptedEvent::Close, clock.TickCount() + 5000});
  qv::RunHostedSaver(project, services, hosted);
  EXPECT_EQ(audioOpened, 0);
  EXPECT_EQ(display.Screen().Pixel(80, 60), 0xFFFF0000u) << "with a show on each monitor, a silent one";

  display.Script({TScriptedEvent::Close, clock.TickCount() + 5000});
  hosted.saverIndex.reset();
  qv::RunHostedSaver(project, services, hosted);
  EXPECT_EQ(audioOpened, 1);
  EXPECT_EQ(services.audio, nullptr) << "the audio device is gone with the run";
  EXPECT_TRUE(dialogs.shown.empty());
}

// A daemon that replaces a saver starts the new one while the old one still
// holds the voice: the new one keeps asking, and once the old one is gone it
// speaks, and with Monitors 0 shows the slideshow in its place.
TEST_F(HostedRun, AnInstanceStartedBeforeTheVoiceIsFreeTakesItOnceItIsFree) {
  AddPicture(0xFFFF0000u);
  qvtest::WriteFile(dir.file("tune.wav"), "not really a tune");
  project.Setting().Music = true;
  project.Setting().MusicFile = dir.file("tune.wav");
  auto old = std::make_unique<THostedVoice>(std::nullopt, hosted.lockFolder);
  ASSERT_TRUE(old->Speaks());
  uint32_t blackUntil = 0, spokeAt = 0;
  std::vector<std::string> calls;
  display.endRequested = [&] {
    if (old && clock.TickCount() >= 4000) old.reset();
    if (display.Screen().Pixel(80, 60) == 0xFF000000u) blackUntil = clock.TickCount();
    if (auto* audio = dynamic_cast<qv::platform::TAudioDouble*>(services.audio)) {
      if (!spokeAt) spokeAt = clock.TickCount();
      calls = audio->calls;
    }
    return false;
  };
  display.Script({TScriptedEvent::Close, 9000});
  qv::RunHostedSaver(project, services, hosted);
  EXPECT_EQ(audioOpened, 1);
  EXPECT_GE(spokeAt, 4000u);
  EXPECT_LE(spokeAt, 5100u) << "it asks about once a second";
  EXPECT_GE(blackUntil, 3900u) << "black while another instance is the primary one";
  EXPECT_LT(blackUntil, 6000u);
  EXPECT_EQ(display.Screen().Pixel(80, 60), 0xFFFF0000u);
  EXPECT_EQ(calls, (std::vector<std::string>{"audio.open", "sound.open", "music.open " + dir.file("tune.wav"),
                                             "music.play"}));
}

}  // namespace
