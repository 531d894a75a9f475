#include "graphics/ImageFormats/PictureLoader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class PictureLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qv_pictures_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return p.string();
  }

  static TBitmap32 Filled(int w, int h, uint32_t c) {
    TBitmap32 b(w, h);
    b.Clear(c);
    return b;
  }

  fs::path dir_;
};

TEST_F(PictureLoader, TheFormatComesFromTheBytesNotTheName) {
  const TBitmap32 pic = Filled(20, 10, 0xFF3366CCu);
  EXPECT_EQ(LoadPicture(Write("really_a_bmp.jpg", EncodeBMP32(pic))).bitmap, pic);
  EXPECT_EQ(LoadPicture(Write("really_a_gif.bmp", EncodeGIF({pic, Filled(20, 10, 0xFF000000u)}))).bitmap, pic);
  const TPicture jpeg = LoadPicture(Write("really_a_jpeg.gif", EncodeJPEG(pic)));
  EXPECT_EQ(jpeg.trueWidth, 20);
  EXPECT_NEAR(int(jpeg.bitmap.Pixel(10, 5) & 0xFF), 0xCC, 4);
}

TEST_F(PictureLoader, TheHintReachesTheJPEGDecoderAndTheTrueSizeStays) {
  const std::string path = Write("big.jpg", EncodeJPEG(Filled(800, 600, 0xFF808080u)));
  const TPicture p = LoadPicture(path, {200, 150});
  EXPECT_EQ(p.bitmap.Width(), 200);
  EXPECT_EQ(p.trueWidth, 800);
  EXPECT_EQ(p.trueHeight, 600);
}

TEST_F(PictureLoader, GifAnimationsLoadWithAllTheirFrames) {
  const std::string path = Write("anim.gif", EncodeGIF({Filled(4, 4, 0xFFFF0000u), Filled(4, 4, 0xFF0000FFu)}, 200));
  const TGifAnimation a = LoadGifAnimation(path);
  ASSERT_EQ(a.frames.size(), 2u);
  EXPECT_EQ(a.frames[1].delayMs, 200);
  EXPECT_THROW(LoadGifAnimation(Write("still.bmp", EncodeBMP32(Filled(2, 2, 0)))), EQVError);
}

TEST_F(PictureLoader, MissingFilesAndUnknownFormatsGiveClearMessages) {
  const std::string missing = (dir_ / "nothing_here.jpg").string();
  try {
    LoadPicture(missing);
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open " + missing);
  }
  try {
    LoadPicture(Write("notes.png", {'h', 'e', 'l', 'l', 'o'}));
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_EQ(std::string(e.what()), "Unknown picture format: notes.png");
  }
  EXPECT_THROW(LoadPicture(Write("empty.jpg", {})), EQVError);
  const std::string huge = Write("huge.bmp", {'B', 'M'});
  fs::resize_file(huge, kMaxPictureFileBytes + 1);  // sparse: nothing is written
  EXPECT_THROW(LoadPicture(huge), EQVError);
  EXPECT_THROW(LoadPicture(dir_.string()), EQVError);
}

}  // namespace
}  // namespace qv
