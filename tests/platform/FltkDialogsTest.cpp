#include "platform/fltk/FltkDialogs.h"

#include <gtest/gtest.h>

namespace qv::platform {
namespace {

TEST(FltkFilter, ExtensionListsBecomeOneBracedPatternInBothCases) {
  EXPECT_EQ(FltkFilter("Music Files|*.mp3;*.wma;*.mid;*.wav"), "Music Files\t*.{mp3,wma,mid,wav,MP3,WMA,MID,WAV}");
  EXPECT_EQ(FltkFilter("Pictures|*.JPG|All files|*.*"), "Pictures\t*.{JPG}\nAll files\t*.*");
  EXPECT_EQ(FltkFilter("Odd|a*.txt;*.log"), "Odd\t{a*.txt,*.log}");
  EXPECT_EQ(FltkFilter(""), "");
  EXPECT_EQ(FltkFilter("No patterns"), "") << "a description without patterns offers nothing";
}

}  // namespace
}  // namespace qv::platform
