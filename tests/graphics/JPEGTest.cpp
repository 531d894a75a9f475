#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "common/Error.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/JPEGWriter.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

TBitmap32 Smooth(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, 0xFF000000u | (x * 255 / w) << 16 | (y * 255 / h) << 8 | ((x + y) * 127 / (w + h)));
  return b;
}

int MaxDifference(const TBitmap32& a, const TBitmap32& b) {
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int s = 0; s < 32; s += 8)
        worst = std::max(worst, std::abs(int((a.Pixel(x, y) >> s) & 0xFF) - int((b.Pixel(x, y) >> s) & 0xFF)));
  return worst;
}

// Encodes raw samples of another colour space straight with libjpeg, for the
// kinds of file EncodeJPEG does not write.
Bytes EncodeRaw(int w, int h, int components, J_COLOR_SPACE space, const Bytes& samples) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[cinfo.next_scanline * w * components]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes result(out, out + size);
  std::free(out);
  return result;
}

TPicture Decode(const Bytes& b, TDecodeHint hint = {}) { return DecodeJPEG(b.data(), b.size(), hint); }

// Offset of the baseline frame header's height field.
size_t FrameSizeOffset(const Bytes& b) {
  for (size_t i = 2; i + 9 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xC0) return i + 5;
  ADD_FAILURE() << "no frame header";
  return 0;
}

TEST(JPEGRoundTrip, EncodeThenDecodeIsCloseToTheOriginal) {
  const TBitmap32 pic = Smooth(64, 48);
  const Bytes jpeg = EncodeJPEG(pic, 95);
  EXPECT_TRUE(IsJPEG(jpeg.data(), jpeg.size()));
  const TPicture back = Decode(jpeg);
  ASSERT_EQ(back.bitmap.Width(), 64);
  ASSERT_EQ(back.bitmap.Height(), 48);
  EXPECT_EQ(back.trueWidth, 64);
  EXPECT_EQ(back.trueHeight, 48);
  EXPECT_LE(MaxDifference(back.bitmap, pic), 10);
}

TEST(JPEGColourSpaces, GreyscaleAndCmykDecodeToOpaqueBGRA) {
  const Bytes grey(16 * 8, 200);
  TPicture p = Decode(EncodeRaw(16, 8, 1, JCS_GRAYSCALE, grey));
  EXPECT_NEAR(int(p.bitmap.Pixel(5, 5) & 0xFF), 200, 2);
  EXPECT_EQ(p.bitmap.Pixel(5, 5) >> 24, 0xFFu);
  EXPECT_EQ(p.bitmap.Pixel(5, 5) & 0xFF, (p.bitmap.Pixel(5, 5) >> 16) & 0xFF);

  Bytes cmyk;
  for (int i = 0; i < 16 * 8; ++i) cmyk.insert(cmyk.end(), {255, 0, 255, 255});  // inverted: green
  p = Decode(EncodeRaw(16, 8, 4, JCS_CMYK, cmyk));
  const uint32_t c = p.bitmap.Pixel(3, 3);
  EXPECT_GT((c >> 16) & 0xFF, 240u);
  EXPECT_LT((c >> 8) & 0xFF, 15u);
}

class JPEGHint : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { big_ = new Bytes(EncodeJPEG(Smooth(4000, 3000), 75)); }
  static void TearDownTestSuite() { delete big_; }
  static Bytes* big_;
};
Bytes* JPEGHint::big_ = nullptr;

TEST_F(JPEGHint, AFullHDTargetDecodesA4000WidePictureAtHalfSize) {
  const TPicture p = Decode(*big_, {1920, 1080});
  EXPECT_EQ(p.bitmap.Width(), 2000);
  EXPECT_EQ(p.bitmap.Height(), 1500);
  EXPECT_EQ(p.trueWidth, 4000);
  EXPECT_EQ(p.trueHeight, 3000);
}

TEST_F(JPEGHint, TheStrongestReductionStillCoveringTheHintIsChosen) {
  EXPECT_EQ(Decode(*big_, {500, 300}).bitmap.Width(), 500);
  EXPECT_EQ(Decode(*big_, {501, 300}).bitmap.Width(), 1000);
  EXPECT_EQ(Decode(*big_, {2001, 100}).bitmap.Width(), 4000);
  EXPECT_EQ(Decode(*big_, {0, 100}).bitmap.Width(), 4000);  // a hint needs both sides
}

TEST(JPEGBadInput, TruncatedStreamsFailOrGivePartialPicturesWithoutCrashing) {
  TBitmap32 detailed = Smooth(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) detailed.SetPixel(x, y, detailed.Pixel(x, y) ^ ((x * y) & 0x3F3F3F));
  const Bytes jpeg = EncodeJPEG(detailed, 90);
  ASSERT_GT(jpeg.size(), 4000u);
  for (size_t cut = 3; cut < jpeg.size(); cut += 97) {
    const Bytes part(jpeg.begin(), jpeg.begin() + cut);
    try {
      EXPECT_EQ(Decode(part).bitmap.Width(), 256) << cut;
    } catch (const EQVError&) {
      EXPECT_LT(cut, jpeg.size() / 4) << "the header alone is small";
    }
  }
  EXPECT_THROW(Decode(Bytes(jpeg.begin(), jpeg.begin() + 40)), EQVError);
  const TPicture half = Decode(Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));
  EXPECT_EQ(half.bitmap.Pixel(5, 0), Decode(jpeg).bitmap.Pixel(5, 0));
}

TEST(JPEGBadInput, HugeAndZeroDimensionsFailBeforeDecoding) {
  Bytes jpeg = EncodeJPEG(Smooth(16, 16), 90);
  const size_t at = FrameSizeOffset(jpeg);
  jpeg[at] = jpeg[at + 2] = 0xEA;  // 60000 x 60000
  jpeg[at + 1] = jpeg[at + 3] = 0x60;
  EXPECT_THROW(Decode(jpeg), EQVError);
  jpeg[at + 2] = jpeg[at + 3] = 0;  // a width of 0
  EXPECT_THROW(Decode(jpeg), EQVError);
}

TEST(JPEGBadInput, GarbageAfterTheStartMarkerFails) {
  Bytes junk = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x13, 0x37, 0x00, 0x00, 0xFF, 0xFF};
  EXPECT_THROW(Decode(junk), EQVError);
  const Bytes notJpeg = {'B', 'M', 0, 0};
  EXPECT_FALSE(IsJPEG(notJpeg.data(), notJpeg.size()));
  EXPECT_THROW(Decode(notJpeg), EQVError);
}

}  // namespace
}  // namespace qv
