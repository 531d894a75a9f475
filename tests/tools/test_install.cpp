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
  EXPECT_NE(desktop.find("Exec=\"" + Saver() + "\" -root"), std::string::npos) << desktop;

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

}  // namespace
