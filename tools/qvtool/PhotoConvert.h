// The photo formats the engine does not play but pack takes: HEIF (HEIC,
// what phones write), AVIF and TIFF, each turned into a JPEG the engine on
// every system plays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/ImageFormats/Picture.h"

namespace qvtool {

// "HEIC", "HEIF", "AVIF" or "TIFF" by what the first bytes hold, or empty.
std::string ConvertibleFormat(const uint8_t* head, size_t size);

// Whether this qvtool has the decoders (a Windows qvtool does not).
bool CanConvertPhotos();

// Decodes a picture of one of those formats at its full size: upright (a
// HEIF's rotation and mirroring from its container, a TIFF's orientation tag)
// and in sRGB (an embedded ICC profile, or a HEIF's colour primaries), over
// black where it is transparent. Throws qv::EQVError naming the format.
qv::TPicture DecodePhoto(const uint8_t* data, size_t size);

// The file as a JPEG of quality 95 at the same size. Throws qv::EQVError
// naming the file and the format when it cannot (no decoder here, a
// damaged or oversized picture).
std::vector<uint8_t> ConvertToJPEG(const std::string& path);

}  // namespace qvtool
