#include "project/uRunOverrides.h"

#include "project/uQVProject.h"

namespace qv {

void TRunOverrides::ApplyTo(TQVCSetting& setting) const {
  if (duration) setting.Duration = *duration;
  if (music) setting.Music = *music;
  if (sound) setting.Sound = *sound;
  if (transition) setting.Transition = *transition;
}

}  // namespace qv
