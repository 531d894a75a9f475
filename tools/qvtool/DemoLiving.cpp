#include "DemoLiving.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

#include "animation/uFileLoader.h"
#include "common/Error.h"
#include "common/Utf8Path.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "DemoColour.h"
#include "DemoMusic.h"

namespace qvtool {

using demo::Hash;
using demo::Mix;
using demo::Pack;
using demo::Rgb;

namespace {

void Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(qv::PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw qv::EQVError("cannot write " + path);
}

// The lake's shape, in pixels of a w x h picture.
struct Lake {
  int w, h;
  int top() const { return static_cast<int>(h * 0.52); }  // the far shore: a straight line
  double bank(int x) const {  // where the near bank begins
    const double u = static_cast<double>(x) / w;
    return h * (0.80 + 0.018 * std::sin(u * 9.0 + 0.4) + 0.008 * std::sin(u * 31.0));
  }
  // A jetty seen from the side, from the left bank into the water: its deck
  // and the posts under it.
  bool pier(int x, int y) const {
    const double deck = h * 0.685, thick = h * 0.016, end = w * 0.24;
    if (x >= end || y < deck) return false;
    if (y < deck + thick) return true;
    const double post = w * 0.03;
    return y < h * 0.74 && std::fmod(x + post * 0.5, post * 2.2) < post * 0.22;
  }
  bool water(int x, int y) const { return y >= top() && y < bank(x) && !pier(x, y); }
  bool brook(int x, int y) const {  // open water in the snow, bottom right
    const double dx = (x - w * 0.74) / (w * 0.17), dy = (y - h * 0.915) / (h * 0.045);
    return dx * dx + dy * dy < 1.0;
  }
};

qv::TBitmap32 DrawLake(const Lake& lake) {
  const int w = lake.w, h = lake.h, top = lake.top();
  qv::TBitmap32 bmp(w, h);
  const double moonX = w * 0.74, moonY = h * 0.15, moonR = h * 0.032;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = bmp.Row(y);
    for (int x = 0; x < w; ++x) {
      const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
      // A dusk sky: deep blue above, rose and amber over the hills.
      Rgb c = v < 0.22 ? Mix(Rgb{18, 24, 64}, Rgb{92, 78, 132}, v / 0.22) : Mix(Rgb{92, 78, 132}, Rgb{246, 168, 128}, (v - 0.22) / 0.28);
      if (v < 0.3 && Hash(x, y) > 0.9992) c = Mix(c, Rgb{255, 250, 235}, 1.0 - v * 2.5);
      const double d = std::hypot(x - moonX, y - moonY);
      c = d < moonR ? Rgb{250, 246, 228} : Mix(c, Rgb{255, 240, 210}, 0.45 * std::exp(-(d - moonR) / (h * 0.05)));
      // Hills with snow on their crests.
      const double ridge = h * (0.27 + 0.055 * std::sin(u * 5.1 + 0.7) + 0.03 * std::sin(u * 13.7 + 2.1) +
                                0.012 * std::sin(u * 31.0 + 1.0));
      if (y >= ridge && y < top) {
        const double snowline = ridge + h * (0.025 + 0.02 * std::sin(u * 47.0) * std::sin(u * 11.0 + 1.0));
        const double depth = (y - ridge) / (h * 0.25);
        const double light = 0.5 + 0.5 * std::sin(u * 60.0 + std::sin(u * 17.0) * 3.0);
        c = y < snowline ? Mix(Rgb{238, 236, 248}, Rgb{170, 172, 205}, light * 0.7)
                         : Mix(Mix(Rgb{84, 88, 128}, Rgb{58, 62, 100}, light), Rgb{36, 42, 74}, depth);
      }
      // Pines along the far shore.
      const int tree = x / 18;
      const double cx = tree * 18 + 9 + (Hash(tree, 7) - 0.5) * 8, tall = h * (0.035 + 0.05 * Hash(tree, 11));
      const double crown = top - tall;
      if (y >= crown && y < top && std::abs(x - cx) < (y - crown) / tall * 9.0 + 0.5)
        c = Mix(Rgb{22, 46, 44}, Rgb{10, 22, 26}, Hash(x / 3, y / 3) * 0.6 + (y - crown) / tall * 0.4);
      if (y >= top) {
        // Under the water the engine shows the mirrored shore; what is drawn
        // here shows only where the ripples leave a pixel untouched.
        c = Mix(Rgb{70, 70, 120}, Rgb{18, 30, 58}, (v - 0.52) / 0.3);
        if (y >= lake.bank(x)) {
          // The near bank: snow with blue shadows and a few dark stones.
          const double drift = 0.5 + 0.5 * std::sin(u * 23.0 + v * 60.0) * std::sin(u * 7.0);
          c = Mix(Rgb{206, 216, 238}, Rgb{248, 250, 255}, drift * (v - 0.78) * 6.0);
        }
        if (lake.pier(x, y)) {
          const bool deck = y < h * 0.701;
          c = deck ? Mix(Rgb{232, 234, 242}, Rgb{120, 86, 58}, (y - h * 0.685) / (h * 0.016) * 1.4)
                   : Mix(Rgb{66, 48, 34}, Rgb{30, 24, 20}, (y - h * 0.70) / (h * 0.04));
        }
        if (lake.brook(x, y)) {
          const double streak = 0.5 + 0.5 * std::sin(x * 0.09 + std::sin(y * 0.3) * 2.0);
          c = Mix(Rgb{24, 52, 84}, Rgb{120, 160, 200}, streak * streak * 0.5);
        }
      }
      row[x] = Pack(c);
    }
  }
  return bmp;
}

qv::TBitmap32 DrawMask(const Lake& lake) {
  qv::TBitmap32 mask(lake.w, lake.h);
  for (int y = 0; y < lake.h; ++y)
    for (int x = 0; x < lake.w; ++x) {
      if (lake.brook(x, y)) mask.SetPixel(x, y, qv::kAreaColors[1]);
      else if (lake.water(x, y)) mask.SetPixel(x, y, qv::kAreaColors[0]);
    }
  return mask;
}

// Distance from (px, py) to the segment (ax, ay)-(bx, by), and where along it.
double Segment(double px, double py, double ax, double ay, double bx, double by, double& along) {
  const double dx = bx - ax, dy = by - ay;
  along = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + along * dx), py - (ay + along * dy));
}

// A gull facing right, its wings at `lift` pixels above (negative) or below
// the shoulders; transparent around it.
qv::TBitmap32 DrawGull(double lift) {
  constexpr double kScale = 1.6;
  const int w = static_cast<int>(56 * kScale), h = static_cast<int>(32 * kScale);
  qv::TBitmap32 bmp(w, h);
  for (int py = 0; py < h; ++py)
    for (int px0 = 0; px0 < w; ++px0) {
      const double x = px0 / kScale, y = py / kScale;
      uint32_t px = 0;
      for (auto [sx, tx] : {std::pair{24.0, 5.0}, {31.0, 50.0}}) {
        // Each wing bends at its middle.
        const double mx = (sx + tx) / 2, my = 16 + lift * 0.45;
        double a1 = 0, a2 = 0;
        const double d1 = Segment(x, y, sx, 16, mx, my, a1), d2 = Segment(x, y, mx, my, tx, 16 + lift, a2);
        const double d = std::min(d1, d2), outer = d2 < d1 ? 0.5 + a2 * 0.5 : a1 * 0.5;
        if (d < 2.6 - outer * 1.2) px = Pack(outer > 0.78 ? Rgb{58, 58, 68} : Rgb{206, 210, 222});
      }
      const double body = std::pow((x - 28) / 10.0, 2) + std::pow((y - 17) / 4.2, 2);
      if (body < 1.0) px = Pack(Mix(Rgb{244, 244, 248}, Rgb{190, 196, 210}, (17 - y) / 4.0));
      if (std::hypot(x - 38.5, y - 15) < 3.4) px = Pack(Rgb{246, 246, 250});
      if (x >= 41 && x <= 44 && y >= 15 && y <= 16) px = Pack(Rgb{240, 170, 40});
      if (std::hypot(x - 39.5, y - 14) < 0.8) px = Pack(Rgb{20, 20, 24});
      bmp.SetPixel(px0, py, px);
    }
  return bmp;
}

// Four seconds of water lapping at the shore: filtered noise swelling with
// four slow waves, its end faded into its start so it loops without a seam.
std::vector<uint8_t> LappingWave() {
  constexpr int kRate = 22050;
  constexpr size_t kLength = 4 * kRate, kFade = kRate / 4;
  std::vector<double> s(kLength + kFade);
  uint32_t seed = 20240611u;
  double low = 0, lower = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double white = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
    low += (white - low) * 0.08;
    lower += (low - lower) * 0.12;
    const double t = static_cast<double>(i % kLength) / kLength;
    const double swell = 0.25 + 0.75 * std::pow(std::sin(t * 4.0 * std::numbers::pi + 0.3), 2);
    s[i] = lower * swell;
  }
  std::vector<double> loop(s.begin(), s.begin() + kLength);
  for (size_t i = 0; i < kFade; ++i) {
    const double k = static_cast<double>(i) / kFade;
    loop[i] = loop[i] * k + s[kLength + i] * (1.0 - k);
  }
  return DemoWave(loop, kRate, -7.4);
}

}  // namespace

DemoLivingFiles WriteDemoLiving(const std::string& folder, int width, int height) {
  const Lake lake{width, height};
  DemoLivingFiles files;
  files.picture = folder + "/winter-lake.qvp";
  files.extras = {folder + "/gull.gif", folder + "/lapping.wav"};

  const std::vector<qv::TBitmap32> wings = {DrawGull(-11), DrawGull(-3), DrawGull(6), DrawGull(-3)};
  Save(files.extras[0], qv::EncodeGIF(wings, 110));
  Save(files.extras[1], LappingWave());

  qv::TProjectFileParts parts;
  parts.title = "Winter lake";
  parts.comment = "drawn by qvtool demo";
  const qv::TBitmap32 picture = DrawLake(lake);
  parts.picture = qv::EncodeJPEG(picture, 90);
  qv::TBitmap32 preview(160, 90);
  picture.ResampleTo(preview);
  parts.preview = qv::EncodeJPEG(preview, 85);
  parts.mask = qv::EncodeMask(DrawMask(lake));
  // The lake mirrors the shore and ripples more and slower towards the near
  // bank; the brook runs quick and uneven.
  parts.areas[0] = {7, 24, 6, 1, true, true, true, 360, 0, true};
  parts.areas[1] = {2, 30, 18, 0, true, true, false, 360, 2, false};
  parts.weather = {1, 420, 4, 0, 0, 0};
  // Names as the authoring tool stores them; the saver finds the files
  // where the project was extracted.
  parts.sounds[0] = {"C:\\Demo\\lapping.wav", 0, 0, 0};
  const int skyTop = height / 10, skyBottom = height * 3 / 10;
  parts.objects = "[Obj0]\r\nObjType=GIF\r\nFilename=C:\\Demo\\gull.gif\r\nAnimSpeed=10\r\nMotion=5\r\nMotionSpeed=9\r\n"
                  "MotionAreaType=1\r\nMoveAreaRectleft=0\r\nMoveAreaRecttop=" + std::to_string(skyTop) +
                  "\r\nMoveAreaRectright=" + std::to_string(width) + "\r\nMoveAreaRectbottom=" + std::to_string(skyBottom) +
                  "\r\nPosLeftType=4\r\nPosTopType=4\r\nInitialDir=2\r\nDirFlip=1\r\nObjFacing=1\r\n"
                  "[Obj1]\r\nObjType=GIF\r\nFilename=C:\\Demo\\gull.gif\r\nAnimSpeed=8\r\nMotion=1\r\nMotionSpeed=5\r\n"
                  "WidthSize=70\r\nHeightSize=70\r\nMotionAreaType=1\r\nMoveAreaRectleft=" + std::to_string(width / 8) +
                  "\r\nMoveAreaRecttop=" + std::to_string(skyTop / 2) + "\r\nMoveAreaRectright=" + std::to_string(width * 7 / 8) +
                  "\r\nMoveAreaRectbottom=" + std::to_string(skyBottom) +
                  "\r\nPosLeftType=3\r\nPosTopType=3\r\nDirFlip=1\r\nObjFacing=1\r\nOpacity=9\r\n";
  Save(files.picture, qv::EncodeProjectFile(parts));
  return files;
}

}  // namespace qvtool
