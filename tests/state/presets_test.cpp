#include "StateTestEffect.h"
#include "util/Base64.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
std::vector<double> StoredValues(const IPreset* p)
{
  std::vector<double> v;
  double d;
  for (int pos = 0; (pos = p->mChunk.ReadScalar(&d, pos)) > 0;)
    v.push_back(d);
  return v;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Seven parameters: the six of the test effect and an enum, to exercise int varargs.
class EnumEffect : public StateTestEffect
{
public:
  explicit EnumEffect(int nPresets) : StateTestEffect(nPresets, 7)
  {
    GetParam(6)->InitEnum("Mode", 2, 3);
  }
};
} // namespace

TEST(Presets, MakePresetStoresVariadicValuesUnchanged)
{
  EnumEffect fx(2);
  const std::vector<double> live = fx.Values();
  // Doubles for Double parameters, ints for Bool and Enum; 99.0 lies outside Level's range.
  fx.MakePreset("First", 99.0, 1.5, -3.0, 0.0, 4.5, 0, 1);
  fx.MakePreset("Second", 0.1, 0.2, 0.3, 0.4, 0.5, 1, 2);
  fx.MakePreset("Ignored", 0.0, 0.0, 0.0, 0.0, 0.0, 0, 0); // list is full
  EXPECT_STREQ(fx.GetPresetName(0), "First");
  EXPECT_STREQ(fx.GetPresetName(1), "Second");
  EXPECT_EQ(StoredValues(fx.GetPreset(0)), (std::vector<double>{99.0, 1.5, -3.0, 0.0, 4.5, 0, 1}));
  EXPECT_EQ(StoredValues(fx.GetPreset(1)), (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5, 1, 2}));
  EXPECT_EQ(fx.Values(), live); // making a preset does not apply it
}

TEST(Presets, NamedParamsFillTheRestFromCurrentValues)
{
  EnumEffect fx(3);
  fx.SetValues({0.3, 4.0, 1.0, 2.0, 3.0, 0.0, 1.0});
  fx.MakePresetFromNamedParams("x", 1, 2, 0.7);
  EXPECT_EQ(StoredValues(fx.GetPreset(0)),
            (std::vector<double>{0.3, 4.0, 0.7, 2.0, 3.0, 0.0, 1.0}));

  // Later pairs for the same index win; ints for the switch and the enum.
  fx.MakePresetFromNamedParams("y", 4, 5, 1, 6, 0, 1, 9.5, 1, 2.5);
  EXPECT_EQ(StoredValues(fx.GetPreset(1)),
            (std::vector<double>{0.3, 2.5, 1.0, 2.0, 3.0, 1.0, 0.0}));

  // A bad index ends the list: its value's type cannot be known.
  fx.MakePresetFromNamedParams("z", 2, 0, 0.9, 42, 1.0);
  EXPECT_EQ(StoredValues(fx.GetPreset(2)),
            (std::vector<double>{0.9, 4.0, 1.0, 2.0, 3.0, 0.0, 1.0}));
}

TEST(Presets, BlobDecodesIntoExactlyChunkSizeBytes)
{
  StateTestEffect fx(4);
  // "AQIDBAUGBwg=" is the eight bytes 1..8.
  fx.MakePresetFromBlob("short", "AQIDBAUGBwg=", 16);
  fx.MakePresetFromBlob("cut", "AQIDBAUGBwg=", 3);
  fx.MakePresetFromBlob("none", "AQIDBAUGBwg=", 0);
  fx.MakePresetFromBlob("negative", "AQIDBAUGBwg=", -8);
  EXPECT_EQ(ChunkBytes(fx.GetPreset(0)->mChunk),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ChunkBytes(fx.GetPreset(1)->mChunk), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(fx.GetPreset(2)->mInitialized); // non-positive sizes make nothing
  EXPECT_STREQ(fx.GetPresetName(2), "empty");
}

TEST(Presets, EnsureDefaultPresetFillsOnlyFreeSlots)
{
  StateTestEffect one(1);
  one.MakeDefaultPreset("Init", 1);
  const std::vector<uint8_t> before = ChunkBytes(one.GetPreset(0)->mChunk);
  one.SetValues({0.9, 9.0, 1.0, 1.0, 1.0, 0.0});
  one.EnsureDefaultPreset();
  EXPECT_STREQ(one.GetPresetName(0), "Init");
  EXPECT_EQ(ChunkBytes(one.GetPreset(0)->mChunk), before);

  StateTestEffect three(3);
  three.MakePreset("Made", 0.1, 0.2, 0.3, 0.4, 0.5, 1);
  three.SetValues({0.9, 9.0, 1.0, 1.0, 1.0, 0.0});
  three.EnsureDefaultPreset();
  EXPECT_STREQ(three.GetPresetName(0), "Made");
  for (int i = 1; i < 3; ++i)
  {
    EXPECT_STREQ(three.GetPresetName(i), "Empty");
    EXPECT_TRUE(three.GetPreset(i)->mInitialized);
    EXPECT_EQ(StoredValues(three.GetPreset(i)), three.Values());
  }
}

TEST(Presets, RestoreByIndexAndName)
{
  StateTestEffect fx(5);
  fx.MakePreset("A", 0.1, 1.0, 1.0, 1.0, 1.0, 1);
  fx.MakePreset("my user preset", 0.2, 2.0, 2.0, 2.0, 2.0, 0);
  fx.MakePreset("user preset 1", 0.3, 3.0, 3.0, 3.0, 3.0, 1);
  fx.MakePreset("A", 0.4, 4.0, 4.0, 4.0, 4.0, 0); // duplicate name: the first wins

  EXPECT_FALSE(fx.RestorePreset(-1));
  EXPECT_FALSE(fx.RestorePreset(5));
  EXPECT_FALSE(fx.RestorePreset(""));
  EXPECT_FALSE(fx.RestorePreset(nullptr));
  EXPECT_FALSE(fx.RestorePreset("a")); // exact match only
  EXPECT_EQ(fx.presetsChanged, 0);
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 0);

  EXPECT_TRUE(fx.RestorePreset(2));
  EXPECT_EQ(fx.Values(), (std::vector<double>{0.3, 3.0, 3.0, 3.0, 3.0, 1.0}));
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(fx.presetsChanged, 1);
  EXPECT_EQ(fx.redraws, 1);

  EXPECT_TRUE(fx.RestorePreset("A"));
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(fx.Values()[0], 0.1);

  // An empty slot keeps the live values under the next user name.
  fx.SetValues({0.6, 6.0, 6.0, 6.0, 6.0, 0.0});
  EXPECT_TRUE(fx.RestorePreset(4));
  EXPECT_STREQ(fx.GetPresetName(4), "user preset 3");
  EXPECT_TRUE(fx.GetPreset(4)->mInitialized);
  EXPECT_EQ(StoredValues(fx.GetPreset(4)), fx.Values());
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 4);

  // A preset whose values are cut short fails and leaves the current index.
  StateTestEffect broken(2);
  ByteChunk partial;
  partial.AppendScalar(0.5);
  broken.MakePresetFromChunk("partial", &partial);
  broken.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(broken.GetPresetName(1), "Empty");
  EXPECT_TRUE(broken.RestorePreset(1));
  EXPECT_FALSE(broken.RestorePreset(0));
  EXPECT_EQ(broken.GetCurrentPresetIdx(), 1);
}

TEST(Presets, NamesAndModifyCurrentPreset)
{
  StateTestEffect fx(2);
  fx.EnsureDefaultPreset();
  EXPECT_STREQ(fx.GetPresetName(-1), "");
  EXPECT_STREQ(fx.GetPresetName(2), "");

  fx.SetValues({0.7, 7.0, 7.0, 7.0, 7.0, 1.0});
  fx.ModifyCurrentPreset("");
  EXPECT_STREQ(fx.GetPresetName(0), "Empty");
  EXPECT_EQ(StoredValues(fx.GetPreset(0)), fx.Values());

  fx.ModifyCurrentPreset(std::string(400, 'k').c_str());
  EXPECT_EQ(std::string(fx.GetPresetName(0)), std::string(255, 'k'));

  // Counting ignores where "user preset" stands in a name.
  fx.GetPreset(1)->SetName("xuser presetx");
  char name[IPreset::kNameLen];
  MakeDefaultUserPresetName(fx.PresetList(), name);
  EXPECT_STREQ(name, "user preset 2");
}

TEST(Presets, DumpPresetSrcCodeWritesAPastableCall)
{
  EnumEffect fx(1);
  fx.SetValues({0.25, 3.0, -6.0, 0.0, 12.0, 1.0, 2.0});
  const std::string path = testing::TempDir() + "quorvane_src_dump.txt";
  const char* names[] = {"kLevel", "kDrive", "kLow", "kMid", "kHigh", "kOn", "kMode"};
  fx.DumpPresetSrcCode(path.c_str(), names);
  EXPECT_EQ(ReadFile(path), "  MakePresetFromNamedParams(\"name\", 7,\n"
                            "    kLevel, 0.250000,\n"
                            "    kDrive, 3.000000,\n"
                            "    kLow, -6.000000,\n"
                            "    kMid, 0.000000,\n"
                            "    kHigh, 12.000000,\n"
                            "    kOn, true,\n"
                            "    kMode, 2);\n");
  remove(path.c_str());
  fx.DumpPresetSrcCode("/nonexistent-dir/x/y.txt", names); // silently nothing
}

TEST(Presets, DumpPresetBlobRoundTripsAnySize)
{
  for (int size : {48, 765, 766, 3000})
  {
    StateTestEffect fx(1);
    ByteChunk chunk;
    for (int i = 0; i < size; ++i)
      chunk.AppendScalar(uint8_t(i * 31 + 7));
    fx.MakePresetFromChunk("big", &chunk);
    const std::string path = testing::TempDir() + "quorvane_blob_dump.txt";
    fx.DumpPresetBlob(path.c_str());
    const std::string text = ReadFile(path);
    remove(path.c_str());

    const std::string head = "MakePresetFromBlob(\"name\", \"";
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
    const size_t quote = text.find('"', head.size());
    ASSERT_NE(quote, std::string::npos);
    EXPECT_EQ(text.substr(quote), "\", " + std::to_string(size) + ");\n");
    const std::string blob = text.substr(head.size(), quote - head.size());
    EXPECT_EQ(blob.size() % 4, 0u);

    StateTestEffect back(1);
    back.MakePresetFromBlob("back", blob.c_str(), size);
    EXPECT_TRUE(back.GetPreset(0)->mChunk.IsEqual(chunk)) << size;
  }
  StateTestEffect fx(1);
  fx.DumpPresetBlob("/nonexistent-dir/x/y.txt");
}

TEST(HostIdentity, HostVersionIdentifiesFirstAndConverts)
{
  StateTestEffect fx;
  fx.hostName = "REAPER";
  fx.hostVersion = (5 << 16) | (1 << 8) | 2;
  EXPECT_EQ(fx.GetHostCode(), kHostUninit);
  EXPECT_EQ(fx.GetHostVersion(true), 50102);
  EXPECT_EQ(fx.GetHostCode(), kHostReaper);
  EXPECT_EQ(fx.GetHostVersion(false), 0x050102);
  char text[32];
  fx.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v5.1.2");
  EXPECT_EQ(fx.hostQueries, 3);

  fx.SetHost(std::string(5000, 'x').append("ardour").c_str(), 0); // cut, not overrun
  EXPECT_EQ(fx.GetHostCode(), kHostUnknown);
  fx.SetHost(nullptr, 7);
  EXPECT_EQ(fx.GetHostCode(), kHostUnknown);
  EXPECT_EQ(fx.GetHostVersion(false), 7);

  EXPECT_EQ(fx.GetEffectVersion(false), 0x00010203);
  EXPECT_EQ(fx.GetEffectVersion(true), 10203);
  fx.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.2.3");
}
