// Configure mode of the real engine on a virtual X display, driven with
// xdotool: the demo's skinned window, the built-in one for a skin that
// cannot serve, and what both leave in the user settings file.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"
#include "support/Xlib.h"

using qvtest::Quote;
namespace fs = std::filesystem;

namespace {

// The demo's main window is 640 x 420; its painted buttons (and the click
// labels over them) lie at these places in it.
constexpr int kNextX = 508 + 24, kNextY = 180 + 24;
constexpr int kPicturesX = 452 + 24, kPicturesY = 262 + 24;
constexpr int kCloseX = 602 + 14, kCloseY = 10 + 14;
constexpr int kPreviewX = 24 + 200, kPreviewY = 64 + 150;
// In the thumbnails window: the grid at (8, 30), its cells 2 pixels in, 100
// wide, each check box 13..24 across and 66..77 down in its cell; OK.
constexpr int kSecondCheckX = 8 + 2 + 100 + 18, kSecondCheckY = 30 + 2 + 71;
constexpr int kOkX = 342 + 45, kOkY = 292 + 14;

class ConfigureOnScreen : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp, config;
  Display* display = nullptr;

  void SetUp() override {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "these tests need an X display (scripts/test.sh runs them under Xvfb)";
    auto r = qvtest::RunCommand(std::string(QV_QVTOOL) + " demo --engine " + Quote(QV_QVSAVER) + " --out " +
                                    Quote(dir.file("demo.scr")),
                                dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  void TearDown() override {
    if (display) XCloseDisplay(display);
  }

  std::unique_ptr<qvtest::Process> Start(const std::vector<std::string>& argv) {
    return std::make_unique<qvtest::Process>(
        argv, std::vector<std::string>{"TMPDIR=" + tmp.path(), "XDG_CONFIG_HOME=" + config.path(),
                                       "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"});
  }
  static int Xdotool(const std::string& args) {
    return std::system(("timeout 20 xdotool " + args + " >/dev/null 2>&1").c_str());
  }
  // The window's id by its exact title, waiting for it to appear.
  std::string WindowId(const std::string& title) {
    const std::string out = tmp.file("window-id");
    const std::string command = "timeout 20 xdotool search --sync --name " + Quote("^" + title + "$") + " >" + Quote(out);
    if (std::system(command.c_str()) != 0) return {};
    std::string id = qvtest::ReadFile(out);
    fs::remove(out);
    return id.substr(0, id.find('\n'));
  }
  bool Gone(const std::string& title) {
    for (int i = 0; i < 500; ++i) {
      if (Xdotool("search --name " + Quote("^" + title + "$")) != 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  void Click(const std::string& window, int x, int y) {
    ASSERT_EQ(Xdotool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
                      " click 1"),
              0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  // A pixel of a window (0xRRGGBB), at a place in it.
  unsigned long Pixel(const std::string& window, int x, int y) {
    const Window w = std::stoul(window);
    XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFF;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }
  // Waits until the window shows a pixel for which `ok` holds.
  template <typename Ok>
  bool WaitPixel(const std::string& window, int x, int y, Ok ok) {
    for (int i = 0; i < 500; ++i) {
      if (ok(Pixel(window, x, y))) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
};

bool Reddish(unsigned long p) { return ((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) < 120; }

TEST_F(ConfigureOnScreen, TheDemosSkinnedWindowBrowsesChecksAndClosesThenRunModeReadsWhatItWrote) {
  auto engine = Start({dir.file("demo.scr"), "/C"});
  ASSERT_TRUE(engine->Started());
  const std::string main = WindowId("Quiet Horizons");
  ASSERT_FALSE(main.empty()) << "the skinned main window opens, titled with the product's name";
  // The painted close button, red, at the top right of the drawn background.
  ASSERT_TRUE(WaitPixel(main, kCloseX - 10, kCloseY, Reddish));
  const unsigned long first = Pixel(main, kPreviewX, kPreviewY);

  Click(main, kNextX, kNextY);
  EXPECT_TRUE(WaitPixel(main, kPreviewX, kPreviewY, [&](unsigned long p) { return p != first; }))
      << "the preview shows the next picture";

  Click(main, kPicturesX, kPicturesY);
  const std::string thumbs = WindowId("Quiet Horizons: your favourite pictures");
  ASSERT_FALSE(thumbs.empty()) << "the thumbnails window opens";
  Click(thumbs, kSecondCheckX, kSecondCheckY);
  Click(thumbs, kOkX, kOkY);
  EXPECT_TRUE(Gone("Quiet Horizons: your favourite pictures"));

  Click(main, kCloseX, kCloseY);
  ASSERT_TRUE(engine->Wait(10000));
  EXPECT_EQ(engine->exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "the extracted files are removed";

  const qv::TIniFile ini = qv::TIniFile::FromFile(dir.file("demo.ini"));
  EXPECT_EQ(ini.ReadInteger("Setting", "Index", -1), 1);
  EXPECT_EQ(ini.ReadSectionKeys("Files"), (std::vector<std::string>{"1"}));
  // Run mode in favourites mode leaves the unchecked picture out.
  qv::TIniDocument doc = qv::TIniDocument::FromFile(dir.file("demo.ini"));
  doc.WriteInteger("Setting", "ImageMode", 2);
  doc.SaveAtomically(dir.file("demo.ini"));
  qv::TQVCProject project;
  for (const char* name : {"p0", "p1", "p2"}) project.FileList().Add(name, true);
  qv::ApplyUserSettings(project, dir.file("demo.ini"));
  EXPECT_TRUE(project.FileList().Enabled(0));
  EXPECT_FALSE(project.FileList().Enabled(1));
  EXPECT_TRUE(project.FileList().Enabled(2));
}

TEST_F(ConfigureOnScreen, ASkinThatCannotServeGivesTheBuiltInWindowWithAReasonAndEscapeClosesIt) {
  qv::TBitmap32 b(64, 48);
  b.Clear(0xFF2080C0u);
  qv::SaveBMP32(b, dir.file("p.bmp"));
  qvtest::WriteFile(dir.file("broken.qvu"), "1\r\n2\r\nobject MainWindow: TfmForm\r\n  Caption = 'open\r\n0\r\n0\r\n");
  qvtest::WriteFile(dir.file("s.ini"), "[General]\r\nProductName=Broken Skin\r\n");
  auto r = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                  Quote(dir.file("broken.scr")) + " --settings " + Quote(dir.file("s.ini")) +
                                  " --ui " + Quote(dir.file("broken.qvu")) + " " + Quote(dir.file("p.bmp")),
                              dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string err = dir.file("err.txt");
  const std::string line = "ASAN_OPTIONS=detect_leaks=0 TMPDIR=" + Quote(tmp.path()) + " XDG_CONFIG_HOME=" +
                           Quote(config.path()) + " " + Quote(QV_QVTOOL) + " play " + Quote(dir.file("broken.scr")) +
                           " /c 2>" + Quote(err) + " & echo $! >" + Quote(dir.file("pid"));
  ASSERT_EQ(std::system(line.c_str()), 0);
  const std::string window = WindowId("Broken Skin");
  ASSERT_FALSE(window.empty()) << "the built-in window opens, titled with the product's name";
  ASSERT_TRUE(WaitPixel(window, 282 + 148, 8 + 111, [](unsigned long p) { return p == 0x2080C0; }))
      << "its preview shows the picture";
  ASSERT_EQ(Xdotool("windowfocus --sync " + window + " key Escape"), 0);
  EXPECT_TRUE(Gone("Broken Skin"));
  const pid_t pid = std::stoi(qvtest::ReadFile(dir.file("pid")));
  for (int i = 0; i < 500 && ::kill(pid, 0) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_NE(::kill(pid, 0), 0) << "the program ended";
  EXPECT_EQ(qvtest::ReadFile(err),
            "qvtool play: the skin's window \"MainWindow\" cannot be built: line 4: unterminated string; "
            "showing the built-in configuration window\n");
  EXPECT_TRUE(fs::is_empty(tmp.path()));
  EXPECT_EQ(qv::TIniFile::FromFile(dir.file("broken.ini")).ReadInteger("Setting", "Index", -1), 0);
}

TEST_F(ConfigureOnScreen, ASignalClosesTheWindowAndItsFilesGo) {
  auto engine = Start({dir.file("demo.scr")});  // no argument: configure mode too
  ASSERT_TRUE(engine->Started());
  const std::string main = WindowId("Quiet Horizons");
  ASSERT_FALSE(main.empty());
  EXPECT_FALSE(fs::is_empty(tmp.path()));
  Click(main, kPicturesX, kPicturesY);
  ASSERT_FALSE(WindowId("Quiet Horizons: your favourite pictures").empty());
  ::kill(engine->pid(), SIGTERM);
  ASSERT_TRUE(engine->Wait(10000));
  EXPECT_EQ(engine->exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace
