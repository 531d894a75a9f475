// The saver's background music: the track list from the MusicFile text, the
// choice of the next track, and playback over the platform's music player.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/Audio.h"

namespace qv {

// Music plays when the Music flag is set and MusicFile is not empty.
bool MusicOn(bool musicFlag, std::string_view musicFile);

// The ";"-separated entries in order, empty ones skipped. A bare file name is
// looked up in `tempFolder` (letter case ignored when the exact name is not
// there); a name with a folder part ("\" or "/") is kept as it is.
std::vector<std::string> BuildMusicList(std::string_view musicFile, const std::string& tempFolder);

// Mode 0 shuffles: a random index other than `current` (0 with fewer than two
// tracks). Any other mode plays in order, wrapping to 0 after the last.
int NextTrackIndex(int current, int count, int musicMode);

// Owns the list, mode and current track and drives the player. The player's
// finished notification calls MediaPlayerNotify for as long as this lives.
class TMusicPlayback {
 public:
  TMusicPlayback(platform::IMusicPlayer& player, std::vector<std::string> list, int musicMode);
  ~TMusicPlayback();
  TMusicPlayback(const TMusicPlayback&) = delete;
  TMusicPlayback& operator=(const TMusicPlayback&) = delete;

  // Opens and plays the first track. A file that does not open gives way to
  // the following track, once round the list; when none opens the music is
  // silent.
  void Start();
  // After a track has ended, opens and plays the next one, by the same rule.
  void MediaPlayerNotify();
  void Stop();

  const std::vector<std::string>& List() const { return list_; }
  int CurrentTrack() const { return current_; }

 private:
  void OpenAndPlay();

  platform::IMusicPlayer& player_;
  std::vector<std::string> list_;
  int mode_;
  int current_ = -1;
};

}  // namespace qv
