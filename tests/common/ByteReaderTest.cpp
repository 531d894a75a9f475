#include <gtest/gtest.h>

#include <string>

#include "common/ByteReader.h"
#include "support/TempDir.h"

namespace {

TEST(ByteReader, ReadsLittleEndianFieldsInOrder) {
  const std::string bytes = std::string("\x01\x02\x03\x04\x05\x06\x07", 7) + qvtest::Le32(0xFFFFFFFEu);
  qv::TByteReader r(bytes);
  EXPECT_EQ(r.U8(), 0x01);
  EXPECT_EQ(r.U16(), 0x0302);
  EXPECT_EQ(r.U32(), 0x07060504u);
  EXPECT_EQ(r.I32(), -2);
  EXPECT_TRUE(r.Ok());
  EXPECT_TRUE(r.AtEnd());
}

TEST(ByteReader, AReadPastTheEndFailsForGoodAndGivesZeros) {
  const std::string bytes("\xAA\xBB\xCC", 3);
  qv::TByteReader r(bytes);
  EXPECT_EQ(r.U16(), 0xBBAA);
  EXPECT_EQ(r.U32(), 0u);  // only one byte left
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.U8(), 0);  // sticky: the byte that is there is not read either
  EXPECT_EQ(r.Position(), 2u);
  uint8_t out = 7;
  EXPECT_FALSE(r.Bytes(&out, 1));
  EXPECT_EQ(out, 7);
}

TEST(ByteReader, ACountedBlockLongerThanWhatRemainsFailsWithoutTakingAnything) {
  // A length of 2 GiB in a file of a few bytes is an error, not an allocation.
  const std::string bytes = qvtest::Le32(0x80000000u) + "abc";
  qv::TByteReader r(bytes);
  EXPECT_TRUE(r.Counted().empty());
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.Position(), 0u);

  const std::string three = qvtest::Le32(3) + "abc";
  qv::TByteReader capped(three);
  EXPECT_EQ(capped.CountedText(2), "");
  EXPECT_FALSE(capped.Ok());

  const std::string two = three + qvtest::Le32(0);
  qv::TByteReader fits(two);
  EXPECT_EQ(fits.CountedText(), "abc");
  EXPECT_EQ(fits.CountedText(), "");
  EXPECT_TRUE(fits.Ok());
  EXPECT_TRUE(fits.AtEnd());
}

TEST(ByteReader, SeekAndSkipStayWithinTheBytes) {
  const std::string digits = "0123456789";
  qv::TByteReader r(digits);
  r.Seek(8);
  EXPECT_EQ(r.Text(2), "89");
  r.Seek(11);
  EXPECT_FALSE(r.Ok());
  const std::string four = "0123";
  qv::TByteReader s(four);
  s.Skip(5);
  EXPECT_FALSE(s.Ok());
  EXPECT_EQ(s.Position(), 0u);
}

TEST(ByteReader, StoreAndAppendWriteWhatLoadReads) {
  uint8_t b[4];
  qv::StoreLE32(b, 0x12345678u);
  EXPECT_EQ(qv::LoadLE32(b), 0x12345678u);
  qv::StoreLE16(b, 0xBEEF);
  EXPECT_EQ(qv::LoadLE16(b), 0xBEEF);
  std::string s;
  qv::AppendLE32(s, 0xA1B2C3D4u);
  qv::AppendLE16(s, 0x0102);
  EXPECT_EQ(s, std::string("\xD4\xC3\xB2\xA1\x02\x01", 6));
}

}  // namespace
