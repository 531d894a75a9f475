// qvtool install and uninstall against a home folder of the test's own.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Pictures.h"
#include "support/Run.h"
#include "support/TempDir.h"
#include "support/XScreensaverFile.h"

using qvtest::Quote;
using qvtest::ReadFile;
using qvtest::RunCommand;
using qvtest::WriteFile;
using qvtest::WrittenByXScreensaver606;
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
  // Those two daemons run only savers installed for every user: no desktop
  // entry that they would list and fail to run, and it says what they need.
  EXPECT_FALSE(fs::exists(home.file("data/applications")));
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
  ASSERT_NE(picked.find("selected:\t3"), std::string::npos);
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

  // The data folder was there already: it stays, the folder install made goes.
  fs::create_directories(home.file("data"));
  ASSERT_EQ(Run("install " + Quote(dir.file("Second.scr"))).exitCode, 0);
  ASSERT_EQ(Run("uninstall Second").exitCode, 0);
  EXPECT_TRUE(fs::exists(home.file("data")));
  EXPECT_TRUE(fs::is_empty(home.file("data"))) << "qvsaver/ made by install was left behind";

  // A folder the user filled in the meantime stays, with what is in it.
  ASSERT_EQ(Run("install " + Quote(dir.file("Second.scr"))).exitCode, 0);
  WriteFile(home.file("data/qvsaver/notes.txt"), "mine\n");
  ASSERT_EQ(Run("uninstall Second").exitCode, 0);
  EXPECT_EQ(ReadFile(home.file("data/qvsaver/notes.txt")), "mine\n");
  EXPECT_FALSE(fs::exists(home.file("data/qvsaver/Second.scr")));
}

}  // namespace

namespace {

// install --system, uninstall --system and deb, for a screensaver whose
// program name comes from its product name ("Harbour Lights").
class SystemInstall : public Install {
 protected:
  const std::string name = "harbour-lights";
  static std::vector<std::string> Files(const std::string& root, const std::string& name) {
    return {root + "/usr/libexec/xscreensaver/" + name, root + "/usr/share/applications/screensavers/" + name + ".desktop",
            root + "/usr/share/xscreensaver/config/" + name + ".xml"};
  }
  void TearDown() override {
    if (::geteuid() == 0 && fs::exists("/var/lib/qvsaver/" + name + ".install")) Run("uninstall --system " + name);
  }
  static bool RootOnly() { return ::geteuid() == 0; }
};

TEST_F(SystemInstall, StagedUnderAFolderItWritesTheFilesEveryDaemonReadsAndNoRecord) {
  auto staged = Run("install --system --root " + Quote(dir.file("stage")) + " " + Quote(dir.file("Harbour Lights.scr")));
  ASSERT_EQ(staged.exitCode, 0) << staged.err;
  const std::vector<std::string> files = Files(dir.file("stage"), name);
  EXPECT_EQ(ReadFile(files[0]), ReadFile(dir.file("Harbour Lights.scr"))) << "the screensaver's bytes changed";
  EXPECT_EQ(fs::status(files[0]).permissions() & fs::perms::all, static_cast<fs::perms>(0755));
  EXPECT_EQ(fs::status(files[1]).permissions() & fs::perms::all, static_cast<fs::perms>(0644));
  const std::string desktop = ReadFile(files[1]);
  // The daemons run it from where it will be, not from the staging folder.
  EXPECT_NE(desktop.find("Exec=/usr/libexec/xscreensaver/harbour-lights --root\n"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("TryExec=/usr/libexec/xscreensaver/harbour-lights\n"), std::string::npos);
  EXPECT_NE(desktop.find("Name=Harbour Lights\n"), std::string::npos);
  const std::string xml = ReadFile(files[2]);
  EXPECT_NE(xml.find("<screensaver name=\"harbour-lights\" _label=\"Harbour Lights\">"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<command arg=\"--root\"/>"), std::string::npos);
  // One picture: nothing to time, no music to switch off.
  EXPECT_EQ(xml.find("--duration"), std::string::npos);
  EXPECT_EQ(xml.find("--no-music"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.file("stage/var"))) << "a staging folder got a record";
  EXPECT_TRUE(fs::is_empty(tmp.path()));

  if (!RootOnly()) {
    auto refused = Run("install --system " + Quote(dir.file("Harbour Lights.scr")));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("needs root: sudo qvtool install --system"), std::string::npos) << refused.err;
  }
}

TEST_F(SystemInstall, TheSettingsDescriptionOffersTheSwitchesThatServeThisScreensaver) {
  // Three pictures with music, the maker's music off and 45 seconds a picture.
  WriteFile(dir.file("tune.wav"), "RIFF");
  WriteFile(dir.file("m.ini"), "[General]\r\nProductName=Night & Day <2>\r\n[Default]\r\nDuration=45\r\nMusic=0\r\n");
  for (const char* n : {"a.jpg", "b.jpg", "c.jpg"}) fs::copy_file(dir.file("pic.jpg"), dir.file(n));
  auto packed = Run("pack --engine " + Quote(QV_QVSAVER) + " --settings " + Quote(dir.file("m.ini")) + " --music " +
                    Quote(dir.file("tune.wav")) + " --out " + Quote(dir.file("m.scr")) + " " + Quote(dir.file("a.jpg")) +
                    " " + Quote(dir.file("b.jpg")) + " " + Quote(dir.file("c.jpg")));
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  ASSERT_EQ(Run("install --system --root " + Quote(dir.file("stage")) + " " + Quote(dir.file("m.scr"))).exitCode, 0);
  const std::string xml = ReadFile(dir.file("stage/usr/share/xscreensaver/config/night-day-2.xml"));
  EXPECT_NE(xml.find("_label=\"Night &amp; Day &lt;2&gt;\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("arg=\"--duration %\""), std::string::npos);
  EXPECT_NE(xml.find("default=\"45\""), std::string::npos);
  // The maker's music is off: the box switches it on.
  EXPECT_NE(xml.find("<boolean id=\"music\" _label=\"Play music\" arg-set=\"--music\"/>"), std::string::npos);
  EXPECT_NE(xml.find("arg-unset=\"--no-transitions\""), std::string::npos);
  // A name no daemon can run is refused with the way out.
  auto bad = Run("install --system --root " + Quote(dir.file("stage")) + " --name 'Not OK' " + Quote(dir.file("m.scr")));
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--name"), std::string::npos) << bad.err;
}

TEST_F(SystemInstall, ForEveryUserItKeepsARecordAndUninstallTakesExactlyThat) {
  if (!RootOnly()) GTEST_SKIP() << "writes under /usr: runs only as root (as CI does)";
  auto installed = Run("install --system " + Quote(dir.file("Harbour Lights.scr")));
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  for (const std::string& file : Files("", name)) EXPECT_TRUE(fs::exists(file)) << file;
  EXPECT_TRUE(fs::exists("/var/lib/qvsaver/harbour-lights.install"));
  EXPECT_NE(installed.out.find("qvtool install harbour-lights"), std::string::npos) << installed.out;
  // Installed again: the same files, still one record.
  ASSERT_EQ(Run("install --system " + Quote(dir.file("Harbour Lights.scr"))).exitCode, 0);

  // Listed for this user's xscreensaver without a copy; going again leaves it installed.
  auto listed = Run("install harbour-lights");
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(ReadFile(home.file(".xscreensaver")).find("/usr/libexec/xscreensaver/harbour-lights -root"), std::string::npos);
  EXPECT_FALSE(fs::exists(Saver()));
  EXPECT_FALSE(fs::exists(home.file("data/applications")));
  ASSERT_EQ(Run("uninstall harbour-lights").exitCode, 0);
  EXPECT_TRUE(fs::exists("/usr/libexec/xscreensaver/harbour-lights"));
  EXPECT_FALSE(fs::exists(home.file("data")));

  // A program of another's by that name is never written over.
  auto other = Run("install --system --name deco " + Quote(dir.file("Harbour Lights.scr")));
  EXPECT_EQ(other.exitCode, 2);
  EXPECT_NE(other.err.find("was not installed by qvtool"), std::string::npos) << other.err;

  auto removed = Run("uninstall --system 'Harbour Lights'");
  ASSERT_EQ(removed.exitCode, 0) << removed.err;
  for (const std::string& file : Files("", name)) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_FALSE(fs::exists("/var/lib/qvsaver/harbour-lights.install"));
  EXPECT_TRUE(fs::exists("/usr/libexec/xscreensaver/deco")) << "another program's file went";
  auto again = Run("uninstall --system harbour-lights");
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_NE(again.err.find("was not installed with qvtool install --system"), std::string::npos);
}

TEST_F(SystemInstall, TheDebianPackageHoldsTheSameFilesOwnedByRootAndSaysWhatItNeeds) {
  if (std::system("command -v dpkg-shlibdeps >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs dpkg-dev (scripts/setup.sh)";
  // Packed onto a stripped engine, as makers of packages do (and quicker to pack up).
  ASSERT_EQ(std::system(("strip -o " + Quote(dir.file("engine")) + " " + Quote(QV_QVSAVER)).c_str()), 0);
  ASSERT_EQ(Run("pack --engine " + Quote(dir.file("engine")) + " --settings " + Quote(dir.file("s.ini")) + " --out " +
                Quote(dir.file("Harbour Lights.scr")) + " " + Quote(dir.file("pic.jpg")))
                .exitCode,
            0);
  auto built = Run("deb " + Quote(dir.file("Harbour Lights.scr")) + " --out " + Quote(dir.path()) +
                   " --version 2.1 --maintainer 'Harbour Makers <makers@example.org>'");
  ASSERT_EQ(built.exitCode, 0) << built.err;
  const std::string deb = dir.file("harbour-lights_2.1_amd64.deb");
  EXPECT_EQ(built.out, deb + "\n");
  auto field = [&](const std::string& name) {
    return RunCommand("dpkg-deb -f " + Quote(deb) + " " + name, dir).out;
  };
  EXPECT_EQ(field("Package"), "harbour-lights\n");
  EXPECT_EQ(field("Version"), "2.1\n");
  EXPECT_EQ(field("Maintainer"), "Harbour Makers <makers@example.org>\n");
  EXPECT_NE(field("Depends").find("libsdl2-2.0-0"), std::string::npos) << field("Depends");
  EXPECT_NE(field("Description").find("Harbour Lights"), std::string::npos);
  const std::string listing = RunCommand("dpkg-deb -c " + Quote(deb), dir).out;
  for (const std::string& file : Files(".", name)) EXPECT_NE(listing.find(file), std::string::npos) << listing;
  EXPECT_EQ(listing.find(dir.path()), std::string::npos);
  for (size_t at = 0; at < listing.size(); at = listing.find('\n', at) + 1)
    EXPECT_EQ(listing.compare(at + 11, 10, "root/root "), 0) << listing.substr(at, listing.find('\n', at) - at);
  // The screensaver's bytes, whole.
  RunCommand("dpkg-deb -x " + Quote(deb) + " " + Quote(dir.file("x")), dir);
  EXPECT_EQ(ReadFile(dir.file("x/usr/libexec/xscreensaver/harbour-lights")), ReadFile(dir.file("Harbour Lights.scr")));
  EXPECT_TRUE(fs::is_empty(tmp.path())) << "the package's staging folder was left behind";

  // Without --version the date is the version; a version Debian refuses is said.
  auto wrong = Run("deb " + Quote(dir.file("Harbour Lights.scr")) + " --out " + Quote(dir.path()) + " --version v1");
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.err.find("--version takes a Debian version"), std::string::npos);
  // A screensaver made with another system's engine is no Linux package.
  WriteFile(dir.file("engine.exe"), "MZ not an ELF program");
  ASSERT_EQ(Run("pack --engine " + Quote(dir.file("engine.exe")) + " --out " + Quote(dir.file("w.scr")) + " " +
                Quote(dir.file("pic.jpg")))
                .exitCode,
            0);
  auto windows = Run("deb " + Quote(dir.file("w.scr")) + " --out " + Quote(dir.path()));
  EXPECT_EQ(windows.exitCode, 2);
  EXPECT_NE(windows.err.find("for another system"), std::string::npos) << windows.err;
}

}  // namespace
