#include "saver/uAnimatedItem.h"

#include <algorithm>

#include "common/Error.h"
#include "common/Paths.h"
#include "common/Random.h"
#include "saver/uSoundEffect.h"
#include "startup/uSharedFolder.h"

namespace qv {

TAnimatedItem::TAnimatedItem(TProject& project, TAnimEngine& engine, TAnimatedItemContext context)
    : project_(project), engine_(engine), context_(std::move(context)) {
  if (!context_.clock) throw EQVError("An animated item needs a clock");
}

TAnimatedItem::~TAnimatedItem() = default;

void TAnimatedItem::SetShowValues(int speed, bool sound) {
  speed_ = speed;
  sound_ = sound;
}

void TAnimatedItem::Load(const std::string& file, const TItemFitting& fitting) {
  // The engine lets go of the pictures the load replaces.
  playing_ = false;
  engine_.Unbind();
  if (!project_.Load(file)) {
    StopSoundEffects();
    throw EQVError(file + ": " + project_.LoadError());
  }
  if (context_.note)
    for (const std::string& surplus : project_.LoadNotes()) context_.note(FileNamePart(file) + ": " + surplus);
  project_.SetSpeed(speed_);
  TSize size{project_.Picture().Width(), project_.Picture().Height()};
  if (fitting.directDraw) {
    size = fitting.screen;
    TAnimEngine::FitProject(fitting.proportional, project_, fitting.workingSize.width, fitting.workingSize.height);
  } else if (fitting.stretch) {
    TAnimEngine::FitProject(fitting.proportional, project_, fitting.screen.width, fitting.screen.height);
    size = {project_.Picture().Width(), project_.Picture().Height()};
  }

  // An object's file that is not where the project says was extracted with
  // the project, under its bare name.
  for (TObjectDescription& object : project_.Objects()) {
    std::string& name = object.Filename;
    if (name.empty() || context_.tempFolder.empty()) continue;
    if (LocateProjectFile(name, TLookupKind::Picture, "", "", "").empty())
      name = JoinPath(context_.tempFolder, FileNamePart(name));
  }

  engine_.Bind(project_);
  engine_.SetWeather(false);
  engine_.Start(Now());
  if (project_.Weather().Kind > 0) engine_.SetWeather(true);
  size_ = size;
  playing_ = true;

  if (sound_) {
    StopSoundEffects();
    LoadProjectSounds();
    ScheduleProjectSounds();
  }
}

void TAnimatedItem::Advance() {
  if (!playing_) return;
  if (context_.stepWorkers) context_.stepWorkers();
  engine_.Frame(Now());
}

void TAnimatedItem::Tick() {
  if (sound_) ScheduleProjectSounds();
}

void TAnimatedItem::Stop() {
  StopSoundEffects();
  engine_.StopObjects();
}

void TAnimatedItem::KeyF1() { engine_.Reset(); }

int32_t TAnimatedItem::RandomDelay(const TSoundSlot& sound) const {
  // Whole seconds from the lower bound up to, not including, the upper one.
  // 0 plays the sound back to back: one still playing is not started again.
  int64_t delay = sound.Interval;
  if (sound.IntervalMax > sound.Interval)
    delay += Random(static_cast<uint32_t>(int64_t{sound.IntervalMax} - sound.Interval));
  return static_cast<int32_t>(std::clamp<int64_t>(delay, 0, INT32_MAX));
}

void TAnimatedItem::LoadProjectSounds() {
  slots_ = {};
  if (!context_.player) return;
  const uint32_t now = Now();
  for (int i = 0; i < project_.SoundCount(); ++i) {
    const TSoundSlot& sound = project_.Sound(i);
    TSoundSlotState& slot = slots_[static_cast<size_t>(i)];
    slot.timer = now;
    const std::string found =
        LocateProjectFile(sound.Name, TLookupKind::Sound, context_.tempFolder, context_.exeFolder);
    if (found.empty()) {
      context_.player->AddSilent(sound.Name);
      continue;
    }
    try {
      if (context_.player->Add(found) < 0) continue;
    } catch (const std::exception&) {
      continue;  // the slot keeps its number and stays silent
    }
    slot.loaded = true;
    if (sound.PlayMode == 1) slot.delay = RandomDelay(sound);
    else if (sound.PlayMode == 2) slot.delay = std::max(sound.Interval, 0);
  }
}

void TAnimatedItem::ScheduleProjectSounds() {
  if (!context_.player) return;
  const uint32_t now = Now();
  for (int i = 0; i < kSoundSlots; ++i) {
    TSoundSlotState& slot = slots_[static_cast<size_t>(i)];
    if (!slot.loaded) continue;
    const TSoundSlot& sound = project_.Sound(i);
    const uint32_t elapsed = (now - slot.timer) / 1000;
    bool loop = false, play = false;
    switch (sound.PlayMode) {
      case 0:
        play = loop = !slot.played;
        break;
      case 1:
        if (elapsed >= static_cast<uint32_t>(slot.delay)) {
          slot.timer = now;
          slot.delay = RandomDelay(sound);
          play = true;
        }
        break;
      case 2:
        if (elapsed >= static_cast<uint32_t>(slot.delay)) {
          slot.timer = now;
          play = true;
        }
        break;
      default: break;  // an unknown mode stays silent
    }
    if (!play) continue;
    slot.played = true;
    context_.player->Play(i, loop);
    if (context_.processMessages) context_.processMessages();
  }
}

void TAnimatedItem::StopSoundEffects() {
  for (TSoundSlotState& slot : slots_) slot.loaded = false;
  if (!context_.player) return;
  context_.player->StopAll();
  context_.player->Clear();
}

}  // namespace qv
