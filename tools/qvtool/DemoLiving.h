// The living picture of the bundled demo screensaver, made by code: a lake
// at dusk under a winter sky, whose water mirrors the hills and ripples
// deeper towards the shore, a brook in the snow, gulls on the wing, falling
// snow and the sound of lapping water.
#pragma once
#include <string>
#include <vector>

namespace qvtool {

// The files of the living picture, written into `folder`.
struct DemoLivingFiles {
  std::string picture;                // the .qvp, a playlist item
  std::vector<std::string> extras;    // the files it names: the gull's GIF, the water's WAVE
};

// Drawn at 1920 x 1080 by default: a Full HD screen shows it pixel for
// pixel, and a 4K screen enlarges it exactly twice, mask and all.
DemoLivingFiles WriteDemoLiving(const std::string& folder, int width = 1920, int height = 1080);

}  // namespace qvtool
