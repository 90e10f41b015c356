#include "core/ByteChunk.h"
#include "util/Base64.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::vector<uint8_t> Bytes(const ByteChunk& c)
{
  return std::vector<uint8_t>(c.GetBytes(), c.GetBytes() + c.Size());
}
} // namespace

TEST(ByteChunk, ScalarsAndStringsHaveHandWorkedLittleEndianBytes)
{
  ByteChunk c;
  EXPECT_EQ(c.AppendScalar(int32_t(0x01020304)), 4);
  EXPECT_EQ(c.AppendScalar(-2.5), 12); // IEEE 754 0xC004000000000000
  EXPECT_EQ(c.AppendScalar(true), 13);
  EXPECT_EQ(c.AppendString("Init"), 21);
  const std::vector<uint8_t> expected = {0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00,
                                         0x00, 0x00, 0x00, 0x04, 0xC0, 0x01, 0x04,
                                         0x00, 0x00, 0x00, 'I',  'n',  'i',  't'};
  EXPECT_EQ(Bytes(c), expected);

  int32_t i = 0;
  double d = 0;
  bool b = false;
  UTL_String s;
  EXPECT_EQ(c.ReadScalar(&i, 0), 4);
  EXPECT_EQ(c.ReadScalar(&d, 4), 12);
  EXPECT_EQ(c.ReadScalar(&b, 12), 13);
  EXPECT_EQ(c.ReadString(&s, 13), 21);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(d, -2.5);
  EXPECT_TRUE(b);
  EXPECT_STREQ(s.Get(), "Init");
}

TEST(ByteChunk, ReadsOutsideTheDataFailAndLeaveTheValue)
{
  ByteChunk c;
  c.AppendScalar(int64_t(0)); // 8 bytes
  for (int pos : {5, 8, -1, -4, 1 << 30})
  {
    int32_t v = 12345;
    EXPECT_EQ(c.ReadScalar(&v, pos), -1) << pos;
    EXPECT_EQ(v, 12345) << pos;
  }
  double d = 3.0;
  EXPECT_EQ(c.ReadScalar(&d, 1), -1);
  EXPECT_EQ(d, 3.0);
}

TEST(ByteChunk, ReadStringOnHostileLengths)
{
  const struct
  {
    const char* what;
    std::vector<uint8_t> bytes;
    int expected;
    const char* text; // the string starts as "old"
  } cases[] = {
      {"empty string keeps the old", {0, 0, 0, 0}, 4, "old"},
      {"length beyond the end", {9, 0, 0, 0, 'a', 'b'}, 13, "old"},
      {"negative length", {0xFC, 0xFF, 0xFF, 0xFF, 'a', 'b'}, -1, "old"},
      {"huge length", {0xFF, 0xFF, 0xFF, 0x7F, 'a'}, -1, "old"},
      {"zero byte inside", {4, 0, 0, 0, 'a', 0, 'c', 'd'}, 8, "a"},
      {"short length field", {4, 0, 0}, -1, "old"},
  };
  for (const auto& tc : cases)
  {
    ByteChunk c;
    c.AppendBytes(tc.bytes.data(), int(tc.bytes.size()));
    UTL_String s("old");
    EXPECT_EQ(c.ReadString(&s, 0), tc.expected) << tc.what;
    EXPECT_STREQ(s.Get(), tc.text) << tc.what;
  }
}

TEST(ByteChunk, ResizeZeroFillsAndAppendingToItselfDoubles)
{
  ByteChunk c;
  c.AppendScalar(int32_t(-1));
  EXPECT_EQ(c.Resize(2), 2);
  EXPECT_EQ(c.Resize(6000), 6000); // crosses a growth step
  EXPECT_EQ(c.GetBytes()[1], 0xFF);
  for (int i = 2; i < 6000; ++i)
    ASSERT_EQ(c.GetBytes()[i], 0) << i;
  EXPECT_EQ(c.Resize(-1), -1);
  EXPECT_EQ(c.Size(), 6000);

  ByteChunk self;
  self.AppendString("ab");
  EXPECT_EQ(self.AppendChunk(&self), 12);
  EXPECT_EQ(Bytes(self), (std::vector<uint8_t>{2, 0, 0, 0, 'a', 'b', 2, 0, 0, 0, 'a', 'b'}));
}

TEST(Base64, KnownVectorsEncodeAndDecode)
{
  const char* cases[][2] = {{"", ""},
                            {"f", "Zg=="},
                            {"fo", "Zm8="},
                            {"foo", "Zm9v"},
                            {"foob", "Zm9vYg=="},
                            {"fooba", "Zm9vYmE="},
                            {"foobar", "Zm9vYmFy"}};
  for (const auto& tc : cases)
  {
    UTL_String s;
    const int n = int(strlen(tc[0]));
    Base64Encode(reinterpret_cast<const uint8_t*>(tc[0]), n, &s);
    EXPECT_STREQ(s.Get(), tc[1]);
    uint8_t out[16] = {};
    EXPECT_EQ(Base64Decode(tc[1], out, sizeof(out)), n) << tc[1];
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), size_t(n)), tc[0]);
  }
}

TEST(Base64, DecodeStopsAtForeignCharactersAndAtTheBufferEnd)
{
  uint8_t out[8];
  memset(out, 0xAA, sizeof(out));
  EXPECT_EQ(Base64Decode("Zm9v YmFy", out, 8), 3); // space ends the text
  EXPECT_EQ(out[3], 0xAA);
  EXPECT_EQ(Base64Decode("Zm9vYmFy", out, 4), 4); // the rest is dropped
  EXPECT_EQ(out[4], 0xAA);
  EXPECT_EQ(Base64Decode("Zg", out, 8), 1); // no padding needed
  EXPECT_EQ(out[0], 'f');
  EXPECT_EQ(Base64Decode("-_", out, 8), 0); // URL-safe letters are not ours
  EXPECT_EQ(Base64Decode(nullptr, out, 8), 0);
}
