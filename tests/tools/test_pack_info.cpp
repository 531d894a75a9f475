#include <gtest/gtest.h>

#include <filesystem>

#include "project/uQVProject.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;
using qvtest::TempDir;
using qvtest::WriteFile;
namespace fs = std::filesystem;

namespace {

const std::string kTool = QV_QVTOOL;
const std::string kEngine = QV_QVSAVER;

// A settings file where every key differs from its default, and the JSON
// fragment info must print for it.
std::pair<std::string, std::vector<std::string>> EveryKeyChanged() {
  std::string ini, section;
  std::vector<std::string> expected;
  for (const qv::TSettingField& f : qv::SettingFields()) {
    if (section != f.section) {
      section = f.section;
      ini += "[" + section + "]\r\n";
    }
    std::string key = f.key;
    if (key == "MusicFile" || key == "PreviewFile") continue;  // set by options below
    switch (f.kind) {
      case qv::TSettingField::Int:
        ini += key + "=7\r\n";
        expected.push_back("\"" + key + "\":7");
        break;
      case qv::TSettingField::Bool: {
        bool def = f.GetBool(qv::TQVCSetting{});
        ini += key + "=" + (def ? "0" : "1") + "\r\n";
        expected.push_back("\"" + key + "\":" + (def ? "false" : "true"));
        break;
      }
      case qv::TSettingField::Text:
        ini += key + "=text of " + key + "\r\n";
        expected.push_back("\"" + key + "\":\"text of " + key + "\"");
        break;
    }
  }
  return {ini, expected};
}

class PackInfo : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir tmp;  // the temporary path the programs see
  std::string env() const { return "TMPDIR=" + Quote(tmp.path()); }
  void SetUp() override {
    WriteFile(dir.file("one.jpg"), std::string(1234, 'j'));
    WriteFile(dir.file("two.BMP"), std::string(99, 'b'));
    WriteFile(dir.file("three.gif"), "");
    WriteFile(dir.file("prev.jpg"), "preview");
    WriteFile(dir.file("a.ogg"), "music a");
    WriteFile(dir.file("b.wav"), "music b");
    WriteFile(dir.file("splash.wav"), "sound");
    WriteFile(dir.file("skin.qvu"), "skin description");
  }
  std::string packCommand(const std::string& settings, const std::string& extra = "") const {
    return kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("out.scr")) + " --settings " +
           Quote(settings) + " --ui " + Quote(dir.file("skin.qvu")) + " --preview " + Quote(dir.file("prev.jpg")) +
           " --music " + Quote(dir.file("a.ogg")) + " --music " + Quote(dir.file("b.wav")) + " --extra " +
           Quote(dir.file("splash.wav")) + " " + extra + " " + Quote(dir.file("one.jpg")) + " " +
           Quote(dir.file("two.BMP")) + " " + Quote(dir.file("three.gif"));
  }
};

TEST_F(PackInfo, EverySettingAndPictureRoundTrips) {
  auto [ini, expected] = EveryKeyChanged();
  WriteFile(dir.file("settings.ini"), ini);
  for (const std::string& blocks : {std::string(), std::string("--four-blocks")}) {
    auto packed = RunCommand(packCommand(dir.file("settings.ini"), blocks), dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    auto info = RunCommand(kTool + " info " + Quote(dir.file("out.scr")), dir, env());
    ASSERT_EQ(info.exitCode, 0) << info.err;
    const std::string& json = info.out;
    for (const std::string& fragment : expected) EXPECT_NE(json.find(fragment), std::string::npos) << fragment;
    EXPECT_NE(json.find("\"product_name\":\"text of ProductName\""), std::string::npos);
    EXPECT_NE(json.find("\"MusicFile\":\"a.ogg;b.wav\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"PreviewFile\":\"prev.jpg\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"preview_file\":\"prev.jpg\""), std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"QVImage0.jpg\",\"enabled\":true,\"bytes\":1234}"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"name\":\"QVImage1.bmp\",\"enabled\":true,\"bytes\":99}"), std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"QVImage2.gif\",\"enabled\":true,\"bytes\":0}"), std::string::npos);
    EXPECT_NE(json.find("\"ui_file_bytes\":16"), std::string::npos);
    EXPECT_NE(json.find("\"temp_folder\":\"" + tmp.path() + "/out"), std::string::npos) << json;
    EXPECT_TRUE(fs::is_empty(tmp.path())) << "info left its extracted files behind";
  }
}

TEST_F(PackInfo, TheEngineExtractsAndTidiesUpInEveryModeThatEnds) {
  // Run mode plays until input and is tried on a real display elsewhere.
  WriteFile(dir.file("settings.ini"), "[General]\r\nProductName=Run\r\n");
  ASSERT_EQ(RunCommand(packCommand(dir.file("settings.ini")), dir).exitCode, 0);
  for (const char* mode : {"/c", "/p 0", "-x", "/a 5"}) {
    auto run = RunCommand(Quote(dir.file("out.scr")) + " " + mode, dir, env() + " SDL_VIDEODRIVER=offscreen");
    EXPECT_EQ(run.exitCode, 0) << mode << run.err;
    EXPECT_TRUE(fs::is_empty(tmp.path())) << mode;
  }
}

TEST_F(PackInfo, TwoFilesWithOneStoredNameAreRefused) {
  fs::create_directory(dir.file("sub"));
  WriteFile(dir.file("sub/A.OGG"), "clash");
  WriteFile(dir.file("settings.ini"), "");
  auto r = RunCommand(packCommand(dir.file("settings.ini"), "--extra " + Quote(dir.file("sub/A.OGG"))), dir);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("two files would be stored as"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.file("out.scr")));
  EXPECT_FALSE(fs::exists(dir.file("out.scr.part")));
}

TEST_F(PackInfo, BadArgumentsAndFilesGiveOneLineErrors) {
  auto noOverlay = RunCommand(kTool + " info " + Quote(kEngine), dir, env());
  EXPECT_EQ(noOverlay.exitCode, 2);
  EXPECT_NE(noOverlay.err.find("carries no project overlay"), std::string::npos) << noOverlay.err;
  EXPECT_EQ(std::count(noOverlay.err.begin(), noOverlay.err.end(), '\n'), 1);
  EXPECT_TRUE(fs::is_empty(tmp.path()));

  auto missing = RunCommand(kTool + " info " + Quote(dir.file("absent.scr")), dir, env());
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);

  auto noPicture = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("o")) + " " +
                           Quote(dir.file("nothing.jpg")),
                       dir);
  EXPECT_EQ(noPicture.exitCode, 2);
  EXPECT_NE(noPicture.err.find("cannot read picture"), std::string::npos) << noPicture.err;

  EXPECT_EQ(RunCommand(kTool + " pack --out x", dir).exitCode, 2);
  EXPECT_EQ(RunCommand(kTool + " frobnicate", dir).exitCode, 2);
}

}  // namespace
