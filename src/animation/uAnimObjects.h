// Animated objects at play: the objects an animated picture describes come to
// life here when the engine starts the picture, each moving on a worker of
// its own; the engine reads a consistent snapshot and draws them, and they
// go when it stops.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "animation/uGifPlayback.h"
#include "animation/uObjectDescription.h"
#include "animation/uObjectMotion.h"
#include "common/Bands.h"
#include "graphics/Bitmap32.h"
#include "graphics/Rect.h"
#include "platform/Clock.h"
#include "platform/Worker.h"

namespace qv {

// Finds the picture file a description names; empty when it is nowhere. The
// saver passes the shared-folder look-up; without one the stored name is used.
using TPictureLocator = std::function<std::string(const std::string& stored)>;

// What objects need from the world: the clock they read "now" from, the
// workers they move on, and where their pictures are; and the bands the
// water is drawn in (none: on the calling thread).
struct TAnimEnvironment {
  platform::IClock* clock = nullptr;
  platform::IWorkers* workers = nullptr;
  TPictureLocator locate;
  IBands* bands = nullptr;
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

// The pixel combine of a drawn object: a source pixel equal to the key colour
// (compared on red, green and blue) leaves the destination; any other mixes
// by the master alpha M, and the alpha byte becomes M.
uint32_t CombinePixel(uint32_t source, uint32_t destination, uint8_t masterAlpha, uint32_t key, bool keyed);

// A colour value of a description (0x00BBGGRR; a negative one names a system
// colour by its low byte, resolved to the system's default) as an opaque
// 0xFFRRGGBB pixel.
uint32_t ColorToPixel(int32_t color);

class TAnimObject {
 public:
  virtual ~TAnimObject();
  TAnimObject(const TAnimObject&) = delete;
  TAnimObject& operator=(const TAnimObject&) = delete;

  const TObjectDescription& Description() const { return desc_; }
  // "IMG" or "GIF".
  std::string Type() const { return ObjectTypeName(desc_.Type); }
  int Number() const { return desc_.Number; }
  // The description as written now, with the object's current edges.
  std::string Write() const;

  // Set by the engine before it starts the object.
  void SetDisplay(const TRect& display, int pictureWidth, int pictureHeight);
  // Loads the picture and prepares motion.
  void Start();
  // Pauses the worker when it runs.
  void Stop();
  // The engine's start: Stop, Start, resume the worker, mark running.
  void Run();
  // One move: the display schedule, the walks, the motion model, the flip,
  // then the picture's own animation.
  void Tick();
  // Ends the worker and waits for it; done before anything is freed.
  void EndWorker();

  TObjectState State() const;
  // Draws the object onto the engine's composed frame: its frame stretched
  // from the left and top edges by the display scale and WidthSize and
  // HeightSize percent, mirrored when flipped, with the pixel combine.
  // Nothing for an object without a picture, an unprepared or a hidden one.
  void DrawOnto(TBitmap32& target) const;
  // A copy of the frame as it is now, and its key colour (tests, tools).
  TBitmap32 Frame() const;
  uint32_t KeyColor() const;

 protected:
  TAnimObject(const TAnimEnvironment& environment, TObjectDescription description);
  // The object's lock, for a reader of a subclass's own state.
  std::unique_lock<std::mutex> Hold() const { return std::unique_lock<std::mutex>(lock_); }
  // Everything below runs with the object's lock held.
  // Loads the picture from the found file; false when there is none (the
  // object stays unprepared and draws nothing).
  virtual bool LoadPicture(const std::string& path, uint32_t now) = 0;
  virtual void Animate(uint32_t /*now*/) {}
  virtual const TBitmap32& Picture() const = 0;
  virtual uint32_t Key() const = 0;
  virtual bool Keyed() const = 0;

 private:
  void StartLocked(uint32_t now);
  uint8_t MasterAlpha() const;

  const TAnimEnvironment env_;
  const TObjectDescription desc_;
  mutable std::mutex lock_;
  bool prepared_ = false, running_ = false;
  TRect display_;
  int pictureWidth_ = 0, pictureHeight_ = 0;
  TObjectMotion motion_;
  std::unique_ptr<platform::IWorker> worker_;
};

// A still picture: its key colour is its bottom-left pixel, or
// TransparentColor with TransparentType 2.
class TImgObject final : public TAnimObject {
 public:
  TImgObject(const TAnimEnvironment& environment, TObjectDescription description);
  ~TImgObject() override;

 private:
  bool LoadPicture(const std::string& path, uint32_t now) override;
  const TBitmap32& Picture() const override { return frame_; }
  uint32_t Key() const override { return key_; }
  bool Keyed() const override { return Description().Transparent; }

  TBitmap32 frame_;
  uint32_t key_ = 0;
};

// An animated GIF, played over the key colour.
class TGifObject final : public TAnimObject {
 public:
  static constexpr uint32_t kKeyColor = TGifPlayback::kKeyColor;

  TGifObject(const TAnimEnvironment& environment, TObjectDescription description);
  ~TGifObject() override;
  int32_t SpeedPercent() const { return GifSpeedPercent(Description().AnimSpeed); }
  int FrameIndex() const;

 private:
  bool LoadPicture(const std::string& path, uint32_t now) override;
  void Animate(uint32_t now) override { playback_.Animate(now); }
  const TBitmap32& Picture() const override { return playback_.Frame(); }
  uint32_t Key() const override { return kKeyColor; }
  bool Keyed() const override { return true; }

  TGifPlayback playback_;
};

// The objects of one animated picture at play, in the description's order.
class TAnimObjects {
 public:
  // Brings every described object to life (paused until the engine runs it).
  // Throws EQVError without a clock and workers to run on.
  TAnimObjects(const TAnimEnvironment& environment, const std::vector<TObjectDescription>& descriptions);
  ~TAnimObjects();
  TAnimObjects(const TAnimObjects&) = delete;
  TAnimObjects& operator=(const TAnimObjects&) = delete;

  size_t Count() const { return objects_.size(); }
  bool Empty() const { return objects_.empty(); }
  TAnimObject& operator[](size_t index) { return *objects_[index]; }
  const TAnimObject& operator[](size_t index) const { return *objects_[index]; }

 private:
  std::vector<std::unique_ptr<TAnimObject>> objects_;
};

}  // namespace qv
