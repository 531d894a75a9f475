#include "animation/uAnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "common/Random.h"
#include "common/Simd.h"
#include "common/Rounding.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uStretchBlt.h"

namespace qv {

namespace {

constexpr int16_t kNoArea = -1;

// The cosine of a whole number of degrees (the wave argument is one), from a
// table: exactly 0 at 90 and 270, even in its argument.
double CosDegrees(int64_t degrees) {
  static const std::array<double, 360> table = [] {
    std::array<double, 360> t{};
    for (int d = 0; d < 360; ++d) t[static_cast<size_t>(d)] = std::cos(d * std::numbers::pi / 180.0);
    t[90] = t[270] = 0.0;
    return t;
  }();
  const int64_t r = degrees % 360;
  return table[static_cast<size_t>(r < 0 ? -r : r)];
}

// a mod b keeping the sign of a, as the system's mod does; never traps.
int64_t ModKeepingSign(int64_t a, int64_t b) {
  if (b == 1 || b == -1) return 0;
  return a % b;
}

int ClampInt(int64_t v, int hi) { return static_cast<int>(std::clamp<int64_t>(v, 0, hi)); }

int AreaOfColor(uint32_t pixel) {
  for (int k = 0; k < kAreaCount; ++k)
    if (pixel == kAreaColors[k]) return k;
  return kNoArea;
}

}  // namespace

TAnimEngine::TAnimEngine(TAnimEnvironment environment) : environment_(std::move(environment)) {}
TAnimEngine::~TAnimEngine() { StopObjects(); }

void TAnimEngine::Bind(TProject& project) {
  StopObjects();
  project_ = &project;
  started_ = false;
}

void TAnimEngine::Unbind() {
  StopObjects();
  project_ = nullptr;
  started_ = false;
}

void TAnimEngine::StopObjects() {
  objects_.reset();
  hasObjects_ = false;
}

void TAnimEngine::SetWeather(bool on) {
  snow_.reset();
  rain_.reset();
  if (!on || !project_) return;
  const TWeatherParam& w = project_->Weather();
  if (w.Kind == 1) {
    snow_ = std::make_unique<TSnow>(composed_);
    snow_->SetCount(w.Count);
    snow_->Seed();
  } else if (w.Kind == 2) {
    rain_ = std::make_unique<TRain>(composed_);
    rain_->SetCount(w.Count);
    rain_->Seed();
  }
}

int TAnimEngine::AreaAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || areaMap_.empty()) return kNoArea;
  return areaMap_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

bool TAnimEngine::Composed() const {
  return (WeatherOn() || hasObjects_) && composed_.Width() == frame_.Width() && composed_.Height() == frame_.Height() &&
         !frame_.Empty();
}

const TBitmap32& TAnimEngine::Output() const { return Composed() ? composed_ : frame_; }

IBands& TAnimEngine::Bands() { return environment_.bands ? *environment_.bands : oneBand_; }

void TAnimEngine::ShowFrameBuffer() {
  if (!Composed()) return;
  const auto copy = [this](int first, int last) {
    std::copy_n(frame_.Row(first), static_cast<size_t>(width_) * static_cast<size_t>(last - first), composed_.Row(first));
  };
  Bands().Run(height_, copy);
}

void TAnimEngine::Start(uint32_t now) {
  if (!project_) return;
  TProject& p = *project_;
  const TBitmap32& picture = p.Picture();
  lastTick_ = now;
  width_ = picture.Width();
  height_ = picture.Height();
  frame_.SetSize(width_, height_);
  StopObjects();
  if (!p.Objects().empty() && environment_.clock && environment_.workers)
    objects_ = std::make_unique<TAnimObjects>(environment_, p.Objects());
  hasObjects_ = objects_ != nullptr;
  if (p.Weather().Kind > 0 || hasObjects_) composed_.SetSize(width_, height_);
  else composed_ = TBitmap32();

  RandSeed = now;
  phase_ = {};

  reflect_ = false;
  for (int k = 0; k < kAreaCount; ++k) reflect_ = reflect_ || p.Area(k).Reflection;
  // The area map comes first here: the reflection takes each area's top row
  // from it, the row a scan of the mask from the top would find.
  BuildAreaMap();
  if (reflect_) {
    reflection_ = picture;
    BuildReflection();
  } else {
    reflection_ = TBitmap32();
  }
  FillJitter();

  for (size_t i = 0; objects_ && i < objects_->Count(); ++i) {
    TAnimObject& object = (*objects_)[i];
    object.SetDisplay(TRect{0, 0, width_, height_}, p.UnfittedWidth(), p.UnfittedHeight());
    object.Run();
  }
  started_ = true;
  Frame(now);
  // From here on only pixels inside the areas are rewritten.
  if (!picture.Empty()) std::copy_n(picture.Bits(), static_cast<size_t>(width_) * static_cast<size_t>(height_), frame_.Bits());
  ShowFrameBuffer();
}

void TAnimEngine::BuildAreaMap() {
  const TBitmap32& mask = project_->Mask();
  const size_t w = static_cast<size_t>(width_), h = static_cast<size_t>(height_);
  areaMap_.assign(w * h, kNoArea);
  firstRow_.fill(50000);
  lastRow_.fill(0);
  runs_.clear();
  rowStart_.assign(h + 1, 0);
  // A mask of another size than the picture marks no areas.
  const bool usable = mask.Width() == width_ && mask.Height() == height_;
  for (size_t y = 0; y < h; ++y) {
    rowStart_[y] = static_cast<uint32_t>(runs_.size());
    if (!usable) continue;
    const uint32_t* m = mask.Row(static_cast<int>(y));
    int16_t* row = areaMap_.data() + y * w;
    for (size_t x = 0; x < w; ++x) {
      const int a = AreaOfColor(m[x]);
      row[x] = static_cast<int16_t>(a);
      if (a == kNoArea) continue;
      firstRow_[static_cast<size_t>(a)] = std::min(firstRow_[static_cast<size_t>(a)], static_cast<int32_t>(y));
      lastRow_[static_cast<size_t>(a)] = std::max(lastRow_[static_cast<size_t>(a)], static_cast<int32_t>(y));
      if (x > 0 && row[x - 1] == a) runs_.back().x1 = static_cast<int32_t>(x + 1);
      else runs_.push_back(TRun{static_cast<int32_t>(x), static_cast<int32_t>(x + 1), static_cast<int16_t>(a)});
    }
  }
  rowStart_[h] = static_cast<uint32_t>(runs_.size());
}

void TAnimEngine::BuildReflection() {
  // Each reflecting area mirrors the scenery above its top row T: pixel
  // (x, y) shows the picture at (x, 2T - y - 1) while that row exists.
  const TBitmap32& picture = project_->Picture();
  for (int k = 0; k < kAreaCount; ++k) {
    if (!project_->Area(k).Reflection || firstRow_[static_cast<size_t>(k)] > lastRow_[static_cast<size_t>(k)]) continue;
    const int T = firstRow_[static_cast<size_t>(k)];
    for (int y = T; y <= lastRow_[static_cast<size_t>(k)] && y <= 2 * T - 1; ++y) {
      const uint32_t* from = picture.Row(2 * T - y - 1);
      uint32_t* to = reflection_.Row(y);
      for (uint32_t i = rowStart_[static_cast<size_t>(y)]; i < rowStart_[static_cast<size_t>(y) + 1]; ++i) {
        const TRun& r = runs_[i];
        if (r.area == k) std::copy(from + r.x0, from + r.x1, to + r.x0);
      }
    }
  }
}

void TAnimEngine::FillJitter() {
  for (int k = 0; k < kAreaCount; ++k) {
    std::vector<int32_t>& row = jitter_[static_cast<size_t>(k)];
    row.assign(static_cast<size_t>(width_), 0);
    const int32_t jitter = project_->Area(k).Jitter;
    if (jitter > 0)
      for (int32_t& r : row) r = static_cast<int32_t>(Random(static_cast<uint32_t>(jitter)));
    maxJitter_[static_cast<size_t>(k)] = row.empty() ? 0 : *std::max_element(row.begin(), row.end());
    jittered_[static_cast<size_t>(k)] = maxJitter_[static_cast<size_t>(k)] > 0;
  }
}

void TAnimEngine::Reset() {
  if (!project_ || !started_) return;
  const TBitmap32& picture = project_->Picture();
  if (!picture.Empty()) std::copy_n(picture.Bits(), static_cast<size_t>(width_) * static_cast<size_t>(height_), frame_.Bits());
  if (reflect_) {
    reflection_ = picture;
    BuildReflection();
  }
  ShowFrameBuffer();
}

void TAnimEngine::Frame(uint32_t now) {
  if (!project_ || !started_) return;
  const uint32_t elapsed = now - lastTick_;
  lastTick_ = now;
  MoveWater(elapsed);
  DrawOverlay(elapsed);
}

void TAnimEngine::MoveWater(uint32_t elapsed) {
  struct TWave {
    bool moves = false;  // an area with pixels and a Period other than 0
    bool horizontal = false, vertical = false, perspective = false;
    int32_t period = 360;
    double amp = 0, freq = 0, ampStep = 0, freqStep = 0;
  };
  std::array<TWave, kAreaCount> waves;
  for (int k = 0; k < kAreaCount; ++k) {
    const TWaveParam& p = project_->Area(k);
    TWave& w = waves[static_cast<size_t>(k)];
    const int32_t first = firstRow_[static_cast<size_t>(k)], last = lastRow_[static_cast<size_t>(k)];
    // Period 0 would make the vertical mod undefined: such an area is still.
    w.moves = p.Period != 0 && first <= last;
    if (!w.moves) continue;
    w.horizontal = p.Horizontal;
    w.vertical = p.Vertical;
    w.perspective = p.Perspective;
    w.period = p.Period;
    w.amp = p.Amplitude;
    w.freq = p.WaveCount / (360.0 / p.Period);
    if (w.perspective) {
      w.amp = 0;
      const int32_t D = last - first;
      w.ampStep = D != 0 ? static_cast<double>(p.Amplitude) / D : p.Amplitude;
      w.freqStep = D != 0 ? w.freq / D : w.freq;
    }
  }

  // The waves' offsets row by row, in order (perspective areas grow from
  // row to row); then the pixels, in bands. Every pixel belongs to one area
  // and is written for one row only (a column's jitter is fixed), so the
  // bands never write the same pixel and the frame does not depend on them.
  const int h = height_;
  waveRows_.resize(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    for (int k = 0; k < kAreaCount; ++k) {
      TWave& wave = waves[static_cast<size_t>(k)];
      TWaveRow& row = waveRows_[static_cast<size_t>(y)][static_cast<size_t>(k)];
      row = {};
      if (!wave.moves || y < firstRow_[static_cast<size_t>(k)] || y > lastRow_[static_cast<size_t>(k)]) continue;
      if (wave.perspective) {
        wave.amp += wave.ampStep;
        wave.freq -= 0.8 * wave.freqStep;
      }
      const int64_t t = RoundInt64(static_cast<double>(h - y) * wave.freq * 360 / h + static_cast<double>(phase_[static_cast<size_t>(k)]));
      row.V = wave.vertical ? RoundInt64(CosDegrees(ModKeepingSign(t, wave.period)) * wave.amp) : 0;
      row.H = wave.horizontal ? RoundInt64(CosDegrees(t % 360) * wave.amp) : 0;
    }
  }
  std::array<bool, kAreaCount> moves{};
  for (int k = 0; k < kAreaCount; ++k) moves[static_cast<size_t>(k)] = waves[static_cast<size_t>(k)].moves;
  Bands().Run(h, [&](int first, int last) { MoveWaterRows(moves, first, last); });

  const int32_t percent = project_->Speed();
  for (int k = 0; k < kAreaCount; ++k) {
    const TWaveParam& p = project_->Area(k);
    const int64_t step = RoundInt64(static_cast<double>(p.Speed) * elapsed / 50 * percent / 100);
    phase_[static_cast<size_t>(k)] += p.Forward != 0 ? step : -step;
  }
}

namespace {

// One run of an area whose columns stay on their rows: pixel i takes from[i]
// where both maps have the area there.
QV_CLONES void MoveRun(uint32_t* to, const uint32_t* from, const int16_t* mapY, const int16_t* mapS, int16_t a,
                       int count) {
  for (int i = 0; i < count; ++i) {
    const bool same = (mapY[i] == a) & (mapS[i] == a);
    to[i] = same ? from[i] : to[i];
  }
}

}  // namespace

void TAnimEngine::MoveWaterRows(const std::array<bool, kAreaCount>& moves, int first, int last) {
  const TBitmap32& source = reflect_ ? reflection_ : project_->Picture();
  const int w = width_, h = height_;
  const int16_t* map = areaMap_.data();
  const uint32_t* src = source.Bits();
  uint32_t* dst = frame_.Bits();
  for (int y = first; y < last; ++y) {
    for (uint32_t i = rowStart_[static_cast<size_t>(y)]; i < rowStart_[static_cast<size_t>(y) + 1]; ++i) {
      const TRun& run = runs_[i];
      const int16_t a = run.area;
      if (!moves[static_cast<size_t>(a)]) continue;
      const TWaveRow& wave = waveRows_[static_cast<size_t>(y)][static_cast<size_t>(a)];
      const int64_t v = wave.V, hOff = wave.H;
      if (!jittered_[static_cast<size_t>(a)]) {
        // Every column of this area stays on its row: one source row, and
        // the destination pixel (x, y) is inside the area already.
        const int sr = ClampInt(y + v, h - 1);
        const int16_t* mapY = map + static_cast<size_t>(y) * w;
        const int16_t* mapS = map + static_cast<size_t>(sr) * w;
        const uint32_t* from = src + static_cast<size_t>(sr) * w;
        uint32_t* to = dst + static_cast<size_t>(y) * w;
        if (run.x0 + hOff >= 0 && run.x1 - 1 + hOff <= w - 1) {
          MoveRun(to + run.x0, from + run.x0 + hOff, mapY + run.x0 + hOff, mapS + run.x0 + hOff, a,
                  run.x1 - run.x0);
        } else {
          for (int x = run.x0; x < run.x1; ++x) {
            const int sc = ClampInt(x + hOff, w - 1);
            if (mapY[sc] == a && mapS[sc] == a) to[x] = from[sc];
          }
        }
        continue;
      }
      const int32_t* jitter = jitter_[static_cast<size_t>(a)].data();
      const int64_t maxJitter = maxJitter_[static_cast<size_t>(a)];
      if (y - maxJitter >= 0 && y - maxJitter + v >= 0 && y + v <= h - 1 && run.x0 + hOff >= 0 &&
          run.x1 - 1 + hOff <= w - 1) {
        // Nothing to clamp on this run.
        const std::ptrdiff_t rowY = static_cast<std::ptrdiff_t>(y) * w, down = static_cast<std::ptrdiff_t>(v) * w;
        const std::ptrdiff_t o = static_cast<std::ptrdiff_t>(hOff);
        for (int x = run.x0; x < run.x1; ++x) {
          const std::ptrdiff_t d = rowY - static_cast<std::ptrdiff_t>(jitter[x]) * w + x;
          if (map[d + o] == a && map[d + down + o] == a && map[d] == a) dst[d] = src[d + down + o];
        }
        continue;
      }
      for (int x = run.x0; x < run.x1; ++x) {
        const int64_t r = jitter[x];
        const size_t dr = static_cast<size_t>(ClampInt(y - r, h - 1)) * w;
        const size_t sr = static_cast<size_t>(ClampInt(y - r + v, h - 1)) * w;
        const size_t sc = static_cast<size_t>(ClampInt(x + hOff, w - 1));
        // The destination pixel itself must lie in the area too, so a
        // pixel outside every area always keeps the picture.
        if (map[dr + sc] == a && map[sr + sc] == a && map[dr + x] == a) dst[dr + x] = src[sr + sc];
      }
    }
  }

}

void TAnimEngine::DrawOverlay(uint32_t elapsed) {
  if (!Composed()) return;
  ShowFrameBuffer();
  for (size_t i = 0; objects_ && i < objects_->Count(); ++i) (*objects_)[i].DrawOnto(composed_);
  const TWeatherParam& w = project_->Weather();
  TWeatherStep step;
  step.elapsed = elapsed;
  step.speedPercent = project_->Speed();
  step.speedLevel = w.SpeedLevel;
  step.opacity = w.Opacity;
  if (snow_) snow_->Step(step);
  if (rain_) {
    step.length = w.Length;
    step.direction = 180.0 - w.Angle;
    rain_->Step(step);
  }
}

void TAnimEngine::FitProject(bool keepAspect, TProject& project, int targetWidth, int targetHeight) {
  TBitmap32& picture = project.Picture();
  const int pw = picture.Width(), ph = picture.Height();
  if (pw <= 0 || ph <= 0 || targetWidth <= 0 || targetHeight <= 0) return;
  int tw = targetWidth, th = targetHeight;
  if (keepAspect) {
    const double ratio = static_cast<double>(pw) / ph;
    if (int64_t{ph} * tw / th < pw) th = std::max(1, RoundInt(tw / ratio));
    else tw = std::max(1, RoundInt(th * ratio));
  }
  for (int k = 0; k < kAreaCount; ++k) {
    TWaveParam& a = project.Area(k);
    a.Amplitude = RoundInt(static_cast<double>(tw) / pw * a.Amplitude);
    a.Jitter = RoundInt(static_cast<double>(th) / ph * a.Jitter);
  }
  // The bilinear resize gives opaque pixels of the new size already; a plain
  // stretch to the same size would copy them unchanged.
  TBitmap32 resized(tw, th);
  ResizeBitmap(picture, resized);
  picture = std::move(resized);
  const TBitmap32& mask = project.Mask();
  if (!mask.Empty()) {
    TBitmap32 stretched(tw, th);
    StretchBlt(stretched, 0, 0, tw, th, mask, 0, 0, mask.Width(), mask.Height());
    project.Mask() = std::move(stretched);
  }
}

}  // namespace qv
