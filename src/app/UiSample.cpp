#include "app/UiSample.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Paths.h"
#include "config_ui/FQVConfigWindow.h"
#include "config_ui/FSettingWindow.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/uGraphicUtil.h"
#include "platform/System.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
// FLTK brings in Xlib, whose macros (Bool, None, Status) clash with names above.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>

#include "config_ui/fltk/FlMyControls.h"
#include "config_ui/fltk/FlPaint.h"
#include "config_ui/fltk/FlQVThumbnail2.h"
#include "config_ui/fltk/FlSettingWindow.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/fltk/FltkTimer.h"

namespace qv::app {

namespace {

// A button face drawn by code: a vertical gradient in a rounded frame, with
// the corners in magenta, the colour a transparent bitmap leaves out.
TSkinPicture Face(int w, int h, uint32_t top, uint32_t bottom) {
  TSkinPicture p;
  p.kind = TGraphicKind::Bitmap;
  p.bitmap.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint32_t pixel = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
      const int a = (top >> shift) & 0xFF, b = (bottom >> shift) & 0xFF;
      pixel |= static_cast<uint32_t>(a + (b - a) * y / std::max(h - 1, 1)) << shift;
    }
    for (int x = 0; x < w; ++x) {
      const int dx = std::min(x, w - 1 - x), dy = std::min(y, h - 1 - y);
      const bool corner = dx + dy < 4;
      const bool edge = !corner && (dx == 0 || dy == 0 || dx + dy == 4);
      p.bitmap.SetPixel(x, y, corner ? 0xFFFF00FFu : edge ? 0xFF203040u : pixel);
    }
  }
  return p;
}

void SkinButton(TMyButton& b, const std::string& caption, uint32_t top, uint32_t bottom) {
  const int w = b.Width(), h = b.Height();
  b.SetButtonUp(Face(w, h, top, bottom));
  b.SetButtonOver(Face(w, h, top | 0x303030u, bottom | 0x303030u));
  b.SetButtonDown(Face(w, h, bottom, top));
  TSkinPicture grey = Face(w, h, top, bottom);
  DesaturateBitmap(grey.bitmap);
  b.SetButtonDisable(grey);
  b.SetCaption(caption);
  b.SetShowCaption(true);
  TFont font;
  font.Color = clWhite;
  font.Bold = true;
  b.SetFont(font);
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) quoted += c;
  }
  return quoted + "\"";
}

void PrintValues(const TUserSettings& s) {
  std::string music;
  for (const std::string& m : s.MusicList) music += (music.empty() ? "" : ", ") + Quoted(m);
  std::printf(
      "{\"ImageSize\": %d, \"ImageMode\": %d, \"Speed\": %d, \"Sound\": %d, \"Music\": %d, \"Transition\": %d, "
      "\"Duration\": %d, \"DirectX\": %d, \"DirectXQuality\": %d, \"CustomMusic\": %d, \"ShuffleMusic\": %d, "
      "\"MusicList\": [%s], \"Monitors\": %d, \"PanZoom\": %d, \"PanZoomPercent\": %d}\n",
      s.ImageSize, s.ImageMode, s.Speed, s.Sound, s.Music, s.Transition, s.Duration, s.DirectX, s.DirectXQuality,
      s.CustomMusic, s.ShuffleMusic, music.c_str(), s.Monitors, s.PanZoom, s.PanZoomPercent);
  std::fflush(stdout);
}

bool Screenshot(Fl_Window& window, const std::string& file) {
  window.show();
  for (int i = 0; i < 20; ++i) Fl::wait(0.02);
  Fl::flush();
  const TBitmap32 image = ui::CaptureWidget(window);
  if (image.Empty()) return false;
  SaveBMP32(image, file);
  return true;
}

// A signal to end closes the windows, so the caller still removes its files.
void WatchEndSignals(void*) {
  if (!platform::EndSignalReceived()) return Fl::repeat_timeout(0.1, WatchEndSignals);
  while (Fl::first_window()) Fl::first_window()->hide();
}

}  // namespace

int RunUiSample(TQVCProject& project, const std::string& exePath, const TUiSampleOptions& options) {
  Fl::scheme("gtk+");
  platform::TFltkDialogs dialogs;
  const std::string settingsFile = UserSettingsPath(exePath);
  const bool apply = UserSettingsApply(exePath, "/C");
  const std::vector<std::string>& pictures = project.FileList().Names();

  ui::TFlFormParent window(720, 470);
  const std::string title = "qvtool ui-sample: " + project.Setting().ProductName;
  window.copy_label(title.c_str());
  window.Control().SetShowButtons(true);

  auto* bevel = new ui::TFlMyBevel(6, 6, 358, 258);
  bevel->Control().SetShape(TBevelShape::bsFrame);
  auto* grid = new ui::TFlQVThumbnail2(10, 10, 350, 250);
  auto* preview = new ui::TFlQVPreview(380, 10, 236, 176);
  auto* memo = new ui::TFlMyMemo(380, 196, 330, 64);
  auto* previous = new ui::TFlMyButton(10, 280, 96, 30, platform::FltkTimerFactory());
  auto* next = new ui::TFlMyButton(114, 280, 96, 30, platform::FltkTimerFactory());
  auto* latch = new ui::TFlMyButton(218, 280, 96, 30, platform::FltkTimerFactory());
  auto* disabled = new ui::TFlMyButton(322, 280, 96, 30, platform::FltkTimerFactory());
  auto* plain = new ui::TFlMyButton(426, 280, 96, 30, platform::FltkTimerFactory());
  auto* circle = new ui::TFlMyShape(10, 330, 60, 60);
  auto* rounded = new ui::TFlMyShape(80, 330, 120, 60);
  auto* line = new ui::TFlMyBevel(10, 400, 700, 2);
  auto* settings = new Fl_Button(610, 430, 100, 28, "Settings...");
  window.end();
  window.Control().SetCaption(title);
  window.ApplyFrame();

  // Animated pictures show their preview and title, and their picture.
  TQVThumbnail2& g = grid->Control();
  g.SetProjectHeaderReader(AnimationHeaderReader(dialogs));
  preview->Control().SetProjectPictureReader(AnimationPictureReader());
  g.SetShowCheckBox(true);
  g.SetShowTitle(true);
  g.SetPictureList(pictures);
  const std::vector<bool> marks = LoadFavourites(settingsFile, pictures.size());
  for (size_t i = 0; i < marks.size(); ++i) g.SetMarked(static_cast<int>(i), marks[i]);
  for (const std::string& error : g.LoadErrors()) std::fprintf(stderr, "qvtool ui-sample: no thumbnail: %s\n", error.c_str());

  int current = 0;
  auto select = [&](int index) {
    current = pictures.empty() ? 0 : std::clamp(index, 0, static_cast<int>(pictures.size()) - 1);
    if (!pictures.empty() && !preview->Control().LoadPicture(pictures[current]))
      std::fprintf(stderr, "qvtool ui-sample: %s\n", preview->Control().LastError().c_str());
  };
  g.OnSelectItem = [&](TQVThumbnail2&, int index) { select(index); };

  memo->Control().SetReadOnly(true);
  memo->Control().SetText(project.Setting().ProductName + "\r\n" + project.Setting().Publisher + "\r\n" +
                          project.Setting().Website + "\r\n" + std::to_string(pictures.size()) + " pictures");

  SkinButton(previous->Control(), "&Previous", 0x3060A0u, 0x102040u);
  SkinButton(next->Control(), "&Next", 0x3060A0u, 0x102040u);
  SkinButton(latch->Control(), "&Latch", 0x308040u, 0x103018u);
  SkinButton(disabled->Control(), "Disabled", 0x3060A0u, 0x102040u);
  latch->Control().SetAllowDown(true);
  disabled->Control().SetEnabled(false);
  plain->Control().SetCaption("P&lain");
  plain->Control().SetShowCaption(true);
  // Held down, the arrows keep stepping: at once, after 500 ms, then every 50 ms.
  auto step = [&](int by) {
    const int index = std::clamp(current + by, 0, std::max(static_cast<int>(pictures.size()) - 1, 0));
    g.SelectCell(index % g.ColCount(), index / g.ColCount());
  };
  previous->Control().OnMousePressed = [step](TMyButton&) { step(-1); };
  next->Control().OnMousePressed = [step](TMyButton&) { step(1); };

  circle->Control().SetShape(TShapeType::stCircle);
  circle->Control().SetBrush({clTeal, TBrushStyle::bsSolid});
  circle->Control().SetPen({clNavy, 3, TPenStyle::psSolid});
  rounded->Control().SetShape(TShapeType::stRoundRect);
  rounded->Control().SetBrush({clYellow, TBrushStyle::bsSolid});
  line->Control().SetShape(TBevelShape::bsTopLine);

  auto openSettings = [&]() -> bool {
    std::vector<std::string> music;
    TfmSettingWindow dialog(music, dialogs);
    dialog.SetValues(ReadUserSettings(settingsFile, project), apply);
    ui::TFlSettingWindow view(dialog);
    if (!options.dialogScreenshot.empty()) {
      dialog.FormShow();
      view.ShowValues();
      return Screenshot(view, options.dialogScreenshot);
    }
    if (view.RunModal()) PrintValues(dialog.Values());
    return true;
  };
  settings->callback([](Fl_Widget*, void* f) { (*static_cast<decltype(openSettings)*>(f))(); }, &openSettings);

  g.SelectCell(0, 0);
  if (!options.dialogScreenshot.empty()) return openSettings() ? 0 : 1;
  if (!options.screenshot.empty()) {
    if (!Screenshot(window, options.screenshot)) return 1;
    int thumbnails = 0;
    for (int i = 0; i < g.PictureCount(); ++i) thumbnails += g.Thumbnail(i) ? 1 : 0;
    std::printf("{\"screenshot\": %s, \"pictures\": %d, \"thumbnails\": %d, \"columns\": %d, \"rows\": %d}\n",
                Quoted(options.screenshot).c_str(), g.PictureCount(), thumbnails, g.ColCount(), g.RowCount());
    return 0;
  }
  Fl::add_timeout(0.1, WatchEndSignals);
  window.show();
  return Fl::run();
}

}  // namespace qv::app
