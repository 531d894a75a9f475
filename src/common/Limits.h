// Caps that every reader of user-supplied files checks before it allocates.
// A screensaver file may come from anywhere: each cap bounds what one file,
// one picture or one list can cost, and all of them live here.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qv {

// The largest picture any decoder accepts: a side of at most 16384 pixels and
// at most 2^28 pixels in all (1 GiB at 32 bits a pixel).
inline constexpr int64_t kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;

constexpr bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

// What decoding one picture may cost: the file read whole, plus at most
// kMaxDecodeBytes for the decoded pixels and the decoder's own working
// memory, 512 MiB at the peak in all. A screensaver shows pictures at
// screen size; a tiny file declaring a huge picture is refused here, not
// after gigabytes were taken.
inline constexpr uint64_t kMaxPictureFileBytes = uint64_t{128} << 20;  // JPEG, GIF, BMP, PNG, WebP
inline constexpr int64_t kMaxDecodeBytes = int64_t{384} << 20;

// Whether a decoded picture of this size (32 bits a pixel), plus `working`
// bytes the decoder needs beside it, fits the budget.
constexpr bool DecodeFits(int64_t width, int64_t height, int64_t working = 0) {
  return PictureSizeAllowed(width, height) && width * height * 4 + working <= kMaxDecodeBytes;
}

// Files read whole into memory.
inline constexpr uint64_t kMaxWaveBytes = uint64_t{256} << 20;         // one sound effect
inline constexpr uint64_t kMaxMusicFileBytes = uint64_t{1} << 30;      // one music track (streamed)
inline constexpr uint64_t kMaxIniFileSize = uint64_t{16} << 20;        // settings files
inline constexpr uint64_t kMaxNamesFileBytes = uint64_t{16} << 20;     // the overlay's picture names
inline constexpr size_t kMaxNameLines = size_t{1} << 20;

// An embedded colour profile (JPEG spreads one over at most 255 markers of
// 64 KiB; real ones are a few KiB) and an EXIF block.
inline constexpr size_t kMaxColourProfileBytes = size_t{16} << 20;
inline constexpr size_t kMaxExifBytes = size_t{1} << 20;

// JPEG: the number of scans of a progressive file (real ones have a dozen).
inline constexpr int kMaxJpegScans = 1000;

// GIF: frames of one animation.
inline constexpr size_t kMaxGifFrames = 100000;

// Animated-picture projects (.QVP): the whole file (two pictures and their
// mask, so as much as a picture file), the object description and build
// settings texts inside it, and the objects one project may have (each
// moves on a thread of its own).
inline constexpr uint64_t kMaxProjectFileBytes = kMaxPictureFileBytes;
inline constexpr uint64_t kMaxProjectTextBytes = uint64_t{16} << 20;
inline constexpr size_t kMaxAnimObjects = 100;

// A skin (the configuration windows' descriptions with their pictures in
// hex, so about twice the pictures' size).
inline constexpr uint64_t kMaxSkinFileBytes = uint64_t{64} << 20;
// Its form descriptions: objects, collections and lists nest at most this
// deep, and one description holds at most this many values (objects count
// too).
inline constexpr int kMaxFormNesting = 32;
inline constexpr size_t kMaxFormValues = 200000;
// Its controls and windows are at most this large a side and lie within
// this far of their parent; its thumbnails are at most this large; the
// pictures of one window together take as many pixels as one decoded
// picture may.
inline constexpr int kMaxControlSide = 4096;
inline constexpr int kMaxControlOffset = 16384;
inline constexpr int kMaxSkinThumbnailSide = 512;
inline constexpr int64_t kMaxSkinWindowPixels = kMaxDecodeBytes / 4;
// Its windows open one inside the other at most this deep.
inline constexpr int kMaxOpenWindows = 8;

}  // namespace qv
