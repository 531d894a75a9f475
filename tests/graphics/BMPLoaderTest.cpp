#include "graphics/ImageFormats/BMPLoader.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPWriter.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct TBmpSpec {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bpp = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  std::vector<uint32_t> palette = {};  // 0x00RRGGBB
  std::vector<uint32_t> masks = {};    // inside a V4/V5 header, else after the header
  Bytes pixels = {};
};

Bytes MakeBMP(const TBmpSpec& s) {
  Bytes b;
  Bytes info;
  Put(info, s.headerSize, 4);
  if (s.headerSize == 12) {
    Put(info, s.width, 2);
    Put(info, s.height, 2);
    Put(info, 1, 2);
    Put(info, s.bpp, 2);
  } else {
    Put(info, s.width, 4);
    Put(info, static_cast<uint32_t>(s.height), 4);
    Put(info, 1, 2);
    Put(info, s.bpp, 2);
    Put(info, s.compression, 4);
    Put(info, static_cast<uint32_t>(s.pixels.size()), 4);
    Put(info, 0, 4);
    Put(info, 0, 4);
    Put(info, static_cast<uint32_t>(s.palette.size()), 4);
    Put(info, 0, 4);
    for (uint32_t m : s.masks) Put(info, m, 4);
    info.resize(std::max<size_t>(info.size(), s.headerSize), 0);
  }
  for (uint32_t c : s.palette) Put(info, c, s.headerSize == 12 ? 3 : 4);
  const uint32_t offBits = 14 + static_cast<uint32_t>(info.size());
  b.push_back('B');
  b.push_back('M');
  Put(b, offBits + static_cast<uint32_t>(s.pixels.size()), 4);
  Put(b, 0, 4);
  Put(b, offBits, 4);
  b.insert(b.end(), info.begin(), info.end());
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

TBitmap32 Decode(const Bytes& b) { return DecodeBMP(b.data(), b.size()); }

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu,
                   kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;

TEST(BMPRoundTrip, EncodeBMP32ThenDecodeGivesTheSamePixels) {
  TBitmap32 b(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) b.SetPixel(x, y, 0xFF000000u | (x * 30) << 16 | (y * 50) << 8 | (x ^ y));
  const Bytes bmp32 = EncodeBMP32(b), bmp24 = EncodeBMP24(b);
  EXPECT_TRUE(IsBMP(bmp32.data(), bmp32.size()));
  EXPECT_EQ(Decode(bmp32), b);
  EXPECT_EQ(Decode(bmp24), b);
}

TEST(BMPUncompressed, OneBitRowsAreBottomUpAndPadded) {
  TBmpSpec s{.width = 3, .height = 2, .bpp = 1, .palette = {0x000000, 0xFFFFFF}};
  s.pixels = {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0};  // bottom row first
  const TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 1), kWhite);
  EXPECT_EQ(b.Pixel(1, 1), kBlack);
  EXPECT_EQ(b.Pixel(2, 1), kWhite);
  EXPECT_EQ(b.Pixel(1, 0), kWhite);
  EXPECT_EQ(b.Pixel(0, 0), kBlack);
}

TEST(BMPUncompressed, FourAndEightBitPixelsIndexThePalette) {
  TBmpSpec s4{.width = 3, .height = 1, .bpp = 4, .palette = {0, 0xFF0000, 0x00FF00, 0x0000FF}};
  s4.pixels = {0x12, 0x30, 0, 0};
  const TBitmap32 b4 = Decode(MakeBMP(s4));
  EXPECT_EQ(b4.Pixel(0, 0), kRed);
  EXPECT_EQ(b4.Pixel(1, 0), kGreen);
  EXPECT_EQ(b4.Pixel(2, 0), kBlue);

  TBmpSpec s8{.width = 2, .height = 1, .bpp = 8, .palette = {0, 0xFF0000, 0x00FF00}};
  s8.pixels = {2, 1, 0, 0};
  const TBitmap32 b8 = Decode(MakeBMP(s8));
  EXPECT_EQ(b8.Pixel(0, 0), kGreen);
  EXPECT_EQ(b8.Pixel(1, 0), kRed);
}

TEST(BMPUncompressed, SixteenBitsAre555UnlessBitFieldsSay565) {
  TBmpSpec s{.width = 2, .height = 1, .bpp = 16};
  s.pixels = {0x00, 0x7C, 0x1F, 0x00};  // red, blue in 5-5-5
  TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 0), kRed);
  EXPECT_EQ(b.Pixel(1, 0), kBlue);

  s.compression = 3;
  s.masks = {0xF800, 0x07E0, 0x001F};
  s.pixels = {0xE0, 0x07, 0x00, 0xF8};  // green, red in 5-6-5
  b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 0), kGreen);
  EXPECT_EQ(b.Pixel(1, 0), kRed);
}

TEST(BMPUncompressed, TopDownPicturesHaveANegativeHeight) {
  TBmpSpec s{.width = 1, .height = -2, .bpp = 24};
  s.pixels = {0, 0, 255, 0, 0, 255, 0, 0};  // red first, then green
  TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 0), kRed);
  EXPECT_EQ(b.Pixel(0, 1), kGreen);
  s.height = 2;
  b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 0), kGreen);
  EXPECT_EQ(b.Pixel(0, 1), kRed);
}

TEST(BMPUncompressed, AlphaIsKeptOnlyWhenAV5HeaderHasAnAlphaMask) {
  TBmpSpec s{.width = 1, .height = 1, .bpp = 32, .compression = 3, .headerSize = 124};
  s.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  s.pixels = {0x30, 0x20, 0x10, 0x80};
  EXPECT_EQ(Decode(MakeBMP(s)).Pixel(0, 0), 0x80102030u);
  TBmpSpec plain{.width = 1, .height = 1, .bpp = 32};
  plain.pixels = {0x30, 0x20, 0x10, 0x80};
  EXPECT_EQ(Decode(MakeBMP(plain)).Pixel(0, 0), 0xFF102030u);
}

TEST(BMPUncompressed, OS2CoreHeadersHaveThreeBytePaletteEntries) {
  TBmpSpec s{.width = 2, .height = 1, .bpp = 8, .headerSize = 12, .palette = {0xFF0000, 0x0000FF}};
  s.pixels = {1, 0, 0, 0};
  const TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 0), kBlue);
  EXPECT_EQ(b.Pixel(1, 0), kRed);
}

TEST(BMPRunLength, RLE8RunsAbsoluteStretchesDeltasAndEndCodes) {
  TBmpSpec s{.width = 4, .height = 3, .bpp = 8, .compression = 1,
             .palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}};
  s.pixels = {2, 1, 0, 3, 2, 3, 1,  0,  // bottom row: red red, absolute green blue red (+pad)
              0, 0,                    // end of line
              0, 2, 1, 1,              // delta: right 1, up 1 (to the top row, x 1)
              2, 3, 0, 1};             // blue blue, end of bitmap
  const TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 2), kRed);
  EXPECT_EQ(b.Pixel(1, 2), kRed);
  EXPECT_EQ(b.Pixel(2, 2), kGreen);
  EXPECT_EQ(b.Pixel(3, 2), kBlue);  // the fifth pixel of the stretch is dropped
  EXPECT_EQ(b.Pixel(0, 1), kBlack);  // the middle row is skipped
  EXPECT_EQ(b.Pixel(0, 0), kBlack);
  EXPECT_EQ(b.Pixel(1, 0), kBlue);
  EXPECT_EQ(b.Pixel(2, 0), kBlue);
  EXPECT_EQ(b.Pixel(3, 0), kBlack);
}

TEST(BMPRunLength, RunsThatOverrunTheRowAreClampedNotWrapped) {
  TBmpSpec s{.width = 2, .height = 2, .bpp = 8, .compression = 1, .palette = {0, 0xFF0000}};
  s.palette.push_back(0x00FF00);
  s.pixels = {3, 1, 1, 2, 0, 0, 1, 2, 0, 1};  // three red, one green; a green one on the next row
  const TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 1), kRed);
  EXPECT_EQ(b.Pixel(1, 1), kRed);
  EXPECT_EQ(b.Pixel(0, 0), kGreen);
  EXPECT_EQ(b.Pixel(1, 0), kBlack);
}

TEST(BMPRunLength, RLE4AlternatesTheTwoNibbles) {
  TBmpSpec s{.width = 5, .height = 1, .bpp = 4, .compression = 2,
             .palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}};
  s.pixels = {3, 0x12, 0, 3, 0x31, 0x20, 0, 1};  // red green red, absolute blue red green
  const TBitmap32 b = Decode(MakeBMP(s));
  EXPECT_EQ(b.Pixel(0, 0), kRed);
  EXPECT_EQ(b.Pixel(1, 0), kGreen);
  EXPECT_EQ(b.Pixel(2, 0), kRed);
  EXPECT_EQ(b.Pixel(3, 0), kBlue);
  EXPECT_EQ(b.Pixel(4, 0), kRed);
}

TEST(BMPBadInput, TruncatedFilesFail) {
  TBmpSpec s{.width = 4, .height = 4, .bpp = 24};
  s.pixels.assign(48, 0x55);
  Bytes b = MakeBMP(s);
  EXPECT_NO_THROW(Decode(b));
  for (size_t cut : {size_t{2}, size_t{14}, size_t{30}, b.size() - 13}) {
    const Bytes part(b.begin(), b.begin() + cut);
    EXPECT_THROW(Decode(part), EQVError) << cut;
  }
  TBmpSpec rle{.width = 4, .height = 4, .bpp = 8, .compression = 1, .palette = {0}};
  rle.pixels = {4, 0, 0, 0, 4};  // no end of bitmap, last code cut
  EXPECT_THROW(Decode(MakeBMP(rle)), EQVError);
}

TEST(BMPBadInput, ZeroAndHugeDimensionsFailBeforeAllocating) {
  TBmpSpec s{.width = 0, .height = 4, .bpp = 24};
  s.pixels.assign(16, 0);
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
  s.width = 100000;
  s.height = 100000;
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
  s.width = 16384;  // within the caps but the file holds almost nothing
  s.height = 16384;
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
  s.height = static_cast<int32_t>(0x80000000u);
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
}

TEST(BMPBadInput, PaletteIndicesOutOfRangeFail) {
  TBmpSpec s{.width = 1, .height = 1, .bpp = 8, .palette = {0, 0xFFFFFF}};
  s.pixels = {7, 0, 0, 0};
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
  s.compression = 1;
  s.pixels = {1, 9, 0, 1};
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
}

TEST(BMPBadInput, UnknownFormatsAreRefused) {
  TBmpSpec s{.width = 1, .height = 1, .bpp = 24, .compression = 4};  // embedded JPEG
  s.pixels = {0, 0, 0, 0};
  EXPECT_THROW(Decode(MakeBMP(s)), EQVError);
  const Bytes notBmp = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(IsBMP(notBmp.data(), notBmp.size()));
  EXPECT_THROW(Decode(notBmp), EQVError);
}

}  // namespace
}  // namespace qv
