// Instances of one screensaver on the other monitors, when a daemon starts
// one process per monitor: each tells the others, through small files in a
// folder of this user's running programs, which picture it shows, and learns
// theirs. An instance that ended (its lock is free) no longer counts.
#pragma once
#include <string>
#include <vector>

#include "platform/Files.h"

namespace qv::platform {

class TPeerShows {
 public:
  // `name` tells the screensaver's instances from other screensavers';
  // `primary` marks the instance on the primary monitor.
  TPeerShows(const std::string& name, bool primary);
  ~TPeerShows();
  TPeerShows(const TPeerShows&) = delete;
  TPeerShows& operator=(const TPeerShows&) = delete;

  // What the other live instances show. Instances choose one at a time:
  // this holds the choice (for at most a tenth of a second of waiting for
  // another's) until Tell says what was chosen, so two that change at once
  // do not both take the same picture.
  std::vector<int> Others();
  // The picture this instance shows (an index of the playlist).
  void Tell(int index);
  // What the primary instance shows; -1 when there is none or it shows nothing yet.
  int Primary() const;

 private:
  std::string folder_;
  std::string lock_;  // this instance's lock file; its picture is beside it
  TFile held_;
  TFile choosing_;  // while this instance chooses
};

}  // namespace qv::platform
