// The sprites of an animated picture: still pictures (TImgObject) and animated
// GIFs (TGifObject) read from an INI-style description, each moving on a
// worker of its own; the engine reads a consistent snapshot and draws them.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/Rect.h"
#include "platform/Clock.h"
#include "platform/Worker.h"
#include "project/uIniFile.h"

namespace qv {

// Finds the picture file a description names; empty when it is nowhere. The
// saver passes the shared-folder look-up; without one the stored name is used.
using TPictureLocator = std::function<std::string(const std::string& stored)>;

// What objects need from the world: the clock they read "now" from, the
// workers they move on, and where their pictures are.
struct TAnimEnvironment {
  platform::IClock* clock = nullptr;
  platform::IWorkers* workers = nullptr;
  TPictureLocator locate;
};

// The description keys of an object (each type reads the ones it has).
struct TObjectDescription {
  int32_t Width = 0, Height = 0;
  bool Scaled = true;
  int32_t WidthSize = 100, HeightSize = 100;
  int32_t MoveAreaRectleft = 0, MoveAreaRecttop = 0, MoveAreaRectright = 0, MoveAreaRectbottom = 0;
  int32_t Speed = 10;
  uint8_t InitialDir = 0, PosLeftType = 0, PosTopType = 0;
  int32_t PosLeft = 100, PosTop = 100;
  uint8_t ObjFacing = 1;
  int32_t Opacity = 10, DisplaySec = 0;
  uint8_t DisplayDurationType = 0;
  int32_t DisplayDurationSec = 60, DisplayDurationCycle = 10;
  uint8_t Motion = 0;
  int32_t MotionSpeed = 10;
  uint8_t MotionAreaType = 0;
  bool DirFlip = false, Redisplay = true, ResetPos = true, RestrictArea = true;
  // Picture objects.
  std::string Filename;
  bool Transparent = true;
  uint8_t TransparentType = 1;
  int32_t TransparentColor = 0;  // a colour value: 0x00BBGGRR, or a system colour number
  // Animated GIFs.
  int32_t AnimSpeed = 10;
  bool RefreshFrame = false;
};

// One description key: its name, what it holds and where, and its default.
struct TObjectKey {
  enum TKind { Int, Byte, Bool, Text };
  const char* name;
  TKind kind;
  int32_t TObjectDescription::*intField = nullptr;
  uint8_t TObjectDescription::*byteField = nullptr;
  bool TObjectDescription::*boolField = nullptr;
  std::string TObjectDescription::*textField = nullptr;
  int32_t def = 0;             // for Text: none
  bool keepsCurrent = false;   // a missing key keeps the value the object has
};

// What the engine reads while the worker moves the object, taken at once.
struct TObjectState {
  bool prepared = false;  // picture found and motion set up
  bool running = false;
  bool visible = false;
  bool flipped = false;
  double x = 0, y = 0;    // centre, picture units
  int32_t left = 0, top = 0;
  int32_t frameWidth = 0, frameHeight = 0;
};

class TAnimObject {
 public:
  TAnimObject(const TAnimEnvironment& environment, std::string_view type);
  virtual ~TAnimObject();
  TAnimObject(const TAnimObject&) = delete;
  TAnimObject& operator=(const TAnimObject&) = delete;

  const std::string& Type() const { return type_; }  // "GIF" or "IMG"
  int Number() const { return number_; }
  void SetNumber(int number) { number_ = number; }
  // Change only while the object is not running.
  TObjectDescription& Description() { return desc_; }
  const TObjectDescription& Description() const { return desc_; }
  // The keys this type reads, its own first, then the common ones.
  std::vector<const TObjectKey*> Keys() const;

  // Reads the type's own keys, then the common ones, from section "Obj"+Number.
  void ReadObject(const TIniFile& description);
  void Read(const TIniFile& description);
  // The object's section with every key it writes, in the order it writes
  // them; a text value is cut at a line break or NUL.
  std::string Write() const;

  // Set by the engine before it starts the object.
  void SetDisplay(const TRect& display, int pictureWidth, int pictureHeight);
  // Loads the picture and prepares motion.
  void Start();
  // Pauses the worker when it runs.
  void Stop();
  // The engine's start: Stop, Start, resume the worker, mark running.
  void Run();
  // One move: the display schedule, the walks, the motion model, the flip.
  void Tick();
  // Ends the worker and waits for it; done before anything is freed.
  void EndWorker();

  TObjectState State() const;
  // Draws the object onto the engine's composed frame: its frame stretched
  // from the left and top edges by the display scale and WidthSize and
  // HeightSize percent, mirrored when flipped, with the pixel combine.
  // Nothing for an object without a picture, an unprepared or a hidden one.
  void DrawOnto(TBitmap32& target) const;

 protected:
  // Everything below runs with the object's lock held.
  virtual void StartLocked(uint32_t now);
  // Loads the picture; false when there is none (the object stays unprepared).
  virtual bool LoadPictureLocked() { return true; }
  virtual void AnimateLocked(uint32_t /*now*/) {}
  virtual void DrawLocked(TBitmap32& /*target*/, const TRect& /*to*/, bool /*flipped*/) const {}
  virtual const std::vector<TObjectKey>& OwnKeys() const;
  std::string ResolvedFilename() const;
  uint8_t MasterAlpha() const;

  const TAnimEnvironment env_;
  TObjectDescription desc_;
  int32_t fw_ = 0, fh_ = 0;  // frame size
  mutable std::mutex lock_;

 private:
  void StartCommon(uint32_t now);
  void TickLocked(uint32_t now);
  void Walk();
  int32_t LeftEdge() const;
  int32_t TopEdge() const;

  std::string type_;
  int number_ = 0;
  // Run-time state.
  bool prepared_ = false, running_ = false, visible_ = false, flipped_ = false;
  double x_ = 0, y_ = 0, bx_ = 0, by_ = 0, wx_ = 0, wy_ = 0;
  int dbx_ = 1, dby_ = 1, dwx_ = 1, dwy_ = 0, ix_ = 1, iy_ = 1;
  int32_t stepCounter_ = 0, stepLimit_ = 0, rx_ = 0, ry_ = 0, speed_ = 0;
  int64_t ticks_ = 0;
  int64_t areaLeft_ = 0, areaTop_ = 0, areaRight_ = 0, areaBottom_ = 0;
  int32_t posLeft_ = 0, posTop_ = 0;
  TRect display_;
  int pictureWidth_ = 0, pictureHeight_ = 0;
  double scaleX_ = 1, scaleY_ = 1;
  int64_t startTick_ = -1;  // -1: never again
  std::unique_ptr<platform::IWorker> worker_;
};

// The pixel combine of a drawn object: a source pixel equal to the key colour
// (compared on red, green and blue) leaves the destination; any other mixes
// by the master alpha M, and the alpha byte becomes M.
uint32_t CombinePixel(uint32_t source, uint32_t destination, uint8_t masterAlpha, uint32_t key, bool keyed);

// A colour value (0x00BBGGRR; a negative one names a system colour, resolved
// to the system's default) as an opaque 0xFFRRGGBB pixel.
uint32_t ColorToPixel(int32_t color);

// Base of the picture objects: a frame bitmap, its key colour, the combine.
class TAnimImgObject : public TAnimObject {
 public:
  using TAnimObject::TAnimObject;
  // A copy of the frame as it is now (tests, tools).
  TBitmap32 Frame() const;
  uint32_t KeyColor() const;

 protected:
  void DrawLocked(TBitmap32& target, const TRect& to, bool flipped) const override;
  virtual bool Keyed() const = 0;

  TBitmap32 frame_;
  uint32_t key_ = 0;
};

class TImgObject final : public TAnimImgObject {
 public:
  explicit TImgObject(const TAnimEnvironment& environment);
  ~TImgObject() override;

 protected:
  bool LoadPictureLocked() override;
  bool Keyed() const override { return desc_.Transparent; }
  const std::vector<TObjectKey>& OwnKeys() const override;
};

class TGifObject final : public TAnimImgObject {
 public:
  // The key colour the frames are painted over.
  static constexpr uint32_t kKeyColor = 0x112233;

  explicit TGifObject(const TAnimEnvironment& environment);
  ~TGifObject() override;
  // The animation speed in percent after the AnimSpeed rule, 0..1000.
  int32_t SpeedPercent() const;
  int FrameIndex() const;

 protected:
  bool LoadPictureLocked() override;
  void AnimateLocked(uint32_t now) override;
  bool Keyed() const override { return true; }
  const std::vector<TObjectKey>& OwnKeys() const override;

 private:
  void PaintFrame(size_t index);
  void NextFrame();
  double FrameTime(size_t index) const;

  TGifStoredAnimation gif_;
  size_t current_ = 0;
  TBitmap32 saved_;  // the canvas before a "restore to previous" frame
  uint32_t lastAnimTick_ = 0;
  double due_ = 0;
};

class TAnimObjects {
 public:
  explicit TAnimObjects(const TAnimEnvironment& environment) : env_(environment) {}
  ~TAnimObjects() { Clear(); }
  TAnimObjects(const TAnimObjects&) = delete;
  TAnimObjects& operator=(const TAnimObjects&) = delete;

  // Frees every object, then for n from 0 to the number of sections - 1 (at
  // most kMaxAnimObjects) reads "ObjType" of section "Obj"+n: "GIF" appends a
  // TGifObject, "IMG" a TImgObject, anything else nothing. The new object's
  // number is its list position, and it reads the section of that number.
  void Load(std::string_view description);
  void Clear();
  size_t Count() const { return objects_.size(); }
  bool Empty() const { return objects_.empty(); }
  TAnimObject& operator[](size_t index) { return *objects_[index]; }
  const TAnimObject& operator[](size_t index) const { return *objects_[index]; }
  const TAnimEnvironment& Environment() const { return env_; }

 private:
  TAnimEnvironment env_;
  std::vector<std::unique_ptr<TAnimObject>> objects_;
};

}  // namespace qv
