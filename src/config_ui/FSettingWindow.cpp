#include "config_ui/FSettingWindow.h"

#include <algorithm>
#include <filesystem>

#include "common/Error.h"
#include "common/Utf8Path.h"

namespace qv {

namespace {

using K = TSettingControl::TKind;
using P = TSettingControl::TParent;

const std::vector<std::string> kQualities = {"Highest (Slower)", "Normal ", "Low (Faster)"};
const std::vector<std::string> kImageSizes = {"Original Size", "Stretch-Full", "Stretch-Proportional"};
const std::vector<std::string> kShowModes = {"All images - Random", "All images - Sequential",
                                             "User's favorite (checked images) - Random", "Single - Selected Image"};
const std::vector<std::string> kMonitorModes = {"Primary only, others black", "Each its own show",
                                                "The same picture on each"};
constexpr int32_t kNoNumber = -1;

}  // namespace

const std::vector<TSettingControl>& TfmSettingWindow::Controls() {
  // Sizes the layout leaves open (check boxes, labels, the second and third
  // drop-down lists) are chosen to fit their texts.
  static const std::vector<TSettingControl> controls = {
      {"Button1", K::Button, P::Form, 198, 264, 75, 25, "OK", {}},
      {"Button2", K::Button, P::Form, 278, 264, 75, 25, "Cancel", {}},
      {"PageControl1", K::PageControl, P::Form, 8, 8, 345, 249, "", {"Display Mode", "Background Music", "Screens"}},
      {"TabSheet1", K::TabSheet, P::Form, kPageLeft, kPageTop, 337, 221, "Display Mode", {}},
      {"TabSheet2", K::TabSheet, P::Form, kPageLeft, kPageTop, 337, 221, "Background Music", {}},
      {"TabSheet3", K::TabSheet, P::Form, kPageLeft, kPageTop, 337, 221, "Screens", {}},
      {"cbMusic", K::CheckBox, P::DisplayPage, 29, 14, 105, 17, "Enable Music", {}},
      {"cbSound", K::CheckBox, P::DisplayPage, 142, 14, 160, 17, "Enable Sound Effects", {}},
      {"cbDirectX", K::CheckBox, P::DisplayPage, 29, 40, 240, 17, "Use DirectX (Faster Animation)", {}},
      {"lblImageQuality", K::Label, P::DisplayPage, 29, 70, 105, 13, "Direct X Quality", {}},
      {"cbImageQuality", K::ComboBox, P::DisplayPage, 141, 67, 154, 21, "", kQualities},
      {"lblImageSize", K::Label, P::DisplayPage, 29, 100, 105, 13, "Image Size", {}},
      {"cbImageSize", K::ComboBox, P::DisplayPage, 141, 97, 189, 21, "", kImageSizes},
      {"lblShowImageMode", K::Label, P::DisplayPage, 29, 130, 105, 13, "Show Image", {}},
      {"cbShowImageMode", K::ComboBox, P::DisplayPage, 141, 127, 189, 21, "", kShowModes},
      {"lblDuration", K::Label, P::DisplayPage, 29, 160, 105, 13, "Image Duration", {}},
      {"txtDuration", K::Edit, P::DisplayPage, 140, 157, 27, 21, "10", {}},
      {"UpDown1", K::UpDown, P::DisplayPage, 167, 157, 16, 21, "", {}},
      {"lblSeconds", K::Label, P::DisplayPage, 188, 160, 50, 13, "seconds", {}},
      {"lblSpeed", K::Label, P::DisplayPage, 29, 192, 105, 13, "Animation Speed", {}},
      {"tbSpeed", K::TrackBar, P::DisplayPage, 136, 189, 162, 20, "", {}},
      {"cbCustomMusic", K::CheckBox, P::MusicPage, 7, 7, 125, 17, "Use Custom Music", {}},
      {"cbShuffleMusic", K::CheckBox, P::MusicPage, 137, 7, 125, 17, "Shuffle Playlist", {}},
      {"lstMusic", K::ListView, P::MusicPage, 7, 32, 324, 157, "", {"File"}},
      {"Button3", K::Button, P::MusicPage, 8, 195, 38, 21, "Add", {}},
      {"Button4", K::Button, P::MusicPage, 50, 195, 49, 21, "Remove", {}},
      // The screens page follows the display page's grid of labels and fields.
      {"lblMonitors", K::Label, P::ScreensPage, 29, 17, 105, 13, "Monitors", {}},
      {"cbMonitors", K::ComboBox, P::ScreensPage, 141, 14, 189, 21, "", kMonitorModes},
      {"cbPanZoom", K::CheckBox, P::ScreensPage, 29, 48, 240, 17, "Pan and zoom still pictures", {}},
      {"lblPanZoomPercent", K::Label, P::ScreensPage, 29, 78, 105, 13, "Always in view", {}},
      {"txtPanZoomPercent", K::Edit, P::ScreensPage, 140, 75, 27, 21, "75", {}},
      {"UpDown2", K::UpDown, P::ScreensPage, 167, 75, 16, 21, "", {}},
      {"lblPercent", K::Label, P::ScreensPage, 188, 78, 120, 13, "% of the picture", {}},
      // Below the client area: the user cannot reach these.
      {"cbTransition", K::CheckBox, P::Form, 22, 341, 120, 17, "Enable Transition", {}},
      {"GroupBox1", K::GroupBox, P::Form, 13, 334, 297, 114, "Play Mode", {}},
      {"Label3", K::Label, P::GroupBox1, 240, 88, 30, 13, "Reset", {}},
  };
  return controls;
}

TfmSettingWindow::TfmSettingWindow(std::vector<std::string>& musicList, platform::IDialogs& dialogs)
    : musicList_(musicList), dialogs_(dialogs) {
  cbImageQuality.Items = kQualities;
  cbImageSize.Items = kImageSizes;
  cbShowImageMode.Items = kShowModes;
  cbMonitors.Items = kMonitorModes;
  cbTransition.Checked = true;
  given_.MusicList = musicList;
}

void TfmSettingWindow::SetValues(const TUserSettings& settings, bool userSettingsApply) {
  given_ = settings;
  auto index = [](const TComboBox& box, int32_t value) {
    return value >= 0 && static_cast<size_t>(value) < box.Items.size() ? value : -1;
  };
  // The project's own fitting that the list cannot name (-1: not stretched,
  // keeping the shape) shows as the original size.
  cbImageSize.ItemIndex = settings.ImageSize == -1 ? 0 : index(cbImageSize, settings.ImageSize);
  cbShowImageMode.ItemIndex = index(cbShowImageMode, settings.ImageMode);
  // A speed off the table (-1) shows as the normal one.
  tbSpeed.Position = settings.Speed >= tbSpeed.Min && settings.Speed <= tbSpeed.Max ? settings.Speed : kNormalSpeedIndex;
  cbSound.Checked = settings.Sound;
  cbMusic.Checked = settings.Music;
  cbTransition.Checked = settings.Transition;
  cbDirectX.Checked = settings.DirectX;
  cbCustomMusic.Checked = settings.CustomMusic;
  cbShuffleMusic.Checked = settings.ShuffleMusic;
  cbImageQuality.ItemIndex = index(cbImageQuality, settings.DirectXQuality);
  SetUpDownPosition(settings.Duration);
  cbMonitors.ItemIndex = index(cbMonitors, settings.Monitors);
  cbPanZoom.Checked = settings.PanZoom;
  SetPercentPosition(settings.PanZoomPercent);
  musicList_ = settings.MusicList;
  Button1Enabled = userSettingsApply;
  shown_ = Read();
}

TUserSettings TfmSettingWindow::Values() const {
  TUserSettings s = Read();
  if (s.Duration == 0)
    throw EQVError("'" + txtDuration + "' is not a valid duration: give a whole number of seconds from 1 to 999");
  if (s.PanZoomPercent == kNoNumber)
    throw EQVError("'" + txtPanZoomPercent + "' is not a valid share: give a whole number from 50 to 100");
  auto keep = [](int32_t& value, int32_t shown, int32_t given) {
    if (value == shown) value = given;
  };
  keep(s.Duration, shown_.Duration, given_.Duration);
  keep(s.Speed, shown_.Speed, given_.Speed);
  keep(s.DirectXQuality, shown_.DirectXQuality, given_.DirectXQuality);
  keep(s.ImageMode, shown_.ImageMode, given_.ImageMode);
  keep(s.ImageSize, shown_.ImageSize, given_.ImageSize);
  keep(s.Monitors, shown_.Monitors, given_.Monitors);
  keep(s.PanZoomPercent, shown_.PanZoomPercent, given_.PanZoomPercent);
  return s;
}

TUserSettings TfmSettingWindow::Read() const {
  TUserSettings s;
  if (!ParseDuration(txtDuration, s.Duration)) s.Duration = 0;
  s.Speed = tbSpeed.Position;
  s.DirectXQuality = cbImageQuality.ItemIndex >= 0 ? cbImageQuality.ItemIndex : given_.DirectXQuality;
  s.Sound = cbSound.Checked;
  s.Music = cbMusic.Checked;
  s.Transition = cbTransition.Checked;
  s.DirectX = cbDirectX.Checked;
  s.CustomMusic = cbCustomMusic.Checked;
  s.ShuffleMusic = cbShuffleMusic.Checked;
  s.MusicList = musicList_;
  s.ImageMode = cbShowImageMode.ItemIndex >= 0 ? cbShowImageMode.ItemIndex : given_.ImageMode;
  s.ImageSize = cbImageSize.ItemIndex >= 0 ? cbImageSize.ItemIndex : given_.ImageSize;
  s.Monitors = cbMonitors.ItemIndex >= 0 ? cbMonitors.ItemIndex : given_.Monitors;
  s.PanZoom = cbPanZoom.Checked;
  if (!ParseWholeNumber(txtPanZoomPercent, UpDown2.Min, UpDown2.Max, s.PanZoomPercent)) s.PanZoomPercent = kNoNumber;
  return s;
}

void TfmSettingWindow::FormShow() {
  for (const std::string& entry : musicList_) lstMusic.Items.push_back(entry);
}

void TfmSettingWindow::Button3Click() {
  platform::TOpenFileOptions options;
  options.filter = kMusicFilter;
  options.existingOnly = true;
  options.hideReadOnly = true;
  options.resizable = true;
  const std::optional<std::string> file = dialogs_.OpenFile(options);
  if (!file || file->empty()) return;
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(*file), ec);
  lstMusic.Items.push_back(ec ? *file : Utf8FromPath(full.lexically_normal()));
}

void TfmSettingWindow::Button4Click() {
  if (lstMusic.Selected < 0 || static_cast<size_t>(lstMusic.Selected) >= lstMusic.Items.size()) return;
  lstMusic.Items.erase(lstMusic.Items.begin() + lstMusic.Selected);
  lstMusic.Selected = -1;
}

bool TfmSettingWindow::Button1Click() {
  int32_t duration = 0;
  if (!ParseDuration(txtDuration, duration)) {
    dialogs_.Error("'" + txtDuration + "' is not a valid duration.\r\nGive a whole number of seconds from 1 to 999.");
    return false;
  }
  int32_t percent = 0;
  if (!ParseWholeNumber(txtPanZoomPercent, UpDown2.Min, UpDown2.Max, percent)) {
    dialogs_.Error("'" + txtPanZoomPercent + "' is not a valid share of the picture.\r\nGive a whole number from 50 to 100.");
    return false;
  }
  musicList_.clear();
  for (const std::string& row : lstMusic.Items) musicList_.push_back(row);
  return true;
}

void TfmSettingWindow::Label3Click() { tbSpeed.Position = kNormalSpeedIndex; }

void TfmSettingWindow::SetUpDownPosition(int position) {
  UpDown1.Position = std::clamp(position, UpDown1.Min, UpDown1.Max);
  txtDuration = std::to_string(UpDown1.Position);
}

void TfmSettingWindow::UpDownClick(int delta) {
  int32_t typed = 0;
  const int from = ParseDuration(txtDuration, typed) ? typed : UpDown1.Position;
  SetUpDownPosition(from + delta);
}

void TfmSettingWindow::SetPercentPosition(int position) {
  UpDown2.Position = std::clamp(position, UpDown2.Min, UpDown2.Max);
  txtPanZoomPercent = std::to_string(UpDown2.Position);
}

void TfmSettingWindow::PercentUpDownClick(int delta) {
  int32_t typed = 0;
  const int from = ParseWholeNumber(txtPanZoomPercent, UpDown2.Min, UpDown2.Max, typed) ? typed : UpDown2.Position;
  SetPercentPosition(from + delta);
}

bool ParseWholeNumber(const std::string& text, int32_t lo, int32_t hi, int32_t& value) {
  const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  if (first == std::string::npos) return false;
  const std::string digits = text.substr(first, last - first + 1);
  if (digits.empty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return c >= '0' && c <= '9';
      }))
    return false;
  const int v = std::stoi(digits);
  if (v < lo || v > hi) return false;
  value = v;
  return true;
}

bool ParseDuration(const std::string& text, int32_t& value) { return ParseWholeNumber(text, 1, 999, value); }

}  // namespace qv
