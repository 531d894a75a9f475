// The real engine in run mode on a virtual X display, driven with xdotool.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"
#include "support/Xlib.h"

using qvtest::Quote;
namespace fs = std::filesystem;

namespace {

class SaverOnScreen : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp;
  Display* display = nullptr;

  void SetUp() override {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "these tests need an X display (scripts/test.sh runs them under Xvfb)";
    const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    std::string pictures;
    for (int i = 0; i < 3; ++i) {
      qv::TBitmap32 b(200, 150);
      b.Clear(colours[i]);
      std::string name = "p";
      name.append(std::to_string(i)).append(".bmp");
      qv::SaveBMP32(b, dir.file(name));
      pictures.append(" ").append(Quote(dir.file(name)));
    }
    qvtest::WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=2\r\nTransitionTime=500\r\nShowImageMode=1\r\n"
                                         "Proportional=0\r\n");
    auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                         Quote(dir.file("e2e.scr")) + " --settings " + Quote(dir.file("s.ini")) +
                                         pictures,
                                     dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }
  void TearDown() override {
    if (display) XCloseDisplay(display);
  }

  std::unique_ptr<qvtest::Process> Start() {
    return std::make_unique<qvtest::Process>(std::vector<std::string>{dir.file("e2e.scr"), "/S"},
                                             std::vector<std::string>{"TMPDIR=" + tmp.path(), "SDL_AUDIODRIVER=dummy",
                                                                      "ASAN_OPTIONS=detect_leaks=0"});
  }

  unsigned long CentrePixel() {
    Window root = DefaultRootWindow(display);
    XWindowAttributes attrs;
    XGetWindowAttributes(display, root, &attrs);
    XImage* image = XGetImage(display, root, attrs.width / 2, attrs.height / 2, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

  // Waits until the saver shows its first picture full-screen.
  bool WaitPresented(qvtest::Process& p) {
    for (int i = 0; i < 500 && p.Running(); ++i) {
      if (CentrePixel() == 0xFF0000) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  static void Xdotool(const std::string& args) { ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args; }
};

TEST_F(SaverOnScreen, KeepsRunningOnShiftAndArrowsAndEndsOnAThreePixelMove) {
  auto saver = Start();
  ASSERT_TRUE(saver->Started());
  ASSERT_TRUE(WaitPresented(*saver)) << "the first picture never filled the screen";
  Xdotool("mousemove 300 300");
  Xdotool("key shift");
  Xdotool("key Up");
  // Small moves: the first reports are ignored, then each stays within 2 pixels.
  for (int i = 0; i < 7; ++i) Xdotool("mousemove_relative 1 0");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(saver->Running()) << "Shift, an arrow key or a small move ended the saver";
  const auto moved = std::chrono::steady_clock::now();
  Xdotool("mousemove_relative 3 0");
  EXPECT_TRUE(saver->Wait(1000)) << "a 3-pixel move did not end the saver within a second";
  EXPECT_LT(std::chrono::steady_clock::now() - moved, std::chrono::milliseconds(1000));
  EXPECT_EQ(saver->exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "the temporary folder was left behind";
}

TEST_F(SaverOnScreen, EndsCleanlyOnTheSignalsDaemonsSend) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    auto saver = Start();
    ASSERT_TRUE(saver->Started());
    ASSERT_TRUE(WaitPresented(*saver));
    ::kill(saver->pid(), sig);
    EXPECT_TRUE(saver->Wait(1000)) << sig;
    EXPECT_EQ(saver->exitCode(), 0) << sig;
    EXPECT_TRUE(fs::is_empty(tmp.path())) << sig;
    // The screen goes black before the next one starts.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

TEST_F(SaverOnScreen, ALetterEndsIt) {
  auto saver = Start();
  ASSERT_TRUE(saver->Started());
  ASSERT_TRUE(WaitPresented(*saver));
  Xdotool("key q");
  EXPECT_TRUE(saver->Wait(1000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace

namespace {

// The user's favourites leave nothing checked: the saver asks to be configured.
class SaverMessage : public SaverOnScreen {
 protected:
  void SetUp() override {
    SaverOnScreen::SetUp();
    qvtest::WriteFile(dir.file("e2e.ini"), "[Setting]\r\nImageMode=2\r\nDirectX=0\r\n[Files]\r\n0=\r\n1=\r\n2=\r\n");
  }
};

TEST_F(SaverMessage, ASignalClosesTheMessageAndEndsTheSaverWithItsFilesRemoved) {
  auto saver = Start();
  ASSERT_TRUE(saver->Started());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the message is up
  ASSERT_TRUE(saver->Running());
  ::kill(saver->pid(), SIGTERM);
  EXPECT_TRUE(saver->Wait(1000)) << "a message box kept the saver from ending";
  EXPECT_EQ(saver->exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(SaverMessage, ReturnAnswersTheMessageAndTheWindowStaysBlackUntilInput) {
  auto saver = Start();
  ASSERT_TRUE(saver->Started());
  // The saver's window and its message box are both titled " ": the message
  // is up once two such windows show. A busy machine may take a while.
  bool up = false;
  for (int i = 0; i < 100 && !up; ++i) {
    up = std::system("test $(xdotool search --onlyvisible --name '^ $' 2>/dev/null | wc -l) -ge 2") == 0;
    if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(up) << "the message never showed";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Xdotool("key Return");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_TRUE(saver->Running()) << "the window must stay up until input closes it";
  EXPECT_EQ(CentrePixel(), 0u) << "the message is still up, or the window is not black";
  Xdotool("key q");
  EXPECT_TRUE(saver->Wait(1000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace

namespace {

TEST_F(SaverOnScreen, OnTheAcceleratedPathTheMouseRuleHoldsInScreenPixels) {
  // The accelerated surface (750 x 600 here) is stretched to the screen; a
  // move is still measured in pixels of the screen.
  qvtest::WriteFile(dir.file("e2e.ini"), "[Setting]\r\nDirectX=1\r\nDirectXQuality=1\r\n");
  auto saver = Start();
  ASSERT_TRUE(saver->Started());
  ASSERT_TRUE(WaitPresented(*saver)) << "the first picture never filled the screen";
  Xdotool("mousemove 300 300");
  for (int i = 0; i < 6; ++i) Xdotool("mousemove_relative 2 0");  // each within 2 pixels
  Xdotool("mousemove_relative -- 0 -2");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(saver->Running()) << "a 2-pixel move ended the saver";
  Xdotool("mousemove_relative 3 0");
  EXPECT_TRUE(saver->Wait(1000)) << "a 3-pixel move did not end the saver";
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace

namespace {

TEST_F(SaverOnScreen, TheSoundSystemsOwnComplaintsStayQuiet) {
  // On a machine without a sound card ALSA has much to say on every start.
  auto run = qvtest::RunCommand("timeout -s TERM 2 " + Quote(dir.file("e2e.scr")) + " /s", dir,
                                "SDL_AUDIODRIVER=alsa TMPDIR=" + Quote(tmp.path()));
  EXPECT_EQ(run.err.find("ALSA lib"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace

namespace {

TEST_F(SaverOnScreen, AFolderLeftByAKilledRunIsRemovedByTheNextStart) {
  auto killed = Start();
  ASSERT_TRUE(WaitPresented(*killed));
  ::kill(killed->pid(), SIGKILL);
  ASSERT_TRUE(killed->Wait(2000));
  ASSERT_FALSE(fs::is_empty(tmp.path())) << "a killed run leaves its folder";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto next = Start();
  ASSERT_TRUE(WaitPresented(*next));
  ::kill(next->pid(), SIGTERM);
  EXPECT_TRUE(next->Wait(1000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace
