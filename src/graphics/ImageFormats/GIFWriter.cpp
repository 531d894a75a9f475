#include "graphics/ImageFormats/GIFWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

#include "common/Error.h"

namespace qv {

namespace {

constexpr int kTransparent = 255;

// giflib's write callback; no exception may leave it.
int WriteMemory(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  try {
    out->insert(out->end(), data, data + n);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return n;
}

struct TGifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

struct TMapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

[[noreturn]] void Fail(int code) {
  const char* text = GifErrorString(code);
  throw EQVError(std::string("GIF picture cannot be written: ") + (text ? text : "unknown error"));
}

// Indices into a 256-entry palette; index 255 is kept for transparency.
bool Quantize(const TBitmap32& frame, std::vector<GifPixelType>& indices, GifColorType* palette) {
  const size_t n = static_cast<size_t>(frame.Width()) * frame.Height();
  const uint32_t* px = frame.Bits();
  indices.resize(n);
  bool transparent = false;
  std::unordered_map<uint32_t, int> exact;
  bool fits = true;
  for (size_t i = 0; i < n && fits; ++i) {
    if ((px[i] >> 24) < 128) continue;
    const uint32_t rgb = px[i] & 0xFFFFFF;
    if (exact.count(rgb) == 0) {
      if (exact.size() == 255) fits = false;
      else exact.emplace(rgb, static_cast<int>(exact.size()));
    }
  }
  if (fits) {
    for (auto [rgb, index] : exact)
      palette[index] = GifColorType{static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                                    static_cast<GifByteType>(rgb)};
    for (size_t i = 0; i < n; ++i)
      indices[i] = (px[i] >> 24) < 128 ? kTransparent : static_cast<GifPixelType>(exact[px[i] & 0xFFFFFF]);
  } else {
    std::vector<GifByteType> r(n), g(n), b(n);
    for (size_t i = 0; i < n; ++i) {
      r[i] = static_cast<GifByteType>(px[i] >> 16);
      g[i] = static_cast<GifByteType>(px[i] >> 8);
      b[i] = static_cast<GifByteType>(px[i]);
    }
    int size = 255;
    if (GifQuantizeBuffer(frame.Width(), frame.Height(), &size, r.data(), g.data(), b.data(), indices.data(),
                          palette) == GIF_ERROR)
      throw EQVError("GIF picture cannot be written: colour reduction failed");
    for (size_t i = 0; i < n; ++i)
      if ((px[i] >> 24) < 128) indices[i] = kTransparent;
  }
  for (size_t i = 0; i < n && !transparent; ++i) transparent = (px[i] >> 24) < 128;
  return transparent;
}

}  // namespace

std::vector<uint8_t> EncodeGIF(const std::vector<TBitmap32>& frames, int delayMs) {
  if (frames.empty() || frames[0].Empty()) throw EQVError("Cannot encode an empty picture as GIF");
  const int w = frames[0].Width(), h = frames[0].Height();
  if (w > 65535 || h > 65535) throw EQVError("GIF picture is too large");
  for (const TBitmap32& f : frames)
    if (f.Width() != w || f.Height() != h) throw EQVError("GIF frames must all have the same size");

  std::vector<uint8_t> out;
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> gif(EGifOpen(&out, WriteMemory, &error));
  if (!gif) Fail(error);
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), w, h, 8, 0, nullptr) == GIF_ERROR) Fail(gif->Error);

  if (frames.size() > 1) {
    static const GifByteType kLoopForever[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(gif.get(), 3, kLoopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
      Fail(gif->Error);
  }

  std::vector<GifPixelType> indices;
  for (const TBitmap32& frame : frames) {
    GifColorType palette[256] = {};
    const bool transparent = Quantize(frame, indices, palette);
    GraphicsControlBlock gcb{};
    // Every frame is a whole picture: clearing a transparent frame before the
    // next keeps the earlier one from showing through.
    gcb.DisposalMode = transparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
    gcb.UserInputFlag = false;
    gcb.DelayTime = std::clamp(delayMs / 10, 0, 65535);
    gcb.TransparentColor = transparent ? kTransparent : NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    const size_t extLength = EGifGCBToExtension(&gcb, ext);
    std::unique_ptr<ColorMapObject, TMapFreer> map(GifMakeMapObject(256, palette));
    if (!map) throw std::bad_alloc();
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extLength), ext) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, w, h, false, map.get()) == GIF_ERROR)
      Fail(gif->Error);
    for (int y = 0; y < h; ++y)
      if (EGifPutLine(gif.get(), &indices[static_cast<size_t>(y) * w], w) == GIF_ERROR) Fail(gif->Error);
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) Fail(error);
  return out;
}

}  // namespace qv
