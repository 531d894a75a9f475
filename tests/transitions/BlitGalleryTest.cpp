// qvtool gallery end to end: the sheets and the index it writes.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/Pictures.h"
#include "common/Random.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/TempDir.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

using qv::TBitmap32;
using qvtest::TempDir;

namespace {

const std::string kTool = QV_QVTOOL;
constexpr int kW = 48, kH = 32, kGap = 6;

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

int RunGallery(const std::string& args) {
  const int status = std::system((kTool + " gallery " + args + " >/dev/null 2>&1 </dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A contact sheet read back exactly (the sheets are PNG files).
TBitmap32 Load(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return TBitmap32();
  image.format = PNG_FORMAT_BGRA;
  TBitmap32 b(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!png_image_finish_read(&image, nullptr, b.Bits(), 0, nullptr)) return TBitmap32();
  return b;
}

std::string Sheet(const TempDir& dir, int n) {
  char name[32];
  std::snprintf(name, sizeof name, "out/effect-%03d.png", n);
  return dir.file(name);
}

// Frame k (0..4) of a contact sheet.
TBitmap32 FrameOf(const TBitmap32& sheet, int k) {
  TBitmap32 f(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) f.SetPixel(x, y, sheet.Pixel(k * (kW + kGap) + x, y));
  return f;
}

}  // namespace

TEST(QvtoolGallery, WritesASheetForEveryEffectAndAnIndexOfThem) {
  TempDir dir;
  ASSERT_EQ(RunGallery("--size 48x32 --out " + Quote(dir.file("out"))), 0);
  for (int n = 1; n <= qv::kEffectCount; ++n) ASSERT_TRUE(std::filesystem::exists(Sheet(dir, n))) << n;
  const std::string html = qvtest::ReadFile(dir.file("out/index.html"));
  size_t images = 0;
  for (size_t at = html.find("<img "); at != std::string::npos; at = html.find("<img ", at + 1)) ++images;
  EXPECT_EQ(images, 169u);
  EXPECT_NE(html.find("<h2>32 Slide in from top / bottom</h2>"), std::string::npos);
  EXPECT_NE(html.find("src=\"effect-169.png\""), std::string::npos);

  // The built-in pictures: Fade starts on one and ends on the other, and
  // every reveal starts on the same old picture.
  const TBitmap32 fade = Load(Sheet(dir, 1));
  ASSERT_EQ(fade.Width(), 5 * kW + 4 * kGap);
  ASSERT_EQ(fade.Height(), kH);
  EXPECT_NE(FrameOf(fade, 0), FrameOf(fade, 4));
  EXPECT_EQ(FrameOf(Load(Sheet(dir, 8)), 0), FrameOf(fade, 0));
  EXPECT_EQ(FrameOf(Load(Sheet(dir, 8)), 4), FrameOf(fade, 4));
}

TEST(QvtoolGallery, ShowsTheGivenPicturesFramedAsTheRunnerDrawsThem) {
  TempDir dir;
  const TBitmap32 old = qvtest::Opaque(qvtest::Pattern(kW, kH, 1));
  const TBitmap32 fresh = qvtest::Opaque(qvtest::Pattern(kW, kH, 2));
  qv::SaveBMP32(old, dir.file("old.bmp"));
  qv::SaveBMP32(fresh, dir.file("new.bmp"));
  ASSERT_EQ(RunGallery("--size 48x32 --out " + Quote(dir.file("out")) + " --old " + Quote(dir.file("old.bmp")) +
                " --new " + Quote(dir.file("new.bmp"))),
            0);
  for (int n : {5, 68, 132}) {
    const TBitmap32 sheet = Load(Sheet(dir, n));
    EXPECT_TRUE(qvtest::SamePicture(FrameOf(sheet, 0), old)) << n;
    for (int k = 1; k < 5; ++k) {
      TBitmap32 want;
      qv::RandSeed = 0;
      qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, want, 25 * k);
      EXPECT_TRUE(qvtest::SamePicture(FrameOf(sheet, k), want)) << n << " frame " << k;
    }
    EXPECT_EQ(sheet.Pixel(kW, 0), sheet.Pixel(kW + kGap - 1, kH - 1)) << "the gap is one colour";
  }
}

TEST(QvtoolGallery, RefusesBadSizesAndHalfGivenPictures) {
  TempDir dir;
  const std::string out = " --out " + Quote(dir.file("out"));
  EXPECT_EQ(RunGallery("--size 15x100" + out), 2);
  EXPECT_EQ(RunGallery("--size 100x2049" + out), 2);
  EXPECT_EQ(RunGallery("--size 100" + out), 2);
  EXPECT_EQ(RunGallery("--size 100x" + out), 2);
  EXPECT_EQ(RunGallery("--size 100x100"), 2);
  EXPECT_EQ(RunGallery("--size 100x100 --old " + Quote(dir.file("a.bmp")) + out), 2);
  EXPECT_EQ(RunGallery("--size 100x100 --old " + Quote(dir.file("a.bmp")) + " --new " + Quote(dir.file("b.bmp")) + out), 2);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out/index.html")));
}
