// The transition effects: the table of all 169 effects by number, and the
// effects that work on the pixels of the 32-bit bitmaps directly.
#pragma once
#include <array>

#include "common/Bands.h"
#include "graphics/Bitmap32.h"
#include "project/uQVProject.h"

namespace qv {

// Dest holds the old picture on entry and receives the frame; New is the new
// picture, the same size as Dest. X (0..W) and Y (0..H) are the progress along
// the picture's diagonal, Percent (0..100) the overall progress. A procedure
// keeps no state: a frame depends only on its arguments and the shared generator.
using TEffectProc = void (*)(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                             int Percent);

// The same frame drawn in bands of rows on several threads at once. Dest has
// Old's size and receives the whole frame; Old is the picture the frame starts
// from, or Dest itself holding it (then the frame is drawn as TEffectProc
// draws it). When Old is not Dest, W and H are its size. A procedure makes every draw from the shared generator, in the
// order TEffectProc makes them, before it splits the pixel work over Bands,
// so the frame and the generator's sequence are those of one thread.
struct TBandedFrame {
  TBitmap32& Dest;
  const TBitmap32& Old;
  const TBitmap32& New;
  // A working bitmap the effect may size and use as it likes.
  TBitmap32& Scratch;
  IBands& Bands;
};
using TBandedProc = void (*)(const TBandedFrame& f, int W, int H, int X, int Y, int Percent);

struct TEffect {
  const char* Name;
  TEffectProc Proc;
  TBandedProc Banded = nullptr;
};

// Entry n - 1 is effect number n; projects store effects by number.
const std::array<TEffect, kEffectCount>& EffectTable();

// Blends the rectangle of New into the same rectangle of Dest with the weight
// of "Fade" at Percent; the part outside Dest is ignored.
void BlendRect(TBitmap32& Dest, const TBitmap32& New, int Percent, int Left, int Top, int Width,
               int Height);

// Rows [first, last) of Old copied into Dest, unless Dest is Old: where a
// banded frame starts.
void StartRows(TBitmap32& Dest, const TBitmap32& Old, int first, int last);

// A banded procedure as a TEffectProc: drawn in place, on the calling thread.
template <TBandedProc Banded>
void InPlace(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  TOneBand one;
  TBitmap32 scratch;
  Banded(TBandedFrame{Dest, Dest, New, scratch, one}, W, H, X, Y, Percent);
}

void Fade(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent);
void Pixelate(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent);
void Dissolve(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent);
void RandomBarsHorizontal(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                          int Percent);
void RandomBarsVertical(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                        int Percent);
void PivotFromTopLeft(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                      int Percent);
void PivotFromBottomLeft(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                         int Percent);
void PivotFromTopRight(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                       int Percent);
void PivotFromBottomRight(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                          int Percent);

}  // namespace qv
