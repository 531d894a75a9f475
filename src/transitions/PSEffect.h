// The transition effects: the table of all 169 effects by number, and the
// effects that work on the pixels of the 32-bit bitmaps directly.
#pragma once
#include <array>

#include "graphics/Bitmap32.h"
#include "project/uQVProject.h"

namespace qv {

// Dest holds the old picture on entry and receives the frame; New is the new
// picture, the same size as Dest. X (0..W) and Y (0..H) are the progress along
// the picture's diagonal, Percent (0..100) the overall progress. A procedure
// keeps no state: a frame depends only on its arguments and the shared generator.
using TEffectProc = void (*)(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y,
                             int Percent);

struct TEffect {
  const char* Name;
  TEffectProc Proc;
};

// Entry n - 1 is effect number n; projects store effects by number.
const std::array<TEffect, kEffectCount>& EffectTable();

// Blends the rectangle of New into the same rectangle of Dest with the weight
// of "Fade" at Percent; the part outside Dest is ignored.
void BlendRect(TBitmap32& Dest, const TBitmap32& New, int Percent, int Left, int Top, int Width,
               int Height);

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
