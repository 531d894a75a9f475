// Reads the one EXIF tag the engine honours, Orientation (0x0112), and turns
// a decoded picture upright by it. The reader looks at the first directory
// (IFD0) of the TIFF structure only, reads nothing outside the bytes it is
// given and allocates nothing, so a hostile block costs nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// `data` is the EXIF block: a TIFF header ("II*\0" or "MM\0*"), optionally
// after the "Exif\0\0" prefix JPEG's APP1 and some WebP writers put first.
// Gives 1 to 8, and 1 when the tag is missing, malformed or out of range.
int ExifOrientation(const uint8_t* data, size_t size);

// Orientations 5 to 8 turn the picture a quarter: its upright width is its
// stored height.
constexpr bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The picture as it is meant to be seen, from a picture stored with EXIF
// orientation 1 to 8 (2: mirrored; 3: upside down; 4: flipped; 5: mirrored
// along the main diagonal; 6: to be turned clockwise; 7: along the other
// diagonal; 8: to be turned anticlockwise). 1 or anything else: unchanged.
TBitmap32 Oriented(TBitmap32 bitmap, int orientation);

// Puts `count` rows from `storedY` on (`rows`, one after the other) of a
// picture stored `storedWidth` x `storedHeight` where the upright picture
// (already sized upright) shows them: for a decoder that reads a band of
// rows at a time and turns as it goes.
void PlaceStoredRows(TBitmap32& upright, int orientation, int storedY, int count, int storedHeight,
                     const uint32_t* rows, int storedWidth);

// An EXIF block (a little-endian TIFF structure, no "Exif" prefix) holding
// only the orientation tag: what cameras write, for the writers and tests.
std::vector<uint8_t> ExifBlock(int orientation);

}  // namespace qv
