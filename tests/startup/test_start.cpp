#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "project/uBlockContainer.h"
#include "startup/uQVStart.h"
#include "support/TempDir.h"

namespace {

using Args = std::vector<std::string>;

TEST(ModeDispatch, TheSwitchIsUpperCasedAndCutToTwoCharacters) {
  EXPECT_EQ(qv::ModeSwitch({"saver", "/c:1234"}), "/C");
  EXPECT_EQ(qv::ModeSwitch({"saver", "s"}), "S");
  EXPECT_EQ(qv::ModeSwitch({"saver"}), "");
  for (const char* s : {"/s", "-s", "s", "/S"})
    EXPECT_EQ(qv::ModeFromSwitch(qv::ModeSwitch({"saver", s})), qv::TRunMode::Run) << s;
  for (const char* s : {"/c:1234", "-c", "c", ""})
    EXPECT_EQ(qv::ModeFromSwitch(qv::ModeSwitch({"saver", s})), qv::TRunMode::Configure) << s;
  EXPECT_EQ(qv::ModeFromSwitch(qv::ModeSwitch({"saver"})), qv::TRunMode::Configure);
  for (const char* s : {"/p", "-P", "p"})
    EXPECT_EQ(qv::ModeFromSwitch(qv::ModeSwitch({"saver", s, "1234"})), qv::TRunMode::Preview) << s;
  for (const char* s : {"/a", "-A", "a"})
    EXPECT_EQ(qv::ModeFromSwitch(qv::ModeSwitch({"saver", s, "1234"})), qv::TRunMode::Password) << s;
  for (const char* s : {"/x", "SX", "//", "/"})
    EXPECT_EQ(qv::ModeFromSwitch(qv::ModeSwitch({"saver", s})), qv::TRunMode::None) << s;
}

TEST(ModeDispatch, TheWindowArgumentIsADecimalOrHexadecimalId) {
  EXPECT_EQ(qv::WindowArgument({"saver", "/p", "1234"}), 1234u);
  EXPECT_EQ(qv::WindowArgument({"saver", "/p", "0x12"}), 18u);
  EXPECT_EQ(qv::WindowArgument({"saver", "/p", "0X600000"}), 0x600000u);
  EXPECT_EQ(qv::WindowArgument({"saver", "/p", "0x"}), 0u);
  EXPECT_EQ(qv::WindowArgument({"saver", "/p", "12ab"}), 0u);
  EXPECT_EQ(qv::WindowArgument({"saver", "/p", "-5"}), 0u);
  EXPECT_EQ(qv::WindowArgument({"saver", "/p"}), 0u);
}

TEST(ModeDispatch, WithoutAFolderForTheProjectNothingRunsAndTheReasonIsGiven) {
  qvtest::TempDir tmp;
  qv::TStartServices services;
  services.tempPath = tmp.file("no-such-folder") + "/";
  services.exePath = QV_QVSAVER;
  std::string why;
  bool ran = false;
  services.report = [&](const std::string& w) { why = w; };
  services.runSaver = [&](qv::TQVCProject&, const std::string&, const std::string&) { return ran = true, 0; };
  EXPECT_EQ(qv::QVMain({"saver", "/s"}, services), 1);
  EXPECT_FALSE(ran);
  EXPECT_NE(why.find("no private folder"), std::string::npos) << why;
}

TEST(ModeDispatch, PasswordModeCallsTheSystemWithoutExtracting) {
  qvtest::TempDir tmp;
  qv::TStartServices services;
  services.tempPath = tmp.slash();
  services.exePath = QV_QVSAVER;
  uint64_t parent = 0;
  services.changePassword = [&](uint64_t id) { parent = id; };
  EXPECT_EQ(qv::QVMain({"saver", "/a", "1234"}, services), 0);
  EXPECT_EQ(parent, 1234u);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

TEST(ModeDispatch, ConfigureModeGetsTheProjectAndTheFirstArgumentAsGiven) {
  qvtest::TempDir tmp;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"saver", "/c:1234"}, {"saver", "C"}, {"saver"}}) {
    qv::TStartServices services;
    services.tempPath = tmp.slash();
    services.exePath = QV_QVSAVER;
    std::string first, exe;
    bool extracted = false;
    services.runConfigure = [&](qv::TQVCProject&, const std::string& e, const std::string& folder,
                                const std::string& argument) {
      first = argument;
      exe = e;
      extracted = std::filesystem::is_directory(folder);
      return 0;
    };
    services.runSaver = [](qv::TQVCProject&, const std::string&, const std::string&) { return 9; };
    EXPECT_EQ(qv::QVMain(args, services), 0);
    EXPECT_EQ(first, args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(exe.empty());
    EXPECT_TRUE(extracted);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path())) << "the extracted files go afterwards";
  }
}

TEST(ModeDispatch, EveryModeLeavesNoTemporaryFolderBehind) {
  qvtest::TempDir tmp;
  for (const char* s : {"/s", "/c", "/p", "/x"}) {
    qv::TStartServices services;
    services.tempPath = tmp.slash();
    services.exePath = QV_QVSAVER;  // no overlay: an empty project
    EXPECT_EQ(qv::QVMain({"saver", s, "77"}, services), std::string(s) == "/x" ? 2 : 0) << s;
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path())) << s;
  }
}

TEST(ModeDispatch, ArgumentsItCannotTakeAreNamedAndNothingIsExtracted) {
  qvtest::TempDir tmp;
  std::vector<std::string> said;
  bool helped = false;
  qv::TStartServices services;
  services.tempPath = tmp.slash();
  services.exePath = QV_QVSAVER;
  services.report = [&](const std::string& why) { said.push_back(why); };
  services.help = [&] { helped = true; };
  EXPECT_EQ(qv::QVMain({"saver", "--help"}, services), 0);
  EXPECT_TRUE(helped);
  EXPECT_EQ(qv::QVMain({"saver", "/x"}, services), 2);
  EXPECT_EQ(qv::QVMain({"saver", "/p"}, services), 2);
  EXPECT_EQ(qv::QVMain({"saver", "/p", "window"}, services), 2);
  ASSERT_EQ(said.size(), 3u);
  EXPECT_NE(said[0].find("unknown mode \"/x\""), std::string::npos) << said[0];
  EXPECT_NE(said[1].find("needs the id of the window"), std::string::npos) << said[1];
  EXPECT_NE(said[2].find("\"window\" is not a window id"), std::string::npos) << said[2];
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
  uint64_t id = 7;
  EXPECT_TRUE(qv::ReadWindowId("0", id));
  EXPECT_EQ(id, 0u);
  EXPECT_TRUE(qv::ReadWindowId("0x1A", id));
  EXPECT_EQ(id, 26u);
  EXPECT_FALSE(qv::ReadWindowId("0x", id));
  EXPECT_FALSE(qv::ReadWindowId("", id));
}

// What a preview pane saw of the drawing and of the run's folder.
struct TPaneRecord {
  bool drawn = false, filesWhenDrawn = false, stayed = false, filesWhileShown = true;
};

class TPaneDouble final : public qv::platform::IPreviewWindow {
 public:
  TPaneDouble(std::string temp, TPaneRecord& record) : temp_(std::move(temp)), record_(record) {}
  bool WaitVisible() override { return true; }
  int Width() const override { return 40; }
  int Height() const override { return 30; }
  void Present(const qv::TBitmap32& frame) override {
    record_.drawn = frame.Width() == 40 && frame.Height() == 30;
    record_.filesWhenDrawn = !std::filesystem::is_empty(temp_);
  }
  void StayUntilClosed() override {
    record_.stayed = true;
    record_.filesWhileShown = !std::filesystem::is_empty(temp_);
  }

 private:
  std::string temp_;
  TPaneRecord& record_;
};

TEST(ModeDispatch, APreviewStaysOnShowWithItsFilesAlreadyGone) {
  qvtest::TempDir dir, tmp;
  qv::TBitmap32 picture(8, 8);
  picture.Clear(0xFF2040FFu);
  const std::vector<uint8_t> jpeg = qv::EncodeJPEG(picture, 90);
  const std::string settings = qv::BlockContainerBytes(
      {"[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n", "[Advance]\r\nPreviewFile=C:\\p\\preview.jpg\r\n", ""});
  const std::string pictures = qv::BlockContainerBytes({std::string(jpeg.begin(), jpeg.end())});
  qvtest::WriteFile(dir.file("p.scr"), "engine" + qv::BlockContainerBytes({settings, "preview.jpg\r\n", pictures, ""}));

  qv::TStartServices services;
  services.tempPath = tmp.slash();
  services.exePath = dir.file("p.scr");
  services.report = [](const std::string& why) { ADD_FAILURE() << why; };
  TPaneRecord record;
  uint64_t asked = 0;
  services.openPreviewWindow = [&](uint64_t id) -> std::unique_ptr<qv::platform::IPreviewWindow> {
    asked = id;
    return std::make_unique<TPaneDouble>(tmp.path(), record);
  };
  EXPECT_EQ(qv::QVMain({"saver", "/p", "4321"}, services), 0);
  EXPECT_EQ(asked, 4321u);
  EXPECT_TRUE(record.drawn);
  EXPECT_TRUE(record.filesWhenDrawn) << "drawn from the extracted picture";
  EXPECT_TRUE(record.stayed);
  EXPECT_FALSE(record.filesWhileShown) << "the files stayed while the preview was on show";
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

}  // namespace
