// State as a validating host exercises it: chunks that survive any parameter values
// byte for byte, programs switched and renamed between blocks, and every
// parameter's display text accepted back as its value.
#include <atomic>
#include <cstring>
#include <thread>

#include "tests/validate/ValidationHost.h"

using namespace validation;

namespace
{
std::vector<float> Parameters(AEffect* e)
{
  std::vector<float> v;
  for (int i = 0; i < e->numParams; ++i)
    v.push_back(e->getParameter(e, i));
  return v;
}

void Randomise(AEffect* e, Noise& noise)
{
  for (int i = 0; i < e->numParams; ++i)
    e->setParameter(e, i, float(0.5 + 0.5 * noise.Next()));
}
} // namespace

TEST(ValidatedState, ChunksRestoreEveryParameterByteForByte)
{
  Host host;
  ASSERT_TRUE(host.Start(44100.0, 512));
  AEffect* e = host.Effect();
  Noise noise(4242);
  for (bool bank : {false, true})
    for (int round = 0; round < 8; ++round)
    {
      SCOPED_TRACE(testing::Message() << (bank ? "bank" : "program") << " round " << round);
      Randomise(e, noise);
      const std::vector<float> values = Parameters(e);
      const std::vector<uint8_t> saved = host.GetChunk(bank);
      ASSERT_FALSE(saved.empty());

      Randomise(e, noise);
      ASSERT_NE(host.GetChunk(bank), saved);
      ASSERT_TRUE(host.SetChunk(bank, saved));
      EXPECT_EQ(host.GetChunk(bank), saved);
      EXPECT_EQ(Parameters(e), values);
    }

  // A chunk taken from one instance restores into a fresh one.
  Randomise(e, noise);
  const std::vector<uint8_t> program = host.GetChunk(false);
  Host other;
  ASSERT_TRUE(other.Start(96000.0, 64));
  ASSERT_TRUE(other.SetChunk(false, program));
  EXPECT_EQ(other.GetChunk(false), program);
  EXPECT_EQ(Parameters(other.Effect()), Parameters(e));
}

TEST(ValidatedState, ProgramsSwitchedAndRenamedBetweenBlocks)
{
  Host host;
  ASSERT_TRUE(host.Start(48000.0, 128));
  AEffect* e = host.Effect();
  ASSERT_EQ(e->numPrograms, 1);
  Noise noise(99);
  std::vector<double> loud(4096);
  for (double& s : loud)
    s = noise.Next();
  const Signal input = Mono(loud);

  for (int round = 0; round < 16; ++round)
  {
    SCOPED_TRACE(testing::Message() << "round " << round);
    Randomise(e, noise);
    const std::vector<float> values = Parameters(e);
    const auto before = host.Process(Callback::kReplacing, input, 0, 256, 128);

    // A program longer than the host's 24-character field is cut, never overrun.
    char name[64];
    std::snprintf(name, sizeof(name), "Take %d of a rather long program name", round);
    host.Dispatch(effSetProgramName, 0, 0, name);
    host.Dispatch(effSetProgram, 0, 0); // the current program again: its stored values
    EXPECT_EQ(host.Dispatch(effGetProgram), 0);
    EXPECT_EQ(Parameters(e), values);

    char shown[kVstMaxProgNameLen + 8];
    std::memset(shown, 0x55, sizeof(shown));
    host.Dispatch(effGetProgramName, 0, 0, shown);
    EXPECT_EQ(std::string(shown), std::string(name, kVstMaxProgNameLen - 1));
    EXPECT_EQ(shown[kVstMaxProgNameLen], 0x55);
    std::memset(shown, 0, sizeof(shown));
    EXPECT_EQ(host.Dispatch(effGetProgramNameIndexed, 0, 0, shown), 1);
    EXPECT_EQ(std::string(shown), std::string(name, kVstMaxProgNameLen - 1));
    // Programs that do not exist are refused and change nothing.
    host.Dispatch(effSetProgram, 0, 7);
    host.Dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(host.Dispatch(effGetProgram), 0);
    EXPECT_EQ(Parameters(e), values);

    const auto after = host.Process(Callback::kReplacing, input, 256, 256, 128);
    for (const auto* out : {&before, &after})
      for (const std::vector<double>& channel : *out)
      {
        EXPECT_EQ(FirstBadSample(channel, Callback::kReplacing), -1);
        EXPECT_LE(Peak(channel), 16.0);
      }
  }
}

TEST(ValidatedState, EveryParameterDisplayTextRoundTrips)
{
  Host host;
  ASSERT_TRUE(host.Start(44100.0, 512));
  AEffect* e = host.Effect();
  VstPlugin& p = host.Plugin();
  for (int idx = 0; idx < e->numParams; ++idx)
    for (int k = 0; k <= 20; ++k)
    {
      e->setParameter(e, idx, float(k) / 20.0f);
      const float value = e->getParameter(e, idx);
      const std::string text = p.ParamDisplay(idx);
      SCOPED_TRACE(testing::Message() << p.ParamName(idx) << " shows \"" << text << "\"");
      ASSERT_FALSE(text.empty());

      // Away and back through the text alone.
      e->setParameter(e, idx, value < 0.5f ? 1.0f : 0.0f);
      std::string copy = text;
      ASSERT_EQ(host.Dispatch(effString2Parameter, idx, 0, &copy[0]), 1);
      EXPECT_EQ(p.ParamDisplay(idx), text);
      // The knobs show three decimals of a 0..1 range with steps of 0.001, so the
      // text holds the whole value.
      EXPECT_NEAR(e->getParameter(e, idx), value, 1e-6);
    }
}

TEST(ValidatedState, ProgramsAndChunksChangeWhileTheAudioThreadProcesses)
{
  // The host's UI thread saves, restores, switches and renames while its audio
  // thread keeps processing: every block stays finite, and the last restore wins.
  Host host;
  ASSERT_TRUE(host.Start(48000.0, 256));
  AEffect* e = host.Effect();
  std::atomic<bool> stop{false};
  std::atomic<long> badBlocks{0}, blocks{0};
  std::thread audio(
      [&]
      {
        Noise noise(17);
        std::vector<float> in(256), out0(256), out1(256);
        for (float& s : in)
          s = float(noise.Next());
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out0.data(), out1.data()};
        while (!stop.load() || blocks.load() < 200)
        {
          e->processReplacing(e, ins, outs, 256);
          for (float s : out0)
            if (!std::isfinite(s) || std::fabs(s) > 16.0f)
            {
              ++badBlocks;
              break;
            }
          ++blocks;
        }
      });

  Noise noise(23);
  std::vector<float> saved;
  for (int round = 0; round < 300; ++round)
  {
    const bool bank = round % 2 == 0;
    Randomise(e, noise);
    saved = Parameters(e);
    const std::vector<uint8_t> chunk = host.GetChunk(bank);
    char name[32];
    std::snprintf(name, sizeof(name), "Round %d", round);
    host.Dispatch(effSetProgramName, 0, 0, name);
    host.Dispatch(effSetProgram, 0, 0);
    Randomise(e, noise);
    ASSERT_TRUE(host.SetChunk(bank, chunk));
    ASSERT_EQ(Parameters(e), saved) << "round " << round;
  }
  stop = true;
  audio.join();
  EXPECT_EQ(badBlocks.load(), 0) << "of " << blocks.load();
  EXPECT_EQ(Parameters(e), saved);
}
