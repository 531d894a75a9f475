// A picture change as the engine plays it, on the real clock with the
// picture decoded and fitted beside the window: a 50-megapixel JPEG (or a
// 24-megapixel PNG) and a small picture taking turns every second on a
// 1920 x 1080 screen in memory, pan and zoom off and on.
// Reported: the longest time between two presented frames (gap_ms) against
// the frame period, the share of gaps longer than two periods, and how long
// a close asked for in the middle of the large picture's decode takes to end
// the run (close_ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/ThreadBackground.h"
#include "platform/ThreadWorker.h"
#include "platform/doubles/RecordingDialogs.h"
#include "project/uQVProject.h"
#include "saver/FScrSvr.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

// A screen in memory on the real clock: it keeps when each frame came and
// asks the window to close at a set time.
class TTimedScreen final : public qv::platform::ISaverDisplay {
 public:
  TTimedScreen(int w, int h) : w_(w), h_(h) {}
  int ScreenWidth() const override { return w_; }
  int ScreenHeight() const override { return h_; }
  int ScreenBitDepth() const override { return 32; }
  void PresentScreen(const qv::TBitmap32& screen) override {
    shown_.Assign(screen);
    presents.push_back(Clock::now());
  }
  bool StartAccelerated() override { return false; }
  bool AcceleratedCanDraw() const override { return false; }
  void PresentAccelerated(const qv::TBitmap32&) override {}
  void ShowCursor(bool) override {}
  void Hide() override { hidden = Clock::now(); }
  void ProcessMessages(qv::platform::IWindowEvents& events) override {
    passes.push_back(Clock::now());
    if (closeAt && Clock::now() >= *closeAt && !closed) {
      closed = Clock::now();
      events.CloseRequested();
    }
  }
  void WaitMessage(uint32_t ms) override { qv::platform::SleepMs(ms); }

  std::vector<Clock::time_point> presents, passes;
  std::optional<Clock::time_point> closeAt, closed, hidden;

 private:
  int w_, h_;
  qv::TBitmap32 shown_;
};

// A smooth gradient with ripples, so the encoder has realistic work.
void Ripples(int w, int h, const std::string& file, bool png) {
  qv::TBitmap32 pic(w, h);
  for (int y = 0; y < h; ++y) {
    uint32_t* row = pic.Row(y);
    for (int x = 0; x < w; ++x) {
      const int ripple = static_cast<int>(20 * std::sin(x * 0.01) * std::cos(y * 0.013));
      row[x] = 0xFF000000u | static_cast<uint32_t>(std::clamp(x * 200 / w + ripple + 20, 0, 255)) << 16 |
               static_cast<uint32_t>(std::clamp(y * 200 / h - ripple + 20, 0, 255)) << 8 | ((x / 97 + y / 89) % 2 ? 200 : 60);
    }
  }
  const std::vector<uint8_t> bytes = png ? qv::EncodePNG(pic) : qv::EncodeJPEG(pic, 90);
  qvtest::WriteFile(file, std::string(bytes.begin(), bytes.end()));
}

// big.jpg of 50 megapixels, big.png of 24, and small.jpg.
void BigPictures(qvtest::TempDir& dir) {
  Ripples(8660, 5773, dir.file("big.jpg"), false);
  Ripples(6000, 4000, dir.file("big.png"), true);
  qv::TBitmap32 small(640, 480);
  small.Clear(0xFF336699u);
  const std::vector<uint8_t> other = qv::EncodeJPEG(small, 90);
  qvtest::WriteFile(dir.file("small.jpg"), std::string(other.begin(), other.end()));
}

// Plays the project on `screen` with the engine's own services, the real
// clock and threads, until the screen asks it to close.
void Play(qv::TQVCProject& project, TTimedScreen& screen, const std::string& exePath) {
  qv::platform::TSystemClock clock;
  qv::platform::TThreadWorkers workers;
  qv::platform::TThreadBackground background;
  qv::platform::TRecordingDialogs dialogs;
  qv::TSaverServices services;
  services.display = &screen;
  services.clock = &clock;
  services.workers = &workers;
  services.background = &background;
  services.dialogs = &dialogs;
  services.exePath = exePath;
  qv::RunSaver(project, false, services);
}

void BM_PictureChange(benchmark::State& state) {
  qvtest::TempDir dir;
  BigPictures(dir);
  const bool png = state.range(1) != 0;
  state.SetLabel(png ? "24 MP PNG" : "50 MP JPEG");
  for (auto _ : state) {
    qv::TQVCProject project;
    project.FileList().Add(dir.file(png ? "big.png" : "big.jpg"), true);
    project.FileList().Add(dir.file("small.jpg"), true);
    qv::TQVCSetting& s = project.Setting();
    s.Duration = 1;
    s.TransitionTime = 500;
    s.TransitionEffects = std::string(1, '1');  // (a literal here trips a false -Wrestrict in GCC 12)
    s.ShowImageMode = 1;
    s.Proportional = true;
    s.PanZoom = state.range(0) != 0;
    TTimedScreen screen(1920, 1080);
    screen.closeAt = Clock::now() + std::chrono::milliseconds(9000);
    Play(project, screen, dir.file("none.scr"));
    // The loop handles messages at least once a pass: the longest time
    // between two rounds is the longest the display waited for a frame.
    std::vector<double> gaps;
    for (size_t i = 1; i < screen.passes.size(); ++i)
      gaps.push_back(std::chrono::duration<double, std::milli>(screen.passes[i] - screen.passes[i - 1]).count());

    const double period = screen.FramePeriodMs();
    const double longest = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
    state.counters["gap_ms"] = longest;
    state.counters["x_period"] = longest / period;
    state.counters["frames"] = static_cast<double>(screen.presents.size());
    state.counters["over_2_periods"] =
        static_cast<double>(std::count_if(gaps.begin(), gaps.end(), [&](double g) { return g > 2 * period; }));
  }
}

// A close asked for while the large picture decodes beside the window.
void BM_CloseDuringDecode(benchmark::State& state) {
  qvtest::TempDir dir;
  BigPictures(dir);
  const bool png = state.range(0) != 0;
  state.SetLabel(png ? "24 MP PNG" : "50 MP JPEG");
  for (auto _ : state) {
    qv::TQVCProject project;
    project.FileList().Add(dir.file("small.jpg"), true);
    project.FileList().Add(dir.file(png ? "big.png" : "big.jpg"), true);
    qv::TQVCSetting& s = project.Setting();
    s.Duration = 1;
    s.ShowImageMode = 1;
    TTimedScreen screen(3840, 2160);
    // The small picture shows at once; the large one is due a second later
    // and decodes for a while after that.
    screen.closeAt = Clock::now() + std::chrono::milliseconds(1150);
    Play(project, screen, dir.file("none.scr"));
    const Clock::time_point ended = Clock::now();
    state.counters["window_gone_ms"] =
        screen.hidden && screen.closed ? std::chrono::duration<double, std::milli>(*screen.hidden - *screen.closed).count() : -1;
    state.counters["run_ended_ms"] =
        screen.closed ? std::chrono::duration<double, std::milli>(ended - *screen.closed).count() : -1;
  }
}

}  // namespace

BENCHMARK(BM_PictureChange)->ArgsProduct({{0, 1}, {0, 1}})->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseDuringDecode)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
