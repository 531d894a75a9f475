#include "saver/uMusicList.h"

#include "common/Paths.h"
#include "common/Random.h"
#include "platform/PathRules.h"

namespace qv {

bool MusicOn(bool musicFlag, std::string_view musicFile) { return musicFlag && !musicFile.empty(); }

std::vector<std::string> BuildMusicList(std::string_view musicFile, const std::string& tempFolder) {
  std::vector<std::string> list;
  std::string text(musicFile);
  if (text.empty() || text.back() != ';') text += ';';
  size_t from = 0;
  while (from < text.size()) {
    const size_t cut = text.find(';', from);
    std::string entry = text.substr(from, cut - from);
    from = cut + 1;
    if (entry.empty()) continue;
    if (entry.find_first_of("\\/") == std::string::npos) {
      std::string found = platform::FindInFolder(tempFolder, entry);
      entry = found.empty() ? JoinPath(tempFolder, entry) : found;
    }
    list.push_back(std::move(entry));
  }
  return list;
}

int NextTrackIndex(int current, int count, int musicMode) {
  if (musicMode != 0) {
    const int next = current + 1;
    return next >= count ? 0 : next;
  }
  return RandomIndexOtherThan(current, count);
}

TMusicPlayback::TMusicPlayback(platform::IMusicPlayer& player, std::vector<std::string> list, int musicMode)
    : player_(player), list_(std::move(list)), mode_(musicMode) {
  player_.SetFinishedHandler([this] { MediaPlayerNotify(); });
}

TMusicPlayback::~TMusicPlayback() {
  player_.SetFinishedHandler(nullptr);
  player_.Close();
}

void TMusicPlayback::OpenAndPlay() {
  // A track that does not open makes way for the following one, once round
  // the list; only when none opens does the music fall silent.
  const int count = static_cast<int>(list_.size());
  for (int tries = 0; tries < count; ++tries) {
    if (player_.Open(list_[static_cast<size_t>(current_)])) {
      player_.Play();
      return;
    }
    current_ = NextTrackIndex(current_, count, mode_);
  }
}

void TMusicPlayback::Start() {
  if (list_.empty()) return;
  current_ = NextTrackIndex(-1, static_cast<int>(list_.size()), mode_);
  OpenAndPlay();
}

void TMusicPlayback::MediaPlayerNotify() {
  if (list_.empty() || current_ < 0 || !player_.AtEnd()) return;
  current_ = NextTrackIndex(current_, static_cast<int>(list_.size()), mode_);
  player_.Close();
  OpenAndPlay();
}

void TMusicPlayback::Stop() { player_.Close(); }

}  // namespace qv
