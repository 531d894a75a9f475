// The files qvtool's commands read: pictures given on the command line.
#pragma once
#include <string>

#include "graphics/Bitmap32.h"

namespace qvtool {

// A picture file of any format the engine reads; qv::EQVError says why not.
qv::TBitmap32 ReadPicture(const std::string& path);

}  // namespace qvtool
