// Which items of a project's picture list are still pictures: the rule the
// slideshow, the configuration window and the installers share.
#pragma once
#include <string>

namespace qv {

// ".JPG", ".PNG", ".WEBP", ".BMP" and ".GIF" (any case) are still pictures;
// any other extension is an animated-picture project.
bool IsStillPicture(const std::string& file);

}  // namespace qv
