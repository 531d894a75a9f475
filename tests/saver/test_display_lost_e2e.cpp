// A saver whose X server goes away (the user logs out, the server crashes)
// ends at once in every mode, its extracted files removed as a signal would.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Run.h"
#include "support/TempDir.h"
#include "support/XServer.h"

using qvtest::Quote;
namespace fs = std::filesystem;

namespace {

class DisplayLost : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp, runtime;

  void SetUp() override {
    qv::TBitmap32 red(320, 200);
    red.Clear(0xFFFF0000u);
    qv::SaveBMP32(red, dir.file("red.bmp"));
    auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                         Quote(dir.file("lost.scr")) + " --preview " + Quote(dir.file("red.bmp")) +
                                         " " + Quote(dir.file("red.bmp")),
                                     dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }

  // Runs the saver with `args` on a server of its own; `started` tells when
  // the mode is under way. Then the server is killed.
  void EndsWithItsServer(std::vector<std::string> args, bool previewWindow = false) {
    qvtest::VirtualXServer server("800x600x24");
    ASSERT_TRUE(server.Connected()) << "no virtual X server could be started";
    if (previewWindow) {
      // Not shown yet: the preview waits for it, as it does while the display
      // settings open.
      Display* d = server.display();
      const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 160, 120, 0, 0, 0);
      XSync(d, False);
      args.push_back(std::to_string(w));
    }
    std::vector<std::string> argv = {dir.file("lost.scr")};
    argv.insert(argv.end(), args.begin(), args.end());
    qvtest::Process saver(argv, {"DISPLAY=" + server.name(), "TMPDIR=" + tmp.path(), "SDL_AUDIODRIVER=dummy",
                                 "XDG_RUNTIME_DIR=" + runtime.path(), "ASAN_OPTIONS=detect_leaks=0"});
    // Under way: its files are out, and a moment later it plays.
    bool started = false;
    for (int i = 0; i < 500 && !started && saver.Running(); ++i) {
      std::error_code ec;
      started = !fs::is_empty(tmp.path(), ec) && i > 50;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(saver.Running()) << args[0] << " ended before its server did: " << saver.exitCode();
    server.Kill();
    EXPECT_TRUE(saver.Wait(1000)) << args[0] << " did not end within a second of losing its display";
    std::string left;
    for (const auto& entry : fs::recursive_directory_iterator(tmp.path())) left += entry.path().string() + " ";
    EXPECT_EQ(left, "") << args[0] << " left its files behind";
  }
};

TEST_F(DisplayLost, FullScreen) { EndsWithItsServer({"/S"}); }
TEST_F(DisplayLost, InADaemonsWindow) { EndsWithItsServer({"-root"}); }
TEST_F(DisplayLost, Configuring) { EndsWithItsServer({"/C"}); }
TEST_F(DisplayLost, Previewing) { EndsWithItsServer({"/P"}, true); }

}  // namespace
