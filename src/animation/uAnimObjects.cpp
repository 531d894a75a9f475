#include "animation/uAnimObjects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Random.h"
#include "common/Rounding.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"

namespace qv {

namespace {

using D = TObjectDescription;

constexpr TObjectKey IntKey(const char* name, int32_t D::*field, int32_t def, bool keepsCurrent = false) {
  return {name, TObjectKey::Int, field, nullptr, nullptr, nullptr, def, keepsCurrent};
}
constexpr TObjectKey ByteKey(const char* name, uint8_t D::*field, int32_t def, bool keepsCurrent = false) {
  return {name, TObjectKey::Byte, nullptr, field, nullptr, nullptr, def, keepsCurrent};
}
constexpr TObjectKey BoolKey(const char* name, bool D::*field, bool def) {
  return {name, TObjectKey::Bool, nullptr, nullptr, field, nullptr, def ? 1 : 0, false};
}
constexpr TObjectKey TextKey(const char* name, std::string D::*field) {
  return {name, TObjectKey::Text, nullptr, nullptr, nullptr, field, 0, false};
}

// The common keys in the order they are read.
const std::vector<TObjectKey>& CommonKeys() {
  static const std::vector<TObjectKey> keys = {
      IntKey("Width", &D::Width, 0, true),
      IntKey("Height", &D::Height, 0, true),
      BoolKey("Scaled", &D::Scaled, true),
      IntKey("WidthSize", &D::WidthSize, 100),
      IntKey("HeightSize", &D::HeightSize, 100),
      IntKey("MoveAreaRectleft", &D::MoveAreaRectleft, 0, true),
      IntKey("MoveAreaRecttop", &D::MoveAreaRecttop, 0, true),
      IntKey("MoveAreaRectright", &D::MoveAreaRectright, 0, true),
      IntKey("MoveAreaRectbottom", &D::MoveAreaRectbottom, 0, true),
      IntKey("Speed", &D::Speed, 10),
      ByteKey("InitialDir", &D::InitialDir, 0, true),
      ByteKey("PosLeftType", &D::PosLeftType, 0),
      ByteKey("PosTopType", &D::PosTopType, 0),
      IntKey("PosLeft", &D::PosLeft, 100),
      IntKey("PosTop", &D::PosTop, 100),
      ByteKey("ObjFacing", &D::ObjFacing, 1),
      IntKey("Opacity", &D::Opacity, 10),
      IntKey("DisplaySec", &D::DisplaySec, 0),
      ByteKey("DisplayDurationType", &D::DisplayDurationType, 0),
      IntKey("DisplayDurationSec", &D::DisplayDurationSec, 60),
      IntKey("DIsplayDurationCycle", &D::DisplayDurationCycle, 10),
      ByteKey("Motion", &D::Motion, 0),
      IntKey("MotionSpeed", &D::MotionSpeed, 10),
      ByteKey("MotionAreaType", &D::MotionAreaType, 0),
      BoolKey("DirFlip", &D::DirFlip, false),
      BoolKey("Redisplay", &D::Redisplay, true),
      BoolKey("ResetPos", &D::ResetPos, true),
      BoolKey("RestrictArea", &D::RestrictArea, true),
  };
  return keys;
}

// The common keys in the order they are written (after "Left" and "Top";
// "InitialPos" follows "Speed").
constexpr const char* kWriteOrder[] = {
    "Width", "Height", "Scaled", "MoveAreaRectleft", "MoveAreaRecttop", "MoveAreaRectright",
    "MoveAreaRectbottom", "WidthSize", "HeightSize", "Speed", "InitialPos", "InitialDir", "PosLeftType",
    "PosTopType", "PosLeft", "PosTop", "ObjFacing", "Opacity", "DisplaySec", "DisplayDurationType",
    "DisplayDurationSec", "DIsplayDurationCycle", "Motion", "MotionSpeed", "MotionAreaType", "DirFlip",
    "Redisplay", "ResetPos", "RestrictArea"};

std::string SectionOf(int number) { return "Obj" + std::to_string(number); }

void ReadKey(const TIniFile& ini, const std::string& section, const TObjectKey& key, D& d) {
  switch (key.kind) {
    case TObjectKey::Int:
      d.*key.intField = ini.ReadInteger(section, key.name, key.keepsCurrent ? d.*key.intField : key.def);
      break;
    case TObjectKey::Byte:  // a byte field keeps the low 8 bits of what the file says
      d.*key.byteField = static_cast<uint8_t>(
          ini.ReadInteger(section, key.name, key.keepsCurrent ? d.*key.byteField : key.def));
      break;
    case TObjectKey::Bool: d.*key.boolField = ini.ReadBool(section, key.name, key.def != 0); break;
    case TObjectKey::Text: d.*key.textField = ini.ReadString(section, key.name, ""); break;
  }
}

void WriteKey(TIniDocument& doc, const std::string& section, const TObjectKey& key, const D& d) {
  switch (key.kind) {
    case TObjectKey::Int: doc.WriteInteger(section, key.name, d.*key.intField); break;
    case TObjectKey::Byte: doc.WriteInteger(section, key.name, d.*key.byteField); break;
    case TObjectKey::Bool: doc.WriteBool(section, key.name, d.*key.boolField); break;
    case TObjectKey::Text: {
      // A text ends at a line break or NUL, as a line of the file does.
      const std::string& text = d.*key.textField;
      doc.WriteString(section, key.name, text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3))));
      break;
    }
  }
}

// -1 or +1, -1 when random(2) is 0.
int RandomSign() { return Random(2) == 0 ? -1 : 1; }

// A value in [low, high) as the system draws it: low + random(high - low),
// the range taken as 32 bits.
int64_t RandomIn(int64_t low, int64_t high) {
  return low + static_cast<int32_t>(Random(static_cast<uint32_t>(static_cast<uint64_t>(high - low))));
}

// Milliseconds from `since` to `now` on the wrapping 32-bit tick count.
int64_t Since(uint32_t now, int64_t since) { return static_cast<uint32_t>(now - static_cast<uint32_t>(since)); }

// The system's default colours, by system colour number (0xRRGGBB).
constexpr uint32_t kSystemColors[] = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
    0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969,
    0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0};

}  // namespace

uint32_t ColorToPixel(int32_t color) {
  if (color < 0) {
    const uint32_t index = static_cast<uint32_t>(color) & 0xFF;
    return 0xFF000000u | (index < std::size(kSystemColors) ? kSystemColors[index] : 0u);
  }
  const uint32_t c = static_cast<uint32_t>(color);
  return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
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

TAnimObject::TAnimObject(const TAnimEnvironment& environment, std::string_view type)
    : env_(environment), type_(type) {
  if (!env_.clock || !env_.workers) throw EQVError("An animated object needs a clock and workers");
  worker_ = env_.workers->Create([this] { Tick(); });
}

TAnimObject::~TAnimObject() { EndWorker(); }

void TAnimObject::EndWorker() {
  if (worker_) worker_->Terminate();
}

const std::vector<TObjectKey>& TAnimObject::OwnKeys() const {
  static const std::vector<TObjectKey> none;
  return none;
}

std::vector<const TObjectKey*> TAnimObject::Keys() const {
  std::vector<const TObjectKey*> keys;
  for (const TObjectKey& k : OwnKeys()) keys.push_back(&k);
  for (const TObjectKey& k : CommonKeys()) keys.push_back(&k);
  return keys;
}

void TAnimObject::ReadObject(const TIniFile& description) {
  const std::string section = SectionOf(number_);
  for (const TObjectKey& k : OwnKeys()) ReadKey(description, section, k, desc_);
  Read(description);
}

void TAnimObject::Read(const TIniFile& description) {
  const std::string section = SectionOf(number_);
  for (const TObjectKey& k : CommonKeys()) ReadKey(description, section, k, desc_);
  desc_.Scaled = true;
}

std::string TAnimObject::Write() const {
  std::lock_guard<std::mutex> hold(lock_);
  const std::string section = SectionOf(number_);
  TIniDocument doc;
  doc.WriteInteger(section, "Left", LeftEdge());
  doc.WriteInteger(section, "Top", TopEdge());
  for (const char* name : kWriteOrder) {
    if (std::string_view(name) == "InitialPos") {
      doc.WriteInteger(section, name, 0);
      continue;
    }
    for (const TObjectKey& k : CommonKeys())
      if (std::string_view(k.name) == name) WriteKey(doc, section, k, desc_);
  }
  doc.WriteString(section, "ObjType", type_);
  for (const TObjectKey& k : OwnKeys()) WriteKey(doc, section, k, desc_);
  return doc.Text();
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
  TickLocked(now);
  if (prepared_) AnimateLocked(now);
}

std::string TAnimObject::ResolvedFilename() const {
  if (desc_.Filename.empty()) return {};
  return env_.locate ? env_.locate(desc_.Filename) : desc_.Filename;
}

uint8_t TAnimObject::MasterAlpha() const {
  return static_cast<uint8_t>(std::clamp<int64_t>(RoundInt64(desc_.Opacity * 2550.0 / 100), 0, 255));
}

void TAnimObject::StartLocked(uint32_t now) {
  prepared_ = LoadPictureLocked();
  if (prepared_) StartCommon(now);
  else visible_ = false;
}

void TAnimObject::StartCommon(uint32_t now) {
  const TObjectDescription& d = desc_;
  // Objects started in the same millisecond still draw different sequences.
  RandSeed = now + static_cast<uint32_t>(number_) * 2654435761u;
  visible_ = d.DisplaySec == 0;
  startTick_ = now;
  ticks_ = 0;
  flipped_ = false;
  stepCounter_ = 0;
  stepLimit_ = 50 + static_cast<int32_t>(Random(300));
  rx_ = static_cast<int32_t>(Random(1000));
  ry_ = static_cast<int32_t>(Random(1000));

  int64_t l = 0, t = 0, r = pictureWidth_, b = pictureHeight_;
  if (d.MotionAreaType != 0) {
    l = d.MoveAreaRectleft;
    t = d.MoveAreaRecttop;
    r = d.MoveAreaRectright;
    b = d.MoveAreaRectbottom;
  }
  const int64_t hw = fw_ / 2, hh = fh_ / 2;
  const int64_t sw = RoundInt64(static_cast<double>(hw) * d.WidthSize / 100);
  const int64_t sh = RoundInt64(static_cast<double>(hh) * d.HeightSize / 100);
  if (d.RestrictArea) {
    areaLeft_ = l + hw;
    areaTop_ = t + hh;
    areaRight_ = r - sw;
    areaBottom_ = b - sh;
  } else {
    areaLeft_ = l - hw;
    areaTop_ = t - hh;
    areaRight_ = r + sw;
    areaBottom_ = b + sh;
  }

  auto place = [](uint8_t type, int32_t keep, int64_t low, int64_t high) -> int32_t {
    switch (type) {
      case 1: return Wrap32(low);
      case 2: return Wrap32(high);
      case 3: return Wrap32(low + (high - low) / 2);
      case 4: return Wrap32(RandomIn(low, high));
      case 5: {
        const int64_t v = RandomIn(low, high);
        return Wrap32(v < low + (high - low) / 2 ? low - v : 2 * high - v);
      }
      default: return keep;
    }
  };
  posLeft_ = place(d.PosLeftType, d.PosLeft, areaLeft_, areaRight_);
  posTop_ = place(d.PosTopType, d.PosTop, areaTop_, areaBottom_);

  dbx_ = RandomSign();
  dby_ = RandomSign();
  ix_ = RandomSign();
  iy_ = RandomSign();
  switch (d.InitialDir) {
    case 1: dbx_ = -1; break;
    case 2: dbx_ = 1; break;
    case 3: dby_ = -1; break;
    case 4: dby_ = 1; break;
    case 5: dbx_ = dby_ = -1; break;
    case 6: dbx_ = 1, dby_ = -1; break;
    case 7: dbx_ = -1, dby_ = 1; break;
    case 8: dbx_ = dby_ = 1; break;
    default: break;
  }
  dwx_ = ix_ = dbx_;
  dwy_ = iy_ = dby_;

  scaleX_ = pictureWidth_ > 0 ? static_cast<double>(display_.Right) / pictureWidth_ : 1.0;
  scaleY_ = pictureHeight_ > 0 ? static_cast<double>(display_.Bottom) / pictureHeight_ : 1.0;
  x_ = bx_ = wx_ = posLeft_;
  y_ = by_ = wy_ = posTop_;
  speed_ = Wrap32(int64_t{d.MotionSpeed} * 10);
}

void TAnimObject::TickLocked(uint32_t now) {
  if (!prepared_) return;
  const TObjectDescription& d = desc_;
  if (!visible_ && startTick_ != -1 && Since(now, startTick_) >= int64_t{d.DisplaySec} * 1000) visible_ = true;
  if (visible_ && d.DisplayDurationType == 1 && startTick_ != -1 &&
      Since(now, startTick_) >= (int64_t{d.DisplaySec} + d.DisplayDurationSec) * 1000) {
    visible_ = false;
    if (d.Redisplay) {
      if (d.ResetPos) {
        StartLocked(now);
        if (!prepared_) return;
      }
      startTick_ = now;
    } else {
      startTick_ = -1;
    }
  }
  if (!visible_) return;

  Walk();
  const int32_t l0 = LeftEdge();
  switch (d.Motion) {
    case 1:
      x_ = wx_;
      y_ = wy_;
      break;
    case 2:
      x_ = bx_;
      y_ = by_;
      break;
    case 3: x_ = bx_; break;
    case 4: y_ = by_; break;
    case 5: {
      const double m = static_cast<double>(areaLeft_ + areaRight_) - bx_;
      x_ = ix_ < 0 ? (dbx_ > 0 ? m : bx_) : (dbx_ > 0 ? bx_ : m);
      break;
    }
    case 6: {
      const double m = static_cast<double>(areaTop_ + areaBottom_) - by_;
      y_ = iy_ < 0 ? (dby_ > 0 ? m : by_) : (dby_ > 0 ? by_ : m);
      break;
    }
    case 7: {
      // The tick counter was already advanced by this tick's walk.
      const double a = -static_cast<double>(ticks_) * std::numbers::pi / 180 * speed_ / 1000;
      const int64_t cx = areaLeft_ + (areaRight_ - areaLeft_) / 2, cy = areaTop_ + (areaBottom_ - areaTop_) / 2;
      x_ = std::sin(a) * static_cast<double>((areaRight_ - areaLeft_) / 2 - fw_ / 2) + static_cast<double>(cx);
      y_ = std::cos(a) * static_cast<double>((areaBottom_ - areaTop_) / 2 - fh_ / 2) + static_cast<double>(cy);
      break;
    }
    case 9:
      x_ += (static_cast<int>(Random(9)) - 4) * static_cast<double>(speed_) / 1000;
      y_ += (static_cast<int>(Random(9)) - 4) * static_cast<double>(speed_) / 1000;
      break;
    default: break;  // 0 and 8 stay
  }
  const int32_t l1 = LeftEdge();
  if (d.ObjFacing == 1) flipped_ = d.DirFlip && (l1 < l0 || (l1 == l0 && flipped_));
  else if (d.ObjFacing == 0) flipped_ = d.DirFlip && (l1 > l0 || (l1 == l0 && flipped_));
}

void TAnimObject::Walk() {
  const double step = static_cast<double>(speed_) / 1000;
  const double left = static_cast<double>(areaLeft_), top = static_cast<double>(areaTop_);
  const double right = static_cast<double>(areaRight_), bottom = static_cast<double>(areaBottom_);
  bx_ += Random(1000) * (step * dbx_) / 100;
  by_ += Random(1000) * (step * dby_) / 100;
  if (left >= bx_) dbx_ = 1;
  if (top >= by_) dby_ = 1;
  if (right <= bx_) dbx_ = -1;
  if (bottom <= by_) dby_ = -1;

  wx_ += Random(static_cast<uint32_t>(rx_)) * (step * dwx_) / 100;
  wy_ += Random(static_cast<uint32_t>(ry_)) * (step * dwy_) / 100;
  ++stepCounter_;
  if (wx_ <= left || wx_ >= right || wy_ <= top || wy_ >= bottom) stepCounter_ = stepLimit_;
  if (stepCounter_ >= stepLimit_) {
    if (Random(10) == 0) dwx_ = RandomSign();
    dwy_ = static_cast<int>(Random(3)) - 1;
    if (left >= wx_) dwx_ = 1;
    if (right <= wx_) dwx_ = -1;
    if (top >= wy_) dwy_ = 1;
    if (bottom <= wy_) dwy_ = -1;
    stepLimit_ = 50 + static_cast<int32_t>(Random(300));
    rx_ = 200 + static_cast<int32_t>(Random(800));
    ry_ = static_cast<int32_t>(Random(1000));
    stepCounter_ = 0;
  }
  ++ticks_;
}

int32_t TAnimObject::LeftEdge() const {
  return desc_.Scaled ? RoundInt((x_ - fw_ / 2.0) * scaleX_) : RoundInt(x_ * scaleX_ - fw_ / 2.0);
}

int32_t TAnimObject::TopEdge() const {
  return desc_.Scaled ? RoundInt((y_ - fh_ / 2.0) * scaleY_) : RoundInt(y_ * scaleY_ - fh_ / 2.0);
}

TObjectState TAnimObject::State() const {
  std::lock_guard<std::mutex> hold(lock_);
  TObjectState s;
  s.prepared = prepared_;
  s.running = running_ && worker_ && !worker_->Paused();
  s.visible = visible_;
  s.flipped = flipped_;
  s.x = x_;
  s.y = y_;
  s.left = LeftEdge();
  s.top = TopEdge();
  s.frameWidth = fw_;
  s.frameHeight = fh_;
  return s;
}

void TAnimObject::DrawOnto(TBitmap32& target) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (!prepared_ || !visible_ || fw_ <= 0 || fh_ <= 0) return;
  const int32_t left = LeftEdge(), top = TopEdge();
  auto edge = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  TRect to{left, top, edge(int64_t{left} + fw_), edge(int64_t{top} + fh_)};
  if (desc_.Scaled) {
    to.Right = RoundInt(left + fw_ * scaleX_ * desc_.WidthSize / 100);
    to.Bottom = RoundInt(top + fh_ * scaleY_ * desc_.HeightSize / 100);
  }
  DrawLocked(target, to, flipped_);
}

// TAnimImgObject

TBitmap32 TAnimImgObject::Frame() const {
  std::lock_guard<std::mutex> hold(lock_);
  return frame_;
}

uint32_t TAnimImgObject::KeyColor() const {
  std::lock_guard<std::mutex> hold(lock_);
  return key_;
}

void TAnimImgObject::DrawLocked(TBitmap32& target, const TRect& to, bool flipped) const {
  // The frame rectangle (0, 0, fw, fh) stretched onto `to` by nearest pixel;
  // a flipped object reads its frame from right to left.
  if (to.IsEmpty() || frame_.Empty()) return;
  const int64_t w = int64_t{to.Right} - to.Left, h = int64_t{to.Bottom} - to.Top;
  const int x0 = std::max(to.Left, 0), x1 = std::min(to.Right, target.Width());
  const int y0 = std::max(to.Top, 0), y1 = std::min(to.Bottom, target.Height());
  const int sw = std::min(fw_, frame_.Width()), sh = std::min(fh_, frame_.Height());
  const uint8_t m = MasterAlpha();
  const bool keyed = Keyed();
  for (int y = y0; y < y1; ++y) {
    const uint32_t* src = frame_.Row(static_cast<int>((y - int64_t{to.Top}) * sh / h));
    uint32_t* dst = target.Row(y);
    for (int x = x0; x < x1; ++x) {
      int64_t sx = (x - int64_t{to.Left}) * sw / w;
      if (flipped) sx = sw - 1 - sx;
      dst[x] = CombinePixel(src[sx], dst[x], m, key_, keyed);
    }
  }
}

// TImgObject

TImgObject::TImgObject(const TAnimEnvironment& environment) : TAnimImgObject(environment, "IMG") {}

TImgObject::~TImgObject() { EndWorker(); }

const std::vector<TObjectKey>& TImgObject::OwnKeys() const {
  static const std::vector<TObjectKey> keys = {
      TextKey("Filename", &D::Filename),
      BoolKey("Transparent", &D::Transparent, true),
      ByteKey("TransparentType", &D::TransparentType, 1),
      IntKey("TransparentColor", &D::TransparentColor, 0, true),
  };
  return keys;
}

bool TImgObject::LoadPictureLocked() {
  frame_ = TBitmap32();
  fw_ = fh_ = 0;
  const std::string path = ResolvedFilename();
  if (path.empty()) return false;
  try {
    frame_ = DecodePicture(platform::ReadWholeFile(path, kMaxPictureFileBytes), path).bitmap;
  } catch (const EQVError&) {
    return false;  // a picture that cannot be read draws nothing
  }
  if (frame_.Empty()) return false;
  key_ = desc_.TransparentType == 2 ? ColorToPixel(desc_.TransparentColor) : frame_.Pixel(0, frame_.Height() - 1);
  fw_ = frame_.Width();
  fh_ = frame_.Height();
  return true;
}

// TGifObject

TGifObject::TGifObject(const TAnimEnvironment& environment) : TAnimImgObject(environment, "GIF") {
  desc_.TransparentType = 0;
}

TGifObject::~TGifObject() { EndWorker(); }

const std::vector<TObjectKey>& TGifObject::OwnKeys() const {
  static const std::vector<TObjectKey> keys = {
      TextKey("Filename", &D::Filename),
      IntKey("AnimSpeed", &D::AnimSpeed, 10),
      BoolKey("Transparent", &D::Transparent, true),
      ByteKey("TransparentType", &D::TransparentType, 0),
      IntKey("TransparentColor", &D::TransparentColor, 0, true),
      BoolKey("RefreshFrame", &D::RefreshFrame, false),
  };
  return keys;
}

int32_t TGifObject::SpeedPercent() const {
  const int64_t s = desc_.AnimSpeed;
  return static_cast<int32_t>(std::clamp<int64_t>(s > 10 ? s * 50 - 400 : s * 10, 0, 1000));
}

int TGifObject::FrameIndex() const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<int>(current_);
}

bool TGifObject::LoadPictureLocked() {
  gif_ = TGifStoredAnimation();
  frame_ = TBitmap32();
  saved_ = TBitmap32();
  fw_ = fh_ = 0;
  key_ = kKeyColor;
  const std::string path = ResolvedFilename();
  if (path.empty()) return false;
  try {
    const std::vector<uint8_t> bytes = platform::ReadWholeFile(path, kMaxPictureFileBytes);
    if (!IsGIF(bytes.data(), bytes.size())) return false;
    gif_ = DecodeGIFStored(bytes.data(), bytes.size());
    frame_.SetSize(gif_.width, gif_.height);
  } catch (const EQVError&) {
    gif_ = TGifStoredAnimation();  // no frames: the object draws nothing
    frame_ = TBitmap32();
    return false;
  }

  // Every frame's transparency follows Transparent; types 1 and 2 pick the
  // colour, and its first entry in the global table is the transparent index.
  int typeIndex = -1;
  if (desc_.Transparent && (desc_.TransparentType == 1 || desc_.TransparentType == 2)) {
    auto indexOf = [this](uint32_t rgb) {
      for (size_t i = 0; i < gif_.globalColors.size(); ++i)
        if ((gif_.globalColors[i] & 0xFFFFFF) == (rgb & 0xFFFFFF)) return static_cast<int>(i);
      return -1;
    };
    if (desc_.TransparentType == 2) {
      typeIndex = indexOf(ColorToPixel(desc_.TransparentColor));
    } else {
      // The GIF as rendered: its first frame, with the file's own
      // transparency, over the background colour.
      const size_t bg = static_cast<size_t>(gif_.backgroundIndex);
      frame_.Clear(bg < gif_.globalColors.size() ? gif_.globalColors[bg] : 0xFF000000u);
      PaintFrame(0);
      const TBitmap32 rendered = frame_;
      for (TGifStoredFrame& f : gif_.frames) {
        const int row = std::clamp(f.height - 1, 0, rendered.Height() - 1);
        f.transparentIndex = indexOf(rendered.Pixel(0, row));
      }
    }
  }
  for (TGifStoredFrame& f : gif_.frames) {
    if (!desc_.Transparent) f.transparentIndex = -1;
    else if (desc_.TransparentType == 2) f.transparentIndex = typeIndex;
    if (desc_.RefreshFrame) f.disposal = 2;
  }

  fw_ = gif_.width;
  fh_ = gif_.height;
  frame_.Clear(kKeyColor);
  current_ = 0;
  if (gif_.frames[0].disposal == 3) saved_ = frame_;
  PaintFrame(0);
  lastAnimTick_ = env_.clock->TickCount();
  due_ = 0;
  return true;
}

void TGifObject::PaintFrame(size_t index) {
  const TGifStoredFrame& f = gif_.frames[index];
  const std::vector<uint32_t>& colors = f.colors.empty() ? gif_.globalColors : f.colors;
  for (int y = 0; y < f.height; ++y) {
    const int ty = f.top + y;
    if (ty < 0 || ty >= frame_.Height()) continue;
    const uint8_t* src = f.indices.data() + static_cast<size_t>(y) * f.width;
    uint32_t* dst = frame_.Row(ty);
    for (int x = 0; x < f.width; ++x) {
      const int tx = f.left + x;
      if (tx >= frame_.Width()) break;
      const int i = src[x];
      if (tx < 0 || i == f.transparentIndex || static_cast<size_t>(i) >= colors.size()) continue;
      dst[tx] = colors[static_cast<size_t>(i)];
    }
  }
}

void TGifObject::NextFrame() {
  const TGifStoredFrame& f = gif_.frames[current_];
  if (f.disposal == 2) {
    for (int y = std::max(f.top, 0); y < std::min(f.top + f.height, frame_.Height()); ++y)
      std::fill(frame_.Row(y) + std::clamp(f.left, 0, frame_.Width()),
                frame_.Row(y) + std::clamp(f.left + f.width, 0, frame_.Width()), kKeyColor);
  } else if (f.disposal == 3 && !saved_.Empty()) {
    frame_ = saved_;
  }
  current_ = (current_ + 1) % gif_.frames.size();
  if (current_ == 0) frame_.Clear(kKeyColor);  // every loop starts afresh
  if (gif_.frames[current_].disposal == 3) saved_ = frame_;
  PaintFrame(current_);
}

double TGifObject::FrameTime(size_t index) const {
  // A stored delay of 0 counts as 100 ms; the speed percent divides it.
  const int delay = gif_.frames[index].delayMs;
  return (delay > 0 ? delay : 100) * 100.0 / SpeedPercent();
}

void TGifObject::AnimateLocked(uint32_t now) {
  const uint32_t elapsed = now - lastAnimTick_;
  lastAnimTick_ = now;
  if (gif_.frames.size() < 2 || SpeedPercent() == 0) return;
  due_ += elapsed;
  size_t steps = 0;
  while (due_ >= FrameTime(current_) && steps < gif_.frames.size()) {
    due_ -= FrameTime(current_);
    NextFrame();
    ++steps;
  }
  if (steps == gif_.frames.size()) due_ = 0;  // far behind: the backlog is dropped
}

// TAnimObjects

void TAnimObjects::Load(std::string_view description) {
  Clear();
  const TIniFile ini = TIniFile::FromText(description);
  const size_t sections = std::min(ini.SectionCount(), kMaxAnimObjects);
  for (size_t n = 0; n < sections; ++n) {
    const std::string type = ini.ReadString(SectionOf(static_cast<int>(n)), "ObjType", "");
    std::unique_ptr<TAnimObject> object;
    if (type == "GIF") object = std::make_unique<TGifObject>(env_);
    else if (type == "IMG") object = std::make_unique<TImgObject>(env_);
    else continue;
    object->SetNumber(static_cast<int>(objects_.size()));
    object->ReadObject(ini);
    objects_.push_back(std::move(object));
  }
}

void TAnimObjects::Clear() {
  for (auto& object : objects_) object->EndWorker();
  while (!objects_.empty()) objects_.pop_back();  // freed in the reverse order of creation
}

}  // namespace qv
