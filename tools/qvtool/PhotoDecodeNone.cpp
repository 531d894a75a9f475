// The Windows qvtool has no HEIF or TIFF decoder: PhotoConvert.h refuses
// such pictures, naming their format.
#include "PhotoConvert.h"
#include "common/Error.h"

namespace qvtool {

bool CanConvertPhotos() { return false; }

qv::TPicture DecodePhoto(const uint8_t*, size_t) { throw qv::EQVError("no decoder for this format"); }

}  // namespace qvtool
