// Whole runs of the saver window on the manual clock, through the doubles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "platform/Background.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/MemoryDisplay.h"
#include "platform/doubles/RecordingDialogs.h"
#include "project/uQVProject.h"
#include "saver/FScrSvr.h"
#include "support/Env.h"
#include "support/TempDir.h"

using qv::platform::TScriptedEvent;

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;

class SaverRun : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  qv::TQVCProject project;
  qv::platform::TManualClock clock{1000};
  qv::platform::TMemoryDisplay display{clock, 320, 240};
  qv::platform::TRecordingDialogs dialogs;
  qv::TSaverServices services;
  std::vector<int> effects;
  // What was on screen, by the centre pixel, each time it changed.
  std::vector<std::pair<uint32_t, uint32_t>> changes;  // (time, colour)
  std::vector<uint32_t> frameTimes;

  void SetUp() override {
    services.display = &display;
    services.clock = &clock;
    services.dialogs = &dialogs;
    qvtest::WriteFile(dir.file("saver.scr"), "engine");
    services.exePath = dir.file("saver.scr");  // no user settings file beside it yet
    services.seed = 7;
    services.onTransition = [this](int e) { effects.push_back(e); };
    display.onFrame = [this](const qv::TBitmap32& screen, uint32_t at) {
      frameTimes.push_back(at);
      uint32_t c = screen.Pixel(screen.Width() / 2, screen.Height() / 2);
      if (changes.empty() || changes.back().second != c) changes.push_back({at, c});
    };
    qv::TQVCSetting& s = project.Setting();
    s.Duration = 5;
    s.TransitionTime = 1000;
    s.TransitionEffects = "1";
    s.ShowImageMode = 1;
    s.Stretch = true;
    s.Proportional = false;
  }

  void AddPicture(const std::string& name, uint32_t colour, int w = 64, int h = 48) {
    qv::TBitmap32 b(w, h);
    b.Clear(colour);
    qv::SaveBMP32(b, dir.file(name));
    project.FileList().Add(dir.file(name), false);  // the saver enables every picture
  }

  void RunFor(uint32_t ms) {
    display.Script({TScriptedEvent::Close, clock.TickCount() + ms});
    qv::RunSaver(project, true, services);
  }

  // The solid colours shown one after another, transitions left out. The
  // window shows black from the moment it opens until the first picture is
  // ready; that first black is left out too.
  std::vector<uint32_t> ShownColours() const {
    std::vector<uint32_t> out;
    for (auto [at, c] : changes)
      if ((c == kRed || c == kGreen || c == kBlue || c == kBlack) && (out.empty() || out.back() != c)) out.push_back(c);
    if (!out.empty() && out.front() == kBlack) out.erase(out.begin());
    return out;
  }
};

TEST_F(SaverRun, ThreePicturesPlayInOrderForMinutesWithCalibratedTransitions) {
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  AddPicture("c.bmp", kBlue);
  RunFor(3 * 60 * 1000);

  // Every frame costs 33 ms on this clock and the loop never waits longer: a
  // transition's frames follow each other 33 ms apart, and a still picture
  // is shown once while the loop goes on at the same pace.
  for (size_t i = 1; i < frameTimes.size(); ++i) ASSERT_EQ((frameTimes[i] - frameTimes[i - 1]) % 33, 0u) << i;
  EXPECT_NEAR(display.messageRounds, 3 * 60 * 1000 / 33, 3 * 60 * 1000 / 33 / 50);
  // A change is due 5 s after the last; a 1000 ms transition has 1000 div 34
  // = 29 steps after its first frame, 30 frames in all.
  const std::vector<uint32_t> shown = ShownColours();
  ASSERT_GE(shown.size(), 20u);
  for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], (std::array{kRed, kGreen, kBlue})[i % 3]) << i;
  EXPECT_EQ(effects.size(), shown.size() - 1);
  for (int e : effects) EXPECT_EQ(e, 1);
  // The first change comes after the whole duration has passed.
  uint32_t firstGreen = 0;
  for (auto [at, c] : changes)
    if (c != kRed && at > 1000) {  // after the black the window opens with
      firstGreen = at;
      break;
    }
  EXPECT_GE(firstGreen - 1000, 5000u);
  EXPECT_LT(firstGreen - 1000, 5100u);
  EXPECT_TRUE(display.cursorVisible);  // shown again at close
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SaverRun, OnePictureNeverChangesAndAFrozenShowKeepsTheFirst) {
  AddPicture("a.bmp", kRed);
  RunFor(20000);
  EXPECT_TRUE(effects.empty());
  EXPECT_EQ(ShownColours(), std::vector<uint32_t>{kRed});

  qv::TQVCProject two;
  two.Setting() = project.Setting();
  two.Setting().Random = false;
  project = two;
  changes.clear();
  AddPicture("b.bmp", kGreen);
  AddPicture("c.bmp", kBlue);
  RunFor(20000);
  EXPECT_TRUE(effects.empty());
  EXPECT_EQ(ShownColours(), std::vector<uint32_t>{kGreen});
}

TEST_F(SaverRun, RandomOrderAlternatesBetweenTwoPictures) {
  project.Setting().ShowImageMode = 0;
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  RunFor(60000);
  const std::vector<uint32_t> shown = ShownColours();
  ASSERT_GE(shown.size(), 8u);
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]);
}

TEST_F(SaverRun, APictureThatCannotBeLoadedIsPassedOver) {
  AddPicture("a.bmp", kRed);
  qvtest::WriteFile(dir.file("broken.bmp"), "BM not really");
  project.FileList().Add(dir.file("broken.bmp"), true);
  project.FileList().Add(dir.file("living.qvp"), true);  // not there: nothing changes
  AddPicture("c.bmp", kBlue);
  RunFor(40000);
  const std::vector<uint32_t> shown = ShownColours();
  ASSERT_GE(shown.size(), 4u);
  for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], i % 2 ? kBlue : kRed) << i;
}

TEST_F(SaverRun, AFirstPictureThatCannotBeLoadedGivesWayToTheNext) {
  qvtest::WriteFile(dir.file("broken.jpg"), "not a picture");
  project.FileList().Add(dir.file("broken.jpg"), true);
  AddPicture("b.bmp", kGreen);
  RunFor(2000);
  EXPECT_EQ(ShownColours(), std::vector<uint32_t>{kGreen});
}

TEST_F(SaverRun, AnEmptyProjectIsReportedWithoutAWindow) {
  RunFor(1000);
  EXPECT_EQ(dialogs.shown, std::vector<std::string>{"information: This screensaver does not contain any image."});
  EXPECT_EQ(display.FramesPresented(), 0);
}

TEST_F(SaverRun, NoEnabledPictureAsksToConfigureAndStaysBlack) {
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  // The user's favourites leave nothing checked.
  qvtest::WriteFile(dir.file("saver.ini"), "[Setting]\r\nImageMode=2\r\n[Files]\r\n0=\r\n1=\r\n");
  RunFor(5000);
  EXPECT_EQ(dialogs.shown, std::vector<std::string>{"error: Unable to run screensaver.\r\nPlease configure!"});
  // The window is black, not whatever lay beneath it.
  EXPECT_GE(display.FramesPresented(), 1);
  const qv::TBitmap32& screen = display.Screen();
  for (int y = 0; y < screen.Height(); y += 7)
    for (int x = 0; x < screen.Width(); x += 7) ASSERT_EQ(screen.Pixel(x, y), kBlack) << x << "," << y;
}

TEST_F(SaverRun, InputEndsTheSaverAsTheRulesSay) {
  AddPicture("a.bmp", kRed);
  auto run = [&](std::vector<TScriptedEvent> script) {
    qv::platform::TManualClock c{0};
    qv::platform::TMemoryDisplay d{c, 100, 80};
    for (TScriptedEvent& e : script) d.Script(e);
    d.Script({TScriptedEvent::Close, 60000});  // the fallback end
    qv::TSaverServices s = services;
    s.display = &d;
    s.clock = &c;
    qv::TQVCProject p = project;
    qv::RunSaver(p, false, s);
    return c.TickCount();
  };
  std::vector<TScriptedEvent> moves;
  for (int i = 0; i < 6; ++i) moves.push_back({TScriptedEvent::MouseMove, 100u + i, 50, 50});
  moves.push_back({TScriptedEvent::MouseMove, 200, 52, 48});  // 2 pixels: stays
  moves.push_back({TScriptedEvent::Key, 300, 0, 0, 0, qv::platform::TKey::F1});
  EXPECT_GE(run(moves), 60000u);
  moves.push_back({TScriptedEvent::MouseMove, 400, 55, 48});  // 3 pixels: ends
  EXPECT_LT(run(moves), 500u);
  EXPECT_LT(run({{TScriptedEvent::Character, 300, 0, 0, U'q'}}), 400u);
  EXPECT_LT(run({{TScriptedEvent::MouseDown, 300}}), 400u);
  // The pointer's first reports do not end it, however far they jump.
  std::vector<TScriptedEvent> jumps;
  for (int i = 0; i < 5; ++i) jumps.push_back({TScriptedEvent::MouseMove, 100u + i, 10 * i, 90 - 10 * i});
  EXPECT_GE(run(jumps), 60000u);
}

TEST_F(SaverRun, ARefusedCloseKeepsTheShowAndIgnoresFiveMoves) {
  AddPicture("a.bmp", kRed);
  int asked = 0;
  services.verifyPassword = [&asked] { return ++asked > 1; };  // the first try is refused
  for (int i = 0; i < 6; ++i) display.Script({TScriptedEvent::MouseMove, 1100u + i, 50, 50});
  display.Script({TScriptedEvent::MouseDown, 1200});
  for (int i = 0; i < 5; ++i) display.Script({TScriptedEvent::MouseMove, 1300u + i, 90, 90});
  display.Script({TScriptedEvent::MouseMove, 1400, 20, 20});
  RunFor(60000);
  EXPECT_EQ(asked, 2);
  EXPECT_LT(clock.TickCount(), 2000u);
}

TEST_F(SaverRun, TheAcceleratedPathPresentsTheWorkingSize) {
  display.acceleratedAvailable = true;
  project.Setting().DirectX = true;
  project.Setting().DirectXQuality = 2;
  AddPicture("a.bmp", kRed, 300, 100);
  AddPicture("b.bmp", kGreen);
  RunFor(8000);
  EXPECT_EQ(display.lastSurfaceWidth, 640);
  EXPECT_EQ(display.lastSurfaceHeight, 480);
  EXPECT_EQ(ShownColours(), (std::vector<uint32_t>{kRed, kGreen}));
  EXPECT_EQ(effects.size(), 1u);
}

TEST_F(SaverRun, ASinglePictureIsShownWithTheProjectsDisplaySettings) {
  AddPicture("a.bmp", kRed, 40, 30);
  AddPicture("b.bmp", kGreen);
  project.Setting().Stretch = false;
  display.Script({TScriptedEvent::Close, 9000});
  qv::ShowSinglePicture(project, dir.file("b.bmp"), services);
  EXPECT_EQ(ShownColours(), (std::vector<uint32_t>{kGreen}));
  EXPECT_TRUE(effects.empty());
  // Shown at its own size, centred, on black.
  EXPECT_EQ(display.Screen().Pixel(0, 0), kBlack);
  EXPECT_EQ(display.Screen().Pixel(160 - 32, 120 - 24), kGreen);
}

TEST_F(SaverRun, ASinglePictureIsShownEvenWhenTheUsersFavouritesLeaveItOut) {
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  // Favourites mode with the first picture unchecked, and a slower speed.
  qvtest::WriteFile(dir.file("saver.ini"), "[Setting]\r\nImageMode=2\r\nIndex=1\r\nImageSize=0\r\n[Files]\r\n0=\r\n");
  display.Script({TScriptedEvent::Close, 9000});
  qv::ShowSinglePicture(project, dir.file("b.bmp"), services);
  EXPECT_EQ(ShownColours(), (std::vector<uint32_t>{kGreen}));
  EXPECT_TRUE(dialogs.shown.empty());
  // The user's image size applies: not stretched, so centred at its own size.
  EXPECT_EQ(display.Screen().Pixel(0, 0), kBlack);
}

TEST_F(SaverRun, TheSameSeedGivesTheSameFrames) {
  project.Setting().ShowImageMode = 0;
  project.Setting().TransitionEffects = "1,3,168,169";
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  AddPicture("c.bmp", kBlue);
  RunFor(30000);
  auto first = changes;
  auto firstEffects = effects;
  changes.clear();
  effects.clear();
  clock = qv::platform::TManualClock{1000};
  qv::TQVCProject again = project;
  project = again;
  RunFor(30000);
  EXPECT_EQ(effects, firstEffects);
  EXPECT_EQ(changes, first);
}

}  // namespace

namespace {

TEST_F(SaverRun, InRandomOrderAFailedItemIsNotTriedAgainBeforeEveryOther) {
  project.Setting().ShowImageMode = 0;
  qvtest::WriteFile(dir.file("broken1.jpg"), "not a picture");
  qvtest::WriteFile(dir.file("broken2.bmp"), "BM neither");
  project.FileList().Add(dir.file("broken1.jpg"), true);
  project.FileList().Add(dir.file("broken2.bmp"), true);
  AddPicture("good.bmp", kGreen);
  for (uint32_t seed = 0; seed < 16; ++seed) {
    services.seed = seed;
    changes.clear();
    clock = qv::platform::TManualClock{1000};
    qv::TQVCProject copy = project;
    display.Script({TScriptedEvent::Close, 3000});
    qv::RunSaver(copy, false, services);
    // The good picture is up with the first frame after the window opens.
    ASSERT_GE(changes.size(), 2u) << seed;
    EXPECT_EQ(changes[1].second, kGreen) << seed;
    EXPECT_LE(changes[1].first, 1033u) << seed;
  }
}

TEST_F(SaverRun, WhenNothingLoadsTheLoopKeepsItsPaceAndTheScreenStaysBlack) {
  qvtest::WriteFile(dir.file("broken.jpg"), "not a picture");
  project.FileList().Add(dir.file("broken.jpg"), true);
  project.FileList().Add(dir.file("missing.bmp"), true);
  RunFor(10000);
  EXPECT_NEAR(display.messageRounds, 10000 / 33, 10);
  EXPECT_EQ(display.Screen().Pixel(160, 120), kBlack);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SaverRun, InputDuringATransitionEndsItAtOnce) {
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  project.Setting().TransitionTime = 20000;
  // The change is due at 6000 and its transition would last until 26000.
  display.Script({TScriptedEvent::MouseDown, 9000});
  RunFor(60000);
  EXPECT_EQ(effects.size(), 1u);
  EXPECT_LT(clock.TickCount(), 9000u + 250u);
  EXPECT_TRUE(display.hidden);  // off the screen before the sound device closes
}

TEST_F(SaverRun, WithoutTransitionsTheAcceleratedPathShowsNoBlackBetweenPictures) {
  display.acceleratedAvailable = true;
  project.Setting().DirectX = true;
  project.Setting().Transition = false;
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  RunFor(20000);
  EXPECT_EQ(ShownColours(), (std::vector<uint32_t>{kRed, kGreen, kRed, kGreen}));
}

TEST_F(SaverRun, ATransitionDrawsTheNewPictureWhereItWillStand) {
  auto middleOfTheFade = [&](bool stretch, bool proportional, int w, int h) {
    project = qv::TQVCProject();
    clock = qv::platform::TManualClock{1000};
    SetUp();
    project.Setting().Stretch = stretch;
    project.Setting().Proportional = proportional;
    project.Setting().TransitionTime = 2000;
    AddPicture("a.bmp", kRed, 320, 240);
    AddPicture("b.bmp", kGreen, w, h);
    qv::TBitmap32 middle;
    display.onFrame = [&](const qv::TBitmap32& screen, uint32_t at) {
      if (at >= 6000 + 1000 && middle.Empty()) middle = screen;
    };
    RunFor(8000);
    return middle;
  };
  auto mixed = [](uint32_t c, uint32_t a, uint32_t b) {
    auto near = [](int x, int y) { return std::abs(x - y) < 40; };
    return near((c >> 16) & 255, (((a >> 16) & 255) + ((b >> 16) & 255)) / 2) &&
           near((c >> 8) & 255, (((a >> 8) & 255) + ((b >> 8) & 255)) / 2);
  };
  // Its own size, centred: 40 x 30 at (140, 105).
  qv::TBitmap32 own = middleOfTheFade(false, false, 40, 30);
  ASSERT_FALSE(own.Empty());
  EXPECT_TRUE(mixed(own.Pixel(160, 120), kRed, kGreen));
  EXPECT_TRUE(mixed(own.Pixel(138, 120), kRed, kBlack));
  EXPECT_TRUE(mixed(own.Pixel(141, 106), kRed, kGreen));
  // Stretched keeping its shape: 2:1 becomes 320 x 160 at (0, 40).
  qv::TBitmap32 fitted = middleOfTheFade(true, true, 64, 32);
  ASSERT_FALSE(fitted.Empty());
  EXPECT_TRUE(mixed(fitted.Pixel(160, 120), kRed, kGreen));
  EXPECT_TRUE(mixed(fitted.Pixel(160, 20), kRed, kBlack));
  EXPECT_TRUE(mixed(fitted.Pixel(5, 41), kRed, kGreen));
}

}  // namespace

namespace {

TEST_F(SaverRun, TheUsersOwnSettingsFileIsReadFirstWhenThereIsOne) {
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  qvtest::WriteFile(dir.file("saver.ini"), "[Setting]\r\nImageMode=3\r\nIndex=0\r\nDirectX=0\r\n");
  qvtest::TempDir config;
  std::filesystem::create_directory(config.file("qvsaver"));
  qvtest::WriteFile(config.file("qvsaver/saver.ini"), "[Setting]\r\nImageMode=3\r\nIndex=1\r\nDirectX=0\r\n");
  const char* before = std::getenv(qvtest::kUserConfigVariable);
  const std::string saved = before ? before : "";
  qvtest::SetEnv(qvtest::kUserConfigVariable, config.path());
  RunFor(12000);
  if (before) qvtest::SetEnv(qvtest::kUserConfigVariable, saved);
  else qvtest::UnsetEnv(qvtest::kUserConfigVariable);
  EXPECT_EQ(ShownColours(), std::vector<uint32_t>{kGreen});
}

}  // namespace

namespace {

constexpr uint32_t kYellow = 0xFFFFFF00u, kCyan = 0xFF00FFFFu;

// A second monitor to the right of the first.
class TwoScreens : public SaverRun {
 protected:
  // What each screen showed, by its centre pixel, each time a frame was
  // presented on it: (time, colour).
  std::vector<std::pair<uint32_t, uint32_t>> shown[2];
  // The colour each screen showed at the last present on either of them.
  uint32_t now[2] = {0, 0};
  std::vector<std::pair<uint32_t, uint32_t>> together;  // (left, right) after each present

  void SetUp() override {
    SaverRun::SetUp();
    project.Setting().Duration = 2;
    project.Setting().TransitionTime = 300;
    display.onScreenFrame = [this](int index, const qv::TBitmap32& screen, uint32_t at) {
      const uint32_t c = screen.Pixel(screen.Width() / 2, screen.Height() / 2);
      shown[index].push_back({at, c});
      now[index] = c;
      together.push_back({now[0], now[1]});
    };
  }
  void AddRightScreen(int w, int h) { display.AddScreen(320, 0, w, h); }
  void AddThreeColours() {
    AddPicture("a.bmp", kRed);
    AddPicture("b.bmp", kGreen);
    AddPicture("c.bmp", kBlue);
  }
  // Whenever both show a whole picture, they show different ones; and both
  // did more than `times` times.
  void ExpectNeverTheSamePicture(int times) {
    int both = 0;
    for (auto [l, r] : together) {
      const bool solidL = l == kRed || l == kGreen || l == kBlue, solidR = r == kRed || r == kGreen || r == kBlue;
      if (!solidL || !solidR) continue;
      ++both;
      ASSERT_NE(l, r);
    }
    EXPECT_GT(both, times);
  }
  static std::vector<uint32_t> Solid(const std::vector<std::pair<uint32_t, uint32_t>>& frames) {
    std::vector<uint32_t> out;
    for (auto [at, c] : frames)
      if ((c == kRed || c == kGreen || c == kBlue || c == kYellow || c == kCyan) && (out.empty() || out.back() != c))
        out.push_back(c);
    return out;
  }
};

TEST_F(TwoScreens, WithoutTheSettingTheSecondMonitorStaysBlack) {
  AddRightScreen(320, 240);
  AddPicture("a.bmp", kRed);
  AddPicture("b.bmp", kGreen);
  RunFor(20000);
  EXPECT_TRUE(shown[1].empty()) << "nothing is presented on it";
  EXPECT_EQ(display.ScreenPixels(1).Pixel(160, 120), kBlack);
  EXPECT_GE(Solid(shown[0]).size(), 4u);
}

TEST_F(TwoScreens, EachMonitorItsOwnShowNeverTheSamePictureAtOnce) {
  AddRightScreen(320, 240);
  project.Setting().Monitors = 1;
  project.Setting().ShowImageMode = 0;
  AddThreeColours();
  RunFor(60000);
  const std::vector<uint32_t> left = Solid(shown[0]), right = Solid(shown[1]);
  ASSERT_GE(left.size(), 10u);
  ASSERT_GE(right.size(), 10u);
  EXPECT_NE(left, right) << "each its own order";
  ExpectNeverTheSamePicture(100);
}

// Pictures that take a while to decode: a monitor keeps its old picture on
// screen while its next one loads, and another monitor must not take the
// picture it still shows.
TEST_F(TwoScreens, WhileOneMonitorWaitsForItsNextPictureTheOtherDoesNotTakeTheOneItShows) {
  class TSlowBackground final : public qv::platform::IBackground {
   public:
    explicit TSlowBackground(qv::platform::TManualClock& clock) : clock_(clock) {}
    std::unique_ptr<qv::platform::IBackgroundJob> Start(qv::platform::TBackgroundWork work) override {
      const std::atomic<bool> cancelled{false};
      work(cancelled);
      struct TJob final : qv::platform::IBackgroundJob {
        qv::platform::TManualClock* clock;
        uint32_t readyAt;
        bool Done() const override { return clock->TickCount() >= readyAt; }
      };
      auto job = std::make_unique<TJob>();
      job->clock = &clock_;
      // Every third picture takes a second and a half, the others no time.
      job->readyAt = clock_.TickCount() + (started_++ % 3 == 0 ? 1500 : 0);
      return job;
    }

   private:
    qv::platform::TManualClock& clock_;
    int started_ = 0;
  } slow(clock);
  services.background = &slow;
  AddRightScreen(320, 240);
  project.Setting().Monitors = 1;
  project.Setting().ShowImageMode = 0;
  project.Setting().Duration = 1;
  project.Setting().Transition = false;
  AddThreeColours();
  RunFor(60000);
  ASSERT_GE(Solid(shown[0]).size(), 10u);
  ASSERT_GE(Solid(shown[1]).size(), 10u);
  ExpectNeverTheSamePicture(20);
}

TEST_F(TwoScreens, TheSamePictureOnEveryMonitorChangingTogether) {
  display.AddScreen(320, 0, 200, 300);  // another size and shape
  project.Setting().Monitors = 2;
  project.Setting().ShowImageMode = 0;
  AddThreeColours();
  RunFor(60000);
  const std::vector<uint32_t> left = Solid(shown[0]), right = Solid(shown[1]);
  ASSERT_GE(left.size(), 10u);
  EXPECT_EQ(left, right);
  // Each fitted to its own screen: the picture fills the narrow one too.
  EXPECT_EQ(display.ScreenPixels(1).Width(), 200);
  EXPECT_NE(display.ScreenPixels(1).Pixel(100, 150), kBlack);
  // The transitions on both play the same effect at the same time.
  EXPECT_EQ(effects.size() % 2, 0u);
  for (size_t i = 0; i + 1 < effects.size(); i += 2) EXPECT_EQ(effects[i], effects[i + 1]);
}

TEST_F(TwoScreens, APortraitPictureGoesToAPortraitMonitor) {
  AddRightScreen(240, 320);
  project.Setting().Monitors = 1;
  project.Setting().ShowImageMode = 0;
  project.Setting().Proportional = true;
  AddPicture("a.bmp", kRed, 64, 48);
  AddPicture("b.bmp", kGreen, 64, 48);
  AddPicture("c.bmp", kBlue, 64, 48);
  AddPicture("d.bmp", kYellow, 48, 64);
  AddPicture("e.bmp", kCyan, 48, 64);
  RunFor(120000);
  // Once every picture's shape is known (each has loaded once), the
  // landscape monitor shows landscape pictures and the portrait one portrait.
  auto after = [](const std::vector<std::pair<uint32_t, uint32_t>>& frames, uint32_t from) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (auto f : frames)
      if (f.first >= from) out.push_back(f);
    return out;
  };
  const std::vector<uint32_t> left = Solid(after(shown[0], 60000)), right = Solid(after(shown[1], 60000));
  ASSERT_GE(left.size(), 5u);
  ASSERT_GE(right.size(), 5u);
  for (uint32_t c : left) EXPECT_TRUE(c == kRed || c == kGreen || c == kBlue) << std::hex << c;
  for (uint32_t c : right) EXPECT_TRUE(c == kYellow || c == kCyan) << std::hex << c;
}

}  // namespace
