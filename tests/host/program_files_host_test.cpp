// Program and bank files between the plug-in base and the host side: each reads
// what the other wrote, in the chunk and the plain forms, through the VST 2 calls.
#include <gtest/gtest.h>

#include "core/ByteChunk.h"
#include "core/IPreset.h"
#include "core/ProgramFiles.h"
#include "tools/render/HostProgramFiles.h"
#include "vst2/TestEffect.h"

namespace
{
std::vector<uint8_t> Bytes(const ByteChunk& c)
{
  return std::vector<uint8_t>(c.GetBytes(), c.GetBytes() + c.Size());
}

std::vector<uint8_t> State(TestEffect& fx)
{
  ByteChunk c;
  fx.SerializeState(&c);
  return Bytes(c);
}

std::vector<uint8_t> Presets(TestEffect& fx)
{
  ByteChunk c;
  fx.SerializePresets(&c);
  return Bytes(c);
}

// A second program and a sound away from the defaults. Gain 1.5 of 0..2, mode B and
// 0.25 are exact as normalised floats, so even the plain forms carry them bit for bit.
void Dial(TestEffect& fx)
{
  fx.EnsureDefaultPreset();
  fx.RestorePreset(1);
  fx.GetParam(TestEffect::kGain)->Set(1.5);
  fx.GetParam(TestEffect::kMode)->Set(1);
  fx.GetParam(TestEffect::kLong)->Set(0.25);
  fx.ModifyCurrentPreset("Dialled");
}

std::string Temp(const std::string& name)
{
  return ::testing::TempDir() + name;
}
} // namespace

TEST(HostProgramFiles, PlugInAndHostReadEachOthersFiles)
{
  for (bool chunks : {true, false})
  {
    TestEffect::Options o;
    o.chunks = chunks;
    const std::string tag = chunks ? "chunk" : "plain";

    // Written by the plug-in, read by the host side into a fresh instance.
    TestEffect saver(nullptr, o);
    Dial(saver);
    FxProgram program;
    FxBank bank;
    ASSERT_TRUE(saver.CaptureProgram(&program));
    ASSERT_TRUE(saver.CaptureBank(&bank));
    ASSERT_TRUE(
        WriteFileReplacing(Temp(tag + "_plugin.fxp").c_str(), WriteProgramFile(program), nullptr));
    ASSERT_TRUE(
        WriteFileReplacing(Temp(tag + "_plugin.fxb").c_str(), WriteBankFile(bank), nullptr));

    std::string error;
    TestEffect hostRead(nullptr, o);
    hostRead.EnsureDefaultPreset();
    ASSERT_TRUE(LoadProgramFileIntoPlugin(hostRead.GetAEffect(), Temp(tag + "_plugin.fxp"), &error))
        << error;
    EXPECT_EQ(State(hostRead), State(saver)) << tag;
    EXPECT_STREQ(hostRead.GetPresetName(hostRead.GetCurrentPresetIdx()), "Dialled") << tag;

    TestEffect hostReadBank(nullptr, o);
    hostReadBank.EnsureDefaultPreset();
    ASSERT_TRUE(
        LoadProgramFileIntoPlugin(hostReadBank.GetAEffect(), Temp(tag + "_plugin.fxb"), &error))
        << error;
    EXPECT_EQ(Presets(hostReadBank), Presets(saver)) << tag;
    // A plain bank selects the file's current program; a chunk bank keeps the reader's.
    if (!chunks)
    {
      EXPECT_EQ(State(hostReadBank), State(saver));
    }

    // Written by the host side, read by the plug-in.
    for (const char* ext : {".fxp", ".fxb"})
    {
      const std::string path = Temp(tag + "_host" + ext);
      ASSERT_TRUE(SaveProgramFileFromPlugin(saver.GetAEffect(), path, &error)) << error;
      std::vector<uint8_t> image;
      ASSERT_TRUE(ReadWholeFile(path.c_str(), &image, nullptr));
      EXPECT_EQ(image[9], chunks ? (ext[3] == 'p' ? 'P' : 'B') : 'x') << tag << ext;

      TestEffect pluginRead(nullptr, o);
      pluginRead.EnsureDefaultPreset();
      if (ext[3] == 'p')
      {
        FxProgram p;
        ASSERT_TRUE(ParseProgramFile(image.data(), image.size(), &p, &error)) << error;
        ASSERT_TRUE(pluginRead.ApplyProgram(p));
      }
      else
      {
        FxBank b;
        ASSERT_TRUE(ParseBankFile(image.data(), image.size(), &b, &error)) << error;
        ASSERT_TRUE(pluginRead.ApplyBank(b));
        EXPECT_EQ(Presets(pluginRead), Presets(saver)) << tag;
        if (chunks) continue;
      }
      EXPECT_EQ(State(pluginRead), State(saver)) << tag << ext;
    }
    // Saving the bank from the host side left the plug-in as it was.
    EXPECT_EQ(saver.GetCurrentPresetIdx(), 1);
    EXPECT_EQ(saver.GetParam(TestEffect::kGain)->Value(), 1.5);
  }
}

TEST(HostProgramFiles, RefusesAnotherPlugInsFileBeforeTouchingAnything)
{
  TestEffect::Options o;
  TestEffect fx(nullptr, o);
  fx.EnsureDefaultPreset();
  const std::vector<uint8_t> before = Presets(fx);

  FxProgram other;
  other.pluginID = VstFourCC('n', 'o', 'p', 'e');
  other.numParams = TestEffect::kNumParams;
  other.values = {1.0f, 1.0f, 1.0f};
  std::string error;
  EXPECT_FALSE(ApplyProgramToPlugin(fx.GetAEffect(), other, &error));
  EXPECT_NE(error.find("'nope'"), std::string::npos) << error;
  EXPECT_NE(error.find("'test'"), std::string::npos) << error;

  // One bad program in a plain bank refuses the whole bank.
  FxBank bank;
  bank.pluginID = VstFourCC('t', 'e', 's', 't');
  other.pluginID = bank.pluginID;
  bank.programs = {other, other};
  bank.programs[1].values.pop_back();
  bank.programs[1].numParams = 2;
  EXPECT_FALSE(ApplyBankToPlugin(fx.GetAEffect(), bank, &error));
  EXPECT_NE(error.find("program 1"), std::string::npos) << error;

  // A chunk for a plug-in that takes none.
  FxProgram chunk = other;
  chunk.isChunk = true;
  chunk.chunk = {1, 2, 3};
  EXPECT_FALSE(ApplyProgramToPlugin(fx.GetAEffect(), chunk, &error));
  EXPECT_EQ(Presets(fx), before);
}
