// Photos as people have them, through pack and the engine: PNG and WebP
// travel as they are, phone formats are converted to JPEG, and every one is
// shown upright and in its colours on the rendered screen.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <filesystem>

#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "graphics/ImageFormats/WebPWriter.h"
#include "support/Pictures.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;
using qvtest::TempDir;
using qvtest::WriteFile;
namespace fs = std::filesystem;

namespace {

// Upright: a wide picture, red on the left half, blue on the right, a green
// band along the top quarter. Shown on a screen of its own size.
constexpr int kW = 96, kH = 64;

uint32_t UprightColour(int x, int y) {
  if (y < kH / 4) return 0xFF00C000u;
  return x < kW / 2 ? 0xFFD00000u : 0xFF0000D0u;
}

qv::TBitmap32 Upright() {
  qv::TBitmap32 b(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) b.SetPixel(x, y, UprightColour(x, y));
  return b;
}

// Stored as a camera does for each EXIF/TIFF orientation ("row 0 is the
// visual ..., column 0 the visual ...").
qv::TBitmap32 StoredAs(int orientation) {
  const bool swaps = orientation >= 5;
  qv::TBitmap32 b(swaps ? kH : kW, swaps ? kW : kH);
  for (int row = 0; row < b.Height(); ++row)
    for (int col = 0; col < b.Width(); ++col) {
      int x = col, y = row;
      switch (orientation) {
        case 2: x = kW - 1 - col; break;
        case 3: x = kW - 1 - col, y = kH - 1 - row; break;
        case 4: y = kH - 1 - row; break;
        case 5: x = row, y = col; break;
        case 6: x = kW - 1 - row, y = col; break;
        case 7: x = kW - 1 - row, y = kH - 1 - col; break;
        case 8: x = row, y = kH - 1 - col; break;
        default: break;
      }
      b.SetPixel(col, row, UprightColour(x, y));
    }
  return b;
}

// A TIFF of the picture as stored, its orientation tag set (libtiff writes it).
void WriteTiff(const std::string& path, const qv::TBitmap32& stored, int orientation) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(t, nullptr);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, stored.Width());
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, stored.Height());
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, stored.Height());
  std::vector<uint8_t> row(static_cast<size_t>(stored.Width()) * 3);
  for (int y = 0; y < stored.Height(); ++y) {
    for (int x = 0; x < stored.Width(); ++x) {
      const uint32_t c = stored.Pixel(x, y);
      row[3 * x] = static_cast<uint8_t>(c >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(c);
    }
    TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0);
  }
  TIFFClose(t);
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

class PackPhotos : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir tmp;
  void SetUp() override {
    WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=60\r\nStretch=1\r\nProportional=1\r\n");
  }
  qvtest::RunResult pack(const std::string& picture) const {
    return RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                          Quote(dir.file("p.scr")) + " --settings " + Quote(dir.file("s.ini")) + " " +
                          Quote(dir.file(picture)),
                      dir, "TMPDIR=" + Quote(tmp.path()));
  }
  // The first frame the engine shows of the packed picture.
  qv::TBitmap32 shown() const {
    fs::remove_all(dir.file("frames"));
    auto r = RunCommand(std::string(QV_QVTOOL) + " render " + Quote(dir.file("p.scr")) + " --size " +
                            std::to_string(kW) + "x" + std::to_string(kH) + " --seconds 1 --every 1 --out " +
                            Quote(dir.file("frames")),
                        dir, "TMPDIR=" + Quote(tmp.path()));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return qvtest::ReadPicture(dir.file("frames/frame-00001.bmp")).bitmap;
  }
  std::string info() const {
    return RunCommand(std::string(QV_QVTOOL) + " info " + Quote(dir.file("p.scr")), dir,
                      "TMPDIR=" + Quote(tmp.path()))
        .out;
  }
};

::testing::AssertionResult LooksUpright(const qv::TBitmap32& frame, int tolerance) {
  if (frame.Width() != kW || frame.Height() != kH) return ::testing::AssertionFailure() << "no frame";
  for (auto [x, y] : {std::pair{20, 4}, {76, 4}, {20, 40}, {76, 40}, {40, 60}, {56, 60}}) {
    const uint32_t got = frame.Pixel(x, y), want = UprightColour(x, y);
    for (int shift : {0, 8, 16})
      if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > tolerance)
        return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << std::hex << got << " not " << want;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(PackPhotos, PngAndWebPTravelAsTheyAreAndShowUpright) {
  struct Case {
    const char* file;
    std::string bytes;
    const char* stored;
  };
  const Case cases[] = {
      {"screenshot.png", Bytes(qv::EncodePNG(StoredAs(8), {.kind = qv::TPNGKind::Palette, .interlaced = true,
                                                          .exif = qv::ExifBlock(8)})),
       "QVImage0.png"},
      {"download.webp", Bytes(qv::EncodeWebP(StoredAs(5), {.quality = 95, .exif = qv::ExifBlock(5)})),
       "QVImage0.webp"},
      {"phone.jpg", Bytes(qv::EncodeJPEG(StoredAs(6), 95, {.exif = qv::ExifBlock(6)})), "QVImage0.jpg"},
  };
  for (const Case& c : cases) {
    WriteFile(dir.file(c.file), c.bytes);
    auto r = pack(c.file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(info().find(std::string("\"name\":\"") + c.stored + "\""), std::string::npos) << c.file;
    EXPECT_TRUE(LooksUpright(shown(), 24)) << c.file;
  }
}

// The Debian encoders' tool writes the phone formats; the picture it is
// given is written by our own JPEG writer, upright.
TEST_F(PackPhotos, HeicAndAvifAreConvertedToJpegOfTheSameSizeAndSaidSo) {
  if (std::system("command -v heif-enc >/dev/null 2>&1") != 0) GTEST_SKIP() << "heif-enc is not installed";
  WriteFile(dir.file("upright.jpg"), Bytes(qv::EncodeJPEG(Upright(), 98)));
  for (const char* name : {"IMG_0001.HEIC", "photo.avif"}) {
    auto made = RunCommand("heif-enc -q 90 " + std::string(std::string(name).ends_with("avif") ? "-A " : "") + "-o " +
                               Quote(dir.file(name)) + " " + Quote(dir.file("upright.jpg")),
                           dir);
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto r = pack(name);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(std::string("converted ") + dir.file(name)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::string(name).ends_with("avif") ? "(AVIF)" : "(HEIC)"), std::string::npos) << r.err;
    const std::string json = info();
    EXPECT_NE(json.find("\"name\":\"QVImage0.jpg\""), std::string::npos) << json;
    EXPECT_NE(json.find(std::string("\"title\":\"") + name + "\""), std::string::npos) << json;
    EXPECT_TRUE(LooksUpright(shown(), 40)) << name;
  }
  // A damaged one is refused, naming the file and its format.
  fs::remove(dir.file("p.scr"));
  WriteFile(dir.file("broken.heic"), std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24) + std::string(100, 'x'));
  auto broken = pack("broken.heic");
  EXPECT_EQ(broken.exitCode, 2);
  EXPECT_NE(broken.err.find("broken.heic (HEIC) cannot be converted"), std::string::npos) << broken.err;
  EXPECT_FALSE(fs::exists(dir.file("p.scr")));
}

TEST_F(PackPhotos, ATiffIsConvertedUprightWhateverItsOrientation) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    WriteTiff(dir.file("scan.tif"), StoredAs(orientation), orientation);
    auto r = pack("scan.tif");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("(TIFF)"), std::string::npos) << r.err;
    EXPECT_TRUE(LooksUpright(shown(), 24)) << "orientation " << orientation;
  }
}

}  // namespace
