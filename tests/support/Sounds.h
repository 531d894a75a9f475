// Sounds made by code for the tests.
#pragma once
#include <cmath>
#include <numbers>
#include <cstdint>
#include <string>

#include "support/TempDir.h"

namespace qvtest {

// A mono 16-bit WAVE file of a sine tone.
inline std::string Tone(double hz, double seconds, int rate = 22050) {
  const uint32_t samples = static_cast<uint32_t>(seconds * rate), bytes = samples * 2;
  std::string w = "RIFF" + Le32(36 + bytes) + "WAVEfmt " + Le32(16);
  w += std::string("\x01\x00\x01\x00", 4) + Le32(rate) + Le32(rate * 2) + std::string("\x02\x00\x10\x00", 4);
  w += "data" + Le32(bytes);
  for (uint32_t i = 0; i < samples; ++i) {
    int16_t v = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / rate));
    w.push_back(static_cast<char>(v & 0xFF));
    w.push_back(static_cast<char>((v >> 8) & 0xFF));
  }
  return w;
}

}  // namespace qvtest
