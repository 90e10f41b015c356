#include "StateTestEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
const std::vector<double> kValues = {0.25, 3.0, -6.0, 0.0, 12.0, 1.0};

// kValues as IEEE 754 bit patterns, little-endian.
std::vector<uint8_t> ValueBytes()
{
  std::vector<uint8_t> out;
  for (uint64_t bits : {0x3FD0000000000000ull, 0x4008000000000000ull, 0xC018000000000000ull,
                        0x0000000000000000ull, 0x4028000000000000ull, 0x3FF0000000000000ull})
  {
    const std::vector<uint8_t> b = LittleEndianDouble(bits);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

const std::vector<uint8_t> kHeaderBytes = {'t', 'f', 'f', 'p', 0x00, 0x00, 0x01, 0x00};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<uint8_t> NameBytes(const std::string& name)
{
  const uint32_t n = uint32_t(name.size());
  std::vector<uint8_t> out = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
  for (char ch : name)
    out.push_back(uint8_t(ch));
  return out;
}
} // namespace

TEST(StateChunk, ProgramChunkIsHeaderThenOneDoublePerParameterAndRoundTrips)
{
  StateTestEffect fx;
  fx.SetValues(kValues);
  ByteChunk chunk;
  InitChunkWithFrameworkVer(&chunk);
  EXPECT_EQ(ChunkBytes(chunk), kHeaderBytes);
  EXPECT_TRUE(fx.SerializeState(&chunk));
  ASSERT_EQ(chunk.Size(), 56);
  EXPECT_EQ(ChunkBytes(chunk), Concat(kHeaderBytes, ValueBytes()));

  StateTestEffect other;
  int pos = 0;
  EXPECT_EQ(GetFrameworkVerFromChunk(&chunk, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(other.UnserializeState(&chunk, pos), 56);
  EXPECT_EQ(other.Values(), kValues);
  EXPECT_EQ(other.paramChanges, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(StateChunk, FrameworkHeaderDetection)
{
  const struct
  {
    const char* what;
    std::vector<uint8_t> bytes;
    int startPos, version, pos;
  } cases[] = {
      // Prefixes of a header are covered by the truncation test below.
      {"header after two bytes", Concat({9, 9}, kHeaderBytes), 2, 0x10000, 10},
      {"other version", {'t', 'f', 'f', 'p', 7, 0, 0, 0, 1}, 0, 7, 8},
      {"wrong case", {'T', 'f', 'f', 'p', 0, 0, 1, 0}, 0, 0, 0},
      {"negative position", kHeaderBytes, -1, 0, -1},
      {"position past the end", kHeaderBytes, 100, 0, 100},
  };
  for (const auto& tc : cases)
  {
    ByteChunk c = ChunkOf(tc.bytes, tc.bytes.size());
    int pos = tc.startPos;
    EXPECT_EQ(GetFrameworkVerFromChunk(&c, &pos), tc.version) << tc.what;
    EXPECT_EQ(pos, tc.pos) << tc.what;
  }
}

// Every prefix of a program chunk: parameters before the break take the stored
// values, the first missing one becomes 0 clamped to its range, the rest keep theirs.
TEST(StateChunk, TruncatedProgramChunkAtEveryLength)
{
  const std::vector<uint8_t> full = Concat(kHeaderBytes, ValueBytes());
  const std::vector<double> before = {0.9, 9.0, 5.0, 5.0, 5.0, 0.0};
  const std::vector<double> zeroClamped = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  for (size_t len = 0; len <= full.size(); ++len)
  {
    SCOPED_TRACE(len);
    StateTestEffect fx;
    fx.SetValues(before);
    ByteChunk c = ChunkOf(full, len);
    int pos = 0;
    const int version = GetFrameworkVerFromChunk(&c, &pos);
    if (len < 4)
    {
      EXPECT_EQ(version, 0); // no header: read as bare state
      EXPECT_EQ(pos, 0);
    }
    else if (len < 8)
    {
      EXPECT_EQ(version, 0);
      EXPECT_EQ(pos, -1);
    }
    else
    {
      EXPECT_EQ(version, 0x10000);
      EXPECT_EQ(pos, 8);
    }
    const int end = fx.UnserializeState(&c, pos);
    EXPECT_EQ(end, len == full.size() ? 56 : -1);

    std::vector<double> expected = before;
    if (len >= 8 && len < full.size())
    {
      const size_t whole = (len - 8) / 8;
      for (size_t i = 0; i < whole; ++i)
        expected[i] = kValues[i];
      expected[whole] = zeroClamped[whole];
    }
    else if (len < 4)
    {
      expected[0] = zeroClamped[0];
    }
    else if (len == full.size())
    {
      expected = kValues;
    }
    EXPECT_EQ(fx.Values(), expected);
    EXPECT_EQ(fx.paramChanges.size(), 6u);
  }
}

TEST(StateChunk, StoredValuesAreClampedAndNonFiniteOnesIgnored)
{
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  StateTestEffect fx;
  fx.SetValues({0.5, 4.0, 1.0, 2.0, 3.0, 1.0});
  ByteChunk c;
  for (double v : {7.0, -3.0, nan, inf, -inf, 0.4})
    c.AppendScalar(v);
  EXPECT_EQ(fx.UnserializeParams(&c, 0), 48);
  // Clamped but not quantised: the switch keeps 0.4.
  EXPECT_EQ(fx.Values(), (std::vector<double>{1.0, 0.0, 1.0, 2.0, 3.0, 0.4}));
  EXPECT_EQ(fx.UnserializeParams(nullptr, 0), -1);
}

TEST(StateChunk, PresetRecordsHaveHandWorkedLayouts)
{
  StateTestEffect fx(2);
  fx.SetValues(kValues);
  fx.MakeDefaultPreset("Init", 1); // slot 1 stays "empty"
  ByteChunk c;
  EXPECT_TRUE(fx.SerializePresets(&c));
  ASSERT_EQ(c.Size(), 57 + 10);
  const std::vector<uint8_t> init = Concat(Concat(NameBytes("Init"), {1}), ValueBytes());
  const std::vector<uint8_t> empty = Concat(NameBytes("empty"), {0});
  EXPECT_EQ(init.size(), 57u);
  EXPECT_EQ(empty.size(), 10u);
  EXPECT_EQ(ChunkBytes(c), Concat(init, empty));
}

// Every prefix of a bank: records read wholly take effect, later slots keep what they
// held, an empty slot never claims values it did not get, and the read fails.
TEST(StateChunk, TruncatedBankAtEveryLength)
{
  StateTestEffect src(3);
  src.SetValues(kValues);
  src.MakeDefaultPreset("Init", 1);
  src.SetValues({0.75, 8.0, 1.5, -1.5, 0.5, 0.0});
  src.MakeDefaultPreset("Second", 1); // third slot stays "empty"
  ByteChunk bank;
  src.SerializePresets(&bank);
  const std::vector<uint8_t> full = ChunkBytes(bank);
  // Record ends: 57, 57 + 59, + 10.
  const size_t ends[] = {57, 116, 126};
  ASSERT_EQ(full.size(), ends[2]);

  for (size_t len = 0; len <= full.size(); ++len)
  {
    SCOPED_TRACE(len);
    StateTestEffect dst(3);
    const std::vector<double> before = {0.9, 9.0, 5.0, 5.0, 5.0, 0.0};
    dst.SetValues(before);
    ByteChunk c = ChunkOf(full, len);
    const int end = dst.UnserializePresets(&c, 0);
    EXPECT_EQ(end, len == full.size() ? int(full.size()) : -1);

    const int complete = len >= ends[2] ? 3 : len >= ends[1] ? 2 : len >= ends[0] ? 1 : 0;
    for (int i = 0; i < 3; ++i)
    {
      const IPreset* p = dst.GetPreset(i);
      if (i < complete)
      {
        EXPECT_STREQ(p->mName, src.GetPresetName(i));
        EXPECT_EQ(p->mInitialized, src.GetPreset(i)->mInitialized);
        EXPECT_TRUE(!p->mInitialized || p->mChunk.IsEqual(src.GetPreset(i)->mChunk)) << i;
      }
      else if (i > complete)
      {
        EXPECT_STREQ(p->mName, "empty");
      }
      if (i >= complete && i > 0)
      {
        EXPECT_FALSE(p->mInitialized) << i;
      }
      if (p->mInitialized)
      {
        EXPECT_EQ(p->mChunk.Size(), 48) << i;
      }
    }
    // The current slot (0) is restored when it holds values; otherwise it takes the
    // live values under a user name.
    EXPECT_TRUE(dst.GetPreset(0)->mInitialized);
    if (complete == 0)
    {
      EXPECT_STREQ(dst.GetPresetName(0), "user preset 1");
    }
    else
    {
      EXPECT_EQ(dst.Values(), kValues);
    }
  }
}

TEST(StateChunk, HostileBankRecords)
{
  const std::string longName(300, 'n');
  const struct
  {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* name0; // null: expect the 255-character cut of longName
    int result;
  } cases[] = {
      {"negative name length", {0xFF, 0xFF, 0xFF, 0xFF, 'x', 0}, "Empty", -1},
      {"name longer than the data", {50, 0, 0, 0, 'a', 'b', 0}, "Empty", -1},
      {"flag byte missing", NameBytes("Solo"), "Solo", -1},
      {"long name is cut", Concat(Concat(NameBytes(longName), {1}), ValueBytes()), nullptr, -1},
  };
  for (const auto& tc : cases)
  {
    StateTestEffect fx(2);
    fx.EnsureDefaultPreset(); // as the entry point leaves every instance
    ByteChunk c = ChunkOf(tc.bytes, tc.bytes.size());
    EXPECT_EQ(fx.UnserializePresets(&c, 0), tc.result) << tc.what;
    const std::string expected = tc.name0 ? tc.name0 : longName.substr(0, 255);
    EXPECT_EQ(std::string(fx.GetPresetName(0)), expected) << tc.what;
  }
}

TEST(StateChunk, CompareStateInSinglePrecision)
{
  StateTestEffect fx;
  fx.SetValues(kValues);
  const struct
  {
    double delta;
    bool same;
  } cases[] = {{0.0, true}, {1e-6, true}, {-1e-6, true}, {1e-4, false}, {-1e-4, false}};
  for (const auto& tc : cases)
  {
    ByteChunk c;
    c.AppendScalar(123.0); // one double before: compared from double index 1
    for (size_t i = 0; i < kValues.size(); ++i)
      c.AppendScalar(kValues[i] + (i == 4 ? tc.delta : 0));
    EXPECT_EQ(fx.CompareState(c.GetBytes(), 1), tc.same) << tc.delta;
  }
  ByteChunk nan;
  for (size_t i = 0; i < kValues.size(); ++i)
    nan.AppendScalar(std::nan(""));
  EXPECT_FALSE(fx.CompareState(nan.GetBytes(), 0));

  StateTestEffect none(1, 0);
  EXPECT_TRUE(none.CompareState(nullptr, 0));
}

TEST(StateChunk, DirtyParametersReannouncesNormalisedValues)
{
  StateTestEffect fx;
  fx.SetValues(kValues);
  fx.DirtyParameters();
  const std::vector<std::pair<int, double>> expected = {{0, 0.25}, {1, 0.3}, {2, 0.25},
                                                        {3, 0.5},  {4, 1.0}, {5, 1.0}};
  ASSERT_EQ(fx.informed.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
  {
    EXPECT_EQ(fx.informed[i].first, expected[i].first);
    EXPECT_DOUBLE_EQ(fx.informed[i].second, expected[i].second);
  }
}
