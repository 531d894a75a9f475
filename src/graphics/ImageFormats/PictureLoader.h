// Loads a picture file of any format the engine reads (JPEG, GIF, BMP),
// recognised by its bytes, not its name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/Limits.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/Picture.h"

namespace qv {

// A GIF gives its first frame. Throws EQVError: "Cannot open <path>",
// "Unknown picture format: <file name>", or the decoder's error.
TPicture LoadPicture(const std::string& path, TDecodeHint hint = {});

// The same for bytes already in memory; name only goes into messages.
TPicture DecodePicture(const uint8_t* data, size_t size, const std::string& name, TDecodeHint hint = {});

TGifAnimation LoadGifAnimation(const std::string& path);
TGifStoredAnimation LoadGifStored(const std::string& path, const TGifStoredOptions& options = {});

}  // namespace qv
