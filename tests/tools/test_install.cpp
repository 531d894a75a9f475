// qvtool install and uninstall against a home folder of the test's own.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Pictures.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::ReadFile;
using qvtest::RunCommand;
using qvtest::WriteFile;
namespace fs = std::filesystem;

namespace {

const std::string kTool = QV_QVTOOL;

// A user's own file: comments, settings, a list with disabled and GL
// entries, tabs and the format's continuation marks.
const char kUsersFile[] =
    "# XScreenSaver Preferences File\n"
    "# Written by xscreensaver-settings 6.06 for someone.\n"
    "\n"
    "timeout:\t0:10:00\n"
    "mode:\t\trandom\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "-\t\t\t\tpyro -root\t\t\t\t    \\n\\\n"
    "  \"Qix (solid)\" \tqix -root -solid\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis:\t10\n";

// ~/.xscreensaver as xscreensaver-settings 6.06 writes it when the user picks
// "Only One Screen Saver" and the third entry: its header and settings, and
// each entry as its writer lays it out ("-" for disabled, "GL:" for OpenGL
// hacks, four tabs, the command, tabs to column 72, "    \\n\\").
std::string WrittenByXScreensaver606(int selected) {
  struct Entry {
    bool enabled, gl;
    const char* command;
  };
  const Entry entries[] = {{true, false, "abstractile --root"}, {false, true, "superquadrics --root"},
                           {true, false, "deco --root"},        {true, false, "galaxy --root"},
                           {false, false, "pyro --root"},        {true, false, "marbling --root"}};
  std::string text =
      "# XScreenSaver Preferences File\n"
      "# Written by xscreensaver-settings 6.06 for someone on Tue Dec  8 18:53:32 2026.\n"
      "# https://www.jwz.org/xscreensaver/\n"
      "\n"
      "timeout:\t0:10:00\n"
      "cycle:\t\t0:10:00\n"
      "lock:\t\tFalse\n"
      "installColormap:    True\n"
      "ignoreUninstalledPrograms:False\n"
      "grabDesktopImages:  False\n"
      "imageDirectory:\t\n"
      "\n"
      "mode:\t\tone\n"
      "selected:\t" + std::to_string(selected) + "\n"
      "\n"
      "textMode:\turl\n"
      "settingsGeom:\t0,0 -1,-1\n"
      "\n"
      "programs:\t\t\t\t\t\t\t\t      \\\n";
  for (const Entry& e : entries) {
    std::string line = e.gl ? (e.enabled ? "  GL: " : "- GL: ") : (e.enabled ? "" : "-");
    line += std::string("\t\t\t\t") + e.command;
    int column = 32 + static_cast<int>(std::string(e.command).size());
    while (column < 72) {
      line += '\t';
      column = (column / 8 + 1) * 8;
    }
    text += line + "    \\n\\\n";
  }
  return text + "\n\npointerHysteresis:  10\nauthWarningSlack:   20\n\n";
}

class Install : public ::testing::Test {
 protected:
  qvtest::TempDir dir, home, tmp;
  std::string env() const {
    return "HOME=" + Quote(home.path()) + " XDG_DATA_HOME=" + Quote(home.file("data")) + " TMPDIR=" + Quote(tmp.path());
  }
  void SetUp() override {
    WriteFile(dir.file("pic.jpg"), qvtest::JpegFile());
    WriteFile(dir.file("s.ini"), "[General]\r\nProductName=Harbour Lights\r\n");
    auto packed = RunCommand(kTool + " pack --engine " + Quote(QV_QVSAVER) + " --settings " + Quote(dir.file("s.ini")) +
                                 " --out " + Quote(dir.file("Harbour Lights.scr")) + " " + Quote(dir.file("pic.jpg")),
                             dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }
  qvtest::RunResult Run(const std::string& args) { return RunCommand(kTool + " " + args, dir, env()); }
  std::string Saver() const { return home.file("data/qvsaver/Harbour Lights.scr"); }
};

TEST_F(Install, InstallThenUninstallLeavesTheUsersFileAsItWas) {
  WriteFile(home.file(".xscreensaver"), kUsersFile);
  auto installed = Run("install " + Quote(dir.file("Harbour Lights.scr")));
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  EXPECT_NE(installed.out.find("XSECURELOCK_SAVER="), std::string::npos);
  const std::string listed = ReadFile(home.file(".xscreensaver"));
  EXPECT_NE(listed.find("\"Harbour Lights\"  '" + Saver() + "' -root \\n\\\n"), std::string::npos) << listed;
  // Every line of the user's own stays.
  EXPECT_EQ(listed.size(), std::string(kUsersFile).size() + listed.find('\n', listed.find("Harbour")) + 1 -
                               listed.find("  \"Harbour"));
  EXPECT_EQ(ReadFile(Saver()), ReadFile(dir.file("Harbour Lights.scr")));
  EXPECT_TRUE(fs::status(Saver()).permissions() == (fs::status(Saver()).permissions() | fs::perms::owner_exec));
  const std::string desktop = ReadFile(home.file("data/applications/screensavers/qvsaver-Harbour Lights.desktop"));
  EXPECT_NE(desktop.find("Categories=Screensaver;"), std::string::npos);
  EXPECT_NE(desktop.find("Exec=\"" + Saver() + "\" --root"), std::string::npos) << desktop;
  // Those two daemons run only savers installed for every user, and it says so.
  EXPECT_NE(installed.out.find("sudo qvtool install --system"), std::string::npos) << installed.out;

  // Twice: listed once.
  ASSERT_EQ(Run("install " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);
  const std::string twice = ReadFile(home.file(".xscreensaver"));
  EXPECT_EQ(twice.find("Harbour Lights\""), twice.rfind("Harbour Lights\""));

  auto removed = Run("uninstall 'Harbour Lights'");
  ASSERT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(ReadFile(home.file(".xscreensaver")), kUsersFile);
  EXPECT_FALSE(fs::exists(home.file("data"))) << "install's folders were left behind";
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(Install, ADryRunWritesNothingAndUninstallOfWhatIsNotThereSaysSo) {
  WriteFile(home.file(".xscreensaver"), kUsersFile);
  auto plan = Run("install --dry-run " + Quote(dir.file("Harbour Lights.scr")));
  ASSERT_EQ(plan.exitCode, 0) << plan.err;
  EXPECT_NE(plan.out.find("would copy"), std::string::npos);
  EXPECT_EQ(ReadFile(home.file(".xscreensaver")), kUsersFile);
  EXPECT_FALSE(fs::exists(home.file("data")));
  auto none = Run("uninstall Nothing");
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("is not installed"), std::string::npos);
  // Only screensavers are installed.
  auto engine = Run("install " + Quote(QV_QVSAVER));
  EXPECT_EQ(engine.exitCode, 2);
  EXPECT_NE(engine.err.find("carries no project overlay"), std::string::npos);
}

TEST_F(Install, WithoutAFileOfTheUsersItIsMadeAndGoesAgain) {
  ASSERT_EQ(Run("install " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);
  const std::string made = ReadFile(home.file(".xscreensaver"));
  EXPECT_EQ(made.rfind("# ", 0), 0u);
  EXPECT_NE(made.find("programs:"), std::string::npos);
  EXPECT_NE(made.find("Harbour Lights"), std::string::npos);
  ASSERT_EQ(Run("uninstall 'Harbour Lights'").exitCode, 0);
  EXPECT_FALSE(fs::exists(home.file(".xscreensaver")));
}

TEST_F(Install, TheSaverTheUserChoseStaysChosen) {
  // The third entry (deco) is the one xscreensaver runs in "one" mode.
  const std::string original = WrittenByXScreensaver606(2);
  WriteFile(home.file(".xscreensaver"), original);
  ASSERT_EQ(Run("install " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);
  const std::string listed = ReadFile(home.file(".xscreensaver"));
  EXPECT_NE(listed.find("selected:\t3\n"), std::string::npos) << "ours came first, deco is the fourth now:\n" << listed;
  // Everything else stays as xscreensaver wrote it.
  std::string expected = original;
  expected.replace(expected.find("selected:\t2"), 11, "selected:\t3");
  const size_t ours = listed.find("  \"Harbour Lights\"");
  ASSERT_NE(ours, std::string::npos);
  EXPECT_EQ(listed.substr(0, ours) + listed.substr(listed.find('\n', ours) + 1), expected);
  ASSERT_EQ(Run("uninstall 'Harbour Lights'").exitCode, 0);
  EXPECT_EQ(ReadFile(home.file(".xscreensaver")), original);

  // The user picks ours; when it goes xscreensaver chooses for itself (-1)
  // instead of running whichever entry moved into its place.
  ASSERT_EQ(Run("install " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);
  std::string picked = ReadFile(home.file(".xscreensaver"));
  picked.replace(picked.find("selected:\t3"), 11, "selected:\t0");
  WriteFile(home.file(".xscreensaver"), picked);
  ASSERT_EQ(Run("uninstall 'Harbour Lights'").exitCode, 0);
  std::string unpicked = original;
  unpicked.replace(unpicked.find("selected:\t2"), 11, "selected:\t-1");
  EXPECT_EQ(ReadFile(home.file(".xscreensaver")), unpicked);

  // An entry the user chose above ours moves back up by one when ours goes.
  WriteFile(home.file(".xscreensaver"), WrittenByXScreensaver606(5));
  ASSERT_EQ(Run("install " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);
  EXPECT_NE(ReadFile(home.file(".xscreensaver")).find("selected:\t6\n"), std::string::npos);
  ASSERT_EQ(Run("uninstall 'Harbour Lights'").exitCode, 0);
  EXPECT_EQ(ReadFile(home.file(".xscreensaver")), WrittenByXScreensaver606(5));
}

TEST_F(Install, TheFoldersInstallMadeGoWithTheLastUninstallInAnyOrder) {
  fs::copy_file(dir.file("Harbour Lights.scr"), dir.file("Second.scr"));
  // Two installs, the first makes every folder; removed first-in first-out.
  ASSERT_EQ(Run("install " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);
  ASSERT_EQ(Run("install " + Quote(dir.file("Second.scr"))).exitCode, 0);
  ASSERT_EQ(Run("uninstall 'Harbour Lights'").exitCode, 0);
  EXPECT_TRUE(fs::exists(home.file("data/qvsaver/Second.scr")));
  ASSERT_EQ(Run("uninstall Second").exitCode, 0);
  EXPECT_FALSE(fs::exists(home.file("data"))) << "folders the first install made were left behind";
  EXPECT_FALSE(fs::exists(home.file(".xscreensaver"))) << "the programs file the first install made was left behind";

  // The data folder was there, the applications folder was not: it goes again.
  fs::create_directories(home.file("data"));
  ASSERT_EQ(Run("install " + Quote(dir.file("Second.scr"))).exitCode, 0);
  EXPECT_TRUE(fs::exists(home.file("data/applications/screensavers/qvsaver-Second.desktop")));
  ASSERT_EQ(Run("uninstall Second").exitCode, 0);
  EXPECT_TRUE(fs::exists(home.file("data")));
  EXPECT_TRUE(fs::is_empty(home.file("data"))) << "applications/ made by install was left behind";

  // A folder the user filled in the meantime stays, with what is in it.
  ASSERT_EQ(Run("install " + Quote(dir.file("Second.scr"))).exitCode, 0);
  WriteFile(home.file("data/applications/mine.desktop"), "[Desktop Entry]\n");
  ASSERT_EQ(Run("uninstall Second").exitCode, 0);
  EXPECT_TRUE(fs::exists(home.file("data/applications/mine.desktop")));
  EXPECT_FALSE(fs::exists(home.file("data/applications/screensavers")));
  EXPECT_FALSE(fs::exists(home.file("data/qvsaver")));
}

}  // namespace
