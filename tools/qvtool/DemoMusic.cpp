#include "DemoMusic.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/SoundFormats/uWave.h"

namespace qvtool {

namespace {

constexpr int kRate = 22050;

struct TNote {
  int semitones;  // from A4 (440 Hz)
  double beats;
};

// Soft bell-like tone: a 30 ms attack, an exponential decay, and a quiet
// octave above the fundamental. The last 60 ms close to silence, so a note
// that is still sounding when its time is up stops without a click.
void AddNote(std::vector<double>& mix, size_t at, double hz, double seconds, double gain) {
  const size_t length = static_cast<size_t>((seconds + 0.6) * kRate);
  const double release = 0.06, end = static_cast<double>(length) / kRate;
  if (mix.size() < at + length) mix.resize(at + length, 0.0);
  for (size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double attack = std::min(1.0, t / 0.03);
    const double decay = std::exp(-t * 2.2) * std::min(1.0, (end - t) / release);
    const double tone = std::sin(2 * std::numbers::pi * hz * t) + 0.25 * std::sin(4 * std::numbers::pi * hz * t);
    mix[at + i] += gain * attack * decay * tone;
  }
}

std::vector<double> Render(const std::vector<TNote>& melody, const std::vector<TNote>& bass, double beat) {
  std::vector<double> mix;
  for (const auto* voice : {&melody, &bass}) {
    const double gain = voice == &melody ? 0.5 : 0.3;
    double time = 0;
    for (const TNote& note : *voice) {
      const double hz = 440.0 * std::pow(2.0, note.semitones / 12.0);
      AddNote(mix, static_cast<size_t>(time * kRate), hz, note.beats * beat, gain);
      time += note.beats * beat;
    }
  }
  // A short fade at the very end so the piece stops without a click.
  const size_t fade = std::min<size_t>(mix.size(), kRate / 10);
  for (size_t i = 0; i < fade; ++i) mix[mix.size() - 1 - i] *= static_cast<double>(i) / fade;
  return mix;
}

}  // namespace

std::vector<uint8_t> DemoTune(int which) {
  // C major pentatonic (C D E G A) for the first piece, A minor pentatonic
  // (A C D E G) for the second; semitones are counted from A4.
  std::vector<double> mix;
  if (which == 1) {
    mix = Render({{0, 1}, {3, 1}, {5, 1}, {7, 2}, {5, 1}, {3, 1}, {0, 1}, {-2, 1}, {0, 3}},
                 {{-24, 4}, {-19, 4}, {-24, 4}}, 0.40);
  } else {
    mix = Render({{3, 1}, {5, 1}, {7, 1}, {10, 1}, {12, 2}, {10, 1}, {7, 1}, {5, 1}, {3, 1}, {5, 1}, {3, 3}},
                 {{-21, 4}, {-16, 4}, {-21, 6}}, 0.33);
  }
  return DemoWave(mix, kRate, -4.0);
}

std::vector<uint8_t> DemoWave(const std::vector<double>& samples, int rate, double peakDbfs) {
  double peak = 0;
  for (double v : samples) peak = std::max(peak, std::abs(v));
  const double gain = peak > 0 ? std::pow(10.0, peakDbfs / 20) * 32767 / peak : 0;
  qv::TWave wave;
  wave.format = qv::PcmFormatBlock(rate, 1, 16);
  wave.data.reserve(samples.size() * 2);
  for (double v : samples) {
    const auto s = static_cast<int16_t>(std::clamp(std::lround(v * gain), -32767L, 32767L));
    wave.data.push_back(static_cast<uint8_t>(s & 0xFF));
    wave.data.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  return wave.ToBytes();
}

}  // namespace qvtool
