#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/ThreadWorker.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/SteppedWorkers.h"

namespace {

using qv::platform::IWorker;
using qv::platform::TManualClock;
using qv::platform::TSteppedWorkers;
using qv::platform::TThreadWorkers;

// Waits (up to a generous limit) until `done` holds; false if it never did.
template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 5000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

TEST(SteppedWorkers, OneRoundPerFiveMillisecondsEachAtItsOwnTimeOnlyWhileRunning) {
  TManualClock clock(1000);
  TSteppedWorkers workers(clock);
  std::vector<uint32_t> seen;
  auto worker = workers.Create([&] { seen.push_back(clock.TickCount()); });
  workers.Advance(20);
  EXPECT_TRUE(seen.empty()) << "created paused";
  worker->Resume();
  workers.Advance(20);
  EXPECT_EQ(seen, (std::vector<uint32_t>{1025, 1030, 1035, 1040}));
  EXPECT_EQ(clock.TickCount(), 1040u);
  seen.clear();
  workers.Advance(3);
  workers.Advance(2);
  workers.Advance(4);
  workers.Advance(1);
  EXPECT_EQ(seen, (std::vector<uint32_t>{1045, 1050})) << "rounds due in a split advance run once";
  worker->Pause();
  workers.Advance(50);
  EXPECT_EQ(seen.size(), 2u);
  worker->Resume();
  worker->Terminate();
  worker->Resume();
  workers.Advance(50);
  EXPECT_EQ(seen.size(), 2u) << "a terminated worker never ticks again";
}

TEST(SteppedWorkers, RoundsDueAfterTheCallerMovedTheClockRunInCreationOrder) {
  TManualClock clock(0xFFFFFFF0u);  // across the wrap of the tick count
  TSteppedWorkers workers(clock);
  std::vector<int> order;
  auto a = workers.Create([&] { order.push_back(1); });
  auto b = workers.Create([&] { order.push_back(2); });
  b->Resume();
  a->Resume();
  clock.Advance(17);  // rounds due at ...F5, ...FA, ...FF; the next at 4
  workers.RunDue();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 1, 2, 1, 2}));
  workers.RunDue();
  EXPECT_EQ(order.size(), 6u);
  EXPECT_EQ(workers.Running(), 2u);
  a.reset();
  EXPECT_EQ(workers.Running(), 1u);
}

TEST(ThreadWorkers, TickOnlyWhileResumedAndPauseWaitsForTheTick) {
  TThreadWorkers workers;
  std::atomic<int> ticks{0};
  std::atomic<bool> inside{false};
  auto worker = workers.Create([&] {
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ++ticks;
    inside = false;
  });
  EXPECT_TRUE(worker->Paused());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks, 0) << "created paused";
  worker->Resume();
  ASSERT_TRUE(Eventually([&] { return ticks >= 3; }));
  ASSERT_TRUE(Eventually([&] { return inside.load(); }));
  worker->Pause();
  EXPECT_FALSE(inside) << "Pause returns after the tick";
  const int paused = ticks;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks, paused);
  worker->Resume();
  ASSERT_TRUE(Eventually([&] { return ticks >= paused + 2; }));
  ASSERT_TRUE(Eventually([&] { return inside.load(); }));
  worker->Terminate();
  EXPECT_FALSE(inside) << "Terminate waits for the tick";
  const int ended = ticks;
  worker->Resume();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks, ended);
  worker->Terminate();
}

TEST(ThreadWorkers, ATickMayPauseItsOwnWorkerAndAFailingTickDoesNotEndIt) {
  TThreadWorkers workers;
  std::atomic<int> ticks{0};
  std::unique_ptr<IWorker> worker;
  std::atomic<bool> pauseAtThree{true};
  worker = workers.Create([&] {
    const int n = ++ticks;
    if (n == 3 && pauseAtThree) worker->Pause();
    throw std::runtime_error("every tick fails");
  });
  worker->Resume();
  ASSERT_TRUE(Eventually([&] { return worker->Paused(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks, 3);
  pauseAtThree = false;
  worker->Resume();
  EXPECT_TRUE(Eventually([&] { return ticks >= 6; }));
}

}  // namespace
