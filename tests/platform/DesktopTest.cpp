// The desktop's wallpaper and opener, driven through stand-in programs on
// PATH: what is run, with which arguments, and what the user is told.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/System.h"
#include "support/Env.h"
#include "support/TempDir.h"

namespace qv::platform {
namespace {

class Desktop : public ::testing::Test {
 protected:
  qvtest::TempDir bin, dir;
  std::string savedPath;

  void SetUp() override {
    savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    // Only the stand-ins: the desktop's own programs are never run here. They
    // need nothing from PATH (sh runs them, and printf and echo are its own).
    ::setenv("PATH", bin.path().c_str(), 1);
    ::setenv("QV_TEST_LOG", dir.file("log").c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", savedPath.c_str(), 1); }

  void Program(const std::string& name, const std::string& body) {
    const std::string file = bin.file(name);
    qvtest::WriteFile(file, "#!/bin/sh\n" + body);
    ::chmod(file.c_str(), 0755);
  }
  // gsettings with these schemas; every call is logged, one argument a line.
  // It keeps what is set in a file, as dconf does, unless `remembers` is
  // false (a session whose settings live in memory only forgets at once).
  void Gsettings(const std::string& schemas, bool remembers = true) {
    Program("gsettings",
            "for a in \"$@\"; do printf '%s|' \"$a\" >> \"$QV_TEST_LOG\"; done; echo >> \"$QV_TEST_LOG\"\n"
            "case \" " + schemas + " \" in *\" $2:$3 \"*) ;; *) echo 'No such schema' >&2; exit 1;; esac\n"
            "store=\"$QV_TEST_LOG.$2.$3\"\n"
            "case \"$1\" in\n"
            "  writable) echo true;;\n"
            "  set) " + std::string(remembers ? "printf '%s' \"$4\" > \"$store\"" : ":") + ";;\n"
            "  get) v=; if [ -f \"$store\" ]; then IFS= read -r v < \"$store\"; fi; printf \"'%s'\\n\" \"$v\";;\n"
            "esac\n"
            "exit 0\n");
  }
  std::string Log() const { return qvtest::ReadFile(dir.file("log")); }
};

const char kGnomeKeys[] =
    "org.gnome.desktop.background:picture-uri org.gnome.desktop.background:picture-uri-dark "
    "org.gnome.desktop.background:picture-options";

TEST_F(Desktop, GnomeGetsTheBitmapAsAFileAddressCentredForBothStyles) {
  Gsettings(kGnomeKeys);
  qvtest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  std::string how;
  EXPECT_TRUE(SetDesktopWallpaper("/tmp/Sea Life.scr.bmp", how));
  const std::string log = Log();
  EXPECT_NE(log.find("set|org.gnome.desktop.background|picture-uri|file:///tmp/Sea%20Life.scr.bmp|\n"), std::string::npos) << log;
  EXPECT_NE(log.find("get|org.gnome.desktop.background|picture-uri|\n"), std::string::npos) << "read back";
  EXPECT_NE(log.find("set|org.gnome.desktop.background|picture-uri-dark|file:///tmp/Sea%20Life.scr.bmp|\n"), std::string::npos);
  EXPECT_NE(log.find("set|org.gnome.desktop.background|picture-options|centered|\n"), std::string::npos);
  EXPECT_EQ(log.find("org.mate.background"), std::string::npos) << "only the desktop the session runs";
  EXPECT_EQ(how, "The wallpaper was set through the background settings of GNOME (org.gnome.desktop.background).");
}

TEST_F(Desktop, MateGetsThePlainPath) {
  Gsettings("org.mate.background:picture-filename org.mate.background:picture-options " + std::string(kGnomeKeys));
  qvtest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "MATE");
  std::string how;
  EXPECT_TRUE(SetDesktopWallpaper("/home/u/it's $(here).bmp", how));
  const std::string log = Log();
  EXPECT_NE(log.find("set|org.mate.background|picture-filename|/home/u/it's $(here).bmp|\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("org.gnome"), std::string::npos) << "GNOME's schema is installed but not this session's";
  EXPECT_NE(how.find("MATE (org.mate.background)"), std::string::npos) << how;
}

// A session without a desktop, whose settings live in memory only: writing
// works, nothing is kept, and nothing may be claimed.
TEST_F(Desktop, ASettingThatIsNotKeptIsNotClaimed) {
  Gsettings(kGnomeKeys, false);
  qvtest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");
  std::string how;
  EXPECT_FALSE(SetDesktopWallpaper("/tmp/a.bmp", how));
  EXPECT_EQ(how, "The background settings of GNOME (org.gnome.desktop.background) did not keep the picture, so the "
                 "wallpaper was not set.");
  Gsettings(kGnomeKeys);
  qvtest::ScopedEnv none("XDG_CURRENT_DESKTOP", "");
  EXPECT_FALSE(SetDesktopWallpaper("/tmp/a.bmp", how));
  EXPECT_NE(how.find("XDG_CURRENT_DESKTOP is empty"), std::string::npos) << how;
}

TEST_F(Desktop, WithoutAWayTheCallerIsToldWhy) {
  Gsettings("");
  qvtest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "XFCE");
  std::string how;
  EXPECT_FALSE(SetDesktopWallpaper("/tmp/a.bmp", how));
  EXPECT_EQ(how, "This desktop (XFCE) offers no way to set the wallpaper from here (GNOME, MATE and Cinnamon do).");
  EXPECT_EQ(Log().find("|set|"), std::string::npos);
  qvtest::ScopedEnv gnome("XDG_CURRENT_DESKTOP", "GNOME");
  std::filesystem::remove(bin.file("gsettings"));
  EXPECT_FALSE(SetDesktopWallpaper("/tmp/a.bmp", how));
  EXPECT_EQ(how, "gsettings was not found, so the wallpaper could not be set from here");
}

TEST_F(Desktop, TheOpenerGetsTheTargetAsOneArgumentWithoutAShell) {
  Program("xdg-open", "printf '%s|%s\\n' \"$#\" \"$1\" >> \"$QV_TEST_LOG\"\nexit 0\n");
  std::string why;
  EXPECT_TRUE(OpenWithDesktop("https://example.org/a b?c=$(touch x);d", why));
  EXPECT_EQ(Log(), "1|https://example.org/a b?c=$(touch x);d\n");
  EXPECT_FALSE(OpenWithDesktop("--manual", why));
  EXPECT_EQ(why, "it is not a web address or a file");
  EXPECT_FALSE(OpenWithDesktop(" ", why));
  EXPECT_EQ(Log(), "1|https://example.org/a b?c=$(touch x);d\n") << "nothing more was run";
}

TEST_F(Desktop, AnOpenerThatFailsOrIsMissingIsReported) {
  Program("xdg-open", "exit 3\n");
  std::string why;
  EXPECT_FALSE(OpenWithDesktop("https://example.org", why));
  EXPECT_EQ(why, "xdg-open could not open it (exit code 3)");
  std::filesystem::remove(bin.file("xdg-open"));
  EXPECT_FALSE(OpenWithDesktop("https://example.org", why));
  EXPECT_EQ(why, "xdg-open was not found (it comes with the xdg-utils package)");
}

}  // namespace
}  // namespace qv::platform
