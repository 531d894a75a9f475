// An animated picture (.QVP) in the slideshow: the window's animation project
// fitted to the screen and played by the window's engine, one frame per idle
// pass, and the project's sounds played on their schedule through the
// window's sound-effect player.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "animation/uAnimEngine.h"
#include "animation/uProject.h"
#include "platform/Clock.h"
#include "saver/uSlideshowItem.h"

namespace qv {

class TSoundEffect;

// What the item takes from the window.
struct TAnimatedItemContext {
  platform::IClock* clock = nullptr;
  // The window's sound-effect player; without one the item is silent.
  TSoundEffect* player = nullptr;
  // The project's temporary folder and the executable's folder, where the
  // files a project names are looked for.
  std::string tempFolder;
  std::string exeFolder;
  // Called before every frame: a headless run steps the objects' workers
  // up to the clock's time here.
  std::function<void()> stepWorkers;
  // Called after every sound started: the window handles pending messages.
  std::function<void()> processMessages;
  // Told what a loaded project's file holds beyond what it needs.
  std::function<void(const std::string& note)> note;
};

class TAnimatedItem final : public TSlideshowItem {
 public:
  // One sound of the project, by its slot number.
  struct TSoundSlotState {
    bool loaded = false;
    bool played = false;
    uint32_t timer = 0;  // tick count at the last start
    int32_t delay = 0;   // whole seconds
  };

  TAnimatedItem(TProject& project, TAnimEngine& engine, TAnimatedItemContext context);
  ~TAnimatedItem() override;
  TAnimatedItem(const TAnimatedItem&) = delete;
  TAnimatedItem& operator=(const TAnimatedItem&) = delete;

  // The window's speed percent (given to every project) and sound switch.
  void SetShowValues(int speed, bool sound);

  // Loads the project, fits it (to the working size under the accelerated
  // path, to the screen when stretched), points objects whose file is
  // missing at the temporary folder, starts the engine and the sounds.
  // Throws EQVError when the project does not load; the last frame stays.
  void Load(const std::string& file, const TItemFitting& fitting) override;
  TSize Size() const override { return size_; }
  const TBitmap32& Frame() const override { return engine_.Output(); }
  bool Animated() const override { return playing_; }
  // Steps the workers when asked to, then one engine frame at the clock's time.
  void Advance() override;
  // The sounds' schedule, when sound is on.
  void Tick() override;
  // The sounds stop and the objects end.
  void Stop() override;
  // Every second F1: the frame is built again from the picture.
  void KeyF1() override;

  // Each sound is looked for as stored, in the temporary folder, in the
  // shared folder's "sounds" and in "sounds" beside the executable, and
  // loaded into the player's slot of the same number; one found nowhere or
  // that fails to load stays silent.
  void LoadProjectSounds();
  // Mode 0 plays looped once, on the first check; mode 1 once whenever its
  // random delay has passed, mode 2 whenever its interval has.
  void ScheduleProjectSounds();
  void StopSoundEffects();
  const std::array<TSoundSlotState, kSoundSlots>& SoundSlots() const { return slots_; }

 private:
  int32_t RandomDelay(const TSoundSlot& sound) const;
  uint32_t Now() const { return context_.clock->TickCount(); }

  TProject& project_;
  TAnimEngine& engine_;
  TAnimatedItemContext context_;
  int speed_ = 100;
  bool sound_ = true;
  bool playing_ = false;
  TSize size_;
  std::array<TSoundSlotState, kSoundSlots> slots_{};
};

}  // namespace qv
