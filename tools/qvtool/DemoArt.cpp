#include "DemoArt.h"

#include <algorithm>
#include <cmath>

#include "DemoColour.h"

namespace qvtool {

using demo::Cover;
using demo::Hash;
using demo::Mix;
using demo::Pack;
using demo::Rgb;
using demo::Smooth;

qv::TBitmap32 DrawSeaHorizon(int width, int height) {
  qv::TBitmap32 bmp(width, height);
  const double horizon = height * 0.55;
  const double sunX = width * 0.62, sunY = horizon - height * 0.12, sunR = height * 0.07;
  const Rgb zenith{40, 70, 140}, glow{250, 170, 90}, deep{10, 40, 70}, shallow{40, 110, 140};
  for (int y = 0; y < height; ++y) {
    uint32_t* row = bmp.Row(y);
    for (int x = 0; x < width; ++x) {
      Rgb c;
      if (y < horizon) {
        double t = y / horizon;
        c = Mix(zenith, glow, t * t);
        double d = std::hypot(x - sunX, y - sunY);
        c = Mix(c, Rgb{255, 210, 140}, 0.6 * std::exp(-std::max(0.0, d - sunR) / (height * 0.08)));
        c = Mix(c, Rgb{255, 240, 200}, Cover(d - sunR));
      } else {
        double t = (y - horizon) / (height - horizon);
        c = Mix(shallow, deep, std::sqrt(t));
        // Waves: bands that narrow toward the horizon, and the sun's path.
        double wave = std::sin(x * 0.02 / (0.2 + t) + std::sin(x * 0.005) * 3 + t * 90.0);
        c = Mix(c, Rgb{120, 170, 200}, 0.12 * (wave + 1) * (0.3 + t));
        double path = std::exp(-std::pow((x - sunX) / (width * (0.03 + 0.12 * t)), 2));
        c = Mix(c, Rgb{255, 220, 160}, Smooth(0.1, 0.3, wave) * path * 0.8 * (1 - t * 0.5));
      }
      row[x] = Pack(c);
    }
  }
  return bmp;
}

qv::TBitmap32 DrawAurora(int width, int height) {
  qv::TBitmap32 bmp(width, height);
  for (int y = 0; y < height; ++y) {
    uint32_t* row = bmp.Row(y);
    const double v = static_cast<double>(y) / height;
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      Rgb c = Mix(Rgb{5, 8, 30}, Rgb{20, 30, 70}, v);
      if (Hash(x, y) > 0.9985) c = Rgb{230, 230, 255};
      // Two curtains of light, green and violet, swaying across the sky.
      double band1 = std::exp(-std::pow((v - 0.30 - 0.08 * std::sin(u * 9.0)) / 0.06, 2));
      double band2 = std::exp(-std::pow((v - 0.45 - 0.06 * std::sin(u * 6.0 + 1.3)) / 0.05, 2));
      double shimmer = 0.6 + 0.4 * std::sin(u * 140.0 + std::sin(u * 13.0) * 4);
      c = Mix(c, Rgb{80, 255, 160}, band1 * shimmer);
      c = Mix(c, Rgb{190, 90, 230}, band2 * shimmer * 0.8);
      // Dark hills in front.
      double hill = 0.78 + 0.06 * std::sin(u * 7.0) + 0.03 * std::sin(u * 23.0 + 2);
      c = Mix(c, Mix(Rgb{8, 12, 18}, Rgb{2, 4, 8}, (v - hill) * 4), Cover((hill - v) * height));
      row[x] = Pack(c);
    }
  }
  return bmp;
}

std::vector<qv::TBitmap32> DrawCircleGarden(int width, int height, int frames) {
  std::vector<qv::TBitmap32> out;
  const Rgb palette[] = {{240, 120, 110}, {250, 200, 90}, {120, 200, 150}, {110, 160, 240}, {200, 130, 220}};
  for (int f = 0; f < frames; ++f) {
    qv::TBitmap32 bmp(width, height);
    const double turn = f * 0.4;
    for (int y = 0; y < height; ++y) {
      uint32_t* row = bmp.Row(y);
      for (int x = 0; x < width; ++x) {
        double dx = x - width / 2.0, dy = y - height / 2.0;
        double r = std::hypot(dx, dy) / (std::min(width, height) / 2.0);
        double a = std::atan2(dy, dx) + turn;
        Rgb c = Mix(Rgb{250, 245, 230}, Rgb{235, 225, 205}, r);
        int ring = static_cast<int>(r * 6);
        double petal = std::cos(a * (5 + ring));
        if (r < 1.0 && petal > 0.3 + 0.1 * ring) c = Mix(c, palette[ring % 5], 0.85);
        if (r < 0.12) c = palette[(f + 1) % 5];
        row[x] = Pack(c);
      }
    }
    out.push_back(std::move(bmp));
  }
  return out;
}

}  // namespace qvtool
