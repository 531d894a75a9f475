// Pan and zoom in qvtool render: a still picture that drifts and zooms moves
// evenly from frame to frame, as a phase correlation of neighbouring frames
// measures it.
#include <fftw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "support/Pictures.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;
namespace fs = std::filesystem;

namespace {

constexpr int kWindow = 128;  // the square of each frame's middle that is compared

// A landscape of soft hills and speckles: detail at every scale, so the
// correlation peak is sharp.
qv::TBitmap32 Landscape(int w, int h) {
  qv::TBitmap32 b(w, h);
  uint32_t v = 99;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      v = v * 1664525u + 1013904223u;
      const double s = 90 + 50 * std::sin(x * 0.031 + y * 0.017) + 40 * std::cos(x * 0.011 - y * 0.043) +
                       20 * std::sin(x * 0.13) * std::cos(y * 0.09) + static_cast<double>(v >> 28);
      const uint32_t g = static_cast<uint32_t>(std::clamp(s, 0.0, 255.0));
      b.SetPixel(x, y, 0xFF000000u | g << 16 | (255 - g) << 8 | ((g * 7) & 0xFF));
    }
  return b;
}

std::vector<double> Grey(const qv::TBitmap32& frame) {
  std::vector<double> out(kWindow * kWindow);
  const int x0 = (frame.Width() - kWindow) / 2, y0 = (frame.Height() - kWindow) / 2;
  double mean = 0;
  for (int y = 0; y < kWindow; ++y)
    for (int x = 0; x < kWindow; ++x) {
      const uint32_t p = frame.Pixel(x0 + x, y0 + y);
      mean += out[static_cast<size_t>(y * kWindow + x)] =
          ((p >> 16) & 0xFF) * 0.3 + ((p >> 8) & 0xFF) * 0.59 + (p & 0xFF) * 0.11;
    }
  mean /= kWindow * kWindow;
  // Without its mean, and faded out towards the edges (a Hann window), the
  // square's own borders do not dominate the spectrum.
  for (int y = 0; y < kWindow; ++y)
    for (int x = 0; x < kWindow; ++x) {
      const double hann = (0.5 - 0.5 * std::cos(2 * M_PI * x / kWindow)) * (0.5 - 0.5 * std::cos(2 * M_PI * y / kWindow));
      double& v = out[static_cast<size_t>(y * kWindow + x)];
      v = hann * (v - mean);
    }
  return out;
}

// The shift that takes frame a to frame b, in pixels, by phase correlation:
// the phase of the normalised cross-power spectrum falls in a plane whose
// slopes are the shift, fitted by least squares over the low frequencies
// (weighted by their strength), which measures fractions of a pixel evenly.
std::pair<double, double> Shift(const std::vector<double>& a, const std::vector<double>& b) {
  const int n = kWindow, half = n / 2 + 1;
  std::vector<double> in(a.size());
  fftw_complex* fa = fftw_alloc_complex(static_cast<size_t>(n * half));
  fftw_complex* fb = fftw_alloc_complex(static_cast<size_t>(n * half));
  fftw_plan plan = fftw_plan_dft_r2c_2d(n, n, in.data(), fa, FFTW_ESTIMATE);
  in = a;
  fftw_execute_dft_r2c(plan, in.data(), fa);
  in = b;
  fftw_execute_dft_r2c(plan, in.data(), fb);
  fftw_destroy_plan(plan);
  // Phase of B / A at frequency (u, v) is -2 pi (u dx + v dy) / n.
  double suu = 0, suv = 0, svv = 0, su = 0, sv = 0;
  // Frequencies from the second to the tenth: above the window's own, low
  // enough that a shift of a few pixels does not wrap the phase.
  constexpr int kLow = 2, kHigh = 10;
  for (int row = 0; row < n; ++row) {
    const int v = row <= n / 2 ? row : row - n;
    if (std::abs(v) > kHigh) continue;
    for (int u = 0; u <= kHigh; ++u) {
      if (std::max(u, std::abs(v)) < kLow || (u == 0 && v <= 0)) continue;
      const fftw_complex& A = fa[row * half + u];
      const fftw_complex& B = fb[row * half + u];
      const double re = B[0] * A[0] + B[1] * A[1], im = B[1] * A[0] - B[0] * A[1];
      const double w = std::hypot(re, im);
      const double phase = std::atan2(im, re) * n / (-2 * M_PI);  // = u dx + v dy
      suu += w * u * u;
      suv += w * u * v;
      svv += w * v * v;
      su += w * u * phase;
      sv += w * v * phase;
    }
  }
  fftw_free(fa);
  fftw_free(fb);
  const double det = suu * svv - suv * suv;
  return {(su * svv - sv * suv) / det, (sv * suu - su * suv) / det};
}

// A panorama twice as wide as the screen's shape: filling the screen would
// hide more than a quarter of it, so it is letterboxed and drifts along
// without zooming, which makes any unevenness of its motion plain.
TEST(RenderPanZoom, AStillPictureDriftsEvenlyFromFrameToFrame) {
  qvtest::TempDir dir;
  qv::SaveBMP32(Landscape(3200, 900), dir.file("hills.bmp"));
  qvtest::WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=8\r\nPanZoom=1\r\nPanZoomPercent=75\r\n");
  auto packed = RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                               Quote(dir.file("p.scr")) + " --settings " + Quote(dir.file("s.ini")) + " " +
                               Quote(dir.file("hills.bmp")),
                           dir);
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  auto render = [&](const std::string& out) {
    return RunCommand(std::string(QV_QVTOOL) + " render " + Quote(dir.file("p.scr")) +
                          " --size 640x360 --seconds 6 --seed 4 --out " + Quote(dir.file(out)),
                      dir);
  };
  auto run = render("f");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // Every pass presents a frame: the picture moves all the time.
  EXPECT_NE(run.out.find("\"frames\":182,"), std::string::npos) << run.out;
  std::vector<std::vector<double>> frames;
  for (int i = 1; i < 182; ++i) {  // frame 0 is the black the window opens with
    char name[32];
    std::snprintf(name, sizeof name, "f/frame-%05d.bmp", i);
    frames.push_back(Grey(qvtest::ReadPicture(dir.file(name)).bitmap));
  }
  // The measure itself: a frame moved by whole pixels is found moved by
  // about them (the window that fades the square's edges holds it back a little).
  const qv::TBitmap32 one = qvtest::ReadPicture(dir.file("f/frame-00090.bmp")).bitmap;
  qv::TBitmap32 moved(one.Width(), one.Height());
  one.DrawTo(moved, 3, -2);
  const auto [mx, my] = Shift(Grey(one), Grey(moved));
  EXPECT_NEAR(mx, 3.0, 0.4);
  EXPECT_NEAR(my, -2.0, 0.3);

  std::vector<std::pair<double, double>> shifts;
  for (size_t i = 1; i < frames.size(); ++i) shifts.push_back(Shift(frames[i - 1], frames[i]));
  double travelled = 0;
  for (size_t i = 1; i < shifts.size(); ++i) {
    travelled += std::hypot(shifts[i].first, shifts[i].second);
    EXPECT_LT(std::abs(shifts[i].first - shifts[i - 1].first), 0.1) << "frame " << i;
    EXPECT_LT(std::abs(shifts[i].second - shifts[i - 1].second), 0.1) << "frame " << i;
  }
  EXPECT_GT(travelled, 10.0) << "the picture drifts";
  // The same seed gives the same frames.
  auto again = render("g");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(qvtest::ReadFile(dir.file("f/frame-00060.bmp")), qvtest::ReadFile(dir.file("g/frame-00060.bmp")));
}

}  // namespace
