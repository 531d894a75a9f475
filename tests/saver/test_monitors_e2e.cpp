// A desktop of two monitors: a virtual X server of its own, 1600 x 600 with
// two RandR monitors side by side, the left one primary.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
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

}  // namespace
