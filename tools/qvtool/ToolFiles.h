// The files qvtool's commands read and make: pictures given on the command
// line, and files written whole (demo sources, animated pictures, the
// gallery's index), replacing what had the name.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qvtool {

// A picture file of any format the engine reads; qv::EQVError says why not.
qv::TBitmap32 ReadPicture(const std::string& path);

// Throws qv::EQVError "cannot write PATH" when the system refuses.
void WriteOutputFile(const std::string& path, std::string_view bytes);
void WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace qvtool
