#include "graphics/ImageFormats/PictureLoader.h"

#include <gtest/gtest.h>

#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"

namespace qv {
namespace {

TBitmap32 Filled(int w, int h, uint32_t c) {
  TBitmap32 b(w, h);
  b.Clear(c);
  return b;
}

TEST(PictureLoader, TheFormatComesFromTheBytesNotTheName) {
  const TBitmap32 pic = Filled(20, 10, 0xFF3366CCu);
  EXPECT_EQ(DecodePicture(EncodeBMP32(pic), "really_a_bmp.jpg").bitmap, pic);
  EXPECT_EQ(DecodePicture(EncodeGIF({pic, Filled(20, 10, 0xFF000000u)}), "really_a_gif.bmp").bitmap, pic);
  const TPicture jpeg = DecodePicture(EncodeJPEG(pic), "really_a_jpeg.gif");
  EXPECT_EQ(jpeg.trueWidth, 20);
  EXPECT_NEAR(int(jpeg.bitmap.Pixel(10, 5) & 0xFF), 0xCC, 4);
}

TEST(PictureLoader, TheHintReachesTheJPEGDecoderAndTheTrueSizeStays) {
  const TPicture p = DecodePicture(EncodeJPEG(Filled(800, 600, 0xFF808080u)), "big.jpg", {200, 150});
  EXPECT_EQ(p.bitmap.Width(), 200);
  EXPECT_EQ(p.trueWidth, 800);
  EXPECT_EQ(p.trueHeight, 600);
}

TEST(PictureLoader, UnknownFormatsAreNamedByTheFileNameAlone) {
  const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
  try {
    DecodePicture(text, "/some/folder/notes.png");
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_EQ(std::string(e.what()), "Unknown picture format: notes.png");
  }
  try {
    DecodePicture(text, "the picture");
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_EQ(std::string(e.what()), "Unknown picture format: the picture");
  }
  EXPECT_THROW(DecodePicture(std::vector<uint8_t>{}, "empty.jpg"), EQVError);
}

}  // namespace
}  // namespace qv
