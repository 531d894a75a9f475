// The floor every frame figure of the benchmarks is set against: one plain
// copy of a full frame of the same size, measured in the same run. A timed
// frame loop reports the median of its frames and that median's ratio to the
// floor as the counters median_ms and x_copy.
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qvbench {

// A picture of noise, opaque: nothing in it repeats for a cache or a codec
// to take advantage of.
inline qv::TBitmap32 NoisePicture(int w, int h, uint32_t salt) {
  qv::TBitmap32 b(w, h);
  uint32_t v = salt * 2654435761u + 1;
  for (int i = 0; i < w * h; ++i) {
    v = v * 1664525u + 1013904223u;
    b.Bits()[i] = 0xFF000000u | (v >> 8);
  }
  return b;
}

inline double MedianMs(std::vector<double> ms) {
  if (ms.empty()) return 0;
  std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
  return ms[ms.size() / 2];
}

// The median of 31 copies of a w x h frame of 32-bit pixels from one buffer
// into another; measured once per size in a run.
inline double CopyFloorMs(int w, int h) {
  static std::map<std::pair<int, int>, double> floors;
  auto it = floors.find({w, h});
  if (it != floors.end()) return it->second;
  const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
  std::vector<uint32_t> from(n, 0xFF336699u), to(n);
  std::vector<double> ms;
  for (int i = 0; i < 31; ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(to.data(), from.data(), n * 4);
    benchmark::ClobberMemory();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    benchmark::DoNotOptimize(to.data());
  }
  return floors[{w, h}] = MedianMs(ms);
}

// Times each frame of a benchmark's loop (wall clock: work split over
// threads counts once) and reports them against the floor of its size.
class TFrameTimes {
 public:
  TFrameTimes(benchmark::State& state, int w, int h) : state_(state), floor_(CopyFloorMs(w, h)) {}
  ~TFrameTimes() {
    const double median = MedianMs(ms_);
    state_.counters["median_ms"] = median;
    state_.counters["x_copy"] = floor_ > 0 ? median / floor_ : 0;
    state_.counters["floor_ms"] = floor_;
  }
  void Start() { start_ = std::chrono::steady_clock::now(); }
  void Stop() { ms_.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count()); }

 private:
  benchmark::State& state_;
  double floor_;
  std::vector<double> ms_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace qvbench
