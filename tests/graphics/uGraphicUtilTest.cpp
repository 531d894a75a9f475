#include "graphics/uGraphicUtil.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/Resampler.h"

namespace qv {
namespace {

constexpr TColor kWhite = 0xFFFFFF, kBlack = 0x000000;

TEST(MixColors, WhiteAsTheFirstColourLeavesTheSecondUnchanged) {
  for (TColor c : {0x000000u, 0x123456u, 0xFFFFFFu, 0x00FF80u})
    for (int p : {0, 1, 50, 99, 100}) EXPECT_EQ(MixColors(kWhite, c, p), c) << c << " " << p;
}

TEST(MixColors, BlackAtFiftyPercentHalvesWhiteTo128) {
  EXPECT_EQ(MixColors(kBlack, kWhite, 50), 0x808080u);
  EXPECT_EQ(MixColors(kBlack, 0x3080FFu, 100), kBlack);
  EXPECT_EQ(MixColors(kBlack, 0x3080FFu, 0), 0x3080FFu);
}

TEST(MixColors, DivisionTruncatesTowardZero) {
  // c1 = 0, c2 = 1, p = 1: 255 - (255 - 100 + 25500) / 100 = 255 - 256 -> clamped to 0;
  // c1 = 200, c2 = 255, p = 99: 255 - (5445 - 25500 + 25500) / 100 = 255 - 54 = 201.
  EXPECT_EQ(MixColors(0x0000C8, 0x0000FF, 99), 0x0000C9u);
  EXPECT_EQ(MixColors(0x000000, 0x000001, 1), 0u);
}

TEST(MixColors, SystemColoursAreResolvedToTheThemeFirst) {
  EXPECT_EQ(ColorToRGB(clHighlight), 0xD77800u);
  EXPECT_EQ(MixColors(clHighlight, clWhite, 100), 0xD77800u);
  EXPECT_EQ(MixColors(clBlack, clWindow, 20), 0xCCCCCCu);
  EXPECT_EQ(MixColors(clBlack, clBtnFace, 0), 0xF0F0F0u);
}

TEST(Colors, PlainColoursBecomePixelsWithTheirChannelsSwapped) {
  EXPECT_EQ(ColorToPixel(clRed), 0xFFFF0000u);
  EXPECT_EQ(ColorToPixel(0x00123456u), 0xFF563412u);
  EXPECT_EQ(ColorToPixel(clHighlightText), 0xFFFFFFFFu);
  EXPECT_EQ(ColorToRGB(kSystemColor | 200), clBlack) << "an index the theme lacks";
  EXPECT_EQ(ColorToRGB(0x1FFFFFFFu), 0xFFFFFFu);
}

TBitmap32 Filled(int w, int h, uint32_t c) {
  TBitmap32 b(w, h);
  b.Clear(c);
  return b;
}

TBitmap32 Checker(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
  return b;
}

TEST(ResampleLanczos, AConstantPictureStaysConstantAtAnySize) {
  const TBitmap32 src = Filled(37, 23, 0xFF4080C0u);
  for (auto [w, h] : {std::pair{37, 23}, {10, 7}, {100, 61}, {1, 1}, {3, 50}}) {
    TBitmap32 dst(w, h);
    ResampleLanczos(src, dst);
    EXPECT_EQ(dst, Filled(w, h, 0xFF4080C0u)) << w << "x" << h;
  }
}

TEST(ResampleLanczos, AOnePixelCheckerAtTheSameSizeIsUnchanged) {
  const TBitmap32 src = Checker(16, 9);
  TBitmap32 dst(16, 9);
  ResampleLanczos(src, dst);
  EXPECT_EQ(dst, src);
}

TEST(ResampleLanczos, HalvingAOnePixelCheckerGivesMiddleGrey) {
  const TBitmap32 src = Checker(64, 64);
  TBitmap32 dst(32, 32);
  ResampleLanczos(src, dst);
  for (int y = 4; y < 28; ++y)
    for (int x = 4; x < 28; ++x) {
      const int g = (dst.Pixel(x, y) >> 8) & 0xFF;
      EXPECT_NEAR(g, 128, 2) << x << "," << y;
    }
}

TEST(ResampleLanczos, ShrinkingWidensTheKernelSoFineDetailAverages) {
  // At a third of the size every destination pixel sits on one source pixel;
  // an unwidened kernel would pick it and keep the checker black and white.
  const TBitmap32 src = Checker(90, 90);
  TBitmap32 dst(30, 30);
  ResampleLanczos(src, dst);
  for (int y = 2; y < 28; ++y)
    for (int x = 2; x < 28; ++x) {
      const int g = (dst.Pixel(x, y) >> 8) & 0xFF;
      EXPECT_GT(g, 60);
      EXPECT_LT(g, 195);
    }
}

TEST(ResampleLanczos, EnlargingKeepsAnEdgeSharpAndInPlace) {
  TBitmap32 src(8, 1);
  for (int x = 0; x < 8; ++x) src.SetPixel(x, 0, x < 4 ? 0xFF000000u : 0xFFFFFFFFu);
  TBitmap32 dst(32, 1);
  ResampleLanczos(src, dst);
  EXPECT_EQ(dst.Pixel(0, 0) & 0xFF, 0u);
  EXPECT_EQ(dst.Pixel(31, 0) & 0xFF, 255u);
  EXPECT_LT(dst.Pixel(14, 0) & 0xFF, 60u);
  EXPECT_GT(dst.Pixel(17, 0) & 0xFF, 195u);
}

TEST(ResampleLanczos, TheVectorisedAndThePlainLoopsGiveTheSamePixels) {
  TBitmap32 src(53, 41);
  uint32_t state = 12345;
  for (int i = 0; i < 53 * 41; ++i) src.Bits()[i] = state = state * 134775813u + 1;
  for (auto [w, h] : {std::pair{20, 17}, {53, 41}, {111, 97}, {7, 60}, {1, 2}}) {
    TBitmap32 fast(w, h), plain(w, h);
    ResampleLanczos3(src, fast, true);
    ResampleLanczos3(src, plain, false);
    EXPECT_EQ(fast, plain) << w << "x" << h;
  }
}

TEST(ResizeBitmap, TheSameSizeCopiesAndOtherSizesBlend) {
  TBitmap32 src = Checker(4, 4);
  TBitmap32 dst(4, 4);
  ResizeBitmap(src, dst);
  EXPECT_EQ(dst, src);
  TBitmap32 small(2, 2);
  ResizeBitmap(src, small);
  EXPECT_EQ(small.Pixel(0, 0) >> 24, 0xFFu);
}

TEST(DesaturateBitmap, PureRedBecomesGrey85) {
  TBitmap32 b = Filled(3, 2, 0xFFFF0000u);
  DesaturateBitmap(b);
  EXPECT_EQ(b, Filled(3, 2, 0xFF555555u));
}

TEST(SetBitmapFormat, SizesTheBitmapWhateverTheDepth) {
  TBitmap32 b;
  SetBitmapFormat(b, 12, 7, 24);
  EXPECT_EQ(b.Width(), 12);
  EXPECT_EQ(b.Height(), 7);
}

TEST(SetWallpaper, WritesABitmapFileAndHandsItToThePlatform) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("qv_wallpaper_" + std::to_string(getpid()) + ".bmp"))
          .string();
  const TBitmap32 pic = Checker(5, 3);
  std::string handed;
  EXPECT_TRUE(SetWallpaper(pic, file, [&](const std::string& f) { handed = f; return true; }));
  EXPECT_EQ(handed, file);
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  in.close();  // Windows removes no open file
  EXPECT_EQ(DecodeBMP(bytes.data(), bytes.size()), pic);
  EXPECT_FALSE(SetWallpaper(pic, file));  // no platform service: the file is all
  std::filesystem::remove(file);
}

TEST(ScreenBitDepth, IsTheQueriedDepthOr16WhenTheQueryFails) {
  EXPECT_EQ(ScreenBitDepth([] { return 24; }), 24);
  EXPECT_EQ(ScreenBitDepth([]() -> int { throw std::runtime_error("no display"); }), 16);
  EXPECT_EQ(ScreenBitDepth(), 16);
}

}  // namespace
}  // namespace qv
