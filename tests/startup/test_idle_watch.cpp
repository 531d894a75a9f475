// The idle watch's policy, driven by a scripted idle source, inhibitions and
// process starter on a manual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "startup/uIdleWatch.h"

namespace {

using qv::platform::TIdleChange;

// Moments of a run: what happens at which millisecond.
struct TScript {
  uint32_t now = 0;
  std::multimap<uint32_t, std::function<void()>> at;
  bool end = false;
  std::vector<int> timeouts;

  void Wait(int timeoutMs) {
    timeouts.push_back(timeoutMs);
    if (at.empty()) {
      end = true;  // nothing more would ever happen
      return;
    }
    const uint32_t next = at.begin()->first;
    if (timeoutMs >= 0 && now + static_cast<uint32_t>(timeoutMs) < next) {
      now += static_cast<uint32_t>(timeoutMs);
      return;
    }
    now = next;
    while (!at.empty() && at.begin()->first == next) {
      auto action = at.begin()->second;
      at.erase(at.begin());
      action();
    }
  }
};

class TScriptedMonitor final : public qv::platform::IIdleMonitor {
 public:
  std::vector<TIdleChange> pending;
  std::string Name() const override { return "scripted"; }
  int Descriptor() const override { return -1; }
  std::vector<TIdleChange> Dispatch() override { return std::exchange(pending, {}); }
  int NextCheckMs() override { return -1; }
};

class TScriptedInhibitions final : public qv::platform::IIdleInhibitions {
 public:
  bool inhibited = false;
  bool news = false;
  std::vector<bool> shown;
  std::string Name() const override { return "scripted"; }
  int Descriptor() const override { return -1; }
  bool Dispatch() override { return std::exchange(news, false); }
  bool Inhibited(std::string& who) override {
    who = "a video player";
    return inhibited;
  }
  void SaverShown(bool s) override { shown.push_back(s); }
};

struct TChildState {
  uint32_t startedAt = 0;
  bool running = true;
  int status = 0;
  bool stopped = false;
};

class TScriptedChild final : public qv::platform::IChildProcess {
 public:
  explicit TScriptedChild(std::shared_ptr<TChildState> s) : s_(std::move(s)) {}
  bool Running() override { return s_->running; }
  int ExitStatus() const override { return s_->status; }
  void Stop(uint32_t) override {
    s_->stopped = true;
    s_->running = false;
  }

 private:
  std::shared_ptr<TChildState> s_;
};

class TScriptedStarter final : public qv::platform::IProcessStarter {
 public:
  explicit TScriptedStarter(TScript& script) : script_(script) {}
  std::vector<std::shared_ptr<TChildState>> children;
  std::vector<std::vector<std::string>> commands;
  bool fail = false;
  int mostAtOnce = 0;

  std::unique_ptr<qv::platform::IChildProcess> Start(const std::vector<std::string>& argv, std::string& error) override {
    commands.push_back(argv);
    if (fail) {
      error = "no such program";
      return nullptr;
    }
    int running = 1;
    for (auto& c : children) running += c->running ? 1 : 0;
    mostAtOnce = std::max(mostAtOnce, running);
    children.push_back(std::make_shared<TChildState>());
    children.back()->startedAt = script_.now;
    return std::make_unique<TScriptedChild>(children.back());
  }
  // The latest saver ends by itself (input, or a failure).
  void EndLatest(int status = 0) {
    children.back()->running = false;
    children.back()->status = status;
  }

 private:
  TScript& script_;
};

class IdleWatch : public ::testing::Test {
 protected:
  TScript script;
  TScriptedMonitor monitor;
  TScriptedInhibitions inhibitions;
  TScriptedStarter starter{script};
  std::vector<std::string> reports;
  bool endSignal = false;

  qv::TWatchEnd Run(bool withInhibitions = false) {
    qv::TIdleWatchServices s;
    s.monitor = &monitor;
    s.inhibitions = withInhibitions ? &inhibitions : nullptr;
    s.starter = &starter;
    s.saverCommand = {"/savers/Sea Life.scr", "/S"};
    s.idleMs = 3000;
    s.tickCount = [this] { return script.now; };
    s.wait = [this](int ms) { script.Wait(ms); };
    s.endRequested = [this] { return endSignal || script.end; };
    s.report = [this](const std::string& line) { reports.push_back(line); };
    return qv::RunIdleWatch(s);
  }
  void At(uint32_t ms, std::function<void()> action) { script.at.emplace(ms, std::move(action)); }
  void Idle(uint32_t ms) {
    At(ms, [this] { monitor.pending.push_back(TIdleChange::Idle); });
  }
  void Active(uint32_t ms) {
    At(ms, [this] { monitor.pending.push_back(TIdleChange::Active); });
  }
  std::vector<uint32_t> StartTimes() const {
    std::vector<uint32_t> times;
    for (auto& c : starter.children) times.push_back(c->startedAt);
    return times;
  }
};

TEST_F(IdleWatch, EachIdleSpellStartsTheSaverOnceAndTheWatchGoesOnAfterIt) {
  Idle(3000);
  At(8000, [this] { starter.EndLatest(); });  // input ends the saver...
  Active(8000);                               // ...and the session is active
  Idle(20000);
  At(21000, [this] { starter.EndLatest(); });
  Active(21000);
  EXPECT_EQ(Run(), qv::TWatchEnd::Signal);
  EXPECT_EQ(StartTimes(), (std::vector<uint32_t>{3000, 20000}));
  EXPECT_EQ(starter.commands[0], (std::vector<std::string>{"/savers/Sea Life.scr", "/S"}));
  EXPECT_TRUE(reports.empty()) << reports[0];
  // Nothing to wait for but news: no polling.
  for (int timeout : script.timeouts) EXPECT_EQ(timeout, -1);
}

TEST_F(IdleWatch, NeverTwoSaversAtOnce) {
  // Shift pressed over the saver: the session is active, the saver stays;
  // idle again while it still shows starts nothing.
  Idle(3000);
  Active(5000);
  Idle(8000);
  Active(9000);
  Idle(12000);
  At(15000, [this] { starter.EndLatest(); });
  Active(15000);
  Idle(18000);
  Run();
  EXPECT_EQ(StartTimes(), (std::vector<uint32_t>{3000, 18000}));
  EXPECT_EQ(starter.mostAtOnce, 1);
}

TEST_F(IdleWatch, ASaverThatFailsIsReportedAndNotStartedAgainUntilTheSessionWasActive) {
  Idle(3000);
  At(3500, [this] { starter.EndLatest(2); });
  Active(30000);
  Idle(33000);
  Run();
  EXPECT_EQ(StartTimes(), (std::vector<uint32_t>{3000, 33000}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "the saver ended with exit code 2");

  // A saver that cannot start at all is said once per idle spell.
  starter.fail = true;
  reports.clear();
  script = TScript{};
  Idle(3000);
  Active(6000);
  Idle(9000);
  Run();
  EXPECT_EQ(reports, (std::vector<std::string>{"the saver could not start: no such program",
                                               "the saver could not start: no such program"}));
}

TEST_F(IdleWatch, AnEndSignalOrTheEndOfTheSessionStopsTheSaverItStarted) {
  Idle(3000);
  At(4000, [this] { endSignal = true; });
  EXPECT_EQ(Run(true), qv::TWatchEnd::Signal);
  ASSERT_EQ(starter.children.size(), 1u);
  EXPECT_TRUE(starter.children[0]->stopped);
  EXPECT_EQ(inhibitions.shown, (std::vector<bool>{true, false}));

  endSignal = false;
  script = TScript{};
  Idle(3000);
  At(4000, [this] { monitor.pending.push_back(TIdleChange::Lost); });
  EXPECT_EQ(Run(), qv::TWatchEnd::SessionEnded);
  ASSERT_EQ(starter.children.size(), 2u);
  EXPECT_TRUE(starter.children[1]->stopped);
  EXPECT_EQ(reports.back(), "the session ended");
}

TEST_F(IdleWatch, WhileSomethingInhibitsNoSaverStartsAndTheIdleTimeCountsAgainFromItsEnd) {
  inhibitions.inhibited = true;
  Idle(3000);
  At(10000, [this] {
    inhibitions.inhibited = false;
    inhibitions.news = true;
  });
  At(11000, [this] { inhibitions.news = true; });  // a program reports activity: later again
  At(20000, [this] { starter.EndLatest(); });
  Active(20000);
  Run(true);
  EXPECT_EQ(StartTimes(), (std::vector<uint32_t>{14000}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "idle, but a video player: no saver until that ends");
  // The start was waited for with a timeout, not by looking again and again.
  EXPECT_EQ(std::count(script.timeouts.begin(), script.timeouts.end(), 3000), 2);
}

TEST_F(IdleWatch, ActivityReportedWhileTheSessionIsActiveChangesNothing) {
  At(1000, [this] { inhibitions.news = true; });
  Idle(3000);
  At(4000, [this] { starter.EndLatest(); });
  Active(4000);
  Run(true);
  EXPECT_EQ(StartTimes(), (std::vector<uint32_t>{3000}));
}

}  // namespace
