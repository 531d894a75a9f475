// The engine hosted by a screensaver daemon, played by this test: it makes
// the window, starts the engine the way the daemons do, looks at what is
// drawn, and stops it with a signal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/ColourShow.h"
#include "support/Run.h"
#include "support/Sounds.h"
#include "support/Spawn.h"
#include "support/TempDir.h"
#include "support/Xlib.h"

using qvtest::Quote;
namespace fs = std::filesystem;

namespace {

class HostedSaver : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp;
  Display* display = nullptr;
  Window window = 0;

  void SetUp() override {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "these tests need an X display (scripts/test.sh runs them under Xvfb)";
    qv::TBitmap32 red(160, 90);
    red.Clear(0xFFFF0000u);
    qv::SaveBMP32(red, dir.file("red.bmp"));
    qvtest::WriteFile(dir.file("tune.wav"), qvtest::Tone(440, 2.0));
    qvtest::WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=60\r\n");
    auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                         Quote(dir.file("h.scr")) + " --settings " + Quote(dir.file("s.ini")) +
                                         " --music " + Quote(dir.file("tune.wav")) + " " + Quote(dir.file("red.bmp")),
                                     dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    window = MakeWindow(320, 180);
  }
  void TearDown() override {
    if (display) XCloseDisplay(display);
  }

  // A window as a daemon makes it: mapped, magenta until the saver draws.
  Window MakeWindow(int w, int h, int x = 0) {
    const int screen = DefaultScreen(display);
    Window win = XCreateSimpleWindow(display, RootWindow(display, screen), x, 0, w, h, 0, 0, 0xFF00FF);
    XMapWindow(display, win);
    XSync(display, False);
    return win;
  }

  std::string Hex(Window w) const {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(w));
    return id;
  }

  std::unique_ptr<qvtest::Process> Start(std::vector<std::string> args, std::vector<std::string> env) {
    args.insert(args.begin(), dir.file("h.scr"));
    env.push_back("TMPDIR=" + tmp.path());
    env.push_back("ASAN_OPTIONS=detect_leaks=0");
    return std::make_unique<qvtest::Process>(args, env);
  }

  unsigned long Pixel(Window w, int x, int y) {
    XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

  bool WaitForColour(Window w, int x, int y, unsigned long colour, int ms = 5000) {
    for (int i = 0; i < ms / 10; ++i) {
      if (Pixel(w, x, y) == colour) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

TEST_F(HostedSaver, DrawsIntoTheDaemonsWindowIgnoresInputFollowsAResizeAndEndsOnASignal) {
  auto saver = Start({"-root"}, {"XSCREENSAVER_WINDOW=" + Hex(window), "SDL_AUDIODRIVER=dummy"});
  ASSERT_TRUE(saver->Started());
  // A 16:9 picture stretched into the 16:9 window fills it.
  ASSERT_TRUE(WaitForColour(window, 160, 90, 0xFF0000)) << "the picture never reached the window";
  EXPECT_EQ(Pixel(window, 2, 2), 0xFF0000u);
  // Input belongs to the daemon.
  EXPECT_EQ(std::system("xdotool mousemove 50 50 sleep 0.1 mousemove 150 120 key q click 1"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(saver->Running()) << "input reached the hosted saver";
  // The window grows; the picture follows.
  XResizeWindow(display, window, 480, 270);
  XSync(display, False);
  EXPECT_TRUE(WaitForColour(window, 470, 260, 0xFF0000)) << "the picture did not follow the resize";
  const auto stopped = std::chrono::steady_clock::now();
  ::kill(saver->pid(), SIGTERM);
  EXPECT_TRUE(saver->Wait(1000));
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(1000));
  EXPECT_EQ(saver->exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "the temporary folder was left behind";
}

TEST_F(HostedSaver, TheWindowIdMayComeAsAnArgumentInDecimal) {
  auto saver = Start({"--window-id", std::to_string(window)}, {"SDL_AUDIODRIVER=dummy"});
  ASSERT_TRUE(WaitForColour(window, 160, 90, 0xFF0000));
  ::kill(saver->pid(), SIGINT);
  EXPECT_TRUE(saver->Wait(1000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(HostedSaver, AVariableThatIsNoWindowIdIsReportedAndIgnored) {
  // Run mode then opens its own full-screen window, as without a daemon.
  auto run = qvtest::RunCommand("timeout -s TERM 2 " + Quote(dir.file("h.scr")) + " /s", dir,
                                "XSCREENSAVER_WINDOW=wayland-3f2a SDL_AUDIODRIVER=dummy TMPDIR=" + Quote(tmp.path()));
  EXPECT_NE(run.err.find("XSCREENSAVER_WINDOW=\"wayland-3f2a\" is not an X window id"), std::string::npos) << run.err;
  EXPECT_EQ(Pixel(window, 160, 90), 0xFF00FFu) << "it drew into a window it was not given";
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

// Without a session bus the system's bus library would start one of its own
// (dbus-launch), whose files land in the runtime folder this test watches.
constexpr const char* kNoSessionBus = "DBUS_SESSION_BUS_ADDRESS=disabled:";

TEST_F(HostedSaver, TheDaemonsSwitchesWinOverTheProjectAndTheUsersSettings) {
  // Two pictures in list order, 60 seconds each by the project, and the
  // user's settings asking for 50: -duration 1 shows the second within seconds.
  qv::TBitmap32 blue(160, 90);
  blue.Clear(0xFF0000FFu);
  qv::SaveBMP32(blue, dir.file("blue.bmp"));
  qvtest::WriteFile(dir.file("two.ini"), "[Default]\r\nDuration=60\r\nShowImageMode=1\r\nTransition=0\r\n");
  auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                       Quote(dir.file("h.scr")) + " --settings " + Quote(dir.file("two.ini")) +
                                       " --music " + Quote(dir.file("tune.wav")) + " " + Quote(dir.file("red.bmp")) +
                                       " " + Quote(dir.file("blue.bmp")),
                                   dir);
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  qvtest::WriteFile(dir.file("h.ini"), "[Setting]\r\nDuration=50\r\nMusic=1\r\n");
  const std::string pcm = dir.file("music.raw");
  auto saver = Start({"-root", "-duration", "1", "-no-music"},
                     {"XSCREENSAVER_WINDOW=" + Hex(window), "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + pcm,
                      "XSCREENSAVER_SAVER_INDEX=0"});
  ASSERT_TRUE(WaitForColour(window, 160, 90, 0xFF0000)) << "the first picture never came";
  EXPECT_TRUE(WaitForColour(window, 160, 90, 0x0000FF, 6000)) << "-duration 1 did not shorten the picture's time";
  ::kill(saver->pid(), SIGTERM);
  EXPECT_TRUE(saver->Wait(3000));
  std::error_code error;
  if (fs::exists(pcm, error)) {
    for (char c : qvtest::ReadFile(pcm)) ASSERT_EQ(c, 0) << "-no-music still played the music";
  }
  EXPECT_EQ(qvtest::ReadFile(dir.file("h.ini")), "[Setting]\r\nDuration=50\r\nMusic=1\r\n") << "a switch was stored";
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(HostedSaver, OfTwoInstancesAtOnceExactlyOnePlaysSound) {
  const Window second = MakeWindow(320, 180, 600);  // another monitor's
  for (bool numbered : {false, true}) {
    const std::string a = dir.file("a.raw"), b = dir.file("b.raw");
    fs::remove(a);
    fs::remove(b);
    std::vector<std::string> envA = {"XSCREENSAVER_WINDOW=" + std::to_string(window), "SDL_AUDIODRIVER=disk",
                                     "SDL_DISKAUDIOFILE=" + a, "XDG_RUNTIME_DIR=" + tmp.path(),
                                     kNoSessionBus};
    std::vector<std::string> envB = {"XSCREENSAVER_WINDOW=" + std::to_string(second), "SDL_AUDIODRIVER=disk",
                                     "SDL_DISKAUDIOFILE=" + b, "XDG_RUNTIME_DIR=" + tmp.path(),
                                     kNoSessionBus};
    if (numbered) {
      // XSecureLock numbers its instances; the second one starts first here.
      envA.push_back("XSCREENSAVER_SAVER_INDEX=1");
      envB.push_back("XSCREENSAVER_SAVER_INDEX=0");
    }
    // Both windows back to the daemon's colour, whatever the last round left.
    for (Window w : {window, second}) XClearWindow(display, w);
    XSync(display, False);
    auto first = Start({"-root"}, envA);
    auto other = Start({"-root"}, envB);
    // The primary monitor's instance plays; without a Monitors setting the
    // other stays black.
    bool one = false;
    for (int i = 0; i < 500 && !one; ++i) {
      const unsigned long pa = Pixel(window, 160, 90), pb = Pixel(second, 160, 90);
      one = (pa == 0xFF0000 && pb == 0) || (pa == 0 && pb == 0xFF0000);
      if (!one) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(one) << std::hex << Pixel(window, 160, 90) << " " << Pixel(second, 160, 90);
    if (numbered) {
      EXPECT_EQ(Pixel(second, 160, 90), 0xFF0000u) << "the instance numbered 0 is the primary one";
    }
    auto heard = [](const std::string& file) {
      std::error_code error;
      if (!fs::exists(file, error)) return false;
      const std::string pcm = qvtest::ReadFile(file);
      for (char c : pcm)
        if (c != 0) return true;
      return false;
    };
    // On a busy machine the music may start late: wait for the voice, then
    // give the silent one as long again to speak up if it wrongly would.
    for (int i = 0; i < 100 && !heard(a) && !heard(b); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const bool secondPlays = Pixel(second, 160, 90) == 0xFF0000;
    ::kill(first->pid(), SIGTERM);
    ::kill(other->pid(), SIGTERM);
    EXPECT_TRUE(first->Wait(3000));
    EXPECT_TRUE(other->Wait(3000));
    EXPECT_NE(heard(a), heard(b)) << (numbered ? "numbered" : "by lock") << ": " << heard(a) << heard(b);
    EXPECT_EQ(heard(b), secondPlays) << "the one that plays speaks";
    if (numbered) {
      EXPECT_TRUE(heard(b));
    }
    std::string left;
    for (const auto& entry : fs::recursive_directory_iterator(tmp.path())) left += entry.path().string() + " ";
    EXPECT_EQ(left, "") << "the voice lock or a folder was left behind";
  }
}

// Two instances on two monitors with a Monitors setting: each its own show
// never showing what the other shows, or both the primary one's picture.
TEST_F(HostedSaver, InstancesOnTwoMonitorsFollowTheMonitorsSetting) {
  const Window second = MakeWindow(320, 180, 600);
  auto solid = [](unsigned long c) { return c == 0xFF0000 || c == 0x00FF00 || c == 0x0000FF; };
  for (const char* monitors : {"1", "2"}) {
    auto packed = qvtest::PackColours(
        dir, dir.file("h.scr"), {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}, 160, 90,
        std::string("[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=0\r\nMonitors=") + monitors + "\r\n");
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    auto primary = Start({"-root"}, {"XSCREENSAVER_WINDOW=" + std::to_string(window), "XSCREENSAVER_SAVER_INDEX=0",
                                     "SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + tmp.path(), kNoSessionBus});
    auto other = Start({"-root"}, {"XSCREENSAVER_WINDOW=" + std::to_string(second), "XSCREENSAVER_SAVER_INDEX=1",
                                   "SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + tmp.path(), kNoSessionBus});
    ASSERT_TRUE(WaitForColour(window, 160, 90, 0xFF0000) || WaitForColour(window, 160, 90, 0x00FF00) ||
                WaitForColour(window, 160, 90, 0x0000FF));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    int both = 0, same = 0;
    for (int t = 0; t < 250; ++t) {
      const unsigned long a = Pixel(window, 160, 90), b = Pixel(second, 160, 90);
      if (solid(a) && solid(b)) {
        ++both;
        if (a == b) ++same;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(primary->pid(), SIGTERM);
    ::kill(other->pid(), SIGTERM);
    EXPECT_TRUE(primary->Wait(3000));
    EXPECT_TRUE(other->Wait(3000));
    EXPECT_GT(both, 150) << "Monitors=" << monitors << ": both show pictures";
    if (std::string(monitors) == "1") {
      EXPECT_LE(same, 10) << "only while one changes to what the other has just left";
    } else {
      EXPECT_GE(same, both - 25) << "the other follows the primary one's changes within a frame or two";
    }
  }
  std::string left;
  for (const auto& entry : fs::recursive_directory_iterator(tmp.path())) left += entry.path().string() + " ";
  EXPECT_EQ(left, "") << "what the instances told one another is gone with them";
}

}  // namespace
