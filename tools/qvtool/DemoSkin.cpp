#include "DemoSkin.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "config_ui/FQVConfigWindow.h"
#include "config_ui/uFormText.h"
#include "config_ui/uQVForms.h"
#include "config_ui/uSkinComponents.h"
#include "graphics/uGraphicUtil.h"
#include "DemoColour.h"

namespace qvtool {

using demo::Mix;
using demo::Pack;
using demo::Rgb;

namespace {

constexpr int kWidth = 640, kHeight = 420;

// Painted buttons: where they lie on the background, what they show and do.
enum class Icon { Previous, Next, FullScreen, Thumbnails, Settings, Wallpaper, Close };
struct Button {
  const char* name;  // the click label over it
  int left, top, size;
  Icon icon;
  const char* hint;
  const char* caption;  // under the button; empty for none
  int action;
  const char* param;
};
constexpr Button kButtons[] = {
    {"PreviousLabel", 452, 180, 48, Icon::Previous, "Previous picture", "Previous", qv::atPreviousPicture, ""},
    {"NextLabel", 508, 180, 48, Icon::Next, "Next picture", "Next", qv::atNextPicture, ""},
    {"PreviewLabel", 564, 180, 48, Icon::FullScreen, "Show the picture full screen", "Preview", qv::atPreviewSelectedFile, ""},
    {"ThumbnailsLabel", 452, 262, 48, Icon::Thumbnails, "Choose your favourite pictures", "Pictures", qv::atShowWindow, "Thumbnails"},
    {"SettingsLabel", 508, 262, 48, Icon::Settings, "Settings", "Settings", qv::atOpenSetting, ""},
    {"WallpaperLabel", 564, 262, 48, Icon::Wallpaper, "Make the picture your wallpaper", "Wallpaper", qv::atSetWallpaper, ""},
    {"CloseLabel", 602, 10, 28, Icon::Close, "Close", "", qv::atCloseWindow, ""},
};
// The preview's place, and the frame painted around it.
constexpr int kPreviewLeft = 24, kPreviewTop = 64, kPreviewWidth = 400, kPreviewHeight = 300;

// Drawn four times as large and reduced at the end, so edges come out smooth.
class Canvas {
 public:
  static constexpr int kScale = 4;
  Canvas(int w, int h) : w_(w), h_(h), bmp_(w * kScale, h * kScale) {}

  // Colours every pixel whose centre (in picture units) `inside` accepts.
  void Fill(double l, double t, double r, double b, const std::function<Rgb(double x, double y)>& color,
            const std::function<bool(double x, double y)>& inside) {
    const int x0 = std::max(0, static_cast<int>(l * kScale)), x1 = std::min(bmp_.Width(), static_cast<int>(r * kScale) + 1);
    const int y0 = std::max(0, static_cast<int>(t * kScale)), y1 = std::min(bmp_.Height(), static_cast<int>(b * kScale) + 1);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const double px = (x + 0.5) / kScale, py = (y + 0.5) / kScale;
        if (inside(px, py)) bmp_.SetPixel(x, y, Pack(color(px, py)));
      }
  }
  void RoundRect(double l, double t, double r, double b, double radius, const std::function<Rgb(double, double)>& color) {
    Fill(l, t, r, b, color, [=](double x, double y) {
      if (x < l || x >= r || y < t || y >= b) return false;
      const double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, b - radius);
      return std::hypot(x - cx, y - cy) <= radius;
    });
  }
  void Circle(double cx, double cy, double radius, Rgb c) {
    Fill(cx - radius, cy - radius, cx + radius, cy + radius, [c](double, double) { return c; },
         [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; });
  }
  void Ring(double cx, double cy, double r0, double r1, Rgb c) {
    Fill(cx - r1, cy - r1, cx + r1, cy + r1, [c](double, double) { return c; }, [=](double x, double y) {
      const double d = std::hypot(x - cx, y - cy);
      return d >= r0 && d <= r1;
    });
  }
  void Triangle(double ax, double ay, double bx, double by, double cx, double cy, Rgb c) {
    auto side = [](double px, double py, double x1, double y1, double x2, double y2) {
      return (px - x2) * (y1 - y2) - (x1 - x2) * (py - y2);
    };
    Fill(std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}), std::max({ay, by, cy}),
         [c](double, double) { return c; }, [=](double x, double y) {
           const double d1 = side(x, y, ax, ay, bx, by), d2 = side(x, y, bx, by, cx, cy), d3 = side(x, y, cx, cy, ax, ay);
           return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
         });
  }
  void Line(double x1, double y1, double x2, double y2, double width, Rgb c) {
    const double half = width / 2;
    Fill(std::min(x1, x2) - half, std::min(y1, y2) - half, std::max(x1, x2) + half, std::max(y1, y2) + half,
         [c](double, double) { return c; }, [=](double x, double y) {
           const double dx = x2 - x1, dy = y2 - y1, len2 = dx * dx + dy * dy;
           const double t = len2 > 0 ? std::clamp(((x - x1) * dx + (y - y1) * dy) / len2, 0.0, 1.0) : 0.0;
           return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy)) <= half;
         });
  }
  void Frame(double l, double t, double r, double b, double width, Rgb c) {
    Fill(l, t, r, b, [c](double, double) { return c; }, [=](double x, double y) {
      return x >= l && x < r && y >= t && y < b && (x < l + width || x >= r - width || y < t + width || y >= b - width);
    });
  }

  qv::TBitmap32 Result() const {
    qv::TBitmap32 out(w_, h_);
    qv::ResampleLanczos(bmp_, out);
    return out;
  }

 private:
  int w_, h_;
  qv::TBitmap32 bmp_;
};

const Rgb kWhite{245, 248, 252};

void DrawIcon(Canvas& c, const Button& b) {
  const double l = b.left, t = b.top, s = b.size, cx = l + s / 2, cy = t + s / 2;
  switch (b.icon) {
    case Icon::Previous: c.Triangle(cx + 8, cy - 11, cx + 8, cy + 11, cx - 10, cy, kWhite); break;
    case Icon::Next: c.Triangle(cx - 8, cy - 11, cx - 8, cy + 11, cx + 10, cy, kWhite); break;
    case Icon::FullScreen:
      for (int sx : {-1, 1})
        for (int sy : {-1, 1}) {
          const double x = cx + sx * 13, y = cy + sy * 10;
          c.Line(x, y, x - sx * 7, y, 3, kWhite);
          c.Line(x, y, x, y - sy * 6, 3, kWhite);
        }
      break;
    case Icon::Thumbnails:
      for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
          c.RoundRect(cx - 13 + i * 14, cy - 13 + j * 14, cx - 1 + i * 14, cy - 1 + j * 14, 2,
                      [](double, double) { return kWhite; });
      break;
    case Icon::Settings:
      for (int k = 0; k < 8; ++k) {
        const double a = k * 3.14159265358979 / 4;
        c.Line(cx + std::cos(a) * 9, cy + std::sin(a) * 9, cx + std::cos(a) * 14, cy + std::sin(a) * 14, 5, kWhite);
      }
      c.Ring(cx, cy, 5, 10.5, kWhite);
      break;
    case Icon::Wallpaper:
      c.Frame(cx - 15, cy - 12, cx + 15, cy + 12, 2.5, kWhite);
      c.Triangle(cx - 11, cy + 9, cx - 2, cy - 4, cx + 6, cy + 9, kWhite);
      c.Triangle(cx, cy + 9, cx + 6, cy + 1, cx + 12, cy + 9, kWhite);
      c.Circle(cx + 7, cy - 5, 3, Rgb{255, 214, 120});
      break;
    case Icon::Close:
      c.Line(cx - 6, cy - 6, cx + 6, cy + 6, 3, kWhite);
      c.Line(cx - 6, cy + 6, cx + 6, cy - 6, 3, kWhite);
      break;
  }
}

qv::TFormObject Object(const char* cls, const std::string& name, int left, int top, int width, int height) {
  qv::TFormObject o;
  o.className = cls;
  o.name = name;
  o.Set("Left", qv::TFormValue::Int(left))
      .Set("Top", qv::TFormValue::Int(top))
      .Set("Width", qv::TFormValue::Int(width))
      .Set("Height", qv::TFormValue::Int(height))
      .Set("Tag", qv::TFormValue::Int(1));  // shown: bit 0 of the tag
  return o;
}

qv::TFormObject Text(const std::string& name, const std::string& caption, int left, int top, int width, int height,
                     int fontHeight, const char* color) {
  qv::TFormObject l = Object("TLabel", name, left, top, width, height);
  l.Set("Caption", qv::TFormValue::Str(caption))
      .Set("Transparent", qv::TFormValue::Ident("True"))
      .Set("Font.Color", qv::TFormValue::Ident(color))
      .Set("Font.Height", qv::TFormValue::Int(fontHeight));
  return l;
}

qv::TAction Action(int type, const std::string& param = "") {
  qv::TAction a;
  a.Type = type;
  a.Param1 = param;
  return a;
}

qv::TSkinRecord MainWindow() {
  qv::TFormObject form;
  form.name = qv::kMainWindow;
  form.className = "TfmForm";
  form.Set("Caption", qv::TFormValue::Str("<ScreensaverName>"))
      .Set("ClientWidth", qv::TFormValue::Int(kWidth))
      .Set("ClientHeight", qv::TFormValue::Int(kHeight))
      .Set("Color", qv::TFormValue::Int(0x5C3A1B))
      .Set("BorderStyle", qv::TFormValue::Ident("bsNone"))
      .Set("NoFrame", qv::TFormValue::Ident("True"))
      .Set("Font.Name", qv::TFormValue::Str("Tahoma"))
      .Set("Font.Height", qv::TFormValue::Int(-11))
      .Set("OnShow", qv::TFormValue::Ident("FormShow"));

  qv::TSkinPicture background;
  background.kind = qv::TGraphicKind::Jpeg;
  background.bitmap = DrawDemoSkinBackground();
  qv::TFormObject image = Object("TImage", "Background", 0, 0, kWidth, kHeight);
  image.Set("Picture.Data", qv::TFormValue::Data(qv::PictureData(background, true)));
  form.Add(image);
  // Pictures keep their shape in it: night blue around them, as the frame.
  qv::TFormObject preview = Object("TQVPreview", "Preview", kPreviewLeft, kPreviewTop, kPreviewWidth, kPreviewHeight);
  preview.Set("Color", qv::TFormValue::Int(0x00281A10));
  form.Add(preview);

  qv::TFormObject title = Text("TitleLabel", "<ScreensaverName>", 24, 12, 560, 28, -20, "clWhite");
  title.Set("Font.Style", qv::TFormValue::SetOf({"fsBold"}));
  form.Add(title);
  qv::TFormObject company = Text("CompanyLabel", "<CompanyName>", 452, 72, 164, 18, -12, "clWhite");
  company.Set("Cursor", qv::TFormValue::Ident("crHandPoint"))
      .Set("Hint", qv::TFormValue::Str("Visit the publisher's website"))
      .Set("ShowHint", qv::TFormValue::Ident("True"));
  form.Add(company);
  qv::TFormObject website = Text("WebsiteLabel", "<Website>", 452, 96, 164, 18, -11, "clSkyBlue");
  website.Set("Font.Style", qv::TFormValue::SetOf({"fsUnderline"}))
      .Set("Cursor", qv::TFormValue::Ident("crHandPoint"))
      .Set("Hint", qv::TFormValue::Str("Visit the website"))
      .Set("ShowHint", qv::TFormValue::Ident("True"));
  form.Add(website);
  form.Add(Text("FooterLabel", "Click a picture button to browse, choose and preview.", 24, 382, 400, 18, -11,
                "clSilver"));

  qv::TSkinRecord record;
  for (const Button& b : kButtons) {
    // The click area over the painted button.
    qv::TFormObject label = Object("TLabel", b.name, b.left, b.top, b.size, b.size);
    label.Set("Caption", qv::TFormValue::Str(""))
        .Set("AutoSize", qv::TFormValue::Ident("False"))
        .Set("Transparent", qv::TFormValue::Ident("True"))
        .Set("Cursor", qv::TFormValue::Ident("crHandPoint"))
        .Set("Hint", qv::TFormValue::Str(b.hint))
        .Set("ShowHint", qv::TFormValue::Ident("True"))
        .Set("OnClick", qv::TFormValue::Ident("LabelClick"));
    form.Add(label);
    if (*b.caption) {
      qv::TFormObject caption = Text(std::string(b.name) + "Caption", b.caption, b.left - 8, b.top + b.size + 4,
                                     b.size + 16, 16, -10, "clSilver");
      caption.Set("Alignment", qv::TFormValue::Ident("taCenter"));
      form.Add(caption);
    }
    record.actions.push_back({b.name, Action(b.action, b.param)});
  }
  record.actions.push_back({"CompanyLabel", Action(qv::atOpenUrl, "<Website>")});
  record.actions.push_back({"WebsiteLabel", Action(qv::atOpenUrl, "<Website>")});
  record.formText = qv::WriteFormText(form);
  return record;
}

qv::TSkinRecord ThumbnailsWindow() {
  qv::TFormObject form;
  form.name = "Thumbnails";
  form.className = "TfmForm";
  form.Set("Caption", qv::TFormValue::Str("<ScreensaverName>: your favourite pictures"))
      .Set("ClientWidth", qv::TFormValue::Int(440))
      .Set("ClientHeight", qv::TFormValue::Int(330))
      .Set("ShowButtons", qv::TFormValue::Ident("True"))
      .Set("Font.Name", qv::TFormValue::Str("Tahoma"))
      .Set("Font.Height", qv::TFormValue::Int(-11));
  form.Add(Text("HelpLabel", "Checked pictures play when the settings show the favourites.", 8, 8, 424, 16, -11,
                "clWindowText"));
  qv::TFormObject grid = Object("TQVThumbnail2", "Thumbnails", 8, 30, 424, 250);
  grid.Set("PictureWidth", qv::TFormValue::Int(80))
      .Set("PictureHeight", qv::TFormValue::Int(60))
      .Set("ShowCheckBox", qv::TFormValue::Ident("True"))
      .Set("MultiRows", qv::TFormValue::Ident("True"))
      .Set("Color", qv::TFormValue::Ident("clWindow"));
  form.Add(grid);
  qv::TFormObject preview = Object("TBitBtn", "PreviewButton", 246, 292, 90, 28);
  preview.Set("Caption", qv::TFormValue::Str("&Preview"));
  form.Add(preview);
  qv::TFormObject ok = Object("TBitBtn", "OKButton", 342, 292, 90, 28);
  ok.Set("Caption", qv::TFormValue::Str("OK")).Set("Default", qv::TFormValue::Ident("True"));
  form.Add(ok);
  qv::TSkinRecord record;
  record.formText = qv::WriteFormText(form);
  record.actions = {{"PreviewButton", Action(qv::atPreviewSelectedFile)}, {"OKButton", Action(qv::atCloseWindow)}};
  return record;
}

}  // namespace

qv::TBitmap32 DrawDemoSkinBackground() {
  Canvas c(kWidth, kHeight);
  const Rgb top{14, 26, 51}, bottom{27, 58, 92};
  c.Fill(0, 0, kWidth, kHeight, [&](double, double y) { return Mix(top, bottom, y / kHeight); },
         [](double, double) { return true; });
  // The title band and its edge.
  c.Fill(0, 0, kWidth, 48, [](double, double) { return Rgb{9, 17, 36}; }, [](double, double) { return true; });
  c.Fill(0, 48, kWidth, 50, [](double, double) { return Rgb{58, 110, 165}; }, [](double, double) { return true; });
  // The preview's frame and the panel of buttons.
  c.RoundRect(kPreviewLeft - 6, kPreviewTop - 6, kPreviewLeft + kPreviewWidth + 6, kPreviewTop + kPreviewHeight + 6, 6,
              [](double, double) { return Rgb{111, 168, 220}; });
  c.RoundRect(kPreviewLeft - 3, kPreviewTop - 3, kPreviewLeft + kPreviewWidth + 3, kPreviewTop + kPreviewHeight + 3, 4,
              [](double, double) { return Rgb{5, 10, 20}; });
  c.RoundRect(440, 60, 624, 400, 10, [](double, double y) { return Mix(Rgb{33, 64, 99}, Rgb{22, 44, 70}, (y - 60) / 340); });
  for (const Button& b : kButtons) {
    const double l = b.left, t = b.top, r = l + b.size, bt = t + b.size;
    const bool close = b.icon == Icon::Close;
    const Rgb rim = close ? Rgb{230, 140, 140} : Rgb{143, 193, 234};
    const Rgb hi = close ? Rgb{190, 60, 60} : Rgb{62, 120, 178}, lo = close ? Rgb{120, 30, 30} : Rgb{29, 61, 94};
    c.RoundRect(l, t, r, bt, b.size / 4.0, [rim](double, double) { return rim; });
    c.RoundRect(l + 2, t + 2, r - 2, bt - 2, b.size / 4.0 - 2, [=](double, double y) { return Mix(hi, lo, (y - t) / b.size); });
    DrawIcon(c, b);
  }
  return c.Result();
}

std::string DemoSkinText() { return qv::SkinFileText({MainWindow(), ThumbnailsWindow()}); }

}  // namespace qvtool
