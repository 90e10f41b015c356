#include "core/TestEffect.h"

#include "core/IPreset.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::vector<std::pair<int, int>> Configs(const IEffectBase& fx)
{
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < fx.NChannelConfigs(); ++i)
    out.push_back({fx.GetChannelConfig(i)->mNIn, fx.GetChannelConfig(i)->mNOut});
  return out;
}
using Pairs = std::vector<std::pair<int, int>>;
} // namespace

TEST(EffectBase, ConstructionStateAndTruncatedNames)
{
  TestEffect fx("1-1 2-2", 3, 2);
  EXPECT_EQ(fx.NParams(), 3);
  ASSERT_EQ(fx.NPresets(), 2);
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_FALSE(fx.GetPreset(i)->mInitialized);
    EXPECT_STREQ(fx.GetPreset(i)->mName, "empty");
    EXPECT_EQ(fx.GetPreset(i)->mChunk.Size(), 0);
  }
  EXPECT_EQ(fx.GetHostCode(), -1);
  EXPECT_EQ(fx.GetSampleRate(), 44100.0);
  EXPECT_EQ(fx.GetBlockSize(), 0);
  EXPECT_FALSE(fx.IsInChannelConnected(0));
  EXPECT_FALSE(fx.IsOutChannelConnected(2));

  const std::string longName(300, 'q');
  TestEffect named("1-1", 0, 0, longName.c_str());
  EXPECT_EQ(std::string(named.GetEffectName()), std::string(IEffectBase::kNameLen - 1, 'q'));
}

TEST(EffectBase, ChannelStringParsing)
{
  const struct
  {
    const char* io;
    Pairs configs;
    int nIn, nOut;
  } cases[] = {
      {"1-1 2-2", {{1, 1}, {2, 2}}, 2, 2},
      {"2-1 1-2", {{2, 1}, {1, 2}}, 2, 2},
      {"", {{0, 0}}, 0, 0},
      {nullptr, {}, 0, 0},
      {"0-2", {{0, 2}}, 0, 2},
      {"3", {{3, 0}}, 3, 0},               // parses only partly
      {"x-2 1-1", {{0, 0}, {1, 1}}, 1, 1}, // does not parse
      {"1-1 ", {{1, 1}, {0, 0}}, 1, 1},    // trailing space: one more empty token
      {"-1-2", {{-1, 2}}, 0, 2},           // counts never go below 0
  };
  for (const auto& c : cases)
  {
    TestEffect fx(c.io);
    EXPECT_EQ(Configs(fx), c.configs) << (c.io ? c.io : "(null)");
    EXPECT_EQ(fx.NInChannels(), c.nIn) << (c.io ? c.io : "(null)");
    EXPECT_EQ(fx.NOutChannels(), c.nOut) << (c.io ? c.io : "(null)");
  }
}

TEST(EffectBase, LegalIOMatchesFirstConfigurationWithNegativeAsAny)
{
  TestEffect fx("1-1 2-2");
  const struct
  {
    int in, out;
    bool legal;
  } cases[] = {{1, 1, true},   {2, 2, true},  {1, 2, false},  {2, 1, false}, {-1, 2, true},
               {-1, -1, true}, {1, -1, true}, {3, -1, false}, {0, 0, false}};
  for (const auto& c : cases)
    EXPECT_EQ(fx.LegalIO(c.in, c.out), c.legal) << c.in << "-" << c.out;

  TestEffect empty("");
  EXPECT_TRUE(empty.LegalIO(0, 0));
  TestEffect absent(nullptr);
  for (int in : {-1, 0, 1})
    for (int out : {-1, 0, 1})
      EXPECT_FALSE(absent.LegalIO(in, out));
}

TEST(EffectBase, ConnectionsClampTheirRange)
{
  TestEffect fx("4-4");
  fx.SetInputChannelConnections(-2, 4, true); // touches 0 and 1
  fx.SetInputChannelConnections(3, 1000, true);
  fx.SetOutputChannelConnections(1, std::numeric_limits<int>::max(), true);
  const bool in[] = {true, true, false, true};
  const bool out[] = {false, true, true, true};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(fx.IsInChannelConnected(i), in[i]) << i;
    EXPECT_EQ(fx.IsOutChannelConnected(i), out[i]) << i;
  }

  fx.SetBlockSize(8);
  fx.SetInputChannelConnections(0, 4, true);
  fx.SetOutputChannelConnections(0, 4, false);
  fx.LimitToStereoIO();
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(fx.IsInChannelConnected(i), i < 2) << i;
    EXPECT_EQ(fx.IsOutChannelConnected(i), i >= 2) << i;
  }
  EXPECT_EQ(fx.InputSlot(2), fx.InputScratch(2));
  EXPECT_EQ(fx.OutputSlot(2), fx.OutputScratch(2)); // destination unchanged
}

// Routing fixture: a 2-in 2-out effect with a block of 4 frames.
class Routing : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fx.SetBlockSize(kBlock);
    fx.SetInputChannelConnections(0, 2, true);
    fx.SetOutputChannelConnections(0, 2, true);
  }
  static constexpr int kBlock = 4;
  TestEffect fx{"1-1 2-2"};
};

TEST_F(Routing, DoubleBuffersPassByPointerAndUnconnectedInputsReadSilence)
{
  double in0[kBlock] = {1, 2, 3, 4}, in1[kBlock] = {5, 6, 7, 8};
  double out0[kBlock] = {}, out1[kBlock] = {};
  double* ins[] = {in0, in1};
  double* outs[] = {out0, out1};

  fx.AttachInputBuffers(0, 2, ins, kBlock);
  fx.AttachOutputBuffers(0, 2, outs);
  EXPECT_EQ(fx.InputSlot(0), in0);
  EXPECT_EQ(fx.OutputSlot(1), out1);
  fx.ProcessBuffers(0.0, kBlock);
  EXPECT_EQ(std::vector<double>(out0, out0 + kBlock), std::vector<double>(in0, in0 + kBlock));
  EXPECT_EQ(std::vector<double>(out1, out1 + kBlock), std::vector<double>(in1, in1 + kBlock));

  // Input 0 unconnected: the one host pointer goes to input 1.
  fx.SetInputChannelConnections(0, 1, false);
  double* onlyOne[] = {in1};
  fx.AttachInputBuffers(0, 2, onlyOne, kBlock);
  EXPECT_EQ(fx.InputSlot(0), fx.InputScratch(0));
  EXPECT_EQ(fx.InputSlot(1), in1);
  fx.ProcessBuffers(0.0, kBlock);
  EXPECT_EQ(std::vector<double>(out0, out0 + kBlock), std::vector<double>(kBlock, 0.0));
  EXPECT_EQ(std::vector<double>(out1, out1 + kBlock), std::vector<double>(in1, in1 + kBlock));
}

TEST_F(Routing, FloatBuffersConvertThroughScratchAndSkipUnconnectedOutputs)
{
  float in0[kBlock] = {0.5f, -0.25f, 1.0f, 0.125f}, in1[kBlock] = {1, 2, 3, 4};
  float out0[kBlock] = {9, 9, 9, 9}, out1[kBlock] = {9, 9, 9, 9};
  float* ins[] = {in0, in1};

  fx.AttachInputBuffers(0, 2, ins, kBlock);
  EXPECT_EQ(fx.InputSlot(0), fx.InputScratch(0));
  EXPECT_EQ(fx.InputScratch(0)[1], -0.25);

  fx.SetOutputChannelConnections(1, 1, false);
  float* outs[] = {out0};
  fx.AttachOutputBuffers(0, 2, outs);
  fx.ProcessBuffers(0.0f, kBlock);
  EXPECT_EQ(std::vector<float>(out0, out0 + kBlock), std::vector<float>(in0, in0 + kBlock));
  EXPECT_EQ(std::vector<float>(out1, out1 + kBlock), std::vector<float>(kBlock, 9.0f));
}

TEST_F(Routing, AccumulatingAddsWhereReplacingOverwrites)
{
  float in0[kBlock] = {1, 2, 3, 4}, in1[kBlock] = {-1, -2, -3, -4};
  float* ins[] = {in0, in1};
  fx.AttachInputBuffers(0, 2, ins, kBlock);

  float acc0[kBlock] = {10, 20, 30, 40}, acc1[kBlock] = {1, 1, 1, 1};
  float* accs[] = {acc0, acc1};
  fx.AttachOutputBuffers(0, 2, accs);
  fx.ProcessBuffersAccumulating(0.0f, kBlock);
  EXPECT_EQ(std::vector<float>(acc0, acc0 + kBlock), (std::vector<float>{11, 22, 33, 44}));
  EXPECT_EQ(std::vector<float>(acc1, acc1 + kBlock), (std::vector<float>{0, -1, -2, -3}));

  fx.ProcessBuffers(0.0f, kBlock);
  EXPECT_EQ(std::vector<float>(acc0, acc0 + kBlock), std::vector<float>(in0, in0 + kBlock));
}

TEST_F(Routing, PassThroughCopiesSharedChannelsAndZeroesTheRest)
{
  TestEffect wide("1-3");
  wide.SetBlockSize(kBlock);
  wide.SetInputChannelConnections(0, 1, true);
  wide.SetOutputChannelConnections(0, 3, true);
  double in[kBlock] = {1, 2, 3, 4};
  double outD[3][kBlock] = {{7, 7, 7, 7}, {7, 7, 7, 7}, {7, 7, 7, 7}};
  double* ins[] = {in};
  double* outs[] = {outD[0], outD[1], outD[2]};
  wide.AttachInputBuffers(0, 1, ins, kBlock);
  wide.AttachOutputBuffers(0, 3, outs);
  wide.PassThroughBuffers(0.0, kBlock);
  EXPECT_EQ(wide.mLastFrames, -1); // the effect's routine is bypassed
  EXPECT_EQ(std::vector<double>(outD[0], outD[0] + kBlock), std::vector<double>(in, in + kBlock));
  for (int ch = 1; ch < 3; ++ch)
    EXPECT_EQ(std::vector<double>(outD[ch], outD[ch] + kBlock), std::vector<double>(kBlock, 0.0));

  float inF[kBlock] = {4, 3, 2, 1};
  float outF[3][kBlock] = {{7, 7, 7, 7}, {7, 7, 7, 7}, {7, 7, 7, 7}};
  float* insF[] = {inF};
  float* outsF[] = {outF[0], outF[1], outF[2]};
  wide.AttachInputBuffers(0, 1, insF, kBlock);
  wide.AttachOutputBuffers(0, 3, outsF);
  wide.PassThroughBuffers(0.0f, kBlock);
  EXPECT_EQ(std::vector<float>(outF[0], outF[0] + kBlock), std::vector<float>(inF, inF + kBlock));
  EXPECT_EQ(std::vector<float>(outF[2], outF[2] + kBlock), std::vector<float>(kBlock, 0.0f));

  // The default single-precision routine follows the same rule on the buffers it gets.
  float hostOut[3][kBlock] = {{7, 7, 7, 7}, {7, 7, 7, 7}, {7, 7, 7, 7}};
  float* hostOuts[] = {hostOut[0], hostOut[1], hostOut[2]};
  wide.ProcessSingleReplacing(insF, hostOuts, kBlock);
  EXPECT_EQ(std::vector<float>(hostOut[0], hostOut[0] + kBlock),
            std::vector<float>(inF, inF + kBlock));
  EXPECT_EQ(std::vector<float>(hostOut[1], hostOut[1] + kBlock), std::vector<float>(kBlock, 0.0f));
}

TEST_F(Routing, BlocksLongerThanTheScratchBuffersAreCut)
{
  // Host buffers are long enough; the scratch buffers hold kBlock frames.
  const int big = 64;
  std::vector<float> inF(big, 1.0f), outF(big, 5.0f);
  float* ins[] = {inF.data(), inF.data()};
  float* outs[] = {outF.data(), outF.data()};
  fx.AttachInputBuffers(0, 2, ins, big);
  fx.AttachOutputBuffers(0, 2, outs);
  fx.ProcessBuffers(0.0f, big);
  EXPECT_EQ(fx.mLastFrames, kBlock);
  EXPECT_EQ(outF[kBlock - 1], 1.0f);
  EXPECT_EQ(outF[kBlock], 5.0f);
  fx.PassThroughBuffers(0.0f, big);
  fx.ProcessBuffersAccumulating(0.0f, big);

  // All-double host buffers involve no scratch buffer: the whole block runs.
  std::vector<double> inD(big, 2.0), outD(big, 0.0);
  double* insD[] = {inD.data(), inD.data()};
  double* outsD[] = {outD.data(), outD.data()};
  fx.AttachInputBuffers(0, 2, insD, big);
  fx.AttachOutputBuffers(0, 2, outsD);
  fx.ProcessBuffers(0.0, big);
  EXPECT_EQ(fx.mLastFrames, big);
  EXPECT_EQ(outD[big - 1], 2.0);

  // One unconnected input reads scratch: cut again.
  fx.SetInputChannelConnections(1, 1, false);
  fx.ProcessBuffers(0.0, big);
  EXPECT_EQ(fx.mLastFrames, kBlock);
  fx.ProcessBuffers(0.0, -5);
  EXPECT_EQ(fx.mLastFrames, 0);
}

TEST_F(Routing, NullHostChannelPointersNeverReachTheEffect)
{
  double in0[kBlock] = {1, 2, 3, 4};
  double* ins[] = {in0, nullptr};
  double* outs[] = {nullptr, nullptr};
  fx.AttachInputBuffers(0, 2, ins, kBlock);
  fx.AttachOutputBuffers(0, 2, outs);
  EXPECT_EQ(fx.InputSlot(1), fx.InputScratch(1));
  EXPECT_EQ(fx.OutputSlot(0), fx.OutputScratch(0));
  fx.ProcessBuffers(0.0, kBlock);
  EXPECT_EQ(fx.OutputScratch(0)[3], 4.0);

  float* insF[] = {nullptr, nullptr};
  float* outsF[] = {nullptr, nullptr};
  fx.AttachInputBuffers(0, 2, insF, kBlock);
  fx.AttachOutputBuffers(0, 2, outsF);
  fx.ProcessBuffers(0.0f, kBlock);
  EXPECT_EQ(fx.OutputScratch(0)[3], 0.0);
  fx.AttachInputBuffers(0, 2, static_cast<double**>(nullptr), kBlock); // ignored
}

TEST(EffectBase, ScratchBuffersFollowTheBlockSize)
{
  TestEffect fx("2-2");
  fx.SetBlockSize(4);
  EXPECT_EQ(fx.ScratchSize(0, true), 4);
  EXPECT_EQ(fx.ScratchSize(1, false), 4);
  // Unconnected slots point at the scratch buffers even before any attachment.
  EXPECT_EQ(fx.InputSlot(1), fx.InputScratch(1));

  fx.OutputScratch(0)[2] = 3.5;
  fx.SetBlockSize(4); // unchanged: contents kept
  EXPECT_EQ(fx.OutputScratch(0)[2], 3.5);
  fx.ZeroScratchBuffers();
  EXPECT_EQ(fx.OutputScratch(0)[2], 0.0);

  // Growing moves the buffers; slots that pointed at them follow.
  fx.OutputScratch(1)[0] = 1.0;
  fx.SetBlockSize(4096);
  EXPECT_EQ(fx.GetBlockSize(), 4096);
  EXPECT_EQ(fx.ScratchSize(1, false), 4096);
  EXPECT_EQ(fx.OutputScratch(1)[0], 0.0);
  EXPECT_EQ(fx.InputSlot(0), fx.InputScratch(0));
  EXPECT_EQ(fx.OutputSlot(1), fx.OutputScratch(1));
  fx.ProcessBuffers(0.0, 4096); // reads and writes only scratch

  fx.SetBlockSize(-3); // refused
  EXPECT_EQ(fx.GetBlockSize(), 4096);
  fx.SetBlockSize(0);
  EXPECT_EQ(fx.InputSlot(0), nullptr);
  fx.ProcessBuffers(0.0, 16);
  EXPECT_EQ(fx.mLastFrames, 0);
}

TEST(EffectBase, SamplesPerBeat)
{
  TestEffect fx;
  const struct
  {
    double rate, tempo, expect;
  } cases[] = {{48000, 120, 24000}, {44100, 90, 29400}, {48000, 0, 0}, {48000, -10, 0}};
  for (const auto& c : cases)
  {
    fx.SetSampleRate(c.rate);
    fx.mTempo = c.tempo;
    EXPECT_DOUBLE_EQ(fx.GetSamplesPerBeat(), c.expect) << c.tempo;
  }
}

TEST(EffectBase, SetParameterFromGUISetsAndNotifiesUnderTheLockThenInforms)
{
  TestEffect fx("1-1", 2);
  fx.GetParam(1)->InitInt("steps", 0, 0, 10);
  fx.SetParameterFromGUI(1, 0.26);
  EXPECT_EQ(fx.GetParam(1)->Value(), 3.0);
  ASSERT_EQ(fx.mInformed.size(), 1u);
  EXPECT_EQ(fx.mInformed[0].idx, 1);
  EXPECT_EQ(fx.mInformed[0].value, 0.26);
  EXPECT_EQ(fx.mLog, (std::vector<char>{'C', 'I'}));
  EXPECT_EQ(fx.mLockedInParamChange, std::vector<bool>{true});
  EXPECT_FALSE(fx.GetMutex().IsHeldByThisThread());

  // A value the parameter refuses is not passed on either.
  fx.SetParameterFromGUI(1, std::numeric_limits<double>::quiet_NaN());
  fx.SetParameterFromGUI(1, std::numeric_limits<double>::infinity());
  EXPECT_EQ(fx.GetParam(1)->Value(), 3.0);
  EXPECT_EQ(fx.mInformed.size(), 1u);

  fx.mParamChanges.clear();
  fx.OnParamReset();
  EXPECT_EQ(fx.mParamChanges, (std::vector<int>{0, 1}));
}

TEST(EffectBase, InstanceMutexSerialisesParameterChangesAcrossThreads)
{
  TestEffect fx("1-1", 1);
  fx.GetParam(0)->InitDouble("p", 0.0, 0.0, 1.0, 0.01);
  std::atomic<bool> done{false};

  fx.GetMutex().Enter();
  fx.GetMutex().Enter(); // recursive on the owning thread
  std::thread other(
      [&]
      {
        fx.SetParameterFromGUI(0, 0.75);
        done = true;
      });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(done.load());
  fx.GetMutex().Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(done.load()); // still held once
  EXPECT_EQ(fx.GetParam(0)->Value(), 0.0);
  fx.GetMutex().Leave();
  other.join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(fx.GetParam(0)->Value(), 0.75);
}

TEST(EffectBase, ChannelAndBusLabels)
{
  TestEffect fx("2-2");
  fx.SetInputLabel(1, "Right in");
  fx.SetInputLabel(2, "ignored");
  fx.SetOutputLabel(0, "Left out");
  fx.SetOutputLabel(0, nullptr);
  EXPECT_STREQ(fx.GetInputLabel(1), "Right in");
  EXPECT_STREQ(fx.GetOutputLabel(0), "");

  // Input buses take 0 and 1 only; an index past the end appends.
  fx.SetInputBusLabel(2, "no");
  fx.SetInputBusLabel(1, "side");
  fx.SetInputBusLabel(0, "main");
  EXPECT_EQ(fx.NInputBusLabels(), 1);
  EXPECT_STREQ(fx.GetInputBusLabel(0), "main");

  fx.SetOutputBusLabel(5, "five");
  fx.SetOutputBusLabel(1, "one");
  fx.SetOutputBusLabel(0, "zero");
  EXPECT_EQ(fx.NOutputBusLabels(), 2);
  EXPECT_STREQ(fx.GetOutputBusLabel(0), "zero");
  EXPECT_STREQ(fx.GetOutputBusLabel(1), "one");
}

TEST(EffectBase, MidiAndApiNames)
{
  TestEffect fx;
  UTL_TypedBuf<IMidiMsg> msgs;
  EXPECT_TRUE(fx.SendMidiMsgs(&msgs));
  for (int i = 0; i < 3; ++i)
    msgs.Add(IMidiMsg(i, 0x90, uint8_t(60 + i), 100));
  fx.mMidiAccepted = {true, false, true};
  EXPECT_FALSE(fx.SendMidiMsgs(&msgs));
  EXPECT_EQ(fx.mSentMidi.size(), 3u); // a refusal does not stop the rest

  class ApiEffect : public TestEffect
  {
  public:
    int mApi = 0;
    EAPI GetAPI() override { return EAPI(mApi); }
  } api;
  const char* names[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone", "LV2", ""};
  for (api.mApi = 0; api.mApi <= 7; ++api.mApi)
    EXPECT_STREQ(api.GetAPIString(), names[api.mApi]);
}
