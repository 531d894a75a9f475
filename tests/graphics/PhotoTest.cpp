// Photos as people have them: turned by their EXIF orientation, converted by
// their colour profile, in PNG and WebP of every kind. Every file is written
// by our own writers.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/ColourProfile.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PNGLoader.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/ImageFormats/WebPLoader.h"
#include "graphics/ImageFormats/WebPWriter.h"
#include "support/PictureBombs.h"

namespace qv {
namespace {

// An upright picture of 3 x 2 blocks, each its own saturated colour.
constexpr int kBlock = 32, kUprightW = 3 * kBlock, kUprightH = 2 * kBlock;
constexpr std::array<uint32_t, 6> kBlockColours = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,
                                                   0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};

uint32_t UprightPixel(int x, int y) { return kBlockColours[static_cast<size_t>((y / kBlock) * 3 + x / kBlock)]; }

// The picture as a camera stores it for each orientation, from the tag's
// definition ("row 0 is the visual top/bottom/left/right, column 0 is ...").
TBitmap32 StoredAs(int orientation) {
  const bool swaps = orientation >= 5;
  const int w = swaps ? kUprightH : kUprightW, h = swaps ? kUprightW : kUprightH;
  const int W = kUprightW, H = kUprightH;
  TBitmap32 stored(w, h);
  for (int b = 0; b < h; ++b)
    for (int a = 0; a < w; ++a) {
      int ux = a, uy = b;
      switch (orientation) {
        case 2: ux = W - 1 - a; break;                        // row 0 top, column 0 right
        case 3: ux = W - 1 - a, uy = H - 1 - b; break;        // row 0 bottom, column 0 right
        case 4: uy = H - 1 - b; break;                        // row 0 bottom, column 0 left
        case 5: ux = b, uy = a; break;                        // row 0 left, column 0 top
        case 6: ux = W - 1 - b, uy = a; break;                // row 0 right, column 0 top
        case 7: ux = W - 1 - b, uy = H - 1 - a; break;        // row 0 right, column 0 bottom
        case 8: ux = b, uy = H - 1 - a; break;                // row 0 left, column 0 bottom
        default: break;
      }
      stored.SetPixel(a, b, UprightPixel(ux, uy));
    }
  return stored;
}

::testing::AssertionResult ShowsUpright(const TPicture& p) {
  if (p.bitmap.Width() != kUprightW || p.bitmap.Height() != kUprightH || p.trueWidth != kUprightW ||
      p.trueHeight != kUprightH)
    return ::testing::AssertionFailure() << "size " << p.bitmap.Width() << "x" << p.bitmap.Height();
  for (int by = 0; by < 2; ++by)
    for (int bx = 0; bx < 3; ++bx) {
      const uint32_t got = p.bitmap.Pixel(bx * kBlock + kBlock / 2, by * kBlock + kBlock / 2);
      const uint32_t want = UprightPixel(bx * kBlock, by * kBlock);
      for (int shift : {0, 8, 16})
        if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > 40)
          return ::testing::AssertionFailure() << "block " << bx << "," << by << " is " << std::hex << got
                                               << " instead of " << want;
    }
  return ::testing::AssertionSuccess();
}

using TWriter = std::function<std::vector<uint8_t>(const TBitmap32&, const std::vector<uint8_t>& exif)>;

void ExpectEveryOrientationUpright(const TWriter& write) {
  for (int o = 1; o <= 8; ++o) {
    const std::vector<uint8_t> file = write(StoredAs(o), ExifBlock(o));
    EXPECT_TRUE(ShowsUpright(DecodePicture(file, "photo"))) << "orientation " << o;
  }
}

TEST(Orientation, EachOfTheEightIsShownUprightFromJpegPngAndWebP) {
  ExpectEveryOrientationUpright([](const TBitmap32& b, const std::vector<uint8_t>& exif) {
    return EncodeJPEG(b, 95, {.exif = exif});
  });
  ExpectEveryOrientationUpright([](const TBitmap32& b, const std::vector<uint8_t>& exif) {
    return EncodePNG(b, {.exif = exif});
  });
  ExpectEveryOrientationUpright([](const TBitmap32& b, const std::vector<uint8_t>& exif) {
    return EncodeWebP(b, {.lossless = true, .exif = exif});
  });
}

TEST(Orientation, BigEndianBlocksAndMalformedOnesAreRead) {
  const uint8_t big[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ExifOrientation(big, sizeof big), 6);
  std::vector<uint8_t> block = ExifBlock(8);
  EXPECT_EQ(ExifOrientation(block.data(), block.size()), 8);
  // Cut inside the entry, a value out of range, an offset past the end.
  EXPECT_EQ(ExifOrientation(block.data(), block.size() - 10), 1);
  block[18] = 9;
  EXPECT_EQ(ExifOrientation(block.data(), block.size()), 1);
  block = ExifBlock(6);
  block[4] = 0xF0;
  EXPECT_EQ(ExifOrientation(block.data(), block.size()), 1);
  EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
}

TEST(Orientation, TheHintIsForTheUprightPictureSoAQuarterTurnDecodesTheRightReduction) {
  // Stored 800 x 400, shown 400 x 800: asked for at least 200 x 400 upright,
  // JPEG can halve it.
  const std::vector<uint8_t> jpeg = EncodeJPEG(TBitmap32(800, 400), 90, {.exif = ExifBlock(6)});
  const TPicture p = DecodePicture(jpeg, "turned.jpg", {200, 400});
  EXPECT_EQ(p.bitmap.Width(), 200);
  EXPECT_EQ(p.bitmap.Height(), 400);
  EXPECT_EQ(p.trueWidth, 400);
  EXPECT_EQ(p.trueHeight, 800);
  const std::vector<uint8_t> webp = EncodeWebP(TBitmap32(800, 400), {.exif = ExifBlock(8)});
  const TPicture w = DecodePicture(webp, "turned.webp", {200, 400});
  EXPECT_EQ(w.bitmap.Width(), 200);
  EXPECT_EQ(w.bitmap.Height(), 400);
}

// Adobe RGB (1998) to sRGB by the published matrices (D65 both), for a
// colour inside both gamuts.
std::array<int, 3> AdobeToSrgb(int r8, int g8, int b8) {
  auto lin = [](int v) { return std::pow(v / 255.0, 563.0 / 256); };
  const double r = lin(r8), g = lin(g8), b = lin(b8);
  const double X = 0.5767 * r + 0.1856 * g + 0.1882 * b, Y = 0.2974 * r + 0.6273 * g + 0.0753 * b,
               Z = 0.0270 * r + 0.0707 * g + 0.9911 * b;
  const double lr = 3.2406 * X - 1.5372 * Y - 0.4986 * Z, lg = -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
               lb = 0.0557 * X - 0.2040 * Y + 1.0570 * Z;
  auto enc = [](double v) {
    v = std::clamp(v, 0.0, 1.0);
    return int(std::lround(255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055)));
  };
  return {enc(lr), enc(lg), enc(lb)};
}

void ExpectConvertedFromAdobe(const std::vector<uint8_t>& file, const char* what) {
  const TPicture p = DecodePicture(file, what);
  const uint32_t c = p.bitmap.Pixel(8, 8);
  const std::array<int, 3> want = AdobeToSrgb(90, 160, 70);
  EXPECT_NEAR(int(c >> 16 & 0xFF), want[0], 4) << what;
  EXPECT_NEAR(int(c >> 8 & 0xFF), want[1], 4) << what;
  EXPECT_NEAR(int(c & 0xFF), want[2], 4) << what;
  EXPECT_EQ(c >> 24, 0xFFu) << what;
}

TEST(ColourProfile, AnAdobeRgbPictureIsShownInSrgbFromJpegPngAndWebP) {
  const std::vector<uint8_t> adobe = MakeRGBProfile(kAdobeRGB1998);
  ASSERT_FALSE(adobe.empty());
  const TBitmap32 green = [] {
    TBitmap32 b(16, 16);
    b.Clear(0xFF000000u | 90 << 16 | 160 << 8 | 70);
    return b;
  }();
  // The sRGB values differ from the stored ones by far more than the tolerance.
  ASSERT_GT(std::abs(AdobeToSrgb(90, 160, 70)[0] - 90), 12);
  ExpectConvertedFromAdobe(EncodeJPEG(green, 100, {.colourProfile = adobe}), "adobe.jpg");
  ExpectConvertedFromAdobe(EncodePNG(green, {.colourProfile = adobe}), "adobe.png");
  ExpectConvertedFromAdobe(EncodeWebP(green, {.lossless = true, .colourProfile = adobe}), "adobe.webp");
}

TEST(ColourProfile, NoProfileLeavesThePixelsAloneAndABrokenOneIsIgnored) {
  const TBitmap32 pattern = [] {
    TBitmap32 b(64, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 64; ++x) b.SetPixel(x, y, 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 8) << 8 | 77);
    return b;
  }();
  EXPECT_EQ(DecodePicture(EncodePNG(pattern), "plain.png").bitmap, pattern);
  // libpng checks a profile before writing it; JPEG carries any bytes.
  std::vector<uint8_t> broken = MakeRGBProfile(kDisplayP3);
  broken.resize(200);  // cut: lcms2 cannot read it
  EXPECT_EQ(DecodePicture(EncodeJPEG(pattern, 90, {.colourProfile = broken}), "broken.jpg").bitmap,
            DecodePicture(EncodeJPEG(pattern, 90), "plain.jpg").bitmap);
  // sRGB's own profile leaves them within rounding.
  const std::vector<uint8_t> srgb = MakeRGBProfile({{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.3290}, 0});
  const TBitmap32 same = DecodePicture(EncodePNG(pattern, {.colourProfile = srgb}), "srgb.png").bitmap;
  for (int x = 0; x < 64; x += 9)
    EXPECT_NEAR(int(same.Pixel(x, 20) >> 16 & 0xFF), int(pattern.Pixel(x, 20) >> 16 & 0xFF), 2);
}

// Matrix-and-curves profiles take a short way; it agrees with lcms2's own
// transform over the whole cube of colours.
TEST(ColourProfile, TheShortWayForMatrixProfilesAgreesWithTheGeneralTransform) {
  for (const TRGBSpace& space : {kAdobeRGB1998, kDisplayP3}) {
    const std::vector<uint8_t> profile = MakeRGBProfile(space);
    TBitmap32 cube(33, 33 * 33);
    for (int i = 0; i < 33 * 33 * 33; ++i) {
      const uint32_t r = std::min(255, (i % 33) * 8), g = std::min(255, (i / 33 % 33) * 8), b = std::min(255, (i / 1089) * 8);
      cube.Bits()[i] = 0xFF000000u | r << 16 | g << 8 | b;
    }
    TBitmap32 general = cube;
    cmsHPROFILE from = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_BGRA_8, srgb, TYPE_BGRA_8, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
    cmsDoTransform(t, general.Bits(), general.Bits(), 33 * 33 * 33);
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(srgb);
    ASSERT_TRUE(ConvertToSRGB(cube, profile.data(), profile.size()));
    int worst = 0;
    for (int i = 0; i < 33 * 33 * 33; ++i)
      for (int shift : {0, 8, 16, 24})
        worst = std::max(worst, std::abs(int(cube.Bits()[i] >> shift & 0xFF) - int(general.Bits()[i] >> shift & 0xFF)));
    EXPECT_LE(worst, 1);
  }
}

// --- PNG in its kinds --------------------------------------------------------

// Grey levels every depth holds exactly (multiples of 255/15 hold at 4 bits
// and 8; 0 and 255 at 1 bit).
TBitmap32 GreyPicture(int depth) {
  TBitmap32 b(37, 23);  // odd sizes: rows end mid-byte
  const int levels = (1 << std::min(depth, 8)) - 1;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const uint32_t v = uint32_t((x + y) % (levels + 1)) * 255 / levels;
      b.SetPixel(x, y, 0xFF000000u | v << 16 | v << 8 | v);
    }
  return b;
}

TBitmap32 TranslucentPicture() {
  TBitmap32 b(41, 19);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.SetPixel(x, y, uint32_t(x * 6) << 24 | uint32_t(200 - y * 3) << 16 | 0x8000u | uint32_t(x * 5));
  return b;
}

// The picture as the engine shows a transparent one: over black, opaque.
TBitmap32 OverBlack(TBitmap32 b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const uint32_t c = b.Pixel(x, y), a = c >> 24;
      auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
      b.SetPixel(x, y, 0xFF000000u | mul(c >> 16 & 0xFF) << 16 | mul(c >> 8 & 0xFF) << 8 | mul(c & 0xFF));
    }
  return b;
}

TEST(PNG, EveryKindAndDepthDecodesToTheSamePixelsInterlacedOrNot) {
  for (bool interlaced : {false, true}) {
    for (int depth : {1, 2, 4, 8, 16}) {
      const TBitmap32 grey = GreyPicture(depth);
      EXPECT_EQ(DecodePicture(EncodePNG(grey, {.kind = TPNGKind::Grey, .depth = depth, .interlaced = interlaced}), "g")
                    .bitmap,
                grey)
          << "grey " << depth << (interlaced ? " interlaced" : "");
    }
    const TBitmap32 colour = OverBlack(TranslucentPicture());
    for (int depth : {8, 16})
      EXPECT_EQ(DecodePicture(EncodePNG(colour, {.depth = depth, .interlaced = interlaced}), "c").bitmap, colour)
          << "colour " << depth;
    const TBitmap32 translucent = TranslucentPicture();
    for (int depth : {8, 16})
      EXPECT_EQ(DecodePicture(EncodePNG(translucent, {.kind = TPNGKind::ColourAlpha, .depth = depth, .interlaced = interlaced}), "a")
                    .bitmap,
                OverBlack(translucent))
          << "colour and alpha " << depth;
    // Grey with alpha: the grey level is the green byte.
    TBitmap32 greyAlpha = GreyPicture(8);
    for (int x = 0; x < greyAlpha.Width(); ++x) greyAlpha.SetPixel(x, 3, greyAlpha.Pixel(x, 3) & 0x40FFFFFFu);
    EXPECT_EQ(DecodePicture(EncodePNG(greyAlpha, {.kind = TPNGKind::GreyAlpha, .interlaced = interlaced}), "ga").bitmap,
              OverBlack(greyAlpha));
    // A palette of a few colours, one of them half transparent (tRNS), at 1 to 8 bits.
    TBitmap32 few(29, 17);
    for (int y = 0; y < few.Height(); ++y)
      for (int x = 0; x < few.Width(); ++x) few.SetPixel(x, y, (x + y) % 2 ? 0xFF20A040u : 0x80C03010u);
    for (int depth : {1, 2, 4, 8})
      EXPECT_EQ(DecodePicture(EncodePNG(few, {.kind = TPNGKind::Palette, .depth = depth, .interlaced = interlaced}), "p")
                    .bitmap,
                OverBlack(few))
          << "palette " << depth;
  }
}

TEST(PNG, ACutFileOrGarbageIsRefusedButDamageAfterThePixelsIsNot) {
  TBitmap32 big(300, 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) big.SetPixel(x, y, 0xFF000000u | uint32_t(x * 7 + y * 13) * 2654435761u >> 8);
  std::vector<uint8_t> png = EncodePNG(big);
  png.resize(png.size() - 6);  // the end chunk cut
  EXPECT_EQ(DecodePicture(png, "no-end.png").bitmap, big);
  png.resize(png.size() / 2);
  try {
    DecodePicture(png, "cut.png");
    FAIL() << "decoded";
  } catch (const EQVError& e) {
    EXPECT_STREQ(e.what(), "PNG picture cannot be read: the stream ends early");
  }
  std::vector<uint8_t> garbage = EncodePNG(big);
  garbage.resize(60);
  EXPECT_THROW(DecodePicture(garbage, "tiny.png"), EQVError);
  for (size_t i = 33; i < 60; ++i) garbage[i] = 0x5A;
  EXPECT_THROW(DecodePicture(garbage, "garbage.png"), EQVError);
}

// --- WebP ----------------------------------------------------------------------

TEST(WebP, LosslessIsExactLossyIsCloseAndTransparencyIsOverBlack) {
  const TBitmap32 colour = OverBlack(TranslucentPicture());
  EXPECT_EQ(DecodePicture(EncodeWebP(colour, {.lossless = true}), "l.webp").bitmap, colour);
  const TBitmap32 translucent = TranslucentPicture();
  const TBitmap32 shown = DecodePicture(EncodeWebP(translucent, {.lossless = true, .alpha = true}), "a.webp").bitmap;
  const TBitmap32 want = OverBlack(translucent);
  for (int y = 0; y < want.Height(); ++y)
    for (int x = 0; x < want.Width(); ++x)
      for (int shift : {0, 8, 16, 24})
        ASSERT_NEAR(int(shown.Pixel(x, y) >> shift & 0xFF), int(want.Pixel(x, y) >> shift & 0xFF), 1) << x << "," << y;
  const TBitmap32 flat = [] {
    TBitmap32 b(64, 48);
    b.Clear(0xFF3C78B4u);
    return b;
  }();
  const TBitmap32 lossy = DecodePicture(EncodeWebP(flat, {.quality = 90}), "q.webp").bitmap;
  EXPECT_NEAR(int(lossy.Pixel(30, 20) >> 16 & 0xFF), 0x3C, 6);
  EXPECT_NEAR(int(lossy.Pixel(30, 20) & 0xFF), 0xB4, 6);
  const TBitmap32 lossyAlpha =
      DecodePicture(EncodeWebP(TranslucentPicture(), {.quality = 90, .alpha = true}), "qa.webp").bitmap;
  EXPECT_EQ(lossyAlpha.Pixel(0, 5), 0xFF000000u);  // alpha 0: black
}

TEST(WebP, AnAnimationShowsItsFirstFrameAndALargePictureDecodesSmaller) {
  TBitmap32 first(40, 30), second(40, 30);
  first.Clear(0xFF0000C0u);
  second.Clear(0xFFC00000u);
  const TPicture p = DecodePicture(EncodeWebP(first, {.lossless = true, .moreFrames = {second}}), "anim.webp");
  EXPECT_EQ(p.bitmap.Pixel(20, 15), 0xFF0000C0u);
  const TPicture big = DecodePicture(EncodeWebP(TBitmap32(1600, 1200), {.quality = 50}), "big.webp", {390, 290});
  EXPECT_EQ(big.bitmap.Width(), 400);
  EXPECT_EQ(big.bitmap.Height(), 300);
  EXPECT_EQ(big.trueWidth, 1600);
}

TEST(PictureBombs, TinyPngAndWebPFilesDeclaringHugePicturesAreRefused) {
  for (const std::string& bomb : {qvtest::PngSizeBomb(), qvtest::PngSizeBomb(16384), qvtest::WebPCanvasBomb()}) {
    EXPECT_LT(bomb.size(), 200u);
    EXPECT_THROW(DecodePicture(reinterpret_cast<const uint8_t*>(bomb.data()), bomb.size(), "bomb"), EQVError);
  }
  const std::string deflated = qvtest::PngDeflateBomb();
  EXPECT_LT(deflated.size(), 100000u);
  try {
    DecodePicture(reinterpret_cast<const uint8_t*>(deflated.data()), deflated.size(), "bomb.png", {1920, 1080});
    FAIL() << "decoded";
  } catch (const EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("too large to show (16384 x 16384)"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace qv
