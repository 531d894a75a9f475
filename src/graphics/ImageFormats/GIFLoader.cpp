#include "graphics/ImageFormats/GIFLoader.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "common/Error.h"
#include "common/Limits.h"

namespace qv {

namespace {

struct TSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

// giflib's read callback: plain copying, nothing that can throw.
int ReadMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
  auto* s = static_cast<TSource*>(gif->UserData);
  if (wanted <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(wanted), s->size - s->pos);
  std::memcpy(buffer, s->data + s->pos, n);
  s->pos += n;
  return static_cast<int>(n);
}

struct TGifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

[[noreturn]] void Fail(const std::string& why) { throw EQVError("GIF " + why); }

[[noreturn]] void FailGiflib(int code) {
  const char* text = GifErrorString(code);
  Fail(std::string("picture cannot be read: ") + (text ? text : "unknown error"));
}

// Row y of the frame for the n-th line stored in an interlaced frame.
int InterlacedRow(int n, int height) {
  static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (n < rows) return kStart[pass] + n * kStep[pass];
    n -= rows;
  }
  return height - 1;
}

struct TControl {
  int delayMs = 0;
  int transparentIndex = -1;
  int index = 0;
  TGifDisposal disposal = TGifDisposal::Unspecified;
};

std::vector<uint32_t> ColorTable(const ColorMapObject* map) {
  std::vector<uint32_t> colors;
  if (!map) return colors;
  for (int i = 0; i < map->ColorCount; ++i) {
    const GifColorType& c = map->Colors[i];
    colors.push_back(0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue);
  }
  return colors;
}

// What a walk over the records hands its reader.
struct TGifReader {
  // Before a frame's pixels are read: throws to refuse it (its size, or one
  // frame too many).
  std::function<void(int width, int height)> expect;
  // The frame, read whole; false ends the walk.
  std::function<bool(TGifStoredFrame& frame)> take;
};

// The one walk over a GIF's records: the logical screen into `screen`
// (frames stay empty), then every frame through the reader. A stream that
// breaks off after whole frames ends the walk; before the first it fails.
void WalkGif(const uint8_t* data, size_t size, TGifStoredAnimation& screen, const TGifReader& reader) {
  if (!IsGIF(data, size)) Fail("picture cannot be read: not a GIF file");
  TSource source{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&source, ReadMemory, &error));
  if (!gif) FailGiflib(error);
  if (!PictureSizeAllowed(gif->SWidth, gif->SHeight)) Fail("picture is too large or has no pixels");
  // A screen that could not be shown is refused whatever its frames cover.
  if (!DecodeFits(gif->SWidth, gif->SHeight, int64_t{gif->SWidth} * gif->SHeight * 4))
    Fail("picture is too large to show");
  screen.width = gif->SWidth;
  screen.height = gif->SHeight;
  screen.globalColors = ColorTable(gif->SColorMap);
  screen.backgroundIndex = gif->SBackGroundColor;

  size_t taken = 0;
  TControl control;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
      if (taken == 0) FailGiflib(gif->Error);
      break;  // keep the whole frames read so far
    }
    if (record == TERMINATE_RECORD_TYPE) break;

    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) {
        if (taken == 0) FailGiflib(gif->Error);
        break;
      }
      bool looping = false;
      if (code == GRAPHICS_EXT_FUNC_CODE && ext) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
          control.delayMs = gcb.DelayTime * 10;
          control.transparentIndex = gcb.TransparentColor;
          control.disposal = gcb.DisposalMode >= 0 && gcb.DisposalMode <= 3 ? static_cast<TGifDisposal>(gcb.DisposalMode)
                                                                            : TGifDisposal::Unspecified;
        }
        // The block is its size, the flags, two bytes of delay, the index.
        if (ext[0] >= 4) control.index = ext[4];
      } else if (code == APPLICATION_EXT_FUNC_CODE && ext && ext[0] == 11 &&
                 (std::memcmp(ext + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(ext + 1, "ANIMEXTS1.0", 11) == 0)) {
        looping = true;
      }
      bool broken = false;
      while (ext) {
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
          if (taken == 0) FailGiflib(gif->Error);
          broken = true;
          break;
        }
        if (looping && ext && ext[0] >= 3 && ext[1] == 1) screen.loopCount = ext[2] | (ext[3] << 8);
      }
      if (broken) break;
      continue;
    }

    if (record != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
      if (taken == 0) FailGiflib(gif->Error);
      break;
    }
    const GifImageDesc& desc = gif->Image;
    if (!PictureSizeAllowed(desc.Width, desc.Height)) Fail("frame is too large or has no pixels");
    if (!desc.ColorMap && !gif->SColorMap) Fail("frame has no colour table");
    reader.expect(desc.Width, desc.Height);

    TGifStoredFrame frame;
    frame.left = desc.Left;
    frame.top = desc.Top;
    frame.width = desc.Width;
    frame.height = desc.Height;
    frame.colors = ColorTable(desc.ColorMap);
    frame.delayMs = control.delayMs;
    frame.transparentIndex = control.transparentIndex;
    frame.controlIndex = control.index;
    frame.disposal = control.disposal;
    control = TControl{};

    frame.indices.resize(static_cast<size_t>(int64_t{desc.Width} * desc.Height));
    bool complete = true;
    for (int n = 0; n < desc.Height; ++n) {
      const int y = desc.Interlace ? InterlacedRow(n, desc.Height) : n;
      if (DGifGetLine(gif.get(), frame.indices.data() + static_cast<size_t>(y) * desc.Width, desc.Width) ==
          GIF_ERROR) {
        complete = false;
        break;
      }
    }
    // giflib keeps a record of every image it has read, growing its array
    // one by one; dropping them as we go keeps many frames linear. Its count
    // must go with them, or the next image is recorded past the array.
    GifFreeSavedImages(gif.get());
    gif->ImageCount = 0;
    if (!complete) {
      if (taken == 0) Fail("file is truncated");
      break;
    }
    ++taken;
    if (!reader.take(frame)) break;
  }
  if (taken == 0) Fail("file has no pictures");
}

}  // namespace

bool IsGIF(const uint8_t* data, size_t size) {
  return size >= 6 && std::memcmp(data, "GIF", 3) == 0 &&
         (std::memcmp(data + 3, "87a", 3) == 0 || std::memcmp(data + 3, "89a", 3) == 0);
}

TGifCompositor::TGifCompositor(int width, int height, uint32_t background)
    : canvas_(width, height), background_(background) {
  canvas_.Clear(background_);
}

void TGifCompositor::Restart() {
  canvas_.Clear(background_);
  saved_ = TBitmap32();
  previous_ = {};
}

void TGifCompositor::Draw(const TGifStoredFrame& frame, const std::vector<uint32_t>& globalColors) {
  if (previous_.drawn) {
    const TPrevious& p = previous_;
    if (p.disposal == TGifDisposal::Background) {
      const int x0 = std::clamp(p.left, 0, canvas_.Width()), x1 = std::clamp(p.left + p.width, 0, canvas_.Width());
      for (int y = std::max(p.top, 0); y < std::min(p.top + p.height, canvas_.Height()); ++y)
        std::fill(canvas_.Row(y) + x0, canvas_.Row(y) + std::max(x0, x1), background_);
    } else if (p.disposal == TGifDisposal::Previous && !saved_.Empty()) {
      canvas_ = saved_;
    }
  }
  if (frame.disposal == TGifDisposal::Previous) saved_ = canvas_;
  previous_ = {true, frame.left, frame.top, frame.width, frame.height, frame.disposal};

  const std::vector<uint32_t>& colors = frame.colors.empty() ? globalColors : frame.colors;
  for (int y = 0; y < frame.height; ++y) {
    const int ty = frame.top + y;
    if (ty < 0 || ty >= canvas_.Height()) continue;
    const uint8_t* src = frame.indices.data() + static_cast<size_t>(y) * frame.width;
    uint32_t* dst = canvas_.Row(ty);
    for (int x = 0; x < frame.width; ++x) {
      const int tx = frame.left + x;
      if (tx >= canvas_.Width()) break;
      const int i = src[x];
      if (tx < 0 || i == frame.transparentIndex || static_cast<size_t>(i) >= colors.size()) continue;
      dst[tx] = colors[static_cast<size_t>(i)];
    }
  }
}

TGifAnimation DecodeGIF(const uint8_t* data, size_t size, const TGifOptions& options) {
  TGifStoredAnimation screen;
  TGifAnimation animation;
  std::unique_ptr<TGifCompositor> compositor;
  TGifReader reader;
  reader.expect = [&](int, int) {
    // The frames kept so far, this one, the canvas and its saved copy.
    const int64_t screenBytes = int64_t{screen.width} * screen.height * 4;
    const int64_t frames = static_cast<int64_t>(animation.frames.size()) + 1;
    if (animation.frames.size() >= kMaxGifFrames || frames * screenBytes > options.maxFrameBytes ||
        (frames + 2) * screenBytes > kMaxDecodeBytes)
      Fail("has too many frames");
  };
  reader.take = [&](TGifStoredFrame& stored) {
    // The canvas starts transparent, and a frame's background is transparent.
    if (!compositor) compositor = std::make_unique<TGifCompositor>(screen.width, screen.height, 0u);
    compositor->Draw(stored, screen.globalColors);
    TGifFrame frame;
    frame.image = compositor->Canvas();
    frame.delayMs = stored.delayMs;
    frame.transparentIndex = stored.transparentIndex;
    frame.disposal = stored.disposal;
    frame.left = stored.left;
    frame.top = stored.top;
    frame.width = stored.width;
    frame.height = stored.height;
    animation.frames.push_back(std::move(frame));
    return !options.firstFrameOnly;
  };
  WalkGif(data, size, screen, reader);
  animation.width = screen.width;
  animation.height = screen.height;
  animation.loopCount = screen.loopCount;
  return animation;
}

TGifStoredAnimation DecodeGIFStored(const uint8_t* data, size_t size, const TGifStoredOptions& options) {
  TGifStoredAnimation animation;
  int64_t bytes = 0;
  TGifReader reader;
  reader.expect = [&](int width, int height) {
    if (bytes == 0) bytes = 2 * int64_t{animation.width} * animation.height * 4;
    if (animation.frames.size() >= options.maxFrames || bytes + int64_t{width} * height > options.maxBytes)
      Fail("has too many frames");
  };
  reader.take = [&](TGifStoredFrame& frame) {
    bytes += int64_t{frame.width} * frame.height;
    animation.frames.push_back(std::move(frame));
    return true;
  };
  WalkGif(data, size, animation, reader);
  return animation;
}

}  // namespace qv
