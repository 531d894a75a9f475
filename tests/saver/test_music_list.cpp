#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Random.h"
#include "platform/doubles/AudioDouble.h"
#include "saver/uMusicList.h"
#include "support/TempDir.h"

using qv::BuildMusicList;
using qv::NextTrackIndex;
using qv::TMusicPlayback;
using List = std::vector<std::string>;

namespace {

TEST(MusicOn, NeedsTheFlagAndAFileText) {
  EXPECT_TRUE(qv::MusicOn(true, "a.mp3"));
  EXPECT_FALSE(qv::MusicOn(false, "a.mp3"));
  EXPECT_FALSE(qv::MusicOn(true, ""));
}

TEST(MusicList, SkipsTheEmptyEntryOfADoubledSeparator) {
  EXPECT_EQ(BuildMusicList("/m/a.mp3;;/m/b.mid", "/tmp/x/"), (List{"/m/a.mp3", "/m/b.mid"}));
  EXPECT_EQ(BuildMusicList("/m/a.mp3;/m/b.mid;", "/tmp/x/"), (List{"/m/a.mp3", "/m/b.mid"}));
}

TEST(MusicList, OfSeparatorsOnlyIsEmpty) {
  EXPECT_TRUE(BuildMusicList(";;;", "/tmp/x/").empty());
  EXPECT_TRUE(BuildMusicList("", "/tmp/x/").empty());
}

TEST(MusicList, TakesBareNamesFromTheTemporaryFolderWhateverTheirCase) {
  qvtest::TempDir temp;
  qvtest::WriteFile(temp.file("song.mp3"), "x");
  EXPECT_EQ(BuildMusicList("Song.MP3;other.ogg", temp.slash()), (List{temp.file("song.mp3"), temp.file("other.ogg")}));
}

TEST(MusicList, KeepsNamesWithAFolderOfEitherSeparator) {
  EXPECT_EQ(BuildMusicList("C:\\m\\a.mp3;/home/u/b.ogg;sub/c.wav", "/tmp/x/"),
            (List{"C:\\m\\a.mp3", "/home/u/b.ogg", "sub/c.wav"}));
}

TEST(NextTrack, InOrderWrapsAfterTheLast) {
  EXPECT_EQ(NextTrackIndex(-1, 3, 1), 0);
  EXPECT_EQ(NextTrackIndex(0, 3, 1), 1);
  EXPECT_EQ(NextTrackIndex(2, 3, 1), 0);
  EXPECT_EQ(NextTrackIndex(0, 1, 5), 0);
}

TEST(NextTrack, ShuffledNeverRepeatsTheCurrentTrack) {
  qv::TRandomStateGuard guard;
  qv::RandSeed = 12345;
  EXPECT_EQ(NextTrackIndex(-1, 1, 0), 0);
  EXPECT_EQ(NextTrackIndex(0, 1, 0), 0);
  int current = NextTrackIndex(-1, 2, 0);
  for (int i = 0; i < 50; ++i) {
    const int next = NextTrackIndex(current, 2, 0);
    EXPECT_EQ(next, 1 - current);
    current = next;
  }
  std::vector<int> seen(5);
  current = 0;
  for (int i = 0; i < 500; ++i) {
    const int next = NextTrackIndex(current, 5, 0);
    ASSERT_NE(next, current);
    ASSERT_GE(next, 0);
    ASSERT_LT(next, 5);
    ++seen[static_cast<size_t>(next)];
    current = next;
  }
  for (int count : seen) EXPECT_GT(count, 50);
}

TEST(NextTrack, ShuffledTakesTheGeneratorsDraw) {
  qv::TRandomStateGuard guard;
  qv::RandSeed = 0;
  // The first state after 0 is 1; 1 * 4 >> 32 is 0, so track 0 is chosen.
  EXPECT_EQ(NextTrackIndex(-1, 4, 0), 0);
}

class MusicPlayback : public ::testing::Test {
 protected:
  std::vector<std::string> calls;
  qv::platform::TMusicPlayerDouble player{calls};
  qv::TRandomStateGuard guard;

  std::vector<std::string> Played() const {
    std::vector<std::string> opened;
    for (const std::string& c : calls)
      if (c.rfind("music.open ", 0) == 0) opened.push_back(c.substr(11));
    return opened;
  }
};

TEST_F(MusicPlayback, StartsWithTheFirstTrackInOrder) {
  TMusicPlayback music(player, {"a", "b", "c"}, 1);
  music.Start();
  EXPECT_EQ(calls, (std::vector<std::string>{"music.open a", "music.play"}));
  EXPECT_EQ(music.CurrentTrack(), 0);
}

TEST_F(MusicPlayback, EachEndOfTrackPlaysTheNextAndWraps) {
  TMusicPlayback music(player, {"a", "b", "c"}, 1);
  music.Start();
  for (int i = 0; i < 4; ++i) player.FinishTrack();
  EXPECT_EQ(Played(), (List{"a", "b", "c", "a", "b"}));
  EXPECT_EQ(calls[2], "music.close");
}

TEST_F(MusicPlayback, ANotificationBeforeTheEndChangesNothing) {
  TMusicPlayback music(player, {"a", "b"}, 1);
  music.Start();
  player.Notify();
  EXPECT_EQ(Played(), (List{"a"}));
}

TEST_F(MusicPlayback, ASingleTrackRepeatsInBothModes) {
  for (int mode : {0, 1}) {
    calls.clear();
    TMusicPlayback music(player, {"only"}, mode);
    music.Start();
    for (int i = 0; i < 3; ++i) player.FinishTrack();
    EXPECT_EQ(Played(), (List{"only", "only", "only", "only"})) << "mode " << mode;
  }
}

TEST_F(MusicPlayback, ShuffledPlayAlternatesBetweenTwoTracks) {
  qv::RandSeed = 777;
  TMusicPlayback music(player, {"a", "b"}, 0);
  music.Start();
  for (int i = 0; i < 9; ++i) player.FinishTrack();
  const List played = Played();
  ASSERT_EQ(played.size(), 10u);
  for (size_t i = 1; i < played.size(); ++i) EXPECT_NE(played[i], played[i - 1]);
}

TEST_F(MusicPlayback, AFileThatDoesNotOpenGivesWayToTheFollowingTrack) {
  player.unopenable = {"a"};
  TMusicPlayback music(player, {"a", "b", "c"}, 1);
  music.Start();
  EXPECT_EQ(calls, (std::vector<std::string>{"music.open a", "music.open b", "music.play"}));
  player.FinishTrack();
  player.FinishTrack();
  // Round the list again: c, then a fails and b plays.
  EXPECT_EQ(Played(), (List{"a", "b", "c", "a", "b"}));
}

TEST_F(MusicPlayback, WhenTheNextTrackFailsTheMusicGoesOnWithTheOneAfter) {
  player.unopenable = {"b"};
  TMusicPlayback music(player, {"a", "b", "c"}, 1);
  music.Start();
  player.FinishTrack();
  EXPECT_EQ(Played(), (List{"a", "b", "c"}));
  EXPECT_EQ(music.CurrentTrack(), 2);
}

TEST_F(MusicPlayback, WhenNoTrackOpensItTriesEachOnceAndStaysSilent) {
  player.unopenable = {"a", "b"};
  TMusicPlayback music(player, {"a", "b"}, 1);
  music.Start();
  EXPECT_EQ(Played(), (List{"a", "b"}));
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "music.play"), 0);
  player.FinishTrack();
  EXPECT_EQ(Played(), (List{"a", "b"}));
}

TEST_F(MusicPlayback, AnEmptyListPlaysNothing) {
  TMusicPlayback music(player, {}, 1);
  music.Start();
  player.FinishTrack();
  EXPECT_TRUE(calls.empty());
}

TEST_F(MusicPlayback, StopAndDestroyCloseThePlayerAndDropTheHandler) {
  {
    TMusicPlayback music(player, {"a"}, 1);
    EXPECT_TRUE(player.HasHandler());
    music.Start();
    music.Stop();
    player.FinishTrack();
    EXPECT_EQ(Played(), (List{"a"}));
  }
  EXPECT_FALSE(player.HasHandler());
  EXPECT_EQ(calls.back(), "music.close");
}

}  // namespace
