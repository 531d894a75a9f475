#include "animation/uAnimObjects.h"

#include <algorithm>
#include <cmath>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "graphics/Colors.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"

namespace qv {

uint32_t ColorToPixel(int32_t color) {
  if (color < 0) return ColorToPixel(kSystemColor | (static_cast<uint32_t>(color) & 0xFF));
  return ColorToPixel(static_cast<TColor>(color) & 0xFFFFFF);
}

uint32_t CombinePixel(uint32_t source, uint32_t destination, uint8_t m, uint32_t key, bool keyed) {
  if (keyed && ((source ^ key) & 0xFFFFFF) == 0) return destination;
  uint32_t out = static_cast<uint32_t>(m) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t f = source >> shift & 0xFF, b = destination >> shift & 0xFF;
    out |= ((f * m + b * (255u - m)) / 255u) << shift;
  }
  return out;
}

// TAnimObject

TAnimObject::TAnimObject(const TAnimEnvironment& environment, TObjectDescription description)
    : env_(environment), desc_(std::move(description)) {
  if (!env_.clock || !env_.workers) throw EQVError("An animated object needs a clock and workers");
  worker_ = env_.workers->Create([this] { Tick(); });
}

TAnimObject::~TAnimObject() { EndWorker(); }

void TAnimObject::EndWorker() {
  if (worker_) worker_->Terminate();
}

std::string TAnimObject::Write() const {
  std::lock_guard<std::mutex> hold(lock_);
  return WriteObjectDescription(desc_, motion_.LeftEdge(desc_), motion_.TopEdge(desc_));
}

void TAnimObject::SetDisplay(const TRect& display, int pictureWidth, int pictureHeight) {
  std::lock_guard<std::mutex> hold(lock_);
  display_ = display;
  pictureWidth_ = pictureWidth;
  pictureHeight_ = pictureHeight;
}

void TAnimObject::Start() {
  std::lock_guard<std::mutex> hold(lock_);
  StartLocked(env_.clock->TickCount());
}

void TAnimObject::Stop() {
  if (worker_ && !worker_->Paused()) worker_->Pause();
}

void TAnimObject::Run() {
  Stop();
  Start();
  std::lock_guard<std::mutex> hold(lock_);
  if (worker_) worker_->Resume();
  running_ = true;
}

void TAnimObject::Tick() {
  std::lock_guard<std::mutex> hold(lock_);
  const uint32_t now = env_.clock->TickCount();
  if (prepared_) {
    if (motion_.Schedule(desc_, now)) {
      // Shown again from its start, the picture loaded afresh.
      StartLocked(now);
      if (prepared_) motion_.ShowingStarts(now);
    }
    if (prepared_ && motion_.Visible()) motion_.Move(desc_);
  }
  if (prepared_) Animate(now);
}

void TAnimObject::StartLocked(uint32_t now) {
  const std::string path = desc_.Filename.empty() ? std::string()
                           : env_.locate         ? env_.locate(desc_.Filename)
                                                 : desc_.Filename;
  prepared_ = !path.empty() && LoadPicture(path, now);
  if (!prepared_) {
    motion_.Hide();
    return;
  }
  const TBitmap32& picture = Picture();
  motion_.Start(desc_, picture.Width(), picture.Height(), display_, pictureWidth_, pictureHeight_, now);
}

uint8_t TAnimObject::MasterAlpha() const {
  return static_cast<uint8_t>(std::clamp<int64_t>(RoundInt64(desc_.Opacity * 2550.0 / 100), 0, 255));
}

TObjectState TAnimObject::State() const {
  std::lock_guard<std::mutex> hold(lock_);
  TObjectState s;
  s.prepared = prepared_;
  s.running = running_ && worker_ && !worker_->Paused();
  s.visible = motion_.Visible();
  s.flipped = motion_.Flipped();
  s.x = motion_.X();
  s.y = motion_.Y();
  s.left = motion_.LeftEdge(desc_);
  s.top = motion_.TopEdge(desc_);
  s.frameWidth = prepared_ ? Picture().Width() : 0;
  s.frameHeight = prepared_ ? Picture().Height() : 0;
  return s;
}

TBitmap32 TAnimObject::Frame() const {
  std::lock_guard<std::mutex> hold(lock_);
  return Picture();
}

uint32_t TAnimObject::KeyColor() const {
  std::lock_guard<std::mutex> hold(lock_);
  return Key();
}

void TAnimObject::DrawOnto(TBitmap32& target) const {
  std::lock_guard<std::mutex> hold(lock_);
  const TBitmap32& frame = Picture();
  if (!prepared_ || !motion_.Visible() || frame.Empty()) return;
  // The frame onto its rectangle; a flipped object reads its frame from
  // right to left. Which pixels are drawn is the nearest frame pixel's
  // choice (the key colour's outline stays exact); a stretched frame's
  // colours are sampled smoothly from the frame pixels that are drawn.
  const TRect to = motion_.DrawRect(desc_);
  if (to.IsEmpty()) return;
  const int64_t w = int64_t{to.Right} - to.Left, h = int64_t{to.Bottom} - to.Top;
  const int x0 = std::max(to.Left, 0), x1 = std::min(to.Right, target.Width());
  const int y0 = std::max(to.Top, 0), y1 = std::min(to.Bottom, target.Height());
  const int sw = frame.Width(), sh = frame.Height();
  const uint8_t m = MasterAlpha();
  const bool keyed = Keyed(), flipped = motion_.Flipped();
  const uint32_t key = Key();
  const bool sameSize = w == sw && h == sh;
  auto isKey = [&](uint32_t p) { return keyed && ((p ^ key) & 0xFFFFFF) == 0; };
  for (int y = y0; y < y1; ++y) {
    const int64_t dy = y - int64_t{to.Top};
    const int sy = static_cast<int>(dy * sh / h);
    const uint32_t* src = frame.Row(sy);
    // Where the row's centre falls in the frame, for the smooth sample.
    const double fy = std::clamp((dy + 0.5) * sh / h - 0.5, 0.0, sh - 1.0);
    const int ya = static_cast<int>(fy), yb = std::min(ya + 1, sh - 1);
    const double wy = fy - ya;
    uint32_t* dst = target.Row(y);
    for (int x = x0; x < x1; ++x) {
      const int64_t dx = x - int64_t{to.Left};
      int64_t sx = dx * sw / w;
      if (flipped) sx = sw - 1 - sx;
      const uint32_t nearest = src[sx];
      if (sameSize || isKey(nearest)) {
        dst[x] = CombinePixel(nearest, dst[x], m, key, keyed);
        continue;
      }
      double fx = std::clamp((dx + 0.5) * sw / w - 0.5, 0.0, sw - 1.0);
      if (flipped) fx = sw - 1 - fx;
      const int xa = static_cast<int>(fx), xb = std::min(xa + 1, sw - 1);
      const double wx = fx - xa;
      const uint32_t p[4] = {frame.Pixel(xa, ya), frame.Pixel(xb, ya), frame.Pixel(xa, yb), frame.Pixel(xb, yb)};
      const double pw[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
      double sum = 0, c[3] = {0, 0, 0};
      for (int i = 0; i < 4; ++i) {
        if (isKey(p[i])) continue;  // the key colour never bleeds into the sprite
        sum += pw[i];
        for (int k = 0; k < 3; ++k) c[k] += pw[i] * (p[i] >> (8 * k) & 0xFF);
      }
      uint32_t smooth = nearest;
      if (sum > 1e-9) {
        smooth = 0xFF000000u;
        for (int k = 0; k < 3; ++k)
          smooth |= static_cast<uint32_t>(std::clamp(std::lround(c[k] / sum), 0L, 255L)) << (8 * k);
      }
      dst[x] = CombinePixel(smooth, dst[x], m, key, false);
    }
  }
}

// TImgObject

TImgObject::TImgObject(const TAnimEnvironment& environment, TObjectDescription description)
    : TAnimObject(environment, std::move(description)) {}

// The worker ends before this object's picture goes.
TImgObject::~TImgObject() { EndWorker(); }

bool TImgObject::LoadPicture(const std::string& path, uint32_t) {
  frame_ = TBitmap32();
  try {
    frame_ = DecodePicture(platform::ReadWholeFile(path, kMaxPictureFileBytes), path).bitmap;
  } catch (const EQVError&) {
    return false;  // a picture that cannot be read draws nothing
  }
  if (frame_.Empty()) return false;
  const TObjectDescription& d = Description();
  key_ = d.TransparentType == 2 ? ColorToPixel(d.TransparentColor) : frame_.Pixel(0, frame_.Height() - 1);
  return true;
}

// TGifObject

TGifObject::TGifObject(const TAnimEnvironment& environment, TObjectDescription description)
    : TAnimObject(environment, std::move(description)) {}

TGifObject::~TGifObject() { EndWorker(); }

int TGifObject::FrameIndex() const {
  const auto held = Hold();
  return playback_.FrameIndex();
}

bool TGifObject::LoadPicture(const std::string& path, uint32_t now) {
  try {
    const std::vector<uint8_t> bytes = platform::ReadWholeFile(path, kMaxPictureFileBytes);
    if (!IsGIF(bytes.data(), bytes.size())) throw EQVError("Unknown picture format: " + FileNamePart(path));
    playback_.Load(DecodeGIFStored(bytes.data(), bytes.size()), Description(), now);
  } catch (const EQVError&) {
    playback_.Load({}, Description(), now);  // no frames: the object draws nothing
    return false;
  }
  return !playback_.Frame().Empty();
}

// TAnimObjects

TAnimObjects::TAnimObjects(const TAnimEnvironment& environment, const std::vector<TObjectDescription>& descriptions) {
  for (const TObjectDescription& d : descriptions) {
    if (d.Type == TObjectType::Gif) objects_.push_back(std::make_unique<TGifObject>(environment, d));
    else objects_.push_back(std::make_unique<TImgObject>(environment, d));
  }
}

TAnimObjects::~TAnimObjects() {
  for (auto& object : objects_) object->EndWorker();
  while (!objects_.empty()) objects_.pop_back();  // freed in the reverse order of creation
}

}  // namespace qv
