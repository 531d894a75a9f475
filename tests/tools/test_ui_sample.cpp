// qvtool ui-sample on a virtual X display: the sample window and the settings
// dialog drawn from a packed screensaver, and nothing left behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Pictures.h"
#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;
namespace fs = std::filesystem;

namespace {

class UiSample : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp;
  void SetUp() override {
    std::string pictures;
    const uint32_t colours[] = {0xFFFF8000u, 0xFF0080FFu, 0xFF20C040u};
    for (int i = 0; i < 3; ++i) {
      qv::TBitmap32 b(160, 120);
      b.Clear(colours[i]);
      std::string name = "p";
      name.append(std::to_string(i)).append(".bmp");
      qv::SaveBMP32(b, dir.file(name));
      pictures.append(" ").append(Quote(dir.file(name)));
    }
    auto packed = RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                 Quote(dir.file("s.scr")) + pictures,
                             dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }
  qvtest::RunResult Sample(const std::string& options) {
    return RunCommand(std::string(QV_QVTOOL) + " ui-sample " + Quote(dir.file("s.scr")) + " " + options, dir,
                      "TMPDIR=" + Quote(tmp.path()));
  }
};

TEST_F(UiSample, DrawsTheProjectsThumbnailsAndRemovesWhatItExtracted) {
  auto r = Sample("--screenshot " + Quote(dir.file("window.bmp")));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"pictures\": 3, \"thumbnails\": 3, \"columns\": 3, \"rows\": 1"), std::string::npos) << r.out;
  const qv::TPicture shot = qvtest::ReadPicture(dir.file("window.bmp"));
  ASSERT_EQ(shot.bitmap.Width(), 720);
  // The grid at (10, 10), its cells 2 pixels in; each thumbnail 15 pixels into its cell.
  EXPECT_EQ(shot.bitmap.Pixel(12 + 15 + 40, 12 + 15 + 20), 0xFFFF8000u);
  EXPECT_EQ(shot.bitmap.Pixel(112 + 15 + 40, 12 + 15 + 20), 0xFF0080FFu);
  EXPECT_EQ(shot.bitmap.Pixel(212 + 15 + 40, 12 + 15 + 20), 0xFF20C040u);
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "the extracted project is removed";
}

TEST_F(UiSample, DrawsTheSettingsDialog) {
  auto r = Sample("--dialog-screenshot " + Quote(dir.file("dialog.bmp")));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const qv::TPicture shot = qvtest::ReadPicture(dir.file("dialog.bmp"));
  EXPECT_EQ(shot.bitmap.Width(), 364);
  EXPECT_EQ(shot.bitmap.Height(), 297);
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(UiSample, ASignalClosesTheWindowAndAnOpenSettingsDialogAndRemovesWhatWasExtracted) {
  qvtest::Process sample({QV_QVTOOL, "ui-sample", dir.file("s.scr")}, {"TMPDIR=" + tmp.path()});
  ASSERT_TRUE(sample.Started());
  auto xdotool = [](const std::string& args) { return std::system(("timeout 20 xdotool " + args + " >/dev/null").c_str()); };
  ASSERT_EQ(xdotool("search --sync --name '^qvtool ui-sample'"), 0);
  EXPECT_FALSE(fs::is_empty(tmp.path()));
  // "Settings..." lies at (610, 430) in the 720 by 470 window.
  ASSERT_EQ(xdotool("search --name '^qvtool ui-sample' mousemove --window %1 650 444 click 1"), 0);
  ASSERT_EQ(xdotool("search --sync --name '^Settings$'"), 0) << "the settings dialog opens";
  ::kill(sample.pid(), SIGTERM);
  ASSERT_TRUE(sample.Wait(10000));
  EXPECT_EQ(sample.exitCode(), 0);
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(UiSample, AFileWithoutAProjectIsRefusedWithAMessage) {
  auto r = RunCommand(std::string(QV_QVTOOL) + " ui-sample " + Quote(dir.file("p0.bmp")), dir);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("carries no project overlay"), std::string::npos) << r.err;
  r = RunCommand(std::string(QV_QVTOOL) + " ui-sample", dir);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("usage: qvtool ui-sample FILE"), std::string::npos) << r.err;
}

}  // namespace
