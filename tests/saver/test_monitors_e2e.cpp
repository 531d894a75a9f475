// A desktop of two monitors: a virtual X server of its own, 1600 x 600 with
// two RandR monitors side by side, the left one primary.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/ColourShow.h"
#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"
#include <X11/extensions/Xrandr.h>
#include "support/XServer.h"

using qvtest::Quote;
namespace fs = std::filesystem;

namespace {

class TwoMonitors : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp;
  qvtest::VirtualXServer server{"1600x600x24"};
  std::string name = server.name();
  Display* display = server.display();

  void SetUp() override {
    ASSERT_NE(display, nullptr) << "no virtual X server could be started";
    // Two monitors on the one screen; they last while this connection does.
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    for (int i = 0; i < 2; ++i) {
      XRRMonitorInfo* m = XRRAllocateMonitor(display, i == 0 ? 1 : 0);
      m->name = XInternAtom(display, i == 0 ? "LEFT" : "RIGHT", False);
      m->primary = i == 0;
      m->x = i * 800;
      m->width = 800;
      m->height = 600;
      m->mwidth = 211;
      m->mheight = 158;
      if (i == 0) m->outputs[0] = resources->outputs[0];
      XRRSetMonitor(display, root, m);
      XRRFreeMonitors(m);
    }
    XRRFreeScreenResources(resources);
    XSync(display, False);

    qv::TBitmap32 red(800, 600);
    red.Clear(0xFFFF0000u);
    qv::SaveBMP32(red, dir.file("red.bmp"));
    auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                         Quote(dir.file("m.scr")) + " " + Quote(dir.file("red.bmp")),
                                     dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }
  // Three pictures of one colour each, changing every second without a
  // transition, with the given Monitors setting.
  std::string PackThree(const std::string& monitors) {
    const std::string out = dir.file("m" + monitors + ".scr");
    auto packed = qvtest::PackColours(dir, out, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}, 800, 600,
                                      "[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=0\r\nMonitors=" +
                                          monitors + "\r\n");
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    return out;
  }
  // The colours at the middle of each monitor, sampled for `ms`.
  std::vector<std::pair<unsigned long, unsigned long>> Sample(int ms) {
    std::vector<std::pair<unsigned long, unsigned long>> seen;
    for (int t = 0; t < ms; t += 20) {
      seen.push_back({Pixel(400, 300), Pixel(1200, 300)});
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return seen;
  }
  static bool Solid(unsigned long c) { return c == 0xFF0000u || c == 0x00FF00u || c == 0x0000FFu; }
  unsigned long Pixel(int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFF;
    unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }
};

TEST_F(TwoMonitors, TheSlideshowPlaysOnThePrimaryAndTheOtherIsBlack) {
  // The root window starts in the server's own pattern; paint it white so
  // black shows only where the saver covers it.
  XSetWindowBackground(display, DefaultRootWindow(display), 0xFFFFFF);
  XClearWindow(display, DefaultRootWindow(display));
  XSync(display, False);
  ASSERT_EQ(Pixel(1200, 300), 0xFFFFFFu);
  qvtest::Process saver({dir.file("m.scr"), "/S"}, {"DISPLAY=" + name, "TMPDIR=" + tmp.path(),
                                                     "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"});
  bool shown = false;
  for (int i = 0; i < 500 && !shown && saver.Running(); ++i) {
    shown = Pixel(400, 300) == 0xFF0000u && Pixel(1200, 300) == 0u;
    if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(shown) << "left " << std::hex << Pixel(400, 300) << ", right " << Pixel(1200, 300);
  EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
  EXPECT_EQ(Pixel(795, 595), 0xFF0000u);
  EXPECT_EQ(Pixel(805, 5), 0u);
  EXPECT_EQ(Pixel(1595, 595), 0u);
  ::kill(saver.pid(), SIGTERM);
  EXPECT_TRUE(saver.Wait(2000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(TwoMonitors, EachMonitorPlaysItsOwnShowNeverTheSamePictureAtOnce) {
  const std::string scr = PackThree("1");
  qvtest::Process saver({scr, "/S"}, {"DISPLAY=" + name, "TMPDIR=" + tmp.path(), "SDL_AUDIODRIVER=dummy",
                                      "ASAN_OPTIONS=detect_leaks=0"});
  const auto seen = Sample(6000);
  int both = 0, leftChanges = 0, rightChanges = 0;
  for (size_t i = 0; i < seen.size(); ++i) {
    auto [l, r] = seen[i];
    if (i > 0 && Solid(l) && l != seen[i - 1].first) ++leftChanges;
    if (i > 0 && Solid(r) && r != seen[i - 1].second) ++rightChanges;
    if (!Solid(l) || !Solid(r)) continue;
    ++both;
    EXPECT_NE(l, r) << "sample " << i;
  }
  EXPECT_GT(both, 100) << "both monitors show pictures";
  EXPECT_GE(leftChanges, 3);
  EXPECT_GE(rightChanges, 3);
  ::kill(saver.pid(), SIGTERM);
  EXPECT_TRUE(saver.Wait(2000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(TwoMonitors, TheSamePictureOnBothMonitors) {
  const std::string scr = PackThree("2");
  qvtest::Process saver({scr, "/S"}, {"DISPLAY=" + name, "TMPDIR=" + tmp.path(), "SDL_AUDIODRIVER=dummy",
                                      "ASAN_OPTIONS=detect_leaks=0"});
  const auto seen = Sample(6000);
  int same = 0, differ = 0, changes = 0;
  for (size_t i = 0; i < seen.size(); ++i) {
    auto [l, r] = seen[i];
    if (!Solid(l) || !Solid(r)) continue;
    (l == r ? same : differ)++;
    if (i > 0 && l != seen[i - 1].first) ++changes;
  }
  EXPECT_GT(same, 100);
  EXPECT_LE(differ, 6) << "only while the two windows are being drawn one after the other";
  EXPECT_GE(changes, 3);
  ::kill(saver.pid(), SIGTERM);
  EXPECT_TRUE(saver.Wait(2000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace
