// The real screensaver daemons run what qvtool installs: mate-screensaver a
// saver installed for every user (by install --system, then by the package
// qvtool deb makes), xscreensaver one listed in the user's own file, and the
// user's chosen saver stays chosen. Each test has its own display and bus.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Daemons.h"
#include "support/Run.h"
#include "support/TempDir.h"
#include "support/XScreensaverFile.h"

using qvtest::Quote;
using qvtest::ReadFile;
using qvtest::WaitUntil;
namespace fs = std::filesystem;

namespace {

const std::string kTool = QV_QVTOOL;
constexpr unsigned long kRed = 0xFF0000;

class Daemons : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  std::string name;  // what the test installs for every user
  std::unique_ptr<qvtest::PrivateDisplay> privateDisplay;

  // Why the test cannot run here, or empty: then the red screensaver of
  // `product` is packed and a display of the test's own is started.
  std::string Prepare(std::vector<std::string> programs, const std::string& product) {
    programs.insert(programs.end(), {"Xvfb", "setpriv", "dbus-run-session"});
    const std::string unavailable = qvtest::DaemonTestsUnavailable(programs);
    if (!unavailable.empty()) return unavailable;
    name = PackRedSaver(product);
    privateDisplay = std::make_unique<qvtest::PrivateDisplay>();
    return {};
  }

  // Whatever way the test ended, nothing it installed stays on the machine.
  void TearDown() override {
    if (name.empty() || ::geteuid() != 0) return;
    if (fs::exists("/var/lib/qvsaver/" + name + ".install")) Tool("uninstall --system " + name);
    qvtest::RunCommand("dpkg-query -W " + name + " 2>/dev/null && dpkg -r " + name, dir);
  }

  // A screensaver of one red picture, named for the test so that nothing
  // else on the machine is touched; its program's name is returned.
  std::string PackRedSaver(const std::string& product) {
    qv::TBitmap32 red(160, 90);
    red.Clear(0xFFFF0000u);
    qv::SaveBMP32(red, dir.file("red.bmp"));
    qvtest::WriteFile(dir.file("s.ini"), "[General]\r\nProductName=" + product + "\r\nPublisher=Test Makers\r\n");
    // Packed onto a stripped engine, as makers of packages do: the sanitized
    // build's symbols would make the package many times larger and slower to build.
    EXPECT_EQ(std::system(("strip -o " + Quote(dir.file("engine")) + " " + Quote(QV_QVSAVER)).c_str()), 0);
    auto packed = Tool("pack --engine " + Quote(dir.file("engine")) + " --settings " + Quote(dir.file("s.ini")) +
                       " --out " + Quote(Saver()) + " " + Quote(dir.file("red.bmp")));
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    std::string name;
    for (char c : product) name += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }
  std::string Saver() const { return dir.file("red.scr"); }
  qvtest::RunResult Tool(const std::string& args, const std::string& env = "") {
    return qvtest::RunCommand(kTool + " " + args, dir, env);
  }
  static std::vector<std::string> SystemFiles(const std::string& name) {
    return {"/usr/libexec/xscreensaver/" + name, "/usr/share/applications/screensavers/" + name + ".desktop",
            "/usr/share/xscreensaver/config/" + name + ".xml"};
  }
};

// mate-screensaver runs the theme of `name`: activated, the picture fills the
// screen; deactivated, the saver ends on its signal and leaves no files.
void MatePlays(qvtest::PrivateDisplay& display, qvtest::UserSession& session, const std::string& name) {
  const std::string program = "/usr/libexec/xscreensaver/" + name;
  ASSERT_EQ(session.Run({"gsettings", "set", "org.mate.screensaver", "themes", "['screensavers-" + name + "']"}), 0);
  ASSERT_EQ(session.Run({"gsettings", "set", "org.mate.screensaver", "mode", "single"}), 0);
  ASSERT_EQ(session.Run({"gsettings", "set", "org.mate.screensaver", "lock-enabled", "false"}), 0);
  qvtest::Process& daemon = session.Start({"mate-screensaver", "--no-daemon"});
  ASSERT_TRUE(WaitUntil(10000, [&] { return session.Run({"mate-screensaver-command", "--query"}) == 0; }))
      << "mate-screensaver did not come up:\n" << session.Log();
  ASSERT_EQ(session.Run({"mate-screensaver-command", "--activate"}), 0);
  EXPECT_TRUE(WaitUntil(15000, [&] { return display.MiddlePixel() == kRed; }))
      << "the screen never showed the picture (it shows " << std::hex << display.MiddlePixel() << "):\n" << session.Log();
  EXPECT_EQ(qvtest::ProcessesOf(program).size(), 1u) << "mate-screensaver did not run " << program;
  ASSERT_EQ(session.Run({"mate-screensaver-command", "--deactivate"}), 0);
  EXPECT_TRUE(WaitUntil(5000, [&] { return qvtest::ProcessesOf(program).empty(); })) << "the saver outlived its signal";
  EXPECT_TRUE(fs::is_empty(session.TempFolder())) << "the saver's temporary folder was left behind";
  ::kill(daemon.pid(), SIGTERM);
  EXPECT_TRUE(daemon.Wait(5000));
}

TEST_F(Daemons, MateScreensaverRunsASaverInstalledForEveryUserAndFromItsPackage) {
  const std::string unavailable = Prepare({"mate-screensaver", "dpkg-shlibdeps"}, "Qvtest Mate Red");
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  qvtest::PrivateDisplay& display = *privateDisplay;
  ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
  auto installed = Tool("install --system " + Quote(Saver()));
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  {
    qvtest::UserSession session(display.Name());
    ASSERT_TRUE(session.Ready()) << "no session bus";
    MatePlays(display, session, name);
  }
  ASSERT_EQ(Tool("uninstall --system " + name).exitCode, 0);
  for (const std::string& file : SystemFiles(name)) EXPECT_FALSE(fs::exists(file)) << file;

  // The same from the package qvtool deb makes, and nothing left after dpkg -r.
  auto deb = Tool("deb " + Quote(Saver()) + " --out " + Quote(dir.path()) + " --version 1.0");
  ASSERT_EQ(deb.exitCode, 0) << deb.err;
  const std::string package = deb.out.substr(0, deb.out.find('\n'));
  EXPECT_EQ(package, dir.file(name + "_1.0_amd64.deb"));
  auto added = qvtest::RunCommand("dpkg -i " + Quote(package), dir);
  ASSERT_EQ(added.exitCode, 0) << added.out << added.err;
  {
    qvtest::UserSession session(display.Name());
    ASSERT_TRUE(session.Ready());
    MatePlays(display, session, name);
  }
  auto removed = qvtest::RunCommand("dpkg -r " + name, dir);
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  for (const std::string& file : SystemFiles(name)) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_FALSE(fs::exists("/usr/share/doc/" + name));
  EXPECT_NE(qvtest::RunCommand("dpkg-query -W -f='${Status}' " + name + " 2>/dev/null | grep -q installed", dir).exitCode, 0)
      << "dpkg still knows the package";
}

TEST_F(Daemons, XScreensaverPlaysItAndTheUsersChoiceStaysChosen) {
  const std::string unavailable = Prepare({"xscreensaver", "xmllint"}, "Qvtest Xs Red");
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  qvtest::PrivateDisplay& display = *privateDisplay;
  ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
  auto installed = Tool("install --system " + Quote(Saver()));
  ASSERT_EQ(installed.exitCode, 0) << installed.err;

  // The settings description parses and names our command.
  const std::string xml = "/usr/share/xscreensaver/config/" + name + ".xml";
  auto named = qvtest::RunCommand("xmllint --xpath 'string(/screensaver/@name)' " + Quote(xml), dir);
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(named.out, name + "\n");
  EXPECT_EQ(qvtest::RunCommand("xmllint --xpath 'string(/screensaver/command/@arg)' " + Quote(xml), dir).out, "--root\n");
  EXPECT_EQ(qvtest::RunCommand("xmllint --xpath 'string(/screensaver/@_label)' " + Quote(xml), dir).out, "Qvtest Xs Red\n");

  {
    qvtest::UserSession session(display.Name());
    ASSERT_TRUE(session.Ready()) << "no session bus";
    // The user's file, as xscreensaver wrote it, chooses deco; ours is listed.
    const std::string file = session.Home().file(".xscreensaver");
    qvtest::WriteFile(file, qvtest::WrittenByXScreensaver606(2));
    auto listed = Tool("install " + name, "HOME=" + Quote(session.Home().path()) + " XDG_DATA_HOME=" +
                                              Quote(session.Home().file("data")));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    for (const std::string& path : {file, session.Home().file("data"), session.Home().file("data/qvsaver"),
                                    session.Home().file("data/qvsaver/" + name + ".install"),
                                    session.Home().file("data/qvsaver/installs.ini")})
      session.Own(path);
    qvtest::Process& daemon = session.Start({"xscreensaver", "-no-splash"});
    ASSERT_TRUE(WaitUntil(10000, [&] { return session.Run({"xscreensaver-command", "-time"}) == 0; }))
        << "xscreensaver did not come up:\n" << session.Log();

    ASSERT_EQ(session.Run({"xscreensaver-command", "-activate"}), 0);
    EXPECT_TRUE(WaitUntil(10000, [&] { return !qvtest::ProcessesOf("deco").empty(); }))
        << "the user's choice (deco) did not run after install";
    EXPECT_TRUE(qvtest::ProcessesOf("/usr/libexec/xscreensaver/" + name).empty());
    ASSERT_EQ(session.Run({"xscreensaver-command", "-deactivate"}), 0);
    EXPECT_TRUE(WaitUntil(5000, [&] { return qvtest::ProcessesOf("deco").empty(); }));

    // The user picks ours (the first entry): -activate plays it.
    std::string text = ReadFile(file);
    const size_t selected = text.find("selected:\t3");
    ASSERT_NE(selected, std::string::npos) << "install did not move the user's choice on:\n" << text;
    text.replace(selected, 11, "selected:\t0");
    qvtest::WriteFile(file, text);
    ASSERT_EQ(session.Run({"xscreensaver-command", "-activate"}), 0);
    EXPECT_TRUE(WaitUntil(15000, [&] { return display.MiddlePixel() == kRed; }))
        << "xscreensaver did not play it (the screen shows " << std::hex << display.MiddlePixel() << "):\n"
        << session.Log();
    ASSERT_EQ(session.Run({"xscreensaver-command", "-deactivate"}), 0);
    EXPECT_TRUE(WaitUntil(5000, [&] { return qvtest::ProcessesOf("/usr/libexec/xscreensaver/" + name).empty(); }))
        << "the saver outlived its signal";
    EXPECT_TRUE(fs::is_empty(session.TempFolder())) << "the saver's temporary folder was left behind";
    session.Run({"xscreensaver-command", "-exit"});
    EXPECT_TRUE(daemon.Wait(5000));
  }
  ASSERT_EQ(Tool("uninstall --system " + name).exitCode, 0);
  for (const std::string& file : SystemFiles(name)) EXPECT_FALSE(fs::exists(file)) << file;
}

}  // namespace
