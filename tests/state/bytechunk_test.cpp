#include "core/ByteChunk.h"
#include "util/Base64.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ByteChunk, ScalarsAreLittleEndianWithHandWorkedBytes)
{
  ByteChunk c;
  EXPECT_EQ(c.AppendScalar(int32_t(0x01020304)), 4);
  EXPECT_EQ(c.AppendScalar(1.0), 12);     // IEEE 754: 0x3FF0000000000000
  EXPECT_EQ(c.AppendScalar(-2.5), 20);    // 0xC004000000000000
  EXPECT_EQ(c.AppendScalar(true), 21);
  EXPECT_EQ(c.AppendScalar(false), 22);
  EXPECT_EQ(c.AppendScalar(int32_t(-2)), 26);
  const std::vector<uint8_t> expected = {
      0x04, 0x03, 0x02, 0x01,                         //
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F, //
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0, //
      0x01, 0x00,                                     //
      0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Bytes(c), expected);

  int32_t i = 0;
  double d = 0;
  bool b = false;
  EXPECT_EQ(c.ReadScalar(&i, 0), 4);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(c.ReadScalar(&d, 12), 20);
  EXPECT_EQ(d, -2.5);
  EXPECT_EQ(c.ReadScalar(&b, 20), 21);
  EXPECT_TRUE(b);
  EXPECT_EQ(c.ReadScalar(&i, 22), 26);
  EXPECT_EQ(i, -2);
}

TEST(ByteChunk, ReadsOutsideTheDataFailAndLeaveTheValue)
{
  ByteChunk c;
  c.AppendScalar(int32_t(7));
  c.AppendScalar(int32_t(9)); // 8 bytes
  const struct
  {
    int pos;
    int expected;
  } cases[] = {{0, 4}, {4, 8}, {5, -1}, {8, -1}, {-1, -1}, {-4, -1}, {1 << 30, -1}};
  for (const auto& tc : cases)
  {
    int32_t v = 12345;
    EXPECT_EQ(c.ReadScalar(&v, tc.pos), tc.expected) << "pos " << tc.pos;
    if (tc.expected < 0)
    {
      EXPECT_EQ(v, 12345) << "pos " << tc.pos;
    }
  }
  double d = 3.0;
  EXPECT_EQ(c.ReadScalar(&d, 1), -1);
  EXPECT_EQ(d, 3.0);
}

TEST(ByteChunk, StringsCarryA32BitLengthAndNoTerminator)
{
  ByteChunk c;
  EXPECT_EQ(c.AppendString("Init"), 8);
  EXPECT_EQ(c.AppendString(""), 12);
  EXPECT_EQ(Bytes(c), (std::vector<uint8_t>{4, 0, 0, 0, 'I', 'n', 'i', 't', 0, 0, 0, 0}));

  UTL_String s;
  EXPECT_EQ(c.ReadString(&s, 0), 8);
  EXPECT_STREQ(s.Get(), "Init");
  s.Set("kept");
  EXPECT_EQ(c.ReadString(&s, 8), 12); // length 0 leaves the string alone
  EXPECT_STREQ(s.Get(), "kept");
}

TEST(ByteChunk, ReadStringOnHostileLengths)
{
  const struct
  {
    const char* what;
    std::vector<uint8_t> bytes;
    int expected;
    const char* text; // what the string holds afterwards, starting as "old"
  } cases[] = {
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

TEST(ByteChunk, ResizeZeroFillsAndCopiesAreDeep)
{
  ByteChunk c;
  c.AppendScalar(int32_t(-1));
  EXPECT_EQ(c.Resize(2), 2);
  EXPECT_EQ(c.Resize(6000), 6000); // crosses a growth step
  EXPECT_EQ(c.GetBytes()[1], 0xFF);
  for (int i = 2; i < 6000; ++i) ASSERT_EQ(c.GetBytes()[i], 0) << i;
  EXPECT_EQ(c.Resize(-1), -1);
  EXPECT_EQ(c.Size(), 6000);

  ByteChunk copy(c);
  EXPECT_TRUE(copy.IsEqual(c));
  copy.GetBytes()[0] = 1;
  EXPECT_FALSE(copy.IsEqual(c));
  EXPECT_EQ(c.GetBytes()[0], 0xFF);

  ByteChunk self;
  self.AppendString("ab");
  EXPECT_EQ(self.AppendChunk(&self), 12);
  EXPECT_EQ(Bytes(self), (std::vector<uint8_t>{2, 0, 0, 0, 'a', 'b', 2, 0, 0, 0, 'a', 'b'}));
  self.Clear();
  EXPECT_EQ(self.Size(), 0);
  EXPECT_EQ(self.AppendScalar(int32_t(1)), 4);
}

TEST(Base64, KnownVectorsEncodeAndDecode)
{
  const struct
  {
    const char* plain;
    const char* encoded;
  } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
               {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
               {"foobar", "Zm9vYmFy"}};
  for (const auto& tc : cases)
  {
    UTL_String s;
    const int n = int(strlen(tc.plain));
    Base64Encode(reinterpret_cast<const uint8_t*>(tc.plain), n, &s);
    EXPECT_STREQ(s.Get(), tc.encoded);
    uint8_t out[16] = {};
    EXPECT_EQ(Base64Decode(tc.encoded, out, sizeof(out)), n) << tc.encoded;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), size_t(n)), tc.plain);
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
  EXPECT_EQ(Base64Decode("Zm9v", out, 0), 0);
}

TEST(Base64, EveryByteValueRoundTrips)
{
  std::vector<uint8_t> all(256 + 2);
  for (size_t i = 0; i < all.size(); ++i) all[i] = uint8_t(i * 7 + 3);
  for (int len = 0; len <= int(all.size()); len += 37)
  {
    UTL_String s;
    Base64Encode(all.data(), len, &s);
    EXPECT_EQ(s.GetLength(), (len + 2) / 3 * 4);
    std::vector<uint8_t> back(size_t(len) + 1, 0);
    EXPECT_EQ(Base64Decode(s.Get(), back.data(), len), len);
    EXPECT_TRUE(std::equal(all.begin(), all.begin() + len, back.begin())) << len;
  }
}
