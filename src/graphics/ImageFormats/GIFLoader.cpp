#include "graphics/ImageFormats/GIFLoader.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
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
  int disposal = 0;
};

void ClearRect(TBitmap32& canvas, int left, int top, int width, int height) {
  const int x0 = std::max(0, left), x1 = std::min(canvas.Width(), left + width);
  const int y0 = std::max(0, top), y1 = std::min(canvas.Height(), top + height);
  for (int y = y0; y < y1; ++y) std::fill(canvas.Row(y) + x0, canvas.Row(y) + std::max(x0, x1), 0u);
}

}  // namespace

bool IsGIF(const uint8_t* data, size_t size) {
  return size >= 6 && std::memcmp(data, "GIF", 3) == 0 &&
         (std::memcmp(data + 3, "87a", 3) == 0 || std::memcmp(data + 3, "89a", 3) == 0);
}

TGifAnimation DecodeGIF(const uint8_t* data, size_t size, const TGifOptions& options) {
  if (!IsGIF(data, size)) Fail("picture cannot be read: not a GIF file");
  TSource source{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&source, ReadMemory, &error));
  if (!gif) FailGiflib(error);

  TGifAnimation animation;
  const int sw = gif->SWidth, sh = gif->SHeight;
  if (!PictureSizeAllowed(sw, sh)) Fail("picture is too large or has no pixels");
  // The canvas and its saved copy come first, whatever the frames cover.
  if (!DecodeFits(sw, sh, int64_t{sw} * sh * 4)) Fail("picture is too large to show");
  animation.width = sw;
  animation.height = sh;

  TBitmap32 canvas(sw, sh);  // starts transparent
  TBitmap32 saved;
  TControl control;
  std::vector<GifPixelType> line;
  const int64_t screenBytes = int64_t{sw} * sh * 4;

  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
      if (animation.frames.empty()) FailGiflib(gif->Error);
      break;  // keep the whole frames read so far
    }
    if (record == TERMINATE_RECORD_TYPE) break;

    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) {
        if (animation.frames.empty()) FailGiflib(gif->Error);
        break;
      }
      bool looping = false;
      if (code == GRAPHICS_EXT_FUNC_CODE && ext) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
          control.delayMs = gcb.DelayTime * 10;
          control.transparentIndex = gcb.TransparentColor;
          control.disposal = gcb.DisposalMode;
        }
      } else if (code == APPLICATION_EXT_FUNC_CODE && ext && ext[0] == 11 &&
                 (std::memcmp(ext + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(ext + 1, "ANIMEXTS1.0", 11) == 0)) {
        looping = true;
      }
      while (ext) {
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
          if (animation.frames.empty()) FailGiflib(gif->Error);
          ext = nullptr;
          break;
        }
        if (looping && ext && ext[0] >= 3 && ext[1] == 1) animation.loopCount = ext[2] | (ext[3] << 8);
      }
      continue;
    }

    if (record != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
      if (animation.frames.empty()) FailGiflib(gif->Error);
      break;
    }
    const GifImageDesc& desc = gif->Image;
    if (!PictureSizeAllowed(desc.Width, desc.Height)) Fail("frame is too large or has no pixels");
    // The frames kept so far, this one, the canvas and its saved copy.
    const int64_t frames = static_cast<int64_t>(animation.frames.size()) + 1;
    if (animation.frames.size() >= kMaxGifFrames || frames * screenBytes > options.maxFrameBytes ||
        (frames + 2) * screenBytes > kMaxDecodeBytes)
      Fail("has too many frames");
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map) Fail("frame has no colour table");

    // The previous frame's disposal applies before this one is drawn.
    if (!animation.frames.empty()) {
      const TGifFrame& prev = animation.frames.back();
      if (prev.disposal == DISPOSE_BACKGROUND)
        ClearRect(canvas, prev.left, prev.top, prev.width, prev.height);
      else if (prev.disposal == DISPOSE_PREVIOUS && !saved.Empty())
        canvas = saved;
    }
    if (control.disposal == DISPOSE_PREVIOUS) saved = canvas;

    TGifFrame frame;
    frame.delayMs = control.delayMs;
    frame.transparentIndex = control.transparentIndex;
    frame.disposal = control.disposal;
    frame.left = desc.Left;
    frame.top = desc.Top;
    frame.width = desc.Width;
    frame.height = desc.Height;
    control = TControl{};

    uint32_t colors[256];
    for (int i = 0; i < 256; ++i) {
      const GifColorType& c = map->Colors[std::min(i, map->ColorCount - 1)];
      colors[i] = 0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
    }
    line.resize(desc.Width);
    bool complete = true;
    for (int n = 0; n < desc.Height; ++n) {
      if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR) {
        complete = false;
        break;
      }
      const int y = desc.Top + (desc.Interlace ? InterlacedRow(n, desc.Height) : n);
      if (y < 0 || y >= sh) continue;
      uint32_t* row = canvas.Row(y);
      for (int i = 0; i < desc.Width; ++i) {
        const int x = desc.Left + i;
        if (x >= sw) break;
        const int index = line[i];
        if (index != frame.transparentIndex && index < map->ColorCount) row[x] = colors[index];
      }
    }
    if (!complete) {
      if (animation.frames.empty()) Fail("file is truncated");
      break;
    }
    frame.image = canvas;
    animation.frames.push_back(std::move(frame));
    if (options.firstFrameOnly) break;
  }
  if (animation.frames.empty()) Fail("file has no pictures");
  return animation;
}

}  // namespace qv

namespace qv {

TGifStoredAnimation DecodeGIFStored(const uint8_t* data, size_t size, const TGifStoredOptions& options) {
  if (!IsGIF(data, size)) Fail("picture cannot be read: not a GIF file");
  TSource source{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&source, ReadMemory, &error));
  if (!gif) FailGiflib(error);

  TGifStoredAnimation animation;
  if (!PictureSizeAllowed(gif->SWidth, gif->SHeight)) Fail("picture is too large or has no pixels");
  const int64_t canvasBytes = 2 * int64_t{gif->SWidth} * gif->SHeight * 4;
  if (!DecodeFits(gif->SWidth, gif->SHeight, canvasBytes / 2)) Fail("picture is too large to show");
  animation.width = gif->SWidth;
  animation.height = gif->SHeight;
  auto table = [](const ColorMapObject* map) {
    std::vector<uint32_t> colors;
    if (!map) return colors;
    for (int i = 0; i < map->ColorCount; ++i) {
      const GifColorType& c = map->Colors[i];
      colors.push_back(0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue);
    }
    return colors;
  };
  animation.globalColors = table(gif->SColorMap);
  animation.backgroundIndex = gif->SBackGroundColor;

  TControl control;
  int64_t bytes = canvasBytes;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
      if (animation.frames.empty()) FailGiflib(gif->Error);
      break;
    }
    if (record == TERMINATE_RECORD_TYPE) break;

    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) {
        if (animation.frames.empty()) FailGiflib(gif->Error);
        break;
      }
      if (code == GRAPHICS_EXT_FUNC_CODE && ext) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
          control.delayMs = gcb.DelayTime * 10;
          control.transparentIndex = gcb.TransparentColor;
          control.disposal = gcb.DisposalMode;
        }
      }
      bool broken = false;
      while (ext) {
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
          if (animation.frames.empty()) FailGiflib(gif->Error);
          broken = true;
          break;
        }
      }
      if (broken) break;
      continue;
    }

    if (record != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
      if (animation.frames.empty()) FailGiflib(gif->Error);
      break;
    }
    const GifImageDesc& desc = gif->Image;
    if (!PictureSizeAllowed(desc.Width, desc.Height)) Fail("frame is too large or has no pixels");
    const int64_t frameBytes = int64_t{desc.Width} * desc.Height;
    if (animation.frames.size() >= options.maxFrames || bytes + frameBytes > options.maxBytes)
      Fail("has too many frames");
    if (!desc.ColorMap && !gif->SColorMap) Fail("frame has no colour table");

    TGifStoredFrame frame;
    frame.left = desc.Left;
    frame.top = desc.Top;
    frame.width = desc.Width;
    frame.height = desc.Height;
    frame.colors = table(desc.ColorMap);
    frame.delayMs = control.delayMs;
    frame.transparentIndex = control.transparentIndex;
    frame.disposal = control.disposal;
    control = TControl{};

    frame.indices.resize(static_cast<size_t>(frameBytes));
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
      if (animation.frames.empty()) Fail("file is truncated");
      break;
    }
    bytes += frameBytes;
    animation.frames.push_back(std::move(frame));
  }
  if (animation.frames.empty()) Fail("file has no pictures");
  return animation;
}

}  // namespace qv
