// Decodes GIF pictures and animations with giflib: one walk over the file's
// records gives each frame as stored, and one compositor draws stored frames
// onto the logical screen the way a viewer shows them one after another.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/Limits.h"
#include "graphics/Bitmap32.h"

namespace qv {

// What happens to a frame's rectangle before the next frame is drawn (the
// graphic control extension's disposal method).
enum class TGifDisposal : uint8_t {
  Unspecified = 0,
  Keep = 1,        // left as drawn
  Background = 2,  // cleared to the background
  Previous = 3,    // the canvas as it was before the frame
};

// A frame as the file stores it.
struct TGifStoredFrame {
  int left = 0, top = 0, width = 0, height = 0;  // within the logical screen (may reach past it)
  std::vector<uint8_t> indices;                  // width x height, rows top-down, interlacing undone
  std::vector<uint32_t> colors;                  // its own colour table (0xFFRRGGBB); empty: the global one
  int delayMs = 0;
  int transparentIndex = -1;  // -1: none
  // The colour index the frame's graphic control holds, whether or not its
  // transparency flag is set (0 without a graphic control): a player that
  // turns transparency on for a frame takes this index.
  int controlIndex = 0;
  TGifDisposal disposal = TGifDisposal::Unspecified;
};

struct TGifStoredAnimation {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> globalColors;  // empty when the file has no global table
  int backgroundIndex = 0;
  int loopCount = -1;  // from the looping extension (0 forever); -1 without one
  std::vector<TGifStoredFrame> frames;
};

// Stored frames drawn onto a canvas of the logical screen one after another:
// the previous frame is disposed of as it asks, a frame that asks to be
// undone afterwards keeps the canvas as it was, then every pixel of the frame
// but its transparent index is painted.
class TGifCompositor {
 public:
  // `background` fills the canvas at the start and what a frame's
  // "background" disposal clears.
  TGifCompositor(int width, int height, uint32_t background);
  void Draw(const TGifStoredFrame& frame, const std::vector<uint32_t>& globalColors);
  // Back to the background, as before the first frame.
  void Restart();
  const TBitmap32& Canvas() const { return canvas_; }

 private:
  // What the next frame's draw needs of the one before.
  struct TPrevious {
    bool drawn = false;
    int left = 0, top = 0, width = 0, height = 0;
    TGifDisposal disposal = TGifDisposal::Unspecified;
  };
  TBitmap32 canvas_, saved_;
  uint32_t background_;
  TPrevious previous_;
};

// A frame composited onto the logical screen.
struct TGifFrame {
  TBitmap32 image;  // the whole logical screen after this frame; transparent pixels have alpha 0
  int delayMs = 0;
  int transparentIndex = -1;  // -1: none
  TGifDisposal disposal = TGifDisposal::Unspecified;
  int left = 0, top = 0, width = 0, height = 0;  // the frame's own rectangle
};

struct TGifAnimation {
  int width = 0;
  int height = 0;
  std::vector<TGifFrame> frames;  // a still picture has one
  int loopCount = -1;
};

struct TGifOptions {
  bool firstFrameOnly = false;
  // The decoded frames together may take at most this many bytes, so that a
  // tiny file of many frames cannot exhaust memory.
  int64_t maxFrameBytes = kMaxDecodeBytes;
};

struct TGifStoredOptions {
  size_t maxFrames = kMaxGifFrames;
  // The frames' indices (a byte a pixel) and a player's two canvases of the
  // screen's size (4 bytes a pixel each) may take at most this much.
  int64_t maxBytes = kMaxDecodeBytes;
};

bool IsGIF(const uint8_t* data, size_t size);

// Every frame composited. Throws EQVError for malformed or oversized files,
// or when the frames need more than options.maxFrameBytes ("GIF has too many
// frames"). A stream that breaks off after whole frames gives those frames.
TGifAnimation DecodeGIF(const uint8_t* data, size_t size, const TGifOptions& options = {});

// The frames as stored, with the same checks and errors.
TGifStoredAnimation DecodeGIFStored(const uint8_t* data, size_t size, const TGifStoredOptions& options = {});

}  // namespace qv
