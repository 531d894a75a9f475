// Decodes GIF pictures and animations with giflib; every frame comes back
// composited onto the logical screen, ready to show.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/Limits.h"
#include "graphics/Bitmap32.h"

namespace qv {

struct TGifFrame {
  TBitmap32 image;  // the whole logical screen after this frame; transparent pixels have alpha 0
  int delayMs = 0;
  int transparentIndex = -1;  // -1: none
  int disposal = 0;           // 0 unspecified, 1 keep, 2 background, 3 previous
  int left = 0, top = 0, width = 0, height = 0;  // the frame's own rectangle
};

struct TGifAnimation {
  int width = 0;
  int height = 0;
  std::vector<TGifFrame> frames;  // a still picture has one
  int loopCount = -1;             // from the looping extension (0 forever); -1 without one
};

struct TGifOptions {
  bool firstFrameOnly = false;
  // The decoded frames together may take at most this many bytes, so that a
  // tiny file of many frames cannot exhaust memory.
  int64_t maxFrameBytes = kMaxDecodeBytes;
};

// A frame as the file stores it, for a player that composites the frames
// itself with its own transparency and disposal.
struct TGifStoredFrame {
  int left = 0, top = 0, width = 0, height = 0;  // within the logical screen (may reach past it)
  std::vector<uint8_t> indices;                  // width x height, rows top-down, interlacing undone
  std::vector<uint32_t> colors;                  // its own colour table (0xFFRRGGBB); empty: the global one
  int delayMs = 0;
  int transparentIndex = -1;  // -1: none
  int disposal = 0;           // 0 unspecified, 1 keep, 2 background, 3 previous
};

struct TGifStoredAnimation {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> globalColors;  // empty when the file has no global table
  int backgroundIndex = 0;
  std::vector<TGifStoredFrame> frames;
};

struct TGifStoredOptions {
  size_t maxFrames = kMaxGifFrames;
  // The frames' indices (a byte a pixel) and the player's two canvases of
  // the screen's size (4 bytes a pixel each) may take at most this much.
  int64_t maxBytes = kMaxDecodeBytes;
};

bool IsGIF(const uint8_t* data, size_t size);

// Throws EQVError for malformed or oversized files, or when the frames need
// more than options.maxFrameBytes ("GIF has too many frames"). A stream that
// breaks off after whole frames gives those frames.
TGifAnimation DecodeGIF(const uint8_t* data, size_t size, const TGifOptions& options = {});

// The frames as stored, with the same checks and errors as DecodeGIF.
TGifStoredAnimation DecodeGIFStored(const uint8_t* data, size_t size, const TGifStoredOptions& options = {});

}  // namespace qv
