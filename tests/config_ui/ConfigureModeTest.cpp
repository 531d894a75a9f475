// Which window configure mode shows, and what it says when the project's
// skin cannot serve.
#include "config_ui/uConfigureMode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_ui/uQVForms.h"
#include "platform/doubles/RecordingDialogs.h"
#include "project/uQVProject.h"
#include "support/TempDir.h"

namespace qv {
namespace {

const char kOwnMain[] = "object MainWindow: TForm\r\n  object OwnLabel: TLabel\r\n    Tag = 1\r\n  end\r\nend";

class ConfigureMode : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  TQVCProject project;
  platform::TRecordingDialogs dialogs;
  TConfigServices services;
  std::vector<std::string> notes;
  // The window shown: "own" (the skin's), "built-in", or what else it was.
  std::vector<std::string> shown;

  void SetUp() override {
    services.dialogs = &dialogs;
    services.exePath = dir.file("Sea.scr");
    services.firstArgument = "/S";
    services.report = [this](const std::string& note) { notes.push_back(note); };
    services.runWindow = [this](TfmQVCOnfigWindow& w) {
      if (w.Components().Find("OwnLabel")) shown.push_back("own");
      else if (w.Components().Find("PreviousButton")) shown.push_back("built-in");
      else shown.push_back(w.Name());
    };
  }

  void Skin(const std::string& text) {
    qvtest::WriteFile(dir.file("QVGUI.qvu"), text);
    project.UISetting().UIFile = dir.file("QVGUI.qvu");
  }

  // Shows the window; the note that came with it, if any.
  std::string Note() {
    EXPECT_TRUE(ShowConfigureWindow(project, services));
    return notes.empty() ? "" : notes.back();
  }
};

TEST_F(ConfigureMode, TheProjectsOwnSkinShowsWithoutANote) {
  Skin(SkinFileText({{kOwnMain, {}}}));
  EXPECT_EQ(Note(), "");
  EXPECT_EQ(shown, (std::vector<std::string>{"own"}));
}

TEST_F(ConfigureMode, WithoutASkinTheBuiltInWindowShowsAndTheNoteSaysWhy) {
  EXPECT_EQ(Note(), "the screensaver carries no skin; showing the built-in configuration window");
  project.UISetting().UIFile = dir.file("gone.qvu");
  EXPECT_EQ(Note(), "the screensaver carries no skin; showing the built-in configuration window");
  Skin("");
  EXPECT_EQ(Note(), "the screensaver's skin is empty; showing the built-in configuration window");
  EXPECT_EQ(shown, (std::vector<std::string>(3, "built-in")));
}

TEST_F(ConfigureMode, ASkinThatCannotServeGivesWayToTheBuiltInWindow) {
  Skin("not a skin at all");
  std::string note = Note();
  EXPECT_EQ(note.rfind("the screensaver's skin cannot be read: line 1", 0), 0u) << note;
  Skin(SkinFileText({{"object Other: TForm\r\nend", {}}}));
  EXPECT_EQ(Note(), "the skin has no window named \"MainWindow\"; showing the built-in configuration window");
  Skin(SkinFileText({{"object MainWindow: TForm\r\n  object G: TStringGrid\r\n  end\r\nend", {}}}));
  note = Note();
  EXPECT_EQ(note.rfind("the skin's window \"MainWindow\" cannot be built: ", 0), 0u) << note;
  project.UISetting().UIFile = dir.path();
  EXPECT_EQ(Note(), "the screensaver's skin cannot be read: Cannot read " + dir.path() +
                        ": a folder, not a file; showing the built-in configuration window");
  EXPECT_EQ(shown, (std::vector<std::string>(4, "built-in")));
}

}  // namespace
}  // namespace qv
