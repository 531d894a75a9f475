#include <gtest/gtest.h>

#include "project/uQVProject.h"
#include "startup/uHostedMode.h"
#include "startup/uQVStart.h"
#include "support/TempDir.h"

namespace {

using Args = std::vector<std::string>;

TEST(HostedMode, TheDaemonsArgumentsNameTheWindow) {
  // xscreensaver: -root with the window in the variable, in hexadecimal.
  auto r = qv::HostedRequest({"saver", "-root"}, "0x1a00003");
  EXPECT_TRUE(r.hosted);
  EXPECT_EQ(r.window, 0x1a00003u);
  // XSecureLock: decimal.
  EXPECT_EQ(qv::HostedRequest({"saver", "--root"}, "27262979").window, 27262979u);
  // The settings program's preview.
  r = qv::HostedRequest({"saver", "--window-id", "0x400007"}, std::nullopt);
  EXPECT_TRUE(r.hosted);
  EXPECT_EQ(r.window, 0x400007u);
  EXPECT_EQ(qv::HostedRequest({"saver", "-window-id", "77"}, "0x5").window, 77u);
  EXPECT_EQ(qv::HostedRequest({"saver", "--window-id=0x10"}, std::nullopt).window, 16u);
  // -root alone draws into the root window.
  r = qv::HostedRequest({"saver", "-root"}, std::nullopt);
  EXPECT_TRUE(r.hosted);
  EXPECT_EQ(r.window, 0u);
}

TEST(HostedMode, RunModeIsHostedOnlyWhenTheVariableHoldsAWindow) {
  EXPECT_TRUE(qv::HostedRequest({"saver", "/S"}, "0x600000").hosted);
  EXPECT_TRUE(qv::HostedRequest({"saver", "-s"}, "123").hosted);
  EXPECT_FALSE(qv::HostedRequest({"saver", "/S"}, std::nullopt).hosted);
  EXPECT_FALSE(qv::HostedRequest({"saver", "/C"}, "0x600000").hosted);
  EXPECT_FALSE(qv::HostedRequest({"saver", "/P", "5"}, "0x600000").hosted);
  EXPECT_FALSE(qv::HostedRequest({"saver"}, "0x600000").hosted);
}

TEST(HostedMode, AVariableThatIsNoWindowIdIsIgnoredAndSaid) {
  // Wayland sessions of some daemons put a token there.
  auto r = qv::HostedRequest({"saver", "/S"}, "wayland-token-3f2a");
  EXPECT_FALSE(r.hosted);
  EXPECT_NE(r.note.find("is not an X window id"), std::string::npos);
  r = qv::HostedRequest({"saver", "-root"}, "nonsense");
  EXPECT_TRUE(r.hosted);
  EXPECT_EQ(r.window, 0u);
  EXPECT_FALSE(r.note.empty());
  r = qv::HostedRequest({"saver", "--window-id", "banana"}, std::nullopt);
  EXPECT_TRUE(r.invalid);
  EXPECT_FALSE(qv::HostedRequest({"saver", "/S"}, "").hosted);
}

TEST(HostedMode, TheDaemonsSwitchesOverrideTheProjectForThisRun) {
  auto r = qv::HostedRequest({"saver", "-root", "-duration", "7", "-no-music", "--sound", "--no-transitions"}, "0x5");
  EXPECT_TRUE(r.hosted);
  EXPECT_EQ(r.overrides.duration, 7);
  EXPECT_EQ(r.overrides.music, false);
  EXPECT_EQ(r.overrides.sound, true);
  EXPECT_EQ(r.overrides.transition, false);
  EXPECT_TRUE(r.note.empty()) << r.note;
  r = qv::HostedRequest({"saver", "--duration=300", "--music", "--root"}, std::nullopt);
  EXPECT_EQ(r.overrides.duration, 300);
  EXPECT_EQ(r.overrides.music, true);
  EXPECT_FALSE(r.overrides.sound.has_value());
  // What is not given keeps the project's value.
  qv::TQVCSetting setting;
  setting.Duration = 45;
  setting.Sound = false;
  setting.Transition = false;
  r.overrides.ApplyTo(setting);
  EXPECT_EQ(setting.Duration, 300);
  EXPECT_TRUE(setting.Music);
  EXPECT_FALSE(setting.Sound);
  EXPECT_FALSE(setting.Transition);
  // A duration that cannot be followed is said and left out; the run goes on.
  for (const char* bad : {"0", "-3", "ten", "", "86401", "99999999999"}) {
    r = qv::HostedRequest({"saver", "-root", "-duration", bad}, std::nullopt);
    EXPECT_TRUE(r.hosted) << bad;
    EXPECT_FALSE(r.invalid) << bad;
    EXPECT_FALSE(r.overrides.duration.has_value()) << bad;
    EXPECT_NE(r.note.find("--duration takes whole seconds"), std::string::npos) << bad;
  }
  // A trailing -duration without its value.
  EXPECT_FALSE(qv::HostedRequest({"saver", "-root", "-duration"}, std::nullopt).overrides.duration.has_value());
}

TEST(HostedMode, QVMainRunsTheHostedSaverWithTheExtractedProject) {
  qvtest::TempDir tmp;
  qv::TStartServices services;
  services.tempPath = tmp.slash();
  services.exePath = QV_QVSAVER;
  uint64_t hostedIn = 1;
  bool fullScreen = false;
  std::vector<std::string> said;
  services.report = [&](const std::string& why) { said.push_back(why); };
  services.runSaver = [&](qv::TQVCProject&, const std::string&, const std::string&) { return fullScreen = true, 0; };
  services.runHosted = [&](qv::TQVCProject&, const std::string&, const std::string& folder, uint64_t window,
                           const qv::TRunOverrides&) {
    hostedIn = window;
    EXPECT_FALSE(folder.empty());
    return 0;
  };
  services.xscreensaverWindow = "0x2c";
  EXPECT_EQ(qv::QVMain({"saver", "-root"}, services), 0);
  EXPECT_EQ(hostedIn, 0x2cu);
  EXPECT_FALSE(fullScreen);
  services.xscreensaverWindow = "not-a-window";
  EXPECT_EQ(qv::QVMain({"saver", "/s"}, services), 0);
  EXPECT_TRUE(fullScreen);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(qv::QVMain({"saver", "--window-id", "x"}, services), 2);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

}  // namespace
