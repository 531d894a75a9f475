// The sounds of the bundled demo screensaver: two short pentatonic pieces,
// synthesised and returned as WAVE files (22050 Hz, 16-bit mono), and the
// one writer every demo sound goes through.
#pragma once
#include <cstdint>
#include <vector>

namespace qvtool {

// which = 0 or 1 (any other value gives piece 0); about five seconds each.
std::vector<uint8_t> DemoTune(int which);

// A 16-bit mono WAVE at `rate` of `samples`, scaled so that the loudest one,
// whatever its sign, lies `peakDbfs` (below 0) under full scale.
std::vector<uint8_t> DemoWave(const std::vector<double>& samples, int rate, double peakDbfs);

}  // namespace qvtool
