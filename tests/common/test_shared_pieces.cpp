#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "common/MulDiv.h"
#include "common/Paths.h"
#include "common/Random.h"

namespace {

TEST(Random, StepsTheStateAndTakesTheUpperHalfOfTheProduct) {
  qv::RandSeed = 0;
  EXPECT_EQ(qv::Random(100), 0u);  // state 1: (1 * 100) >> 32
  EXPECT_EQ(qv::RandSeed, 1u);
  EXPECT_EQ(qv::Random(100), 3u);  // state 134775814
  EXPECT_EQ(qv::RandSeed, 134775814u);
  qv::RandSeed = 0xFFFFFFFFu;
  qv::Random(10);
  EXPECT_EQ(qv::RandSeed, 0xFFFFFFFFu * 134775813u + 1u);
  EXPECT_EQ(qv::Random(0), 0u);
  for (int i = 0; i < 1000; ++i) EXPECT_LT(qv::Random(7), 7u);
}

TEST(Random, AGuardPutsTheStateBack) {
  qv::RandSeed = 1234;
  {
    qv::TRandomStateGuard guard;
    qv::RandSeed = 99;
    qv::Random(5);
  }
  EXPECT_EQ(qv::RandSeed, 1234u);
}

TEST(Random, DrawsFromManyThreadsAtOnceGiveEachStateOfTheSequenceOnce) {
  constexpr int kThreads = 4, kDraws = 50000;
  qv::RandSeed = 2024;
  std::vector<std::vector<uint32_t>> seen(kThreads);
  std::atomic<int> ready{0};
  {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&seen, &ready, t] {
        seen[t].reserve(kDraws);
        for (++ready; ready < kThreads;) {
        }
        for (int i = 0; i < kDraws; ++i) seen[t].push_back(qv::RandSeed.Next());
      });
    for (std::thread& t : threads) t.join();
  }
  std::vector<uint32_t> all;
  for (const auto& s : seen) all.insert(all.end(), s.begin(), s.end());
  std::sort(all.begin(), all.end());
  std::vector<uint32_t> expected;
  uint32_t s = 2024;
  for (int i = 0; i < kThreads * kDraws; ++i) expected.push_back(s = s * 134775813u + 1u);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(all, expected);
  EXPECT_EQ(qv::RandSeed, s);
}

TEST(Random, AGuardedSequenceIsUntouchedByOtherThreadsDrawing) {
  qv::RandSeed = 7;
  std::vector<uint32_t> alone;
  {
    qv::TRandomStateGuard guard;
    qv::RandSeed = 31337;
    for (int i = 0; i < 1000; ++i) alone.push_back(qv::Random(100));
  }
  std::atomic<bool> stop{false};
  std::thread other([&stop] {
    while (!stop) qv::Random(10);
  });
  std::vector<uint32_t> together;
  {
    qv::TRandomStateGuard guard;
    qv::RandSeed = 31337;
    for (int i = 0; i < 1000; ++i) together.push_back(qv::Random(100));
    const uint32_t outer = qv::RandSeed;
    {
      qv::TRandomStateGuard inner;  // a nested guard starts from the outer copy
      EXPECT_EQ(qv::RandSeed, outer);
      qv::Random(3);
    }
    EXPECT_EQ(qv::RandSeed, outer);
  }
  stop = true;
  other.join();
  EXPECT_EQ(together, alone);
}

TEST(Random, ABatchDrawsTheSameValuesAndLeavesTheSameStateAsSingleDraws) {
  for (int draws : {0, 1, 63, 64, 65, 200}) {
    qv::RandSeed = 99;
    std::vector<uint32_t> single, states;
    for (int i = 0; i < draws; ++i) {
      single.push_back(qv::Random(1000));
      states.push_back(qv::RandSeed);
    }
    const uint32_t after = qv::RandSeed;
    qv::RandSeed = 99;
    std::vector<uint32_t> batched, batchedStates;
    {
      qv::TRandomBatch batch;
      for (int i = 0; i < draws; ++i) {
        batched.push_back(qv::Random(1000));
        batchedStates.push_back(qv::RandSeed);
      }
    }
    EXPECT_EQ(batched, single) << draws << " draws";
    EXPECT_EQ(batchedStates, states) << draws << " draws";
    EXPECT_EQ(qv::RandSeed, after) << draws << " draws";
  }
}

TEST(Random, ABatchAndAnotherThreadNeverDrawTheSameState) {
  qv::RandSeed = 5;
  std::vector<uint32_t> mine, theirs;
  std::thread other([&theirs] {
    for (int i = 0; i < 20000; ++i) theirs.push_back(qv::RandSeed.Next());
  });
  {
    qv::TRandomBatch batch;
    for (int i = 0; i < 20000; ++i) mine.push_back(qv::RandSeed.Next());
  }
  other.join();
  std::vector<uint32_t> all = mine;
  all.insert(all.end(), theirs.begin(), theirs.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
  for (size_t i = 1; i < mine.size(); ++i) {  // within a block the batch's run is the sequence
    if (i % 64 != 0) {
      EXPECT_EQ(mine[i], mine[i - 1] * 134775813u + 1u);
    }
  }
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(qv::MulDiv(256, 50, 100), 128);
  EXPECT_EQ(qv::MulDiv(1, 1, 2), 1);
  EXPECT_EQ(qv::MulDiv(-1, 1, 2), -1);
  EXPECT_EQ(qv::MulDiv(3, 1, 2), 2);
  EXPECT_EQ(qv::MulDiv(5, -1, 2), -3);
  EXPECT_EQ(qv::MulDiv(1, 1, 3), 0);
  EXPECT_EQ(qv::MulDiv(2, 1, 3), 1);
  EXPECT_EQ(qv::MulDiv(1024, 37, 100), 379);  // 378.88
  EXPECT_EQ(qv::MulDiv(0x40000000, 4, 2), -1);  // does not fit
  EXPECT_EQ(qv::MulDiv(7, 7, 0), -1);
}

TEST(Paths, TheFileNamePartFollowsTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(qv::FileNamePart("C:\\Pictures\\QVImage0.jpg"), "QVImage0.jpg");
  EXPECT_EQ(qv::FileNamePart("/a/b\\c.gif"), "c.gif");
  EXPECT_EQ(qv::FileNamePart("plain.bmp"), "plain.bmp");
  EXPECT_EQ(qv::UpperExtension("C:\\x.y\\Photo.Jpeg"), ".JPEG");
  EXPECT_EQ(qv::UpperExtension("C:\\x.y\\noext"), "");
}

}  // namespace
