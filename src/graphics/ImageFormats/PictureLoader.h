// Decodes a picture of any format the engine reads (JPEG, GIF, BMP, PNG,
// WebP), recognised by its bytes, not its name, and hands it back upright
// (EXIF orientation) and in sRGB (embedded colour profile). Reading the file is the caller's
// (platform::ReadWholeFile with kMaxPictureFileBytes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/Limits.h"
#include "graphics/ImageFormats/Picture.h"

namespace qv {

// A GIF or an animated WebP gives its first frame; transparent pixels of a
// PNG or WebP are shown over black. `name` (a path or a description) says in
// messages which picture it is; its file-name part is used. Throws
// EQVError: "Unknown picture format: <file name>", or the decoder's error.
TPicture DecodePicture(std::span<const uint8_t> bytes, const std::string& name, TDecodeHint hint = {});
TPicture DecodePicture(const uint8_t* data, size_t size, const std::string& name, TDecodeHint hint = {});

// What DecodePicture does to a decoder's result: converts the colours by
// its profile (unless told to keep it for the caller), turns it upright
// (true size too), and clears what it applied.
void FinishPicture(TPicture& picture, bool convertColours = true);

}  // namespace qv
