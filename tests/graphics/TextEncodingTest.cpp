#include "graphics/TextFormats/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

std::string Utf8(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

TEST(TextEncoding, CodePointsOfEveryLengthEncodeAndDecodeBack) {
  EXPECT_EQ(Utf8(U'A'), "A");
  EXPECT_EQ(Utf8(0xE9), "\xC3\xA9");
  EXPECT_EQ(Utf8(0x20AC), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8(0x1F600), "\xF0\x9F\x98\x80");
  for (char32_t c : {char32_t{0x41}, char32_t{0x7FF}, char32_t{0x800}, char32_t{0xFFFD}, char32_t{0x10000},
                     char32_t{0x10FFFF}})
    EXPECT_EQ(FirstCodePoint(Utf8(c)), c) << std::hex << static_cast<uint32_t>(c);
}

TEST(TextEncoding, WhatHasNoEncodingBecomesTheReplacementCharacter) {
  EXPECT_EQ(Utf8(0xD800), Utf8(0xFFFD));
  EXPECT_EQ(Utf8(0x110000), Utf8(0xFFFD));
  EXPECT_EQ(FirstCodePoint(""), 0u);
  EXPECT_EQ(FirstCodePoint("\xE2\x82"), 0xFFFDu);       // cut short
  EXPECT_EQ(FirstCodePoint("\x82"), 0xFFFDu);           // a continuation byte first
  EXPECT_EQ(FirstCodePoint("\xC3" "A"), 0xFFFDu);       // no continuation
  EXPECT_EQ(FirstCodePoint("\xC3\xA9rest"), 0xE9u);     // only the first counts
}

TEST(TextEncoding, Utf8IsToldFromOtherBytes) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("Caf\xE9"));            // Windows-1252
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));           // an overlong slash
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));           // cut short
  EXPECT_FALSE(IsValidUtf8("\xE2\x28\xAC"));       // a continuation missing
  EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));   // past the last plane
}

TEST(TextEncoding, Windows1252MapsItsOwnRowAndLatin1Elsewhere) {
  EXPECT_EQ(Windows1252CodePoint(0x41), U'A');
  EXPECT_EQ(Windows1252CodePoint(0x80), 0x20ACu);  // the euro sign
  EXPECT_EQ(Windows1252CodePoint(0x9F), 0x0178u);
  EXPECT_EQ(Windows1252CodePoint(0x81), 0xFFFDu);  // unassigned
  EXPECT_EQ(Windows1252CodePoint(0xA0), 0xA0u);
  EXPECT_EQ(Windows1252CodePoint(0xFF), 0xFFu);
  EXPECT_EQ(Utf8FromWindows1252("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
}

}  // namespace
}  // namespace qv
