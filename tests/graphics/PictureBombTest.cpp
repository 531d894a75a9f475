#include <gtest/gtest.h>

#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "support/PictureBombs.h"

namespace {

const uint8_t* Data(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Each throws a clear error before allocating what the file declares; the
// peak memory itself is measured by bench/bench_picture_bombs.
TEST(PictureBombs, ATinyGifDeclaringAHugeScreenIsRefused) {
  const std::string gif = qvtest::GifScreenBomb();
  EXPECT_LT(gif.size(), 64u);
  try {
    qv::DecodeGIF(Data(gif), gif.size(), {.firstFrameOnly = true});
    FAIL() << "decoded";
  } catch (const qv::EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
}

TEST(PictureBombs, AProgressiveJpegDeclaringAHugePictureIsRefusedEvenAtReducedScale) {
  const std::string jpeg = qvtest::ProgressiveJpegBomb();
  EXPECT_THROW(qv::DecodeJPEG(Data(jpeg), jpeg.size(), {1920, 1080}), qv::EQVError);
  EXPECT_THROW(qv::DecodeJPEG(Data(jpeg), jpeg.size(), {}), qv::EQVError);
  // The same file declaring a size within the budget decodes.
  const std::string fine = qvtest::ProgressiveJpegBomb(2000);
  qv::TPicture picture = qv::DecodeJPEG(Data(fine), fine.size(), {500, 500});
  EXPECT_EQ(picture.trueWidth, 2000);
}

TEST(PictureBombs, ATinyRleBitmapDeclaringAHugePictureIsRefused) {
  const std::string bmp = qvtest::Rle8BitmapBomb();
  EXPECT_LT(bmp.size(), 1200u);
  try {
    qv::DecodeBMP(Data(bmp), bmp.size());
    FAIL() << "decoded";
  } catch (const qv::EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
}

}  // namespace
