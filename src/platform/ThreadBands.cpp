#include "platform/ThreadBands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace qv::platform {

namespace {

// Set on every thread while it draws a band, so a Run from inside one draws
// alone instead of waiting for threads that are busy with the outer run.
thread_local bool insideBand = false;

// More bands than threads, so a thread that finishes early takes another
// instead of idling beside a band with more to draw.
constexpr int kBandsPerThread = 8;
constexpr int kLeastRows = 8;

// One call of Run: its rows cut into `bands` bands of `step` rows. A thread
// that wakes late holds on to the run it was woken for and finds nothing
// left to draw in it.
struct TRun {
  const std::function<void(int, int)>* draw = nullptr;
  int rows = 0, step = 1, bands = 0;
  std::atomic<int> next{0}, done{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::exception_ptr failure;

  void DrawBands() {
    const bool outer = insideBand;
    insideBand = true;
    for (int b; (b = next.fetch_add(1)) < bands;) {
      const int first = b * step, last = std::min(rows, first + step);
      try {
        (*draw)(first, last);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!failure) failure = std::current_exception();
      }
      if (done.fetch_add(1) + 1 == bands) {
        std::lock_guard<std::mutex> lock(mutex);
        finished.notify_all();
      }
    }
    insideBand = outer;
  }
};

}  // namespace

struct TThreadBands::TPool {
  std::mutex mutex;
  std::condition_variable wake;
  std::vector<std::thread> threads;
  std::shared_ptr<TRun> run;  // the latest run
  uint64_t generation = 0;    // counts runs, so a thread joins each run once
  bool ending = false;

  void Loop() {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      wake.wait(lock, [&] { return ending || generation != seen; });
      if (ending) return;
      seen = generation;
      std::shared_ptr<TRun> current = run;
      lock.unlock();
      current->DrawBands();
      current.reset();
      lock.lock();
    }
  }
};

TThreadBands::TThreadBands(int threads) : pool_(std::make_unique<TPool>()) {
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 1; i < threads; ++i) pool_->threads.emplace_back([pool = pool_.get()] { pool->Loop(); });
}

TThreadBands::~TThreadBands() {
  {
    std::lock_guard<std::mutex> lock(pool_->mutex);
    pool_->ending = true;
  }
  pool_->wake.notify_all();
  for (std::thread& t : pool_->threads) t.join();
}

int TThreadBands::Threads() const { return static_cast<int>(pool_->threads.size()) + 1; }

void TThreadBands::Run(int rows, const std::function<void(int first, int last)>& draw) {
  if (rows <= 0) return;
  TPool& p = *pool_;
  if (insideBand || p.threads.empty()) {
    draw(0, rows);
    return;
  }
  const int wanted = Threads() * kBandsPerThread;
  auto run = std::make_shared<TRun>();
  run->draw = &draw;
  run->rows = rows;
  run->step = std::max(kLeastRows, (rows + wanted - 1) / wanted);
  run->bands = (rows + run->step - 1) / run->step;
  {
    std::lock_guard<std::mutex> lock(p.mutex);
    p.run = run;
    ++p.generation;
  }
  p.wake.notify_all();
  run->DrawBands();
  std::unique_lock<std::mutex> lock(run->mutex);
  run->finished.wait(lock, [&] { return run->done.load() == run->bands; });
  if (run->failure) std::rethrow_exception(run->failure);
}

}  // namespace qv::platform
