#include "PhotoConvert.h"

#include <cstring>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Paths.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"

namespace qvtool {

using qv::EQVError;

namespace {

constexpr int kConvertedQuality = 95;

// An ISO media file's brands: the major one at 8, compatible ones from 16 to
// the end of the "ftyp" box.
bool HasBrand(const uint8_t* head, size_t size, const char* brand) {
  if (size < 16 || std::memcmp(head + 4, "ftyp", 4) != 0) return false;
  const size_t box = static_cast<size_t>(head[0]) << 24 | head[1] << 16 | head[2] << 8 | head[3];
  const size_t end = std::min(size, std::max<size_t>(box, 16));
  if (std::memcmp(head + 8, brand, 4) == 0) return true;
  for (size_t at = 16; at + 4 <= end; at += 4)
    if (std::memcmp(head + at, brand, 4) == 0) return true;
  return false;
}

}  // namespace

std::string ConvertibleFormat(const uint8_t* head, size_t size) {
  if (size >= 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0)) return "TIFF";
  if (size >= 12 && std::memcmp(head + 4, "ftyp", 4) == 0) {
    if (HasBrand(head, size, "avif") || HasBrand(head, size, "avis")) return "AVIF";
    for (const char* brand : {"heic", "heix", "hevc", "hevx", "heim", "heis"})
      if (HasBrand(head, size, brand)) return "HEIC";
    if (HasBrand(head, size, "mif1") || HasBrand(head, size, "msf1")) return "HEIF";
  }
  return {};
}

std::vector<uint8_t> ConvertToJPEG(const std::string& path) {
  const std::vector<uint8_t> bytes = qv::platform::ReadWholeFile(path, qv::kMaxPictureFileBytes);
  const std::string format = ConvertibleFormat(bytes.data(), bytes.size());
  if (format.empty()) throw EQVError(path + " is not a HEIF, AVIF or TIFF picture");
  if (!CanConvertPhotos())
    throw EQVError(path + " is a " + format + " picture, which this qvtool cannot convert (it has no " + format +
                   " decoder): convert it to JPEG first, or pack on Linux");
  try {
    qv::TPicture picture = DecodePhoto(bytes.data(), bytes.size());
    return qv::EncodeJPEG(picture.bitmap, kConvertedQuality);
  } catch (const EQVError& e) {
    throw EQVError(path + " (" + format + ") cannot be converted: " + e.what());
  }
}

}  // namespace qvtool
