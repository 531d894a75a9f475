// TfmSettingWindow: the fixed modal dialog in which the user edits the user
// settings: display options on the page "Display Mode", the custom music list
// on "Background Music", the monitors and the pan and zoom of still pictures
// on "Screens". This class holds the dialog's controls as values and
// runs its handlers; a widget builds the window from Controls() and keeps the
// values and the widgets in step.
#pragma once
#include <string>
#include <vector>

#include "graphics/Rect.h"
#include "platform/Dialogs.h"
#include "project/uUserSettings.h"

namespace qv {

// One control of the dialog as it is laid out.
struct TSettingControl {
  enum class TKind { Button, PageControl, TabSheet, CheckBox, ComboBox, Edit, UpDown, TrackBar, ListView, GroupBox, Label };
  enum class TParent { Form, DisplayPage, MusicPage, ScreensPage, GroupBox1 };
  const char* name;
  TKind kind;
  TParent parent;
  int left, top, width, height;  // in the parent's client area
  std::string caption;
  std::vector<std::string> items;  // drop-down entries, list-view columns
};

class TfmSettingWindow {
 public:
  static constexpr int kClientWidth = 364;
  static constexpr int kClientHeight = 297;
  static constexpr const char* kCaption = "Settings";
  // What the mixer plays here, under the dialog's own name for them.
  static constexpr const char* kMusicFilter = "Music Files|*.mp3;*.ogg;*.flac;*.wav;*.mid;*.midi";
  // Where the pages' client areas start, in the window's client area.
  static constexpr int kPageLeft = 8 + 4;
  static constexpr int kPageTop = 8 + 24;

  // Every control with its name, place and texts, parents before children.
  static const std::vector<TSettingControl>& Controls();

  // musicList is the caller's; OK refills it, Cancel leaves it alone.
  TfmSettingWindow(std::vector<std::string>& musicList, platform::IDialogs& dialogs);

  struct TCheckBox {
    bool Checked = false;
  };
  struct TComboBox {
    std::vector<std::string> Items;
    int ItemIndex = -1;  // -1: nothing chosen
  };
  struct TUpDown {
    int Min = 0;
    int Max = 100;
    int Position = 0;
  };
  struct TListView {
    std::vector<std::string> Items;  // the captions of the rows
    int Selected = -1;
  };

  TCheckBox cbMusic, cbSound, cbDirectX, cbCustomMusic, cbShuffleMusic, cbTransition, cbPanZoom;
  TComboBox cbImageQuality, cbImageSize, cbShowImageMode, cbMonitors;
  std::string txtDuration = "10";
  // Every duration a project may carry can be shown and kept.
  TUpDown UpDown1{1, 999, 10};
  // The least share of a panned and zoomed picture that stays visible.
  std::string txtPanZoomPercent = "75";
  TUpDown UpDown2{50, 100, 75};
  TUpDown tbSpeed{0, 20, 10};
  TListView lstMusic;
  bool Button1Enabled = true;
  int ActivePage = 0;

  // Fills the controls from settings (Button1 only enabled where user
  // settings apply) and takes settings.MusicList as the music list's start.
  void SetValues(const TUserSettings& settings, bool userSettingsApply);
  // The controls' values after OK. A control the user left as it was shown
  // gives back the value it was given, also one it cannot show (a speed off
  // the table, a duration beyond the box's range, a list without a choice),
  // so an OK without a change keeps the show as it was. Throws EQVError when
  // the duration is not a whole number from 1 to 999 or the share kept in
  // view not one from 50 to 100.
  TUserSettings Values() const;

  // Handlers.
  void FormShow();
  // "Add": a row for the file the open dialog returns, if any.
  void Button3Click();
  // "Remove": deletes the selected row, if any.
  void Button4Click();
  // "OK": refills the music list with the rows, top to bottom, and returns
  // true to close the dialog. A duration that is not a whole number from 1 to
  // 999, or a share kept in view that is not one from 50 to 100, is reported
  // instead, and the dialog stays open with nothing changed.
  bool Button1Click();
  // "Reset": the speed slider back to 10.
  void Label3Click();
  // The up-down beside the duration: steps from the number in the box,
  // within 1 to 999, and writes it back.
  void UpDownClick(int delta);
  void SetUpDownPosition(int position);
  // The same for the share kept in view, within 50 to 100.
  void PercentUpDownClick(int delta);
  void SetPercentPosition(int position);

 private:
  // The controls' values as they read, without the given values put back.
  TUserSettings Read() const;

  std::vector<std::string>& musicList_;
  platform::IDialogs& dialogs_;
  TUserSettings given_;
  TUserSettings shown_;  // what the controls showed when the values were set
};

// The duration box's text as a number, or false when it is not a whole
// number from 1 to 999 (blanks around it are allowed).
bool ParseDuration(const std::string& text, int32_t& value);
// A box's text as a whole number from lo to hi, blanks around it allowed.
bool ParseWholeNumber(const std::string& text, int32_t lo, int32_t hi, int32_t& value);

}  // namespace qv
