// Every effect drawn in bands of rows gives the frame and the generator's
// sequence that one thread gives drawing in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Random.h"
#include "graphics/Bitmap32.h"
#include "platform/ThreadBands.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

namespace {

using qv::TBitmap32;

TBitmap32 Noise(int w, int h, uint32_t salt) {
  TBitmap32 b(w, h);
  uint32_t v = salt * 2654435761u + 7;
  for (int i = 0; i < w * h; ++i) {
    v = v * 1664525u + 1013904223u;
    b.Bits()[i] = 0xFF000000u | (v >> 8);
  }
  return b;
}

// Bands of three rows drawn from the last to the first, one at a time: a
// band that reads another's rows, or a frame that depends on the order of
// its bands, shows here every time, not only when threads happen to meet.
class TBackwardBands final : public qv::IBands {
 public:
  void Run(int rows, const std::function<void(int, int)>& draw) override {
    ++runs;
    for (int last = rows; last > 0; last -= 3) draw(std::max(0, last - 3), last);
  }
  int runs = 0;
};

struct TFrame {
  TBitmap32 pixels;
  uint32_t seedAfter = 0;
};

TFrame Draw(int n, const TBitmap32& old, const TBitmap32& fresh, int percent, qv::IBands* bands,
            TBitmap32& work, TBitmap32& scratch) {
  qv::RandSeed = 12345;
  qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent, bands, &scratch);
  return {work, qv::RandSeed};
}

TEST(BandedEffects, EveryEffectGivesTheFrameAndTheDrawsOfOneThread) {
  qv::platform::TThreadBands threads(3);
  TBackwardBands backward;
  for (auto [w, h] : {std::pair{64, 48}, std::pair{53, 97}}) {
    const TBitmap32 old = Noise(w, h, 1), fresh = Noise(w, h, 2);
    // Work and scratch keep what the frame before left in them, as the
    // runner's do.
    TBitmap32 work, scratch, bandWork = Noise(w, h, 3), bandScratch;
    for (int n = 1; n <= qv::kEffectCount; ++n) {
      ASSERT_NE(qv::EffectTable()[static_cast<size_t>(n - 1)].Banded, nullptr) << n;
      for (int percent : {0, 1, 13, 37, 45, 50, 55, 73, 99, 100}) {
        const TFrame one = Draw(n, old, fresh, percent, nullptr, work, scratch);
        const TFrame back = Draw(n, old, fresh, percent, &backward, bandWork, bandScratch);
        ASSERT_TRUE(back.pixels == one.pixels) << "effect " << n << " at " << percent << "% in " << w << "x" << h;
        EXPECT_EQ(back.seedAfter, one.seedAfter) << "effect " << n << " at " << percent << "%";
        const TFrame many = Draw(n, old, fresh, percent, &threads, bandWork, bandScratch);
        ASSERT_TRUE(many.pixels == one.pixels) << "effect " << n << " at " << percent << "% on threads";
        EXPECT_EQ(many.seedAfter, one.seedAfter) << "effect " << n << " at " << percent << "% on threads";
      }
    }
  }
  EXPECT_GT(backward.runs, 0);
}

TEST(ThreadBands, EveryRowIsDrawnOnceAndAFailureComesBackToTheCaller) {
  qv::platform::TThreadBands bands(2);
  EXPECT_EQ(bands.Threads(), 2);
  for (int rows : {1, 7, 8, 9, 1000, 2161}) {
    std::vector<std::atomic<int>> drawn(static_cast<size_t>(rows));
    bands.Run(rows, [&](int first, int last) {
      for (int y = first; y < last; ++y) drawn[static_cast<size_t>(y)].fetch_add(1);
    });
    for (int y = 0; y < rows; ++y) ASSERT_EQ(drawn[static_cast<size_t>(y)].load(), 1) << y << " of " << rows;
  }
  EXPECT_THROW(bands.Run(100, [](int first, int) {
                 if (first > 50) throw std::runtime_error("band failed");
               }),
               std::runtime_error);
  // A run inside a band draws there, without waiting for the busy threads.
  std::atomic<int> inner{0};
  bands.Run(64, [&](int, int) { bands.Run(10, [&](int first, int last) { inner += last - first; }); });
  EXPECT_EQ(inner.load() % 10, 0);
  EXPECT_GT(inner.load(), 0);
}

}  // namespace
