// TfmQVCOnfigWindow: the window every skin description builds. It browses
// the project's pictures (thumbnail grid, previews), keeps the user's
// favourites and selected picture in the user settings file, and runs the
// click actions the skin lists for its components. ShowSkinWindow builds one
// by name and runs it; the toolkit shows it through TConfigServices.
#pragma once
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "config_ui/uMyControls.h"
#include "config_ui/uQVForms.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"
#include "config_ui/uSkinComponents.h"
#include "platform/Dialogs.h"
#include "platform/Timer.h"

namespace qv {

class TBitmap32;
class TQVCProject;
class TfmQVCOnfigWindow;
class TfmSettingWindow;

// What the configuration windows need from the world: configure mode fills
// it with the desktop's services, tests with doubles.
struct TConfigServices {
  platform::IDialogs* dialogs = nullptr;
  // The engine's file and its first command-line argument: they decide
  // whether user settings apply, and where they are kept.
  std::string exePath;
  std::string firstArgument;
  platform::TTimerFactory timers;  // picture buttons repeat with them
  // Shows the window, calls its FormShow, runs until it closes (its Close,
  // or the user closing it), then calls its FormClose.
  std::function<void(TfmQVCOnfigWindow& window)> runWindow;
  // Runs the settings dialog modally; true when it ended with OK.
  std::function<bool(TfmSettingWindow& dialog)> runSettingsDialog;
  // One picture full-screen through the saver window.
  std::function<void(const TQVCProject& project, const std::string& file)> showSinglePicture;
  // Opens a web address or a file with the desktop's opener; false, with
  // the reason, when it cannot.
  std::function<bool(const std::string& target, std::string& why)> openDocument;
  // Makes a bitmap file the desktop wallpaper; `how` says what was done.
  std::function<bool(const std::string& bitmapFile, std::string& how)> setDesktopWallpaper;
  std::function<void(const std::string& title)> setApplicationTitle;
  // One-line notes for the user's terminal.
  std::function<void(const std::string& note)> report;
  // Skin windows open now, one inside the other.
  int openWindows = 0;
  // The picture the open windows show, kept in step between them; unset
  // until the first window shows (it starts from the user's Index).
  std::optional<int> currentPicture;
  // The pictures whose load error was said, so that each is said once.
  std::set<std::string> reportedPictures;
};

inline constexpr char kMainWindow[] = "MainWindow";
inline constexpr char kWallpaperQuestion[] =
    "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?";

class TfmQVCOnfigWindow : public TfmQVFormParent {
 public:
  // The window's own design before a description changes it.
  static constexpr int kDesignWidth = 588, kDesignHeight = 478;
  static constexpr char kDesignCaption[] = "fmQVCOnfigWindow";

  explicit TfmQVCOnfigWindow(TConfigServices& services);

  // Takes the properties and components of a prepared description and lays
  // them out. Throws EQVError ("line N: ...").
  void Load(const TFormObject& description);
  TSkinTree& Components() { return tree_; }
  const TSkinTree& Components() const { return tree_; }

  // The skin and project the handlers work with.
  void SetCurrent(const TQVForms& skin, TQVCProject& project);

  // Handlers.
  void FormShow();
  void FormClose();
  // Runs the action the skin lists for the component, if any.
  void ComponentClick(TControl& sender);
  // Clamps to the pictures (0 when there are none), keeps it as the current
  // index and shows that picture in every preview.
  void SelectPicture(int index);
  int CurrentIndex() const { return current_; }

  // Asks the window to close (the close action, a button with a modal
  // result, Escape, the window manager); the modal run ends.
  void Close();
  bool CloseRequested() const { return closeRequested_; }
  std::function<void()> onClose;

  // Whether this window reads and writes the user settings file.
  bool UserSettingsApply() const;

 private:
  void RunAction(const TAction& action);
  void OpenSettings();
  void SetAsWallpaper();
  // The project's pictures.
  int PictureCount() const;
  const std::string& Picture(int index) const;
  void ApplyTags();
  void ReportError(const std::string& text);
  void ShowInPreview(TQVPreview& preview, const std::string& file);

  TConfigServices& services_;
  TSkinTree tree_;
  const TQVForms* skin_ = nullptr;
  TQVCProject* project_ = nullptr;
  int current_ = 0;
  bool closeRequested_ = false;
};

// Builds the window named `name` (blanks around it ignored) of the skin and
// runs it modally. With user settings applying, the application title
// becomes the product name and the user's settings are folded into the
// project first. False, with the reason in `why` and nothing shown, when the
// skin has no such window or its description cannot be built.
bool ShowSkinWindow(const TQVForms& skin, TQVCProject& project, const std::string& name, TConfigServices& services,
                    std::string* why = nullptr);

// The grid's and the previews' readers of animated pictures (.QVP): the
// header (preview and title; a file that cannot be read is reported through
// `dialogs`) and the full load, for its picture.
TQVThumbnail2::TProjectHeaderReader AnimationHeaderReader(platform::IDialogs& dialogs);
TQVPreview::TProjectPictureReader AnimationPictureReader();

// The plain window configure mode shows when the project's skin cannot
// serve: the pictures with check boxes, a preview, and buttons for previous,
// next, full-screen preview, settings, wallpaper and close.
const TQVForms& BuiltInSkin();

}  // namespace qv
