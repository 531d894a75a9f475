// The music of the bundled demo screensaver: two short pentatonic pieces,
// synthesised and returned as WAVE files (22050 Hz, 16-bit mono).
#pragma once
#include <cstdint>
#include <vector>

namespace qvtool {

// which = 0 or 1 (any other value gives piece 0); about five seconds each.
std::vector<uint8_t> DemoTune(int which);

}  // namespace qvtool
