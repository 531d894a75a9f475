// Preview mode draws into a window another program owns, given by its id.
#include <gtest/gtest.h>
#include "support/Xlib.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::TempDir;
namespace fs = std::filesystem;

namespace {

void SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  qvtest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

class PreviewMode : public ::testing::Test {
 protected:
  Display* display = nullptr;
  Window window = 0;
  TempDir dir, tmp;

  void SetUp() override {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "preview tests need an X display (scripts/test.sh runs them under Xvfb)";
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 200, 150, 0, 0,
                                 BlackPixel(display, screen));
    XSync(display, False);  // the window exists, not shown yet
    // A preview of a different size and shape than the window: left half
    // red, right half blue, so stretching shows in the result.
    qv::TBitmap32 picture(64, 64);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) picture.Row(y)[x] = x < 32 ? 0xFFFF0000u : 0xFF0000FFu;
    SaveBytes(dir.file("preview.jpg"), qv::EncodeJPEG(picture, 95));
    SaveBytes(dir.file("pic.jpg"), qv::EncodeJPEG(picture, 80));
    auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                         Quote(dir.file("p.scr")) + " --preview " + Quote(dir.file("preview.jpg")) +
                                         " " + Quote(dir.file("pic.jpg")),
                                     dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }
  void TearDown() override {
    if (!display) return;
    if (window) XDestroyWindow(display, window);
    XCloseDisplay(display);
  }

  // The window shows the square preview as the saver shows pictures: kept
  // square in the middle on black (the project keeps proportions), or
  // stretched over the window; red on its left half, blue on its right.
  void ExpectPreviewDrawn(bool keepsShape = true) {
    XImage* image = XGetImage(display, window, 0, 0, 200, 150, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    auto rgb = [&](int x, int y) { return XGetPixel(image, x, y) & 0xFFFFFF; };
    auto near = [](unsigned long c, unsigned long want) {
      for (int s = 0; s < 24; s += 8)
        if (std::abs(static_cast<int>((c >> s) & 0xFF) - static_cast<int>((want >> s) & 0xFF)) > 24) return false;
      return true;
    };
    const int left = keepsShape ? 25 : 0, right = keepsShape ? 175 : 200;
    EXPECT_TRUE(near(rgb(left + 5, 5), 0xFF0000)) << std::hex << rgb(left + 5, 5);
    EXPECT_TRUE(near(rgb(90, 140), 0xFF0000)) << std::hex << rgb(90, 140);
    EXPECT_TRUE(near(rgb(110, 10), 0x0000FF)) << std::hex << rgb(110, 10);
    EXPECT_TRUE(near(rgb(right - 5, 145), 0x0000FF)) << std::hex << rgb(right - 5, 145);
    if (keepsShape) {
      EXPECT_EQ(rgb(10, 75), 0u) << "black beside the picture";
      EXPECT_EQ(rgb(190, 75), 0u);
    }
    XDestroyImage(image);
  }
};

TEST_F(PreviewMode, DrawsThePreviewPictureIntoTheGivenWindowKeepingItsShape) {
  XMapWindow(display, window);
  XSync(display, False);
  auto run = qvtest::RunCommand(Quote(dir.file("p.scr")) + " /p " + std::to_string(window), dir,
                                "TMPDIR=" + Quote(tmp.path()));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::is_empty(tmp.path()));
  ExpectPreviewDrawn();
}

TEST_F(PreviewMode, AProjectThatStretchesPicturesStretchesThePreview) {
  qvtest::WriteFile(dir.file("s.ini"), "[Default]\r\nStretch=1\r\nProportional=0\r\n");
  auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                       Quote(dir.file("p.scr")) + " --settings " + Quote(dir.file("s.ini")) +
                                       " --preview " + Quote(dir.file("preview.jpg")) + " " + Quote(dir.file("pic.jpg")),
                                   dir);
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  XMapWindow(display, window);
  XSync(display, False);
  auto run = qvtest::RunCommand(Quote(dir.file("p.scr")) + " /p " + std::to_string(window), dir,
                                "TMPDIR=" + Quote(tmp.path()));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectPreviewDrawn(false);
}

TEST_F(PreviewMode, TakesTheWindowIdInHexadecimalAndDrawsOnceTheWindowIsShown) {
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(window));
  qvtest::Process saver({dir.file("p.scr"), "/p", id}, {"TMPDIR=" + tmp.path(), "ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_TRUE(saver.Started());
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_TRUE(saver.Running()) << "it should wait for the window to be shown";
  XMapWindow(display, window);
  XSync(display, False);
  EXPECT_TRUE(saver.Wait(5000));
  EXPECT_EQ(saver.exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path()));
  ExpectPreviewDrawn();
}

TEST_F(PreviewMode, AWindowThatDoesNotExistIsReportedAndTheFilesGo) {
  XDestroyWindow(display, window);
  XSync(display, False);
  const Window gone = window;
  window = 0;
  auto run = qvtest::RunCommand(Quote(dir.file("p.scr")) + " /p " + std::to_string(gone), dir,
                                "TMPDIR=" + Quote(tmp.path()));
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("does not exist"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace
