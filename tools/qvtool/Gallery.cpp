// qvtool gallery: one contact sheet per transition effect (the frames at 0, 25,
// 50, 75 and 100 percent side by side, rendered as the runner does) and an
// index page, so a person choosing a TransitionEffects list can look at them.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Commands.h"
#include "Markup.h"
#include "Options.h"
#include "PngWriter.h"
#include "ToolFiles.h"
#include "common/Error.h"
#include "common/Random.h"
#include "graphics/Bitmap32.h"
#include "graphics/uStretchBlt.h"
#include "platform/System.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

namespace qvtool {

namespace {

constexpr int kMinSide = 16, kMaxSide = 2048;
constexpr int kGap = 6;
constexpr uint32_t kGapColor = 0xFF404040u;
constexpr int kPercents[] = {0, 25, 50, 75, 100};

// Warm stripes with a light circle in the middle.
qv::TBitmap32 OldPicture(int w, int h) {
  qv::TBitmap32 b(w, h);
  const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) / 3.0;
  const int stripe = std::max(4, std::min(w, h) / 12);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = ((x + y) / stripe) % 2 ? 0xFFC03018u : 0xFFF0A020u;
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      if (dx * dx + dy * dy <= r * r) c = 0xFFFFF0C0u;
      b.SetPixel(x, y, c);
    }
  return b;
}

// A cool checkerboard crossed by a white band from the top left corner.
qv::TBitmap32 NewPicture(int w, int h) {
  qv::TBitmap32 b(w, h);
  const int cell = std::max(4, std::min(w, h) / 8);
  const double band = std::min(w, h) / 10.0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = (x / cell + y / cell) % 2 ? 0xFF1840B0u : 0xFF20B0A0u;
      // Distance from the diagonal through (0, 0) and (w, h).
      const double d = std::abs((x + 0.5) * h - (y + 0.5) * w) / std::hypot(w, h);
      if (d <= band / 2) c = 0xFFF0F8FFu;
      b.SetPixel(x, y, c);
    }
  return b;
}

// A picture file fitted to the gallery's size.
qv::TBitmap32 Loaded(const std::string& path, int w, int h) {
  qv::TBitmap32 picture = ReadPicture(path);
  if (picture.Width() == w && picture.Height() == h) return picture;
  qv::TBitmap32 fitted(w, h);
  picture.ResampleTo(fitted);
  return fitted;
}

std::string SheetName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "effect-%03d.png", n);
  return name;
}

}  // namespace

int Gallery(const Args& args) {
  std::string sizeText, outDir, oldPath, newPath;
  TOptionReader options("usage: qvtool gallery --size WxH --out DIR [--old A.bmp --new B.bmp]");
  options.Value("--size", sizeText).Value("--out", outDir).Value("--old", oldPath).Value("--new", newPath).Read(args);
  if (sizeText.empty() || outDir.empty() || oldPath.empty() != newPath.empty()) throw UsageError{options.Usage()};
  int w = 0, h = 0;
  ParseSize(sizeText, kMinSide, kMaxSide, "--size", w, h);

  const qv::TBitmap32 oldPicture = oldPath.empty() ? OldPicture(w, h) : Loaded(oldPath, w, h);
  const qv::TBitmap32 newPicture = newPath.empty() ? NewPicture(w, h) : Loaded(newPath, w, h);

  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir))
    throw qv::EQVError("Cannot create the folder " + outDir);
  const std::filesystem::path dir(outDir);

  std::string html =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Transition effects</title>\n"
      "<style>body{font-family:sans-serif;background:#222;color:#eee}"
      "img{display:block;margin:4px 0 20px}</style>\n</head>\n<body>\n"
      "<h1>Transition effects</h1>\n<p>Each row shows the frames at 0, 25, 50, 75 and 100 "
      "percent.</p>\n";
  const int sheetW = 5 * w + 4 * kGap;
  qv::TBitmap32 sheet(sheetW, h), frame;
  const auto& table = qv::EffectTable();
  for (int n = 1; n <= qv::kEffectCount; ++n) {
    if (qv::platform::EndSignalReceived()) throw qv::EQVError("stopped by a signal; the sheets written so far stay");
    sheet.Clear(kGapColor);
    for (int k = 0; k < 5; ++k) {
      qv::RandSeed = 0;
      qv::RenderEffectFrame(table, n, oldPicture, newPicture, frame, kPercents[k]);
      qv::BitBlt(sheet, k * (w + kGap), 0, w, h, frame, 0, 0);
    }
    const std::string name = SheetName(n);
    SavePNG(sheet, (dir / name).string());
    html += "<h2>" + std::to_string(n) + " " +
            MarkupEscaped(table[static_cast<size_t>(n - 1)].Name) + "</h2>\n<img src=\"" + name +
            "\" width=\"" + std::to_string(sheetW) + "\" height=\"" + std::to_string(h) +
            "\" alt=\"" + MarkupEscaped(table[static_cast<size_t>(n - 1)].Name) + "\">\n";
  }
  html += "</body>\n</html>\n";

  const std::string indexPath = (dir / "index.html").string();
  WriteOutputFile(indexPath, html);
  return 0;
}

}  // namespace qvtool
