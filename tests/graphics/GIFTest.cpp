#include <gif_lib.h>
#include <gtest/gtest.h>

#include <vector>

#include "common/Error.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/GIFWriter.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

TGifAnimation Decode(const Bytes& b, TGifOptions options = {}) { return DecodeGIF(b.data(), b.size(), options); }

TBitmap32 Filled(int w, int h, uint32_t c) {
  TBitmap32 b(w, h);
  b.Clear(c);
  return b;
}

// Frames with their own rectangles, disposal and transparency, written with
// giflib directly: palette red, green, blue, white.
struct TRawFrame {
  int left, top, width, height;
  int disposal;
  int transparent;
  std::vector<uint8_t> indices;  // in stored order
  bool interlaced = false;
};

int Append(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

Bytes WriteRaw(int sw, int sh, const std::vector<TRawFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, Append, &error);
  GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colors);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, sw, sh, 2, 0, map);
  for (const TRawFrame& f : frames) {
    GraphicsControlBlock gcb{f.disposal, false, 5, f.transparent};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, nullptr);
    std::vector<uint8_t> line(f.width);
    for (int y = 0; y < f.height; ++y) {
      std::copy_n(&f.indices[y * f.width], f.width, line.begin());
      EGifPutLine(gif, line.data(), f.width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

TEST(GIFRoundTrip, FramesDelaysAndTransparencySurviveEncodeAndDecode) {
  TBitmap32 first = Filled(6, 4, kRed);
  first.SetPixel(0, 0, 0x00000000u);
  const std::vector<TBitmap32> frames = {first, Filled(6, 4, kBlue), Filled(6, 4, kGreen)};
  const Bytes gif = EncodeGIF(frames, 70);
  ASSERT_TRUE(IsGIF(gif.data(), gif.size()));
  const TGifAnimation a = Decode(gif);
  EXPECT_EQ(a.width, 6);
  EXPECT_EQ(a.height, 4);
  EXPECT_EQ(a.loopCount, 0);
  ASSERT_EQ(a.frames.size(), 3u);
  EXPECT_EQ(a.frames[0].delayMs, 70);
  EXPECT_NE(a.frames[0].transparentIndex, -1);
  EXPECT_EQ(a.frames[0].image.Pixel(0, 0) >> 24, 0u);
  EXPECT_EQ(a.frames[0].image.Pixel(1, 0), kRed);
  EXPECT_EQ(a.frames[1].image, Filled(6, 4, kBlue));
  EXPECT_EQ(a.frames[2].image, Filled(6, 4, kGreen));
  EXPECT_EQ(a.frames[2].transparentIndex, -1);
}

TEST(GIFRoundTrip, AStillPictureHasOneFrameAndNoLoop) {
  const TGifAnimation a = Decode(EncodeGIF({Filled(3, 3, kWhite)}));
  ASSERT_EQ(a.frames.size(), 1u);
  EXPECT_EQ(a.loopCount, -1);
  EXPECT_EQ(a.frames[0].image, Filled(3, 3, kWhite));
}

TEST(GIFRoundTrip, PicturesOfManyColoursAreReducedCloseToTheOriginal) {
  TBitmap32 pic(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) pic.SetPixel(x, y, 0xFF000000u | (x * 4) << 16 | (y * 4) << 8 | 128);
  const TGifAnimation a = Decode(EncodeGIF({pic}));
  int worst = 0;
  double total = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      for (int s = 0; s < 24; s += 8) {
        const int d = std::abs(int((pic.Pixel(x, y) >> s) & 0xFF) - int((a.frames[0].image.Pixel(x, y) >> s) & 0xFF));
        worst = std::max(worst, d);
        total += d;
      }
  EXPECT_LE(worst, 40);
  EXPECT_LT(total / (64 * 64 * 3), 8.0);
}

TEST(GIFCompositing, DisposalKeepRestorePreviousAndBackgroundAreHonoured) {
  const Bytes gif = WriteRaw(4, 1, {
      {0, 0, 4, 1, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, {0, 0, 0, 0}},
      {1, 0, 2, 1, DISPOSE_PREVIOUS, NO_TRANSPARENT_COLOR, {1, 1}},
      {3, 0, 1, 1, DISPOSE_BACKGROUND, NO_TRANSPARENT_COLOR, {2}},
      {0, 0, 2, 1, DISPOSE_DO_NOT, 0, {3, 0}},  // red is transparent here
  });
  const TGifAnimation a = Decode(gif);
  ASSERT_EQ(a.frames.size(), 4u);
  auto row = [&](int i) {
    std::vector<uint32_t> r;
    for (int x = 0; x < 4; ++x) r.push_back(a.frames[i].image.Pixel(x, 0));
    return r;
  };
  EXPECT_EQ(row(0), (std::vector<uint32_t>{kRed, kRed, kRed, kRed}));
  EXPECT_EQ(row(1), (std::vector<uint32_t>{kRed, kGreen, kGreen, kRed}));
  EXPECT_EQ(row(2), (std::vector<uint32_t>{kRed, kRed, kRed, kBlue}));
  EXPECT_EQ(row(3), (std::vector<uint32_t>{kWhite, kRed, kRed, 0u}));
  EXPECT_EQ(a.frames[1].left, 1);
  EXPECT_EQ(a.frames[1].width, 2);
  EXPECT_EQ(a.frames[1].disposal, TGifDisposal::Previous);
  EXPECT_EQ(a.frames[3].transparentIndex, 0);
  EXPECT_EQ(a.frames[0].delayMs, 50);
}

TEST(GIFCompositing, InterlacedRowsLandInPlaceAndFramesAreClippedToTheScreen) {
  // Stored order of 10 interlaced rows: 0 8 | 4 | 2 6 | 1 3 5 7 9.
  const int storedRow[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  std::vector<uint8_t> indices(10);
  for (int n = 0; n < 10; ++n) indices[n] = static_cast<uint8_t>(storedRow[n] % 4);
  TRawFrame f{0, 0, 1, 10, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, indices, true};
  TRawFrame spill{1, 8, 3, 3, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, std::vector<uint8_t>(9, 2)};
  const TGifAnimation a = Decode(WriteRaw(2, 10, {f, spill}));
  const uint32_t palette[4] = {kRed, kGreen, kBlue, kWhite};
  for (int y = 0; y < 10; ++y) EXPECT_EQ(a.frames[0].image.Pixel(0, y), palette[y % 4]) << y;
  EXPECT_EQ(a.frames[1].image.Pixel(1, 9), kBlue);
  EXPECT_EQ(a.frames[1].image.Pixel(1, 7), 0u);
}

TEST(GIFBadInput, TruncatedFilesFailOrKeepTheWholeFramesBeforeTheCut) {
  const Bytes gif = EncodeGIF({Filled(8, 8, kRed), Filled(8, 8, kBlue)});
  const Bytes firstFrame = EncodeGIF({Filled(8, 8, kRed)});
  for (size_t cut : {size_t{4}, size_t{10}, size_t{20}, firstFrame.size() - 30})
    EXPECT_THROW(Decode(Bytes(gif.begin(), gif.begin() + cut)), EQVError) << cut;
  const TGifAnimation a = Decode(Bytes(gif.begin(), gif.end() - 12));
  ASSERT_EQ(a.frames.size(), 1u);
  EXPECT_EQ(a.frames[0].image, Filled(8, 8, kRed));
}

TEST(GIFBadInput, ZeroAndHugeScreensFailBeforeAllocating) {
  Bytes gif = EncodeGIF({Filled(2, 2, kRed)});
  gif[6] = gif[7] = 0;
  EXPECT_THROW(Decode(gif), EQVError);
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;  // 65535 x 65535
  EXPECT_THROW(Decode(gif), EQVError);
}

TEST(GIFBadInput, FramesBeyondTheMemoryCapFailWithTooManyFrames) {
  const Bytes gif = EncodeGIF(std::vector<TBitmap32>(5, Filled(10, 10, kRed)));
  EXPECT_EQ(Decode(gif, {.maxFrameBytes = 5 * 400}).frames.size(), 5u);
  try {
    Decode(gif, {.maxFrameBytes = 4 * 400});
    FAIL() << "decoded past the cap";
  } catch (const EQVError& e) {
    EXPECT_STREQ(e.what(), "GIF has too many frames");
  }
  EXPECT_EQ(Decode(gif, {.firstFrameOnly = true}).frames.size(), 1u);
}

TEST(GIFStored, FramesComeAsStoredWithTheirTablesRectanglesAndControls) {
  const int storedRow[4] = {0, 2, 1, 3};  // interlaced order of 4 rows
  std::vector<uint8_t> interlaced(4);
  for (int n = 0; n < 4; ++n) interlaced[n] = static_cast<uint8_t>(storedRow[n]);
  const Bytes gif = WriteRaw(5, 4, {
      {0, 0, 5, 4, DISPOSE_BACKGROUND, 2, std::vector<uint8_t>(20, 1)},
      {3, 2, 3, 3, DISPOSE_PREVIOUS, NO_TRANSPARENT_COLOR, {0, 1, 2, 3, 0, 1, 2, 3, 0}},
      {1, 0, 1, 4, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, interlaced, true},
  });
  const TGifStoredAnimation a = DecodeGIFStored(gif.data(), gif.size());
  EXPECT_EQ(a.width, 5);
  EXPECT_EQ(a.height, 4);
  EXPECT_EQ(a.globalColors, (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
  ASSERT_EQ(a.frames.size(), 3u);
  EXPECT_EQ(a.frames[0].indices, std::vector<uint8_t>(20, 1));
  EXPECT_EQ(a.frames[0].transparentIndex, 2);
  EXPECT_EQ(a.frames[0].disposal, TGifDisposal::Background);
  EXPECT_EQ(a.frames[0].delayMs, 50);
  EXPECT_TRUE(a.frames[0].colors.empty()) << "no local table: the global one applies";
  const TGifStoredFrame& spill = a.frames[1];
  EXPECT_EQ(std::vector<int>({spill.left, spill.top, spill.width, spill.height}), std::vector<int>({3, 2, 3, 3}))
      << "a rectangle past the screen is kept as stored";
  EXPECT_EQ(spill.indices, (std::vector<uint8_t>{0, 1, 2, 3, 0, 1, 2, 3, 0}));
  EXPECT_EQ(spill.transparentIndex, -1);
  EXPECT_EQ(spill.disposal, TGifDisposal::Previous);
  EXPECT_EQ(a.frames[2].indices, (std::vector<uint8_t>{0, 1, 2, 3})) << "interlacing is undone";
}

TEST(GIFStored, ManyFramesStopAtTheFrameAndByteCaps) {
  const Bytes gif = EncodeGIF(std::vector<TBitmap32>(6, Filled(10, 10, kRed)));
  EXPECT_EQ(DecodeGIFStored(gif.data(), gif.size()).frames.size(), 6u);
  EXPECT_THROW(DecodeGIFStored(gif.data(), gif.size(), {.maxFrames = 5}), EQVError);
  // Six frames of 100 bytes beside two canvases of 400.
  EXPECT_EQ(DecodeGIFStored(gif.data(), gif.size(), {.maxBytes = 1400}).frames.size(), 6u);
  try {
    DecodeGIFStored(gif.data(), gif.size(), {.maxBytes = 1399});
    FAIL() << "decoded past the cap";
  } catch (const EQVError& e) {
    EXPECT_STREQ(e.what(), "GIF has too many frames");
  }
  const Bytes cut(gif.begin(), gif.end() - 12);
  EXPECT_EQ(DecodeGIFStored(cut.data(), cut.size()).frames.size(), 5u) << "whole frames before a cut are kept";
  EXPECT_THROW(DecodeGIFStored(gif.data(), 20), EQVError);
}

TEST(GIFBadInput, OtherFormatsAreNotGIF) {
  const Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(IsGIF(bmp.data(), bmp.size()));
  EXPECT_THROW(Decode(bmp), EQVError);
  EXPECT_THROW(EncodeGIF({}), EQVError);
  EXPECT_THROW(EncodeGIF({Filled(2, 2, kRed), Filled(3, 2, kRed)}), EQVError);
}

}  // namespace
}  // namespace qv
