// Animated pictures in whole runs of the saver window on the manual clock:
// their frames, their sounds, F1, transitions to them, and their files found
// where the project was extracted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "animation/uFileLoader.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "platform/doubles/AudioDouble.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/MemoryDisplay.h"
#include "platform/doubles/RecordingDialogs.h"
#include "platform/doubles/SteppedWorkers.h"
#include "project/uQVProject.h"
#include "saver/FScrSvr.h"
#include "support/Sounds.h"
#include "support/TempDir.h"

using qv::platform::TScriptedEvent;

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr int kLivingW = 96, kLivingH = 64;

// Rows and columns that tell themselves apart after JPEG coding.
qv::TBitmap32 Scenery(int w, int h) {
  qv::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(x * 255 / w) << 8 | static_cast<uint32_t>(y * 255 / h));
  return b;
}

class AnimatedRun : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  qv::TQVCProject project;
  qv::platform::TManualClock clock{1000};
  qv::platform::TSteppedWorkers workers{clock};
  qv::platform::TMemoryDisplay display{clock, 320, 240};
  qv::platform::TRecordingDialogs dialogs;
  qv::platform::TAudioDouble audio;
  qv::TSaverServices services;
  std::vector<int> effects;
  std::vector<std::pair<uint32_t, qv::TBitmap32>> frames;  // (time, screen), when kept
  bool keepFrames = false;
  // The centre pixel and the count of audio calls at each presented frame.
  std::vector<std::pair<uint32_t, size_t>> centre;

  void SetUp() override {
    std::filesystem::create_directories(dir.file("temp"));
    std::filesystem::create_directories(dir.file("app"));
    services.display = &display;
    services.clock = &clock;
    services.dialogs = &dialogs;
    services.audio = &audio;
    services.workers = &workers;
    services.stepWorkers = [this] { workers.RunDue(); };
    services.tempFolder = dir.file("temp") + "/";
    qvtest::WriteFile(dir.file("app/saver.scr"), "engine");
    services.exePath = dir.file("app/saver.scr");
    services.seed = 3;
    services.onTransition = [this](int e) { effects.push_back(e); };
    display.onFrame = [this](const qv::TBitmap32& screen, uint32_t at) {
      centre.push_back({screen.Pixel(screen.Width() / 2, screen.Height() / 2), audio.calls.size()});
      if (keepFrames) frames.push_back({at, screen});
    };
    qv::TQVCSetting& s = project.Setting();
    s.Duration = 5;
    s.TransitionTime = 1000;
    s.TransitionEffects = "1";
    s.ShowImageMode = 1;
    s.Stretch = false;
    s.Music = false;
  }

  // A living picture whose whole surface is water that moves both ways.
  qv::TProjectFileParts Living() {
    qv::TProjectFileParts parts;
    parts.title = "pond";
    parts.picture = qv::EncodeJPEG(Scenery(kLivingW, kLivingH), 95);
    parts.preview = qv::EncodeJPEG(Scenery(8, 6), 90);
    qv::TBitmap32 mask(kLivingW, kLivingH);
    mask.Clear(qv::kAreaColors[0]);
    parts.mask = qv::EncodeMask(mask);
    parts.areas[0] = {3, 2, 15, 1, true, true, false, 360, 0, false};
    return parts;
  }
  std::string Write(const qv::TProjectFileParts& parts, const std::string& name = "living.qvp") {
    const std::vector<uint8_t> bytes = qv::EncodeProjectFile(parts);
    qvtest::WriteFile(dir.file(name), std::string(bytes.begin(), bytes.end()));
    return dir.file(name);
  }
  void AddStill(const std::string& name, uint32_t colour) {
    qv::TBitmap32 b(kLivingW, kLivingH);
    b.Clear(colour);
    qv::SaveBMP32(b, dir.file(name));
    project.FileList().Add(dir.file(name), true);
  }
  void RunFor(uint32_t ms) {
    display.Script({TScriptedEvent::Close, clock.TickCount() + ms});
    qv::RunSaver(project, false, services);
  }
  size_t Count(const std::string& call) const { return std::count(audio.calls.begin(), audio.calls.end(), call); }
  // Where the item stands on the 320 x 240 screen at its own size.
  static uint32_t ItemPixel(const qv::TBitmap32& screen, int x, int y) {
    return screen.Pixel((320 - kLivingW) / 2 + x, (240 - kLivingH) / 2 + y);
  }
};

TEST_F(AnimatedRun, TheWaterMovesFrameAfterFrameAtThePicturesPlace) {
  project.FileList().Add(Write(Living()), true);
  keepFrames = true;
  RunFor(3000);
  ASSERT_GT(frames.size(), 60u) << "a moving item is presented every pass";
  size_t changed = 0;
  for (size_t i = 2; i < frames.size(); ++i) changed += !(frames[i].second == frames[i - 1].second);
  EXPECT_GT(changed, frames.size() * 3 / 4);
  // Centred at its own size, black around it.
  const qv::TBitmap32& last = frames.back().second;
  EXPECT_EQ(last.Pixel(10, 10), 0xFF000000u);
  EXPECT_NE(ItemPixel(last, 40, 30), 0xFF000000u);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AnimatedRun, AStillPictureAfterAnAnimatedOneStopsItsSounds) {
  qvtest::WriteFile(dir.file("temp/surf.wav"), qvtest::Tone(220, 0.2));
  qv::TProjectFileParts parts = Living();
  parts.sounds[0] = {"C:\\Sounds\\surf.wav", 0, 0, 0};
  AddStill("a.bmp", kRed);
  project.FileList().Add(Write(parts), true);
  RunFor(28000);
  // red 1..6, living 6..12, red 12..18, living 18..24, red 24..29: while red
  // is on screen once its transition has ended, the last sound call was a stop.
  ASSERT_GE(Count("sound.play 0 loop"), 2u);
  // A frame that is red like the next one shows the still picture (the one
  // red frame a transition to the animated picture starts with is followed
  // by a mixed one).
  size_t redFrames = 0;
  for (size_t i = 0; i + 1 < centre.size(); ++i) {
    if (centre[i].first != kRed || centre[i + 1].first != kRed) continue;
    ++redFrames;
    const std::vector<std::string> before(audio.calls.begin(), audio.calls.begin() + static_cast<std::ptrdiff_t>(centre[i].second));
    const auto play = std::find(before.rbegin(), before.rend(), "sound.play 0 loop");
    const auto stop = std::find(before.rbegin(), before.rend(), "sound.stopall");
    if (play != before.rend()) {
      ASSERT_TRUE(stop != before.rend() && stop < play) << "a sound plays over the still picture at frame " << i;
    }
  }
  EXPECT_GT(redFrames, 3u);
  // Each animated turn plays its looped sound exactly once.
  EXPECT_EQ(Count("sound.play 0 loop"), 2u);
}

TEST_F(AnimatedRun, ASoundOnlyBesideTheExecutableIsFoundAndAMissingOneKeepsTheOthersInTheirSlots) {
  std::filesystem::create_directories(dir.file("app/sounds"));
  qvtest::WriteFile(dir.file("app/sounds/Bird.WAV"), qvtest::Tone(880, 0.1));
  qvtest::WriteFile(dir.file("temp/bell.wav"), qvtest::Tone(660, 0.1));
  qv::TProjectFileParts parts = Living();
  parts.sounds[0] = {"C:\\Sounds\\gone.wav", 0, 0, 0};
  parts.sounds[1] = {"D:\\Effects\\bird.wav", 2, 3, 0};   // every 3 s
  parts.sounds[2] = {"bell.wav", 1, 2, 4};                // every 2 or 3 s
  project.FileList().Add(Write(parts), true);
  RunFor(30000);
  EXPECT_EQ(Count("sound.load 0 0"), 1u) << "the sound found nowhere leaves its slot silent";
  EXPECT_EQ(Count("sound.play 0 loop"), 0u);
  // Found beside the executable (its name matched ignoring case) and played
  // in its own slot: on the first check, then every 3 s.
  EXPECT_TRUE(std::any_of(audio.calls.begin(), audio.calls.end(),
                          [](const std::string& c) { return c.rfind("sound.load 1 ", 0) == 0 && c != "sound.load 1 0"; }));
  EXPECT_NEAR(static_cast<double>(Count("sound.play 1 once")), 30.0 / 3, 1.5);
  EXPECT_GE(Count("sound.play 2 once"), 30u / 3 - 1);
  EXPECT_LE(Count("sound.play 2 once"), 30u / 2 + 1);
}

// An interval of 0 plays the sound back to back: asked at every check, a
// player still playing plays on (the platform's rule), so nothing stutters.
TEST_F(AnimatedRun, AnIntervalOfNoSecondsAsksAtEveryCheck) {
  qvtest::WriteFile(dir.file("temp/bell.wav"), qvtest::Tone(660, 0.1));
  qv::TProjectFileParts parts = Living();
  parts.sounds[0] = {"bell.wav", 2, 0, 0};
  parts.sounds[1] = {"bell.wav", 1, 0, 0};
  project.FileList().Add(Write(parts), true);
  RunFor(3000);
  EXPECT_GT(Count("sound.play 0 once"), 30u) << "no one-second floor under the interval";
  EXPECT_GT(Count("sound.play 1 once"), 30u) << "nor under a random delay of 0";
}

TEST_F(AnimatedRun, SoundOffPlaysNothing) {
  qvtest::WriteFile(dir.file("temp/surf.wav"), qvtest::Tone(220, 0.2));
  qv::TProjectFileParts parts = Living();
  parts.sounds[0] = {"surf.wav", 0, 0, 0};
  project.FileList().Add(Write(parts), true);
  project.Setting().Sound = false;
  RunFor(3000);
  EXPECT_EQ(Count("sound.play 0 loop"), 0u);
}

TEST_F(AnimatedRun, F1OnceChangesNothingVisibleAndTwiceRebuildsTheFrameFromThePicture) {
  // A vertical wave alone, slowly turning, on a band of water: rows whose
  // source lies outside the band keep what was written there last.
  qv::TProjectFileParts parts = Living();
  parts.areas[0] = {6, 0, 7, 1, false, true, false, 360, 0, false};
  qv::TBitmap32 mask(kLivingW, kLivingH);
  for (int y = 16; y < 48; ++y)
    for (int x = 0; x < kLivingW; ++x) mask.SetPixel(x, y, qv::kAreaColors[0]);
  parts.mask = qv::EncodeMask(mask);
  const std::string file = Write(parts);
  const qv::TBitmap32 picture = qv::DecodeJPEG(parts.picture.data(), parts.picture.size()).bitmap;
  auto run = [&](int presses) {
    qv::TQVCProject p = project;
    p.FileList().Add(file, true);
    clock = qv::platform::TManualClock{1000};
    frames.clear();
    keepFrames = true;
    for (int i = 0; i < presses; ++i) display.Script({TScriptedEvent::Key, 3500u + i, 0, 0, 0, qv::platform::TKey::F1});
    display.Script({TScriptedEvent::Close, 4000});
    qv::RunSaver(p, false, services);
    return frames;
  };
  const auto none = run(0), once = run(1), twice = run(2);
  ASSERT_EQ(none.size(), once.size());
  ASSERT_EQ(none.size(), twice.size());
  for (size_t i = 0; i < none.size(); ++i) ASSERT_TRUE(none[i].second == once[i].second) << "frame " << i;
  size_t at = 0;
  while (at < none.size() && none[at].first < 3500) ++at;
  ASSERT_LT(at, none.size());
  // After the second press the frames differ only where the rebuilt one
  // shows the picture.
  int rebuiltRows = 0;
  for (int y = 0; y < kLivingH; ++y) {
    bool differs = false, isPicture = true;
    for (int x = 0; x < kLivingW; ++x) {
      differs = differs || ItemPixel(none[at].second, x, y) != ItemPixel(twice[at].second, x, y);
      isPicture = isPicture && ItemPixel(twice[at].second, x, y) == picture.Pixel(x, y);
    }
    if (differs) {
      EXPECT_TRUE(isPicture) << "row " << y;
      ++rebuiltRows;
    }
  }
  EXPECT_GT(rebuiltRows, 0);
  for (size_t i = 0; i < at; ++i) ASSERT_TRUE(none[i].second == twice[i].second) << "frame " << i;
}

TEST_F(AnimatedRun, AnAnimatedItemKeepsMovingDuringTheTransitionToIt) {
  project.Setting().TransitionEffects = "8";  // the left part shows the new picture as it is
  project.Setting().TransitionTime = 3000;
  AddStill("a.bmp", kRed);
  project.FileList().Add(Write(Living()), true);
  keepFrames = true;
  RunFor(9000);
  ASSERT_EQ(effects.size(), 1u);
  // The transition's frames: between the due change at 6 s and 9 s. In two
  // frames after each other, the columns both reveal must show the water
  // moving.
  std::vector<const qv::TBitmap32*> during;
  for (const auto& [at, screen] : frames)
    if (at > 6000 && at < 8900 && ItemPixel(screen, 0, 30) != kRed && ItemPixel(screen, kLivingW - 1, 30) == kRed)
      during.push_back(&screen);
  ASSERT_GT(during.size(), 10u);
  size_t moved = 0;
  for (size_t i = 1; i < during.size(); ++i) {
    bool differs = false;
    for (int y = 0; y < kLivingH && !differs; ++y)
      for (int x = 0; x < 8 && !differs; ++x) differs = ItemPixel(*during[i], x, y) != ItemPixel(*during[i - 1], x, y);
    moved += differs;
  }
  EXPECT_GT(moved, during.size() / 2);
}

TEST_F(AnimatedRun, AnObjectWhoseFileWasExtractedIsDrawnAndTheWorkingSizeIsFilled) {
  qv::TBitmap32 boat(16, 8);
  boat.Clear(0xFFFFFF00u);
  qv::SaveBMP32(boat, dir.file("temp/boat.bmp"));
  qv::TProjectFileParts parts = Living();
  parts.areas[0] = {};
  parts.objects = "[Obj0]\nObjType=IMG\nFilename=C:\\Art\\boat.bmp\nPosLeft=48\nPosTop=32\nTransparent=0\n";
  project.FileList().Add(Write(parts), true);
  display.acceleratedAvailable = true;
  project.Setting().DirectX = true;
  project.Setting().DirectXQuality = 2;
  project.Setting().Proportional = true;
  RunFor(2000);
  // Fitted into the 640 x 480 working size keeping its 3:2 shape.
  EXPECT_EQ(display.lastSurfaceWidth, 640);
  EXPECT_EQ(display.lastSurfaceHeight, 427);
  // Shown stretched onto the 320 x 240 screen: the boat is in the middle.
  EXPECT_EQ(display.Screen().Pixel(160, 120) & 0xFFFFFF, 0xFFFF00u);
  EXPECT_NE(display.Screen().Pixel(160, 60) & 0xFFFFFF, 0xFFFF00u);
}

TEST_F(AnimatedRun, WithoutWorkersFromTheServicesObjectsMoveOnThreadsOfTheWindowsOwn) {
  qv::TBitmap32 boat(16, 8);
  boat.Clear(0xFFFFFF00u);
  qv::SaveBMP32(boat, dir.file("temp/boat.bmp"));
  qv::TProjectFileParts parts = Living();
  parts.weather = {2, 200, 8, 70, 20, 0};
  parts.objects = "[Obj0]\nObjType=IMG\nFilename=boat.bmp\nMotion=2\nMotionSpeed=80\nPosLeft=30\nPosTop=20\nTransparent=0\n"
                  "[Obj1]\nObjType=IMG\nFilename=boat.bmp\nMotion=1\nMotionSpeed=80\nPosLeft=60\nPosTop=40\nTransparent=0\n";
  project.FileList().Add(Write(parts), true);
  services.workers = nullptr;
  services.stepWorkers = nullptr;
  keepFrames = true;
  RunFor(3000);
  ASSERT_FALSE(frames.empty());
  size_t withBoat = 0;
  for (const auto& [at, screen] : frames) {
    bool boatShown = false;
    for (int y = 0; y < kLivingH && !boatShown; ++y)
      for (int x = 0; x < kLivingW && !boatShown; ++x) boatShown = (ItemPixel(screen, x, y) & 0xFFFFFF) == 0xFFFF00u;
    withBoat += boatShown;
  }
  EXPECT_GT(withBoat, frames.size() / 2);
}

TEST_F(AnimatedRun, AMissingOrBrokenAnimatedPictureLeavesThePreviousOneShowing) {
  AddStill("a.bmp", kRed);
  project.FileList().Add(dir.file("missing.qvp"), true);
  qvtest::WriteFile(dir.file("broken.qvp"), "QV060697 and then nothing");
  project.FileList().Add(dir.file("broken.qvp"), true);
  RunFor(20000);
  EXPECT_TRUE(dialogs.shown.empty());
  for (const auto& [colour, calls] : centre) ASSERT_TRUE(colour == kRed || colour == 0xFF000000u);
  EXPECT_EQ(centre.back().first, kRed);
}

}  // namespace
