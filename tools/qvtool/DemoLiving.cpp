#include "DemoLiving.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "animation/uFileLoader.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "DemoColour.h"
#include "DemoMusic.h"
#include "ToolFiles.h"

namespace qvtool {

using demo::Cover;
using demo::Hash;
using demo::Mix;
using demo::Noise;
using demo::Pack;
using demo::Rgb;
using demo::Smooth;
using demo::Unpack;

namespace {

// How far inside its water (in pixels) a pixel lies before the mask gives it
// to a water area. The picture's edges are smoothed over a pixel, and a
// player that enlarges the picture blends neighbouring pixels and places the
// mask up to half a pixel off; the waves must move water only, never snow.
constexpr double kMaskMargin = 2.0;

// Signed distance from (x, y) to the box [x0, x1] x [y0, y1], negative inside.
double BoxDistance(double x, double y, double x0, double y0, double x1, double y1) {
  const double dx = std::max(x0 - x, x - x1), dy = std::max(y0 - y, y - y1);
  if (dx <= 0 || dy <= 0) return std::max(dx, dy);
  return std::hypot(dx, dy);
}

// A line across the picture, y = f(x), taken at every column's centre.
class TLine {
 public:
  template <class F>
  TLine(int width, F f) {
    for (int x = 0; x < width; ++x) {
      const double slope = f(x + 1.0) - f(x + 0.0);
      y_.push_back(f(x + 0.5));
      scale_.push_back(1 / std::sqrt(1 + slope * slope));
    }
  }
  double At(int x) const { return y_[static_cast<size_t>(x)]; }
  // The signed distance of (x's centre, y) from the line, positive below it.
  double Below(int x, double y) const { return (y - y_[static_cast<size_t>(x)]) * scale_[static_cast<size_t>(x)]; }

 private:
  std::vector<double> y_, scale_;
};

// Lines of the landscape, in parts of the height at the part u of the
// width: the crest of the hills, how far down it the snow reaches, and the
// near bank's edge.
double Crest(double u) {
  return 0.27 + 0.055 * std::sin(u * 5.1 + 0.7) + 0.03 * std::sin(u * 13.7 + 2.1) + 0.012 * std::sin(u * 31.0 + 1.0);
}
double SnowDepth(double u) { return 0.025 + 0.02 * std::sin(u * 47.0) * std::sin(u * 11.0 + 1.0); }
double NearBank(double u) { return 0.80 + 0.018 * std::sin(u * 9.0 + 0.4) + 0.008 * std::sin(u * 31.0); }

// The winter lake's shapes in pixels of a w x h picture. Distances are signed
// (negative inside the shape) and taken from a pixel's centre.
class Scene {
 public:
  Scene(int width, int height)
      : w(width),
        h(height),
        ridge(width, [=](double x) { return height * Crest(x / width); }),
        snowline(width, [=](double x) { return height * (Crest(x / width) + SnowDepth(x / width)); }),
        bank(width, [=](double x) { return height * NearBank(x / width); }) {
    TraceBrook();
  }

  const int w, h;
  const TLine ridge;     // the crest of the hills
  const TLine snowline;  // where the snow on the crest ends
  const TLine bank;      // where the near bank's snow begins

  // The far shore: a straight row. The water mirrors what lies above its top
  // row, so the shore is level and the trees meet their images there.
  int Top() const { return static_cast<int>(h * 0.52); }
  double MoonX() const { return w * 0.74; }

  // A jetty seen from the side, from the left edge into the water: its deck
  // and the posts under it.
  double DeckDistance(double x, double y) const {
    return BoxDistance(x, y, -w, h * 0.685, w * 0.24, h * 0.701);
  }
  double PostDistance(double x, double y) const {
    const double spacing = w * 0.066, width = w * 0.0066;
    const double left = std::round(x / spacing) * spacing - w * 0.015;
    if (left < w * 0.02 || left > w * 0.24) return std::numeric_limits<double>::max();
    return BoxDistance(x, y, left, h * 0.695, left + width, h * 0.74);
  }
  double PierDistance(double x, double y) const { return std::min(DeckDistance(x, y), PostDistance(x, y)); }

  // The brook: open water in the snow that leaves the lake under the near
  // bank and winds towards the viewer, wider as it comes nearer. For a pixel
  // near it: the distance to its water, how far along it (0 where it comes
  // out of the snow, 1 at the picture's bottom), how much the bank there
  // faces the viewer (the far bank's wall shows, the near one's does not)
  // and how high that wall shows, in pixels.
  struct BrookAt {
    double distance = std::numeric_limits<double>::max();
    double along = 0, facing = 0, wall = 0;
  };
  BrookAt Brook(int x, int y) const {
    if (y < brookTop_ || x < 0 || x >= w) return {};
    return brook_[Index(x, y)];
  }

 private:
  // The brook is laid out on the ground and seen in perspective, from one
  // unit above the snow with the horizon at half the picture's height: the
  // ground point X across, Z ahead, lies at column w/2 + h X / Z and row
  // h/2 + h / Z. Its bends are wider than it is, so its banks stay round.
  static constexpr double kSource = 2.98, kMouth = 2.0;  // Z where it starts, and at the bottom edge
  static double Along(double z) { return (kSource - z) / (kSource - kMouth); }
  static double Centre(double z) {
    return 0.85 + 0.39 * Along(z) + 0.1 * std::sin(2 * std::numbers::pi * (kSource - z) / 0.75 + std::numbers::pi / 2);
  }
  static double HalfWidth(double z) { return 0.03 + 0.085 * std::max(0.0, Along(z)); }
  // Across the brook, in ground units, negative in the water; its start is
  // rounded.
  static double Across(double X, double z) {
    const double slope = (Centre(z + 1e-4) - Centre(z - 1e-4)) / 2e-4, norm = std::sqrt(1 + slope * slope);
    const double at = std::min(z, kSource), u = X - Centre(at), v = z - at;
    const double side = (u - slope * v) / norm, ahead = (u * slope + v) / norm;
    // Each bank wanders a little on its own.
    const double bank = side > 0 ? 0.0 : 2.0;
    const double half = HalfWidth(at) * (1 + 0.10 * std::sin(at * 17.0 + bank) + 0.05 * std::sin(at * 41.0 + bank * 1.7));
    return (ahead > 0 ? std::hypot(side, ahead) : std::abs(side)) - half;
  }

  void TraceBrook() {
    brookTop_ = std::clamp(static_cast<int>(h * (0.5 + 1 / (kSource + 0.2))), 0, h);
    std::vector<double> across(static_cast<size_t>(h - brookTop_) * static_cast<size_t>(w));
    brook_.assign(across.size(), BrookAt{});
    for (int y = brookTop_; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double q = (y + 0.5 - h * 0.5) / h, z = 1 / q;
        across[Index(x, y)] = Across((x + 0.5 - w * 0.5) / h / q, z);
        brook_[Index(x, y)].along = std::clamp(Along(z), 0.0, 1.0);
        brook_[Index(x, y)].wall = 2.0 + 0.3 * HalfWidth(std::min(z, kSource)) * q * h;
      }
    // In pixels: the ground distance over how fast it changes from pixel to
    // pixel. Where it grows upwards the bank faces the viewer; between two
    // bends that falls to nothing midway, where the distance peaks.
    for (int y = brookTop_; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        auto at = [&](int cx, int cy) {
          return across[Index(std::clamp(cx, 0, w - 1), std::clamp(cy, brookTop_, h - 1))];
        };
        const double dx = (at(x + 1, y) - at(x - 1, y)) / 2, dy = (at(x, y + 1) - at(x, y - 1)) / 2;
        const double slope = std::hypot(dx, dy);
        BrookAt& b = brook_[Index(x, y)];
        b.distance = slope > 0 ? at(x, y) / slope : std::numeric_limits<double>::max();
        b.facing = slope > 0 ? std::clamp(-dy / slope, 0.0, 1.0) : 0.0;
      }
  }
  size_t Index(int x, int y) const { return static_cast<size_t>(y - brookTop_) * static_cast<size_t>(w) + static_cast<size_t>(x); }

  int brookTop_ = 0;
  std::vector<BrookAt> brook_;
};

// The brook's water at a pixel `inside` pixels from its edge: dark water that
// mirrors the dusk sky more where it lies farther away, with ripples drawn
// as seen along the ground (broad across, short in depth), quieter and
// darker along the banks, so where the mask ends nothing moves that differs.
Rgb BrookWater(const Scene& scene, double x, double y, double inside, double along) {
  const double w = scene.w, h = scene.h;
  const double depth = y - h * 0.5;  // rows below the horizon: nearer is lower
  const double gx = (x - w * 0.75) / depth, gz = h / depth;
  const double ripple = 0.65 * Noise(gx * 14.0, gz * 38.0) + 0.35 * Noise(gx * 33.0 + 17.0, gz * 95.0 + 5.0);
  const double calm = Smooth(1.0, 5.0 + 6.0 * along, inside);
  Rgb c = Mix(Rgb{14, 26, 46}, Rgb{74, 70, 118}, 0.75 - 0.55 * along);  // farther: more sky
  c = Mix(c, Rgb{8, 14, 28}, Smooth(0.42, 0.15, ripple) * 0.6 * calm);
  c = Mix(c, Rgb{178, 150, 188}, Smooth(0.58, 0.86, ripple) * 0.75 * calm);
  // The moon glitters in the ripples under it.
  const double glitter = std::exp(-std::pow((x - scene.MoonX()) / (w * 0.05), 2)) * Smooth(0.78, 0.95, ripple);
  c = Mix(c, Rgb{250, 244, 226}, glitter * 0.8 * calm);
  // In the shade of the banks, and where it comes out from under the snow.
  c = Mix(c, Rgb{10, 18, 34}, (1 - calm) * 0.5 + Smooth(0.12, 0.0, along) * 0.7);
  return c;
}

qv::TBitmap32 DrawLake(const Scene& scene) {
  const int w = scene.w, h = scene.h, top = scene.Top();
  qv::TBitmap32 bmp(w, h);
  const double moonX = scene.MoonX(), moonY = h * 0.15, moonR = h * 0.032;
  // As many stars as the picture has room for at any size.
  const double starless = 1.0 - 0.0008 * (1280.0 * 720.0) / (static_cast<double>(w) * h);
  const double treeCell = w / 71.0;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = bmp.Row(y);
    for (int x = 0; x < w; ++x) {
      const double px = x + 0.5, py = y + 0.5, u = px / w, v = py / h;
      if (y >= top) {
        // The water shows what lies above the shore, mirrored, as the waves
        // will; a shadow lines the near bank.
        Rgb c = Unpack(bmp.Pixel(x, std::max(0, 2 * top - y - 1)));
        const double bank = scene.bank.Below(x, py);
        c = Mix(c, Rgb{26, 32, 58}, 0.6 * Smooth(-5.0, 0.0, bank));
        // The near bank: snow with blue shadows.
        const double drift = 0.5 + 0.5 * std::sin(u * 23.0 + v * 60.0) * std::sin(u * 7.0);
        Rgb snow = Mix(Rgb{206, 216, 238}, Rgb{248, 250, 255}, drift * (v - 0.78) * 6.0);
        const Scene::BrookAt brook = scene.Brook(x, y);
        if (brook.distance < 0.5) {
          snow = Mix(snow, BrookWater(scene, px, py, -brook.distance, brook.along), Cover(brook.distance));
        } else if (brook.distance < 60) {
          // The far bank's wall, in the shade.
          snow = Mix(snow, Rgb{150, 158, 200}, brook.facing * Smooth(brook.wall, 0.0, brook.distance) * 0.7);
        }
        c = Mix(c, snow, Cover(-bank));
        // The jetty: posts, then the deck with snow on it.
        c = Mix(c, Mix(Rgb{66, 48, 34}, Rgb{30, 24, 20}, (py - h * 0.70) / (h * 0.04)), Cover(scene.PostDistance(px, py)));
        const Rgb deck = Mix(Rgb{232, 234, 242}, Rgb{120, 86, 58}, (py - h * 0.685) / (h * 0.016) * 1.4);
        c = Mix(c, deck, Cover(scene.DeckDistance(px, py)));
        row[x] = Pack(c);
        continue;
      }
      // A dusk sky: deep blue above, rose and amber over the hills.
      Rgb c = v < 0.22 ? Mix(Rgb{18, 24, 64}, Rgb{92, 78, 132}, v / 0.22) : Mix(Rgb{92, 78, 132}, Rgb{246, 168, 128}, (v - 0.22) / 0.28);
      if (v < 0.3 && Hash(x, y) > starless) c = Mix(c, Rgb{255, 250, 235}, 1.0 - v * 2.5);
      const double d = std::hypot(px - moonX, py - moonY);
      c = Mix(c, Rgb{255, 240, 210}, 0.45 * std::exp(-std::max(0.0, d - moonR) / (h * 0.05)));
      const Rgb moon = Mix(Rgb{250, 246, 228}, Rgb{222, 216, 200}, Smooth(0.5, 0.8, Noise(px / moonR * 2.5, py / moonR * 2.5)) * 0.6);
      c = Mix(c, moon, Cover(d - moonR));
      // Hills with snow on their crests.
      const double hill = scene.ridge.Below(x, py);
      if (hill > -1) {
        const double light = 0.5 + 0.5 * std::sin(u * 60.0 + std::sin(u * 17.0) * 3.0);
        const double depth = (py - scene.ridge.At(x)) / (h * 0.25);
        const Rgb rock = Mix(Mix(Rgb{84, 88, 128}, Rgb{58, 62, 100}, light), Rgb{36, 42, 74}, depth);
        const Rgb snow = Mix(Rgb{238, 236, 248}, Rgb{170, 172, 205}, light * 0.7);
        const double below = scene.snowline.Below(x, py);
        c = Mix(c, Mix(rock, snow, Cover(below)), Cover(-hill));
      }
      // Pines along the far shore, each three tiers of branches; a tree may
      // reach into its neighbours' cells.
      const int cell = static_cast<int>(px / treeCell);
      double tree = std::numeric_limits<double>::max(), shade = 0;
      for (int i = cell - 1; i <= cell + 1; ++i) {
        const double cx = (i + 0.5 + (Hash(i, 7) - 0.5) * 0.44) * treeCell, tall = h * (0.035 + 0.05 * Hash(i, 11));
        const double crown = top - tall, half = treeCell * 0.5;
        if (py < crown - 1) continue;
        static constexpr double kApex[] = {0.0, 0.28, 0.52}, kBase[] = {0.45, 0.75, 1.0}, kWidth[] = {0.55, 0.8, 1.0};
        for (int k = 0; k < 3; ++k) {
          const double apex = crown + tall * kApex[k], base = crown + tall * kBase[k], spread = half * kWidth[k] / (base - apex);
          const double side = (std::abs(px - cx) - spread * (py - apex)) / std::sqrt(1 + spread * spread);
          const double dist = std::max({side, apex - py, py - base});
          if (dist < tree) {
            tree = dist;
            shade = (py - crown) / tall;
          }
        }
      }
      if (tree < 0.5) c = Mix(c, Mix(Rgb{22, 46, 44}, Rgb{10, 22, 26}, Noise(px / 4, py / 4) * 0.6 + shade * 0.4), Cover(tree));
      row[x] = Pack(c);
    }
  }
  return bmp;
}

// Areas hold only whole pixels: the lake's and the brook's keep a margin
// from every edge, and what lies in it stays as the picture draws it.
qv::TBitmap32 DrawMask(const Scene& scene) {
  qv::TBitmap32 mask(scene.w, scene.h);
  for (int y = scene.Top(); y < scene.h; ++y)
    for (int x = 0; x < scene.w; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      if (scene.Brook(x, y).distance <= -kMaskMargin) mask.SetPixel(x, y, qv::kAreaColors[1]);
      else if (scene.bank.Below(x, py) <= -kMaskMargin && scene.PierDistance(px, py) >= kMaskMargin)
        mask.SetPixel(x, y, qv::kAreaColors[0]);
    }
  return mask;
}

// Distance from (px, py) to the segment (ax, ay)-(bx, by), and where along it.
double Segment(double px, double py, double ax, double ay, double bx, double by, double& along) {
  const double dx = bx - ax, dy = by - ay;
  along = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + along * dx), py - (ay + along * dy));
}

// A gull facing right, drawn `scale` picture pixels to a unit, its wings at
// `lift` units above (negative) or below the shoulders; transparent around it.
qv::TBitmap32 DrawGull(double scale, double lift) {
  const int w = static_cast<int>(56 * scale), h = static_cast<int>(32 * scale);
  qv::TBitmap32 bmp(w, h);
  for (int py = 0; py < h; ++py)
    for (int px0 = 0; px0 < w; ++px0) {
      const double x = px0 / scale, y = py / scale;
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
  const Scene scene(width, height);
  DemoLivingFiles files;
  files.picture = folder + "/winter-lake.qvp";
  files.extras = {folder + "/gull.gif", folder + "/lapping.wav"};

  // Sizes and speeds below are for a picture 1920 pixels wide. Objects move
  // and are drawn in the picture's pixels, so the gulls scale along with it.
  const double scale = width / 1920.0;
  auto scaled = [scale](double v) { return std::max<int32_t>(1, static_cast<int32_t>(std::lround(v * scale))); };
  const double gull = 2.4 * scale;
  const std::vector<qv::TBitmap32> wings = {DrawGull(gull, -11), DrawGull(gull, -3), DrawGull(gull, 6), DrawGull(gull, -3)};
  WriteOutputFile(files.extras[0], qv::EncodeGIF(wings, 110));
  WriteOutputFile(files.extras[1], LappingWave());

  qv::TProjectFileParts parts;
  parts.title = "Winter lake";
  parts.comment = "drawn by qvtool demo";
  const qv::TBitmap32 picture = DrawLake(scene);
  parts.picture = qv::EncodeJPEG(picture, 90);
  qv::TBitmap32 preview(160, 90);
  picture.ResampleTo(preview);
  parts.preview = qv::EncodeJPEG(preview, 85);
  parts.mask = qv::EncodeMask(DrawMask(scene));
  // The lake mirrors the shore and ripples more and slower towards the near
  // bank. Its waves stay gentle: where a row's wave height changes by a row
  // or more from one row to the next, the mirrored rows run backwards and
  // the reflection tears into bands (the steepest change here is about half
  // a row). The brook runs quick; no jitter, which would comb its ripples
  // into one-pixel columns.
  parts.areas[0] = {scaled(5), 20, 6, 1, true, true, true, 360, 0, true};
  parts.areas[1] = {scaled(3), 30, 18, 0, true, true, false, 360, 0, false};
  parts.weather = {1, 420, 4, 0, 0, 0};
  // Names as the authoring tool stores them; the saver finds the files
  // where the project was extracted.
  parts.sounds[0] = {"C:\\Demo\\lapping.wav", 0, 0, 0};
  const int skyTop = height / 10, skyBottom = height * 3 / 10;
  parts.objects = "[Obj0]\r\nObjType=GIF\r\nFilename=C:\\Demo\\gull.gif\r\nAnimSpeed=10\r\nMotion=5\r\nMotionSpeed=" +
                  std::to_string(scaled(13.5)) +
                  "\r\nMotionAreaType=1\r\nMoveAreaRectleft=0\r\nMoveAreaRecttop=" + std::to_string(skyTop) +
                  "\r\nMoveAreaRectright=" + std::to_string(width) + "\r\nMoveAreaRectbottom=" + std::to_string(skyBottom) +
                  "\r\nPosLeftType=4\r\nPosTopType=4\r\nInitialDir=2\r\nDirFlip=1\r\nObjFacing=1\r\n"
                  "[Obj1]\r\nObjType=GIF\r\nFilename=C:\\Demo\\gull.gif\r\nAnimSpeed=8\r\nMotion=1\r\nMotionSpeed=" +
                  std::to_string(scaled(7.5)) +
                  "\r\nWidthSize=70\r\nHeightSize=70\r\nMotionAreaType=1\r\nMoveAreaRectleft=" + std::to_string(width / 8) +
                  "\r\nMoveAreaRecttop=" + std::to_string(skyTop / 2) + "\r\nMoveAreaRectright=" + std::to_string(width * 7 / 8) +
                  "\r\nMoveAreaRectbottom=" + std::to_string(skyBottom) +
                  "\r\nPosLeftType=3\r\nPosTopType=3\r\nDirFlip=1\r\nObjFacing=1\r\nOpacity=9\r\n";
  WriteOutputFile(files.picture, qv::EncodeProjectFile(parts));
  return files;
}

}  // namespace qvtool
