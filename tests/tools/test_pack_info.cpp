#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "project/uQVProject.h"
#include "support/Pictures.h"
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
    if (key == "TransitionEffects") {  // a list of effect numbers
      ini += key + "=7,12\r\n";
      expected.push_back("\"" + key + "\":\"7,12\"");
      continue;
    }
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
    WriteFile(dir.file("one.jpg"), qvtest::JpegFile());
    WriteFile(dir.file("two.BMP"), qvtest::BmpFile());
    WriteFile(dir.file("three.gif"), qvtest::GifFile());
    WriteFile(dir.file("prev.jpg"), qvtest::JpegFile(8, 8));
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
    auto entry = [&](const char* name, const char* file) {
      return "{\"name\":\"" + std::string(name) + "\",\"title\":\"" + file + "\",\"enabled\":true,\"bytes\":" +
             std::to_string(fs::file_size(dir.file(file))) + "}";
    };
    EXPECT_NE(json.find(entry("QVImage0.jpg", "one.jpg")), std::string::npos) << json;
    EXPECT_NE(json.find(entry("QVImage1.bmp", "two.BMP")), std::string::npos);
    EXPECT_NE(json.find(entry("QVImage2.gif", "three.gif")), std::string::npos);
    EXPECT_NE(json.find("\"ui_file_bytes\":16"), std::string::npos);
    EXPECT_NE(json.find("\"temp_folder\":\"" + tmp.path() + "/out"), std::string::npos) << json;
    EXPECT_TRUE(fs::is_empty(tmp.path())) << "info left its extracted files behind";
  }
}

TEST_F(PackInfo, TheEngineExtractsAndTidiesUpInEveryModeThatEnds) {
  // Run mode plays until input and is tried on a real display elsewhere.
  WriteFile(dir.file("settings.ini"), "[General]\r\nProductName=Run\r\n");
  ASSERT_EQ(RunCommand(packCommand(dir.file("settings.ini")), dir).exitCode, 0);
  // Configure mode waits for its window to be closed: without a display it
  // says so and fails.
  for (const char* mode : {"/c", "/p 0", "-x", "/a 5"}) {
    const bool configure = std::string(mode) == "/c";
    auto run = RunCommand(Quote(dir.file("out.scr")) + " " + mode, dir,
                          env() + " SDL_VIDEODRIVER=offscreen" + (configure ? " DISPLAY=" : ""));
    // A preview without a window to draw into says so and fails.
    const int expected = std::string(mode) == "/p 0" || configure ? 1 : std::string(mode) == "-x" ? 2 : 0;
    EXPECT_EQ(run.exitCode, expected) << mode << run.err;
    if (configure) {
      EXPECT_EQ(run.err, "qvsaver: no display to show the configuration window on\n");
    }
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
  EXPECT_NE(missing.err.find("Cannot read " + dir.file("absent.scr") + ": no such file"), std::string::npos)
      << missing.err;

  auto noPicture = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("o")) + " " +
                           Quote(dir.file("nothing.jpg")),
                       dir);
  EXPECT_EQ(noPicture.exitCode, 2);
  EXPECT_NE(noPicture.err.find("cannot read picture"), std::string::npos) << noPicture.err;

  EXPECT_EQ(RunCommand(kTool + " pack --out x", dir).exitCode, 2);
  EXPECT_EQ(RunCommand(kTool + " frobnicate", dir).exitCode, 2);
}

}  // namespace

namespace {

class Pack : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir tmp;
  std::string pack(const std::string& args) const {
    return kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("out.scr")) + " " + args;
  }
  std::string info(const std::string& file) const {
    auto r = RunCommand(kTool + " info " + Quote(file), dir, "TMPDIR=" + Quote(tmp.path()));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
  }
};

TEST_F(Pack, PicturesTravelUnderTheExtensionTheirBytesPlayAs) {
  WriteFile(dir.file("photo.jpeg"), qvtest::JpegFile());
  WriteFile(dir.file("actually-a-gif.png"), qvtest::GifFile());
  WriteFile(dir.file("scene.qvp"), std::string("QV060697") + std::string(40, '\0'));
  auto r = RunCommand(pack(Quote(dir.file("photo.jpeg")) + " " + Quote(dir.file("actually-a-gif.png")) + " " +
                           Quote(dir.file("scene.qvp"))),
                      dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string json = info(dir.file("out.scr"));
  EXPECT_NE(json.find("\"name\":\"QVImage0.jpg\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"name\":\"QVImage1.gif\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"name\":\"QVImage2.qvp\""), std::string::npos) << json;
}

TEST_F(Pack, FilesThatDoNotPlayAreRefusedByName) {
  WriteFile(dir.file("good.jpg"), qvtest::JpegFile());
  WriteFile(dir.file("drawing.psd"), std::string("8BPS\0\1", 6) + std::string(40, 'p'));
  WriteFile(dir.file("notes.jpg"), "just some text");
  for (const char* bad : {"drawing.psd", "notes.jpg"}) {
    auto r = RunCommand(pack(Quote(dir.file("good.jpg")) + " " + Quote(dir.file(bad))), dir);
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.err.find(dir.file(bad)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("JPEG, BMP, GIF, PNG, WebP"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("out.scr")));
  }
  auto preview = RunCommand(pack("--preview " + Quote(dir.file("notes.jpg")) + " " + Quote(dir.file("good.jpg"))), dir);
  EXPECT_EQ(preview.exitCode, 2);
  EXPECT_NE(preview.err.find("preview"), std::string::npos) << preview.err;
}

TEST_F(Pack, AnOutputThatIsADeviceOrAPipeIsRefusedAndLeftAsItIs) {
  WriteFile(dir.file("good.jpg"), qvtest::JpegFile());
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto r = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(fifo) + " " +
                          Quote(dir.file("good.jpg")),
                      dir);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_FALSE(fs::exists(fifo + ".part"));
}

TEST_F(Pack, AProjectWithoutPicturesIsRefusedUnlessAskedFor) {
  auto refused = RunCommand(pack(""), dir);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("--allow-empty"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(dir.file("out.scr")));
  EXPECT_EQ(RunCommand(pack("--allow-empty"), dir).exitCode, 0);
}

TEST_F(Pack, AnOutputThatIsOneOfTheInputsIsRefused) {
  WriteFile(dir.file("pic.jpg"), qvtest::JpegFile());
  const std::string before = qvtest::ReadFile(dir.file("pic.jpg"));
  auto r = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("pic.jpg")) + " " +
                          Quote(dir.file("pic.jpg")),
                      dir);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(qvtest::ReadFile(dir.file("pic.jpg")), before);
  fs::copy_file(kEngine, dir.file("engine"));
  auto engine = RunCommand(kTool + " pack --engine " + Quote(dir.file("engine")) + " --out " +
                               Quote(dir.file("./engine")) + " " + Quote(dir.file("pic.jpg")),
                           dir);
  EXPECT_EQ(engine.exitCode, 2);
  EXPECT_EQ(fs::file_size(dir.file("engine")), fs::file_size(kEngine));
}

TEST_F(Pack, AnEngineThatCarriesAProjectGivesOnlyItsOwnBytes) {
  WriteFile(dir.file("old.jpg"), qvtest::JpegFile(16, 12, 7));
  WriteFile(dir.file("new.bmp"), qvtest::BmpFile());
  ASSERT_EQ(RunCommand(pack(Quote(dir.file("old.jpg"))), dir).exitCode, 0);
  fs::rename(dir.file("out.scr"), dir.file("old.scr"));
  auto r = RunCommand(kTool + " pack --engine " + Quote(dir.file("old.scr")) + " --out " + Quote(dir.file("new.scr")) +
                          " " + Quote(dir.file("new.bmp")),
                      dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("already carries a project"), std::string::npos) << r.err;
  const std::string json = info(dir.file("new.scr"));
  EXPECT_NE(json.find("\"name\":\"QVImage0.bmp\""), std::string::npos) << json;
  EXPECT_EQ(json.find("QVImage0.jpg"), std::string::npos) << json;
  // The engine part of the new file is exactly the engine.
  const std::string packed = qvtest::ReadFile(dir.file("new.scr"));
  const std::string engine = qvtest::ReadFile(kEngine);
  EXPECT_EQ(packed.compare(0, engine.size(), engine), 0);
}

TEST_F(Pack, PicturesKeepTheirShapeUnlessTheSettingsSayOtherwise) {
  WriteFile(dir.file("pic.jpg"), qvtest::JpegFile());
  ASSERT_EQ(RunCommand(pack(Quote(dir.file("pic.jpg"))), dir).exitCode, 0);
  EXPECT_NE(info(dir.file("out.scr")).find("\"Proportional\":true"), std::string::npos);
  WriteFile(dir.file("s.ini"), "[Default]\r\nProportional=0\r\n");
  ASSERT_EQ(RunCommand(pack("--settings " + Quote(dir.file("s.ini")) + " " + Quote(dir.file("pic.jpg"))), dir).exitCode, 0);
  EXPECT_NE(info(dir.file("out.scr")).find("\"Proportional\":false"), std::string::npos);
}

TEST_F(Pack, ASettingValueThatIsNoNumberIsReportedWithTheDefaultUsed) {
  WriteFile(dir.file("pic.jpg"), qvtest::JpegFile());
  WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=abc\r\nMusic=yes\r\nTransitionTime=500\r\n");
  auto r = RunCommand(pack("--settings " + Quote(dir.file("s.ini")) + " " + Quote(dir.file("pic.jpg"))), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("Duration=abc"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Duration=30 is used"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Music=1 is used"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("TransitionTime"), std::string::npos) << r.err;
  EXPECT_NE(info(dir.file("out.scr")).find("\"Duration\":30"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(PackInfo, WithoutADisplayTheSaverSaysSoAndEndsWithItsFilesRemoved) {
  WriteFile(dir.file("settings.ini"), "");
  ASSERT_EQ(RunCommand(packCommand(dir.file("settings.ini")), dir).exitCode, 0);
  const std::string noDisplay =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_RUNTIME_DIR SDL_AUDIODRIVER=dummy " + env();
  auto saver = RunCommand(noDisplay + " " + Quote(dir.file("out.scr")) + " /s", dir);
  EXPECT_NE(saver.exitCode, 0);
  EXPECT_EQ(saver.err, "qvsaver: no display could be opened (DISPLAY is not set)\n") << "ours, and alone";
  EXPECT_TRUE(fs::is_empty(tmp.path()));
  auto play = RunCommand(noDisplay + " " + kTool + " play " + Quote(dir.file("out.scr")), dir);
  EXPECT_NE(play.exitCode, 0);
  EXPECT_NE(play.err.find("no display could be opened"), std::string::npos) << play.err;
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace

namespace {

TEST_F(PackInfo, SmallThingsANewUserTripsOver) {
  auto help = RunCommand(kTool + " -h", dir);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: qvtool"), std::string::npos);
  for (const char* command : {"pack", "info", "play", "render", "demo", "effect", "gallery", "ui-sample", "qvp",
                              "qvp make", "qvp info"}) {
    help = RunCommand(kTool + " " + command + " --help", dir);
    EXPECT_EQ(help.exitCode, 0) << command << help.err;
    EXPECT_NE(help.out.find(std::string("usage: qvtool ") + command), std::string::npos) << command << help.out;
  }

  // The engine: its usage, and arguments it cannot take named as such.
  WriteFile(dir.file("settings.ini"), "");
  ASSERT_EQ(RunCommand(packCommand(dir.file("settings.ini")), dir).exitCode, 0);
  const std::string saver = Quote(dir.file("out.scr"));
  auto usage = RunCommand(saver + " --help", dir, env());
  EXPECT_EQ(usage.exitCode, 0);
  EXPECT_NE(usage.out.find("/P WINDOW"), std::string::npos) << usage.out;
  for (const char* mode : {"/X", "foo"}) {
    auto r = RunCommand(saver + " " + mode, dir, env());
    EXPECT_EQ(r.exitCode, 2) << mode;
    EXPECT_NE(r.err.find(std::string("unknown mode \"") + mode + "\""), std::string::npos) << r.err;
  }
  auto noId = RunCommand(saver + " /p", dir, env());
  EXPECT_EQ(noId.exitCode, 2);
  EXPECT_NE(noId.err.find("the preview needs the id of the window"), std::string::npos) << noId.err;
  auto badId = RunCommand(saver + " /p notanumber", dir, env());
  EXPECT_EQ(badId.exitCode, 2);
  EXPECT_NE(badId.err.find("\"notanumber\" is not a window id"), std::string::npos) << badId.err;
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "nothing is extracted for arguments it cannot take";

  auto folder = RunCommand(kTool + " info " + Quote(dir.path()), dir, env());
  EXPECT_EQ(folder.exitCode, 2);
  EXPECT_NE(folder.err.find("a folder"), std::string::npos) << folder.err;

  ASSERT_EQ(RunCommand(kTool + " pack --allow-empty --engine " + Quote(kEngine) + " --out " + Quote(dir.file("empty.scr")),
                       dir)
                .exitCode,
            0);
  auto render = RunCommand(kTool + " render " + Quote(dir.file("empty.scr")) + " --size 64x48 --seconds 1 --out " +
                               Quote(dir.file("frames")),
                           dir, env());
  EXPECT_EQ(render.exitCode, 2);
  EXPECT_NE(render.err.find("no pictures"), std::string::npos) << render.err;
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

// The creator's silent mistakes are named: effect numbers that do not exist,
// and files an animated picture plays that were not packed with it.
TEST_F(PackInfo, PackNamesWhatItDropsAndWhatWillBeMissing) {
  WriteFile(dir.file("fx.ini"), "[Default]\r\nTransitionEffects=5, 999,x,0,7\r\n");
  auto r = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("out.scr")) +
                          " --settings " + Quote(dir.file("fx.ini")) + " " + Quote(dir.file("one.jpg")),
                      dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("\"999\", \"x\" and \"0\" are not an effect number from 1 to 169"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("the list stored is 5,7"), std::string::npos) << r.err;
  auto info = RunCommand(kTool + " info " + Quote(dir.file("out.scr")), dir, env());
  EXPECT_NE(info.out.find("\"TransitionEffects\":\"5,7\""), std::string::npos) << info.out;
  WriteFile(dir.file("fx.ini"), "[Default]\r\nTransitionEffects=999\r\n");
  r = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("out.scr")) +
                     " --settings " + Quote(dir.file("fx.ini")) + " " + Quote(dir.file("one.jpg")),
                 dir);
  EXPECT_NE(r.err.find("none is left, so effect 1 plays"), std::string::npos) << r.err;

  // An animated picture whose sprite and sound travel only with --extra.
  auto demo = RunCommand(kTool + " demo --engine " + Quote(kEngine) + " --out " + Quote(dir.file("d.scr")) +
                             " --sources " + Quote(dir.file("src")),
                         dir);
  ASSERT_EQ(demo.exitCode, 0) << demo.err;
  const std::string lake = Quote(dir.file("src/winter-lake.qvp"));
  r = RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("lake.scr")) + " " + lake, dir);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("names lapping.wav (sound 1), which is not packed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("names gull.gif (object 0 and object 1), which is not packed"), std::string::npos) << r.err;
  r = RunCommand(kTool + " pack --strict --engine " + Quote(kEngine) + " --out " + Quote(dir.file("strict.scr")) +
                     " --extra " + Quote(dir.file("src/gull.gif")) + " " + lake,
                 dir);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("lapping.wav"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("gull.gif"), std::string::npos) << "it is packed: " << r.err;
  EXPECT_FALSE(fs::exists(dir.file("strict.scr")));
  r = RunCommand(kTool + " pack --strict --engine " + Quote(kEngine) + " --out " + Quote(dir.file("strict.scr")) +
                     " --extra " + Quote(dir.file("src/gull.gif")) + " --extra " + Quote(dir.file("src/LAPPING.wav")) +
                     " " + lake,
                 dir);
  EXPECT_NE(r.exitCode, 0) << "no such file";
  fs::rename(dir.file("src/lapping.wav"), dir.file("src/LAPPING.wav"));
  r = RunCommand(kTool + " pack --strict --engine " + Quote(kEngine) + " --out " + Quote(dir.file("strict.scr")) +
                     " --extra " + Quote(dir.file("src/gull.gif")) + " --extra " + Quote(dir.file("src/LAPPING.wav")) +
                     " " + lake,
                 dir);
  EXPECT_EQ(r.exitCode, 0) << "names match in any letter case, as the engine finds them: " << r.err;
  EXPECT_EQ(r.err, "");
}

// A download that stopped early is not a screensaver that passes: info
// refuses it, the players say so once and play what is whole.
TEST_F(PackInfo, AScreensaverCutShortIsNamedAsSuch) {
  WriteFile(dir.file("settings.ini"), "");
  WriteFile(dir.file("big.jpg"), qvtest::JpegFile(400, 300));
  ASSERT_EQ(RunCommand(kTool + " pack --engine " + Quote(kEngine) + " --out " + Quote(dir.file("out.scr")) + " " +
                           Quote(dir.file("one.jpg")) + " " + Quote(dir.file("big.jpg")),
                       dir)
                .exitCode,
            0);
  const std::string whole = qvtest::ReadFile(dir.file("out.scr"));
  // Into the big picture: it and the skin's block are lost.
  WriteFile(dir.file("cut.scr"), whole.substr(0, whole.size() - 1000));
  auto info = RunCommand(kTool + " info " + Quote(dir.file("cut.scr")), dir, env());
  EXPECT_EQ(info.exitCode, 2);
  EXPECT_NE(info.err.find("is cut short: at least "), std::string::npos) << info.err;
  EXPECT_NE(info.err.find("bytes of its project are missing (1 picture lost)"), std::string::npos) << info.err;
  EXPECT_EQ(info.out, "");
  auto render = RunCommand(kTool + " render " + Quote(dir.file("cut.scr")) + " --size 64x48 --seconds 1 --out " +
                               Quote(dir.file("frames")),
                           dir, env());
  EXPECT_EQ(render.exitCode, 0) << render.err;
  EXPECT_NE(render.err.find("is cut short"), std::string::npos) << render.err;
  const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy " + env();
  ::chmod(dir.file("cut.scr").c_str(), 0755);
  auto saver = RunCommand(noDisplay + " " + Quote(dir.file("cut.scr")) + " /s", dir);
  EXPECT_NE(saver.err.find("cut.scr is cut short: at least"), std::string::npos) << saver.err;
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(PackInfo, RenderEndsOnASignalAndRemovesWhatItExtracted) {
  WriteFile(dir.file("settings.ini"), "");
  ASSERT_EQ(RunCommand(packCommand(dir.file("settings.ini")), dir).exitCode, 0);
  for (const char* sig : {"TERM", "INT"}) {
    // An hour of simulated time would take minutes; the signal ends it first.
    auto r = RunCommand("timeout --preserve-status -k 5 -s " + std::string(sig) + " 1 " + kTool + " render " +
                            Quote(dir.file("out.scr")) + " --size 640x480 --seconds 3600 --every 1000000 --out " +
                            Quote(dir.file("frames")),
                        dir, env());
    EXPECT_EQ(r.exitCode, 0) << sig << ": render did not end through its normal path\n" << r.err;
    EXPECT_TRUE(fs::is_empty(tmp.path())) << sig;
  }
}

}  // namespace
