// The VST 2 binding as a host sees it: the record, the dispatcher's answers, the
// text bounds, chunks, programs, parameters, time and host wrappers, processing.
#include <gtest/gtest.h>

#include "effect/alloc_counter.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "TestEffect.h"
#include "core/ITimeInfo.h"

namespace
{
struct Fixture : ::testing::Test
{
  ScriptedHost host;
  TestEffect* fx = nullptr;
  AEffect* e = nullptr;

  void Make(TestEffect::Options o = {})
  {
    ScriptedHost::current = &host;
    fx = new TestEffect(&host, o);
    fx->EnsureDefaultPreset();
    e = fx->GetAEffect();
  }
  void SetUp() override { Make(); }
  void TearDown() override
  {
    if (e) Disp(effClose);
    ScriptedHost::current = nullptr;
  }
  intptr_t Disp(int32_t op, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr,
                float opt = 0.0f)
  {
    return e->dispatcher(e, op, idx, value, ptr, opt);
  }
  std::string Text(int32_t op, int32_t idx = 0)
  {
    char buf[128];
    std::memset(buf, 'x', sizeof(buf));
    Disp(op, idx, 0, buf);
    return std::string(buf, strnlen(buf, sizeof(buf)));
  }
};
using Binding = Fixture;

std::vector<uint8_t> LE(double v)
{
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  std::vector<uint8_t> out;
  for (int i = 0; i < 8; ++i)
    out.push_back(uint8_t(bits >> (8 * i)));
  return out;
}
} // namespace

TEST_F(Binding, RecordDescribesThePlugin)
{
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->object, fx);
  EXPECT_EQ(e->numParams, 3);
  EXPECT_EQ(e->numPrograms, 2);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, 0x1018); // replacing, double, mono-capable; no editor yet
  EXPECT_EQ(e->version, 10203);
  EXPECT_EQ(e->uniqueID, 0x74657374);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(fx->GetBlockSize(), 1024);
  EXPECT_EQ(fx->GetInputSpeakerArr().type, kSpeakerArrStereo);
  EXPECT_EQ(fx->GetOutputSpeakerArr().numChannels, 2);
  EXPECT_TRUE(fx->IsInChannelConnected(1) && fx->IsOutChannelConnected(1));
  EXPECT_TRUE(host.calls.empty()); // construction never calls the host

  struct Case
  {
    TestEffect::Options o;
    int32_t flags;
    int inType;
  };
  const Case cases[] = {
      {{"2-2", "x", false, true, false}, 0x1030, kSpeakerArrStereo},
      {{"0-1", "x", true, false, true}, 0x1110, kSpeakerArrEmpty},
      {{"1-1", "x", false, false, false}, 0x1018, kSpeakerArrMono},
      {{"6-6", "x", false, false, false}, 0x1010, kSpeakerArrUserDefined},
  };
  for (const Case& c : cases)
  {
    TestEffect other(&host, c.o);
    EXPECT_EQ(other.GetAEffect()->flags, c.flags) << c.o.io;
    EXPECT_EQ(other.GetInputSpeakerArr().type, c.inType) << c.o.io;
  }
}

TEST_F(Binding, FixedAnswersAndUnhandledOpcodes)
{
  EXPECT_EQ(Disp(effIdentify, 5, 7), 0x4E764566);
  EXPECT_EQ(Disp(effGetVstVersion, 3), 2400);
  EXPECT_EQ(Disp(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(Disp(effCanBeAutomated, 99), 1);
  const std::vector<int> changesBefore = fx->paramChanges;
  for (int32_t op : std::initializer_list<int32_t>{effGetVu, effEditDraw, effGetTailSize,
                                                   effSetBypass, effGetVendorVersion, effEditIdle,
                                                   effIdle, 70, 71, 77, 1000, -5})
    EXPECT_EQ(Disp(op, 1, 1, nullptr, 1.0f), 0) << op;
  EXPECT_EQ(fx->paramChanges, changesBefore);
  // A record without an instance answers nothing.
  AEffect orphan = *e;
  orphan.object = nullptr;
  EXPECT_EQ(orphan.dispatcher(&orphan, effIdentify, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(Binding, TextsFitTheHostBuffers)
{
  TestEffect::Options o;
  o.name = "An effect name far longer than thirty-two characters";
  TestEffect longName(&host, o);
  AEffect* le = longName.GetAEffect();
  char buf[128];
  std::memset(buf, 'x', sizeof(buf));
  EXPECT_EQ(le->dispatcher(le, effGetEffectName, 0, 0, buf, 0.0f), 1);
  EXPECT_EQ(std::strlen(buf), 31u);
  EXPECT_EQ(buf[32], 'x'); // nothing written past the 32-byte field

  EXPECT_EQ(Text(effGetParamName, TestEffect::kLong), "A parameter name that is long!!");
  EXPECT_EQ(Text(effGetParamName, TestEffect::kGain), "Gain");
  EXPECT_EQ(Text(effGetParamLabel, TestEffect::kGain), "dB");
  EXPECT_EQ(Text(effGetParamLabel, TestEffect::kMode), ""); // "A" already says it
  EXPECT_EQ(Text(effGetParamDisplay, TestEffect::kGain), "1.00");
  EXPECT_EQ(Text(effGetParamDisplay, TestEffect::kMode), "A");
  EXPECT_EQ(Text(effGetVendorString), "Test Maker");
  EXPECT_EQ(Text(effGetProductString), "Test Product");
  // Invalid parameter indices write nothing.
  EXPECT_EQ(Text(effGetParamName, 3), std::string(128, 'x'));
  EXPECT_EQ(Text(effGetParamDisplay, -1), std::string(128, 'x'));

  const char longProgram[] = "A program name longer than twenty-four bytes";
  Disp(effSetProgramName, 0, 0, const_cast<char*>(longProgram));
  std::memset(buf, 'x', sizeof(buf));
  Disp(effGetProgramName, 0, 0, buf);
  EXPECT_EQ(std::string(buf), std::string(longProgram, 23));
  EXPECT_EQ(buf[24], 'x');
  std::memset(buf, 'x', sizeof(buf));
  EXPECT_EQ(Disp(effGetProgramNameIndexed, 0, 0, buf), 1);
  EXPECT_EQ(std::strlen(buf), 23u);
  EXPECT_EQ(Disp(effGetProgramNameIndexed, 1, 0, buf), 1);
  EXPECT_STREQ(buf, "Empty");
  EXPECT_EQ(Disp(effGetProgramNameIndexed, 2, 0, buf), 0);
  for (int32_t op :
       std::initializer_list<int32_t>{effGetEffectName, effGetVendorString, effGetProductString})
    EXPECT_EQ(Disp(op), 0) << op;
}

TEST_F(Binding, ParameterCallbacks)
{
  e->setParameter(e, TestEffect::kGain, 0.25f);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 0.5);
  EXPECT_FLOAT_EQ(e->getParameter(e, TestEffect::kGain), 0.25f);
  EXPECT_EQ(fx->paramChanges.back(), TestEffect::kGain);
  const size_t changes = fx->paramChanges.size();
  // Not-a-number, infinities and bad indices change nothing; above 1 caps at the
  // maximum, below 0 follows the curve like every normalised setter.
  for (float bad : {NAN, INFINITY, -INFINITY})
    e->setParameter(e, TestEffect::kGain, bad);
  e->setParameter(e, 3, 0.5f);
  e->setParameter(e, -1, 0.5f);
  EXPECT_EQ(fx->paramChanges.size(), changes);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 0.5);
  e->setParameter(e, TestEffect::kGain, -3.0f);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), -6.0);
  e->setParameter(e, TestEffect::kGain, 7.0f);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 2.0);
  EXPECT_EQ(e->getParameter(e, 3), 0.0f);
  EXPECT_EQ(host.Count(audioMasterAutomate), 0); // the change came from the host

  // Vendor-specific: display for a normalised value, and "is not double".
  char buf[64] = "";
  EXPECT_EQ(Disp(effVendorSpecific, effGetParamDisplay, TestEffect::kGain, buf, 0.5f), 0xBEEF);
  EXPECT_STREQ(buf, "1.00");
  EXPECT_EQ(Disp(effVendorSpecific, effGetParamDisplay, 9, buf, 0.5f), 0xBEEF);
  EXPECT_EQ(Disp(effVendorSpecific, effGetParamName, TestEffect::kGain), 0);
  EXPECT_EQ(Disp(effVendorSpecific, effGetParamName, TestEffect::kMode), 0xBEEF);
  EXPECT_EQ(Disp(effVendorSpecific, effGetParamName, 9), 0);
  EXPECT_EQ(Disp(effVendorSpecific, 3, 0, buf), 0);
}

TEST_F(Binding, TextToParameter)
{
  struct Case
  {
    int idx;
    const char* text;
    intptr_t result;
    double value; // afterwards
  };
  const Case cases[] = {
      {TestEffect::kMode, nullptr, 1, 0.0}, // only asks
      {TestEffect::kMode, "B", 1, 1.0},
      {TestEffect::kMode, "C", 0, 1.0},
      {TestEffect::kMode, "1", 0, 1.0},       // texts only, for a parameter that has them
      {TestEffect::kGain, "7", 1, 2.0},       // clamped to the maximum
      {TestEffect::kGain, "0.337", 1, 0.337}, // plain, not quantised
      {TestEffect::kGain, "nan", 0, 0.337},
      {TestEffect::kGain, "-inf", 0, 0.337},
      {TestEffect::kGain, "-1", 1, 0.0},
      {3, "1", 0, 0.0},
      {-1, nullptr, 0, 0.0},
  };
  for (const Case& c : cases)
  {
    const size_t before = fx->paramChanges.size();
    EXPECT_EQ(Disp(effString2Parameter, c.idx, 0, const_cast<char*>(c.text)), c.result)
        << c.idx << " " << (c.text ? c.text : "null");
    if (c.idx >= 0 && c.idx < 3)
    {
      EXPECT_DOUBLE_EQ(fx->GetParam(c.idx)->Value(), c.value) << (c.text ? c.text : "null");
    }
    EXPECT_EQ(fx->paramChanges.size(), before + (c.result && c.text ? 1 : 0));
  }
  fx->GetParam(TestEffect::kLong)->SetDisplayNegated(true);
  EXPECT_EQ(Disp(effString2Parameter, TestEffect::kLong, 0, const_cast<char*>("-0.5")), 1);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kLong)->Value(), 0.5);
  EXPECT_EQ(host.Count(audioMasterAutomate), 0);
}

TEST_F(Binding, ProgramChunkBytesAndRoundTrip)
{
  fx->GetParam(TestEffect::kGain)->Set(1.5);
  void* data = nullptr;
  const intptr_t size = Disp(effGetChunk, 1, 0, &data);
  ASSERT_EQ(size, 8 + 3 * 8);
  std::vector<uint8_t> want = {'t', 'f', 'f', 'p', 0x00, 0x00, 0x01, 0x00};
  for (double v : {1.5, 0.0, 0.25})
    for (uint8_t b : LE(v))
      want.push_back(b);
  EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size),
            want);

  // Restore from a copy, as a host does after reopening a project.
  std::vector<uint8_t> saved(want);
  fx->GetParam(TestEffect::kGain)->Set(0.1);
  fx->GetParam(TestEffect::kMode)->Set(1);
  fx->paramChanges.clear();
  EXPECT_EQ(Disp(effSetChunk, 1, intptr_t(saved.size()), saved.data()), 1);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 1.5);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kMode)->Value(), 0.0);
  EXPECT_EQ(fx->paramChanges, (std::vector<int>{0, 1, 2}));
  // A chunk without header (an older format) is read from its start.
  std::vector<uint8_t> bare(saved.begin() + 8, saved.end());
  bare[7] = 0x3F; // 1.5 -> 1.5 + a little, still a double in range after clamping
  EXPECT_EQ(Disp(effSetChunk, 1, intptr_t(bare.size()), bare.data()), 1);
  EXPECT_EQ(Disp(effGetChunk, 1, 0, nullptr), 0);
}

TEST_F(Binding, BankChunkRoundTripsPresetNamesAndValues)
{
  Disp(effSetProgramName, 0, 0, const_cast<char*>("Crunch"));
  fx->GetParam(TestEffect::kGain)->Set(0.75);
  void* data = nullptr;
  const intptr_t size = Disp(effGetChunk, 0, 0, &data);
  // header, then per preset: length, name, initialised byte, three doubles
  ASSERT_EQ(size, 8 + (4 + 6 + 1 + 24) + (4 + 5 + 1 + 24));
  std::vector<uint8_t> bank(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  EXPECT_EQ(std::memcmp(bank.data() + 8,
                        "\x06\x00\x00\x00"
                        "Crunch\x01",
                        11),
            0);

  Disp(effSetProgramName, 0, 0, const_cast<char*>("Other"));
  fx->GetParam(TestEffect::kGain)->Set(0.2);
  EXPECT_EQ(Disp(effSetChunk, 0, intptr_t(bank.size()), bank.data()), 1);
  char name[32];
  Disp(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Crunch");
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 0.75);
}

TEST_F(Binding, RejectedChunksChangeNothing)
{
  fx->GetParam(TestEffect::kGain)->Set(1.25);
  const uint8_t bytes[16] = {};
  struct Case
  {
    intptr_t size;
    const void* ptr;
  };
  for (const Case& c :
       {Case{-8, bytes}, Case{0, bytes}, Case{16, nullptr}, Case{intptr_t(1) << 40, bytes}})
    for (int32_t idx : {0, 1})
    {
      fx->paramChanges.clear();
      EXPECT_EQ(Disp(effSetChunk, idx, c.size, const_cast<void*>(c.ptr)), 0) << c.size;
      EXPECT_TRUE(fx->paramChanges.empty());
      EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 1.25);
    }
  // A header cut short fails before anything is read.
  EXPECT_EQ(Disp(effSetChunk, 1, 4, const_cast<char*>("tffp")), 0);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 1.25);

  // Program and bank chunks cut anywhere after the header: refused whole, the sound
  // and every preset stay as they were.
  auto chunkOf = [&](int32_t idx)
  {
    void* data = nullptr;
    const intptr_t size = Disp(effGetChunk, idx, 0, &data);
    return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  };
  const std::vector<uint8_t> program = chunkOf(1), bank = chunkOf(0);
  fx->GetParam(TestEffect::kGain)->Set(0.5);
  char name[] = "Kept";
  Disp(effSetProgramName, 0, 0, name);
  const std::vector<uint8_t> keptProgram = chunkOf(1), keptBank = chunkOf(0);
  for (int32_t idx : {1, 0})
  {
    const std::vector<uint8_t>& full = idx == 1 ? program : bank;
    for (size_t len = 9; len < full.size(); ++len)
    {
      std::vector<uint8_t> cut(full.begin(), full.begin() + long(len));
      EXPECT_EQ(Disp(effSetChunk, idx, intptr_t(len), cut.data()), 0) << idx << " " << len;
      ASSERT_EQ(chunkOf(1), keptProgram) << idx << " " << len;
      ASSERT_EQ(chunkOf(0), keptBank) << idx << " " << len;
    }
  }
}

TEST_F(Binding, HostileChunksNeverBreakTheInstance)
{
  std::mt19937 rng(7);
  std::vector<uint8_t> junk;
  for (int round = 0; round < 300; ++round)
  {
    junk.resize(rng() % 200 + 1);
    for (uint8_t& b : junk)
      b = uint8_t(rng());
    if (round % 3 == 0) std::memcpy(junk.data(), "tffp\0\0\1\0", std::min<size_t>(8, junk.size()));
    Disp(effSetChunk, int32_t(round % 2), intptr_t(junk.size()), junk.data());
    for (int i = 0; i < 3; ++i)
    {
      const double v = fx->GetParam(i)->Value();
      EXPECT_TRUE(std::isfinite(v) && v >= fx->GetParam(i)->GetMin() &&
                  v <= fx->GetParam(i)->GetMax());
    }
  }
  // Still answering and processing.
  std::vector<float> in(64, 0.5f), out(64);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  e->processReplacing(e, ins, outs, 64);
  EXPECT_TRUE(std::isfinite(out[63]));
  void* data = nullptr;
  EXPECT_GT(Disp(effGetChunk, 0, 0, &data), 8);
}

TEST_F(Binding, ProgramsSwitchAndKeepTheirValues)
{
  fx->GetParam(TestEffect::kGain)->Set(1.8);
  Disp(effSetProgram, 0, 1); // stores 1.8 into program 0 first
  EXPECT_EQ(Disp(effGetProgram), 1);
  fx->GetParam(TestEffect::kGain)->Set(0.3);
  Disp(effSetProgram, 0, 0);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 1.8);
  Disp(effSetProgram, 0, 1);
  EXPECT_DOUBLE_EQ(fx->GetParam(TestEffect::kGain)->Value(), 0.3);
  for (intptr_t bad : {intptr_t(-1), intptr_t(2), intptr_t(1) << 33})
    Disp(effSetProgram, 0, bad);
  EXPECT_EQ(Disp(effGetProgram), 1);
}

TEST_F(Binding, CapabilitiesAndExtensions)
{
  struct Case
  {
    const char* what;
    intptr_t plain, midi;
  };
  const Case cases[] = {
      {"receiveVstTimeInfo", 1, 1},
      {"sendVstEvents", 0, 1},
      {"sendVstMidiEvent", 0, 1},
      {"receiveVstEvents", 0, 1},
      {"receiveVstMidiEvent", 0, 1},
      {"hasHostExtensions", 0xBEEF0000, 0xBEEF0000},
      {"bypass", 0, 0},
      {"", 0, 0},
  };
  TestEffect::Options o;
  o.midi = true;
  TestEffect midiFx(&host, o);
  for (const Case& c : cases)
  {
    EXPECT_EQ(Disp(effCanDo, 0, 0, const_cast<char*>(c.what)), c.plain) << c.what;
    AEffect* m = midiFx.GetAEffect();
    EXPECT_EQ(m->dispatcher(m, effCanDo, 0, 0, const_cast<char*>(c.what), 0.0f), c.midi) << c.what;
  }
  EXPECT_EQ(fx->GetHostExtensions(), 1);
  EXPECT_EQ(Disp(effCanDo, 0, 0, const_cast<char*>("hasHostViewAsConfig")), 0xBEEF0000);
  EXPECT_EQ(fx->GetHostExtensions(), 3);
  EXPECT_EQ(Disp(effCanDo), 0);
}

TEST_F(Binding, PinsAndSpeakerArrangements)
{
  VstPinProperties pin;
  struct Case
  {
    int32_t op, idx;
    intptr_t result;
    int32_t flags;
    const char* label;
  };
  const Case cases[] = {
      {effGetInputProperties, 0, 1, 3, "Input 1"},
      {effGetInputProperties, 1, 1, 1, "Input 2"},
      {effGetOutputProperties, 0, 1, 3, "Output 1"},
      {effGetInputProperties, 2, 0, -7, "untouched"},
      {effGetOutputProperties, -1, 0, -7, "untouched"},
  };
  for (const Case& c : cases)
  {
    std::memset(&pin, 0, sizeof(pin));
    pin.flags = -7;
    std::strcpy(pin.label, "untouched");
    pin.arrangementType = 42;
    EXPECT_EQ(Disp(c.op, c.idx, 0, &pin), c.result) << c.idx;
    EXPECT_EQ(pin.flags, c.flags);
    EXPECT_STREQ(pin.label, c.label);
    EXPECT_EQ(pin.arrangementType, 42);
  }
  fx->SetOutputLabel(1, "Right");
  Disp(effGetOutputProperties, 1, 0, &pin);
  EXPECT_STREQ(pin.label, "Right");
  EXPECT_EQ(Disp(effGetInputProperties, 0, 0, nullptr), 0);

  VstSpeakerArrangement mono{}, wide{};
  mono.numChannels = 1;
  wide.numChannels = 9;
  EXPECT_EQ(Disp(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &wide), 1);
  EXPECT_TRUE(fx->IsInChannelConnected(0));
  EXPECT_FALSE(fx->IsInChannelConnected(1));
  EXPECT_TRUE(fx->IsOutChannelConnected(1));
  mono.numChannels = -4;
  EXPECT_EQ(Disp(effSetSpeakerArrangement, 0, 0, &mono), 1);
  EXPECT_FALSE(fx->IsOutChannelConnected(0));
  EXPECT_TRUE(fx->IsInChannelConnected(0)); // no input arrangement given

  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(Disp(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->numChannels, 2); // reports the declared layout, not the last one set
  EXPECT_EQ(out->type, kSpeakerArrStereo);
}

TEST_F(Binding, RateBlockAndActivation)
{
  const int resets = fx->resets;
  for (float bad : {0.0f, -48000.0f, NAN, INFINITY})
    Disp(effSetSampleRate, 0, 0, nullptr, bad);
  EXPECT_EQ(fx->GetSampleRate(), 44100.0);
  EXPECT_EQ(fx->resets, resets);
  Disp(effSetSampleRate, 0, 0, nullptr, 96000.0f);
  EXPECT_EQ(fx->GetSampleRate(), 96000.0);
  EXPECT_EQ(fx->resets, resets + 1);
  for (intptr_t bad : {intptr_t(0), intptr_t(-64)})
    Disp(effSetBlockSize, 0, bad);
  EXPECT_EQ(fx->GetBlockSize(), 1024);
  Disp(effSetBlockSize, 0, 256);
  EXPECT_EQ(fx->GetBlockSize(), 256);
  Disp(effSetBlockSize, 0, intptr_t(1) << 40);
  EXPECT_EQ(fx->GetBlockSize(), IEffectVST::kMaxBlockSize);
  EXPECT_EQ(fx->resets, resets + 3);
  Disp(effMainsChanged, 0, 1);
  EXPECT_EQ(fx->resets, resets + 3); // resume never resets
  Disp(effMainsChanged, 0, 0);
  EXPECT_EQ(fx->resets, resets + 4);
  EXPECT_EQ(fx->activations, (std::vector<bool>{true, false}));
}

TEST_F(Binding, OpenIdentifiesTheHostOnce)
{
  host.product = "REAPER";
  fx->paramChanges.clear();
  Disp(effOpen);
  EXPECT_EQ(fx->GetHostCode(), kHostReaper);
  EXPECT_EQ(fx->GetHostVersion(false), 0x010203);
  EXPECT_EQ(fx->paramChanges, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(fx->hostIdentified, 1);
  Disp(effOpen);
  EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
  EXPECT_EQ(fx->hostIdentified, 1);

  // An empty product string: unknown host, version 0, no version asked.
  ScriptedHost quiet;
  quiet.product = "";
  ScriptedHost::current = &quiet;
  TestEffect q(&quiet, {});
  EXPECT_EQ(q.GetHost(), kHostUnknown);
  EXPECT_EQ(q.GetHostVersion(false), 0);
  EXPECT_EQ(quiet.Count(audioMasterGetVendorVersion), 0);

  // Hosts that handle only stereo: channels from 2 up are cut off.
  ScriptedHost forte;
  forte.product = "Forte 4";
  ScriptedHost::current = &forte;
  TestEffect::Options o;
  o.io = "4-4";
  TestEffect f(&forte, o);
  f.HostSpecificInit();
  EXPECT_FALSE(f.IsInChannelConnected(2));
  EXPECT_EQ(f.GetAEffect()->numInputs, 4);
  ScriptedHost::current = &host;
}

TEST_F(Binding, TimeWrappers)
{
  VstTimeInfo& t = host.time;
  struct PosCase
  {
    double pos;
    int want;
  };
  for (const PosCase& c :
       {PosCase{99.4, 99}, PosCase{99.5, 100}, PosCase{-3.0, 0}, PosCase{NAN, 0}, PosCase{1e12, 0}})
  {
    t.samplePos = c.pos;
    EXPECT_EQ(fx->GetSamplePos(), c.want) << c.pos;
  }
  t.tempo = 0.0;
  t.flags = kVstTempoValid;
  EXPECT_EQ(fx->GetTempo(), 0.0);
  t.tempo = 140.0;
  EXPECT_EQ(fx->GetTempo(), 140.0);
  t.flags = 0;
  EXPECT_EQ(fx->GetTempo(), 0.0);

  int num = -1, den = -1;
  t.timeSigNumerator = 7;
  t.timeSigDenominator = 8;
  fx->GetTimeSig(&num, &den);
  EXPECT_EQ(num * 100 + den, 0); // flag not set
  t.flags = kVstTimeSigValid;
  fx->GetTimeSig(&num, &den);
  EXPECT_EQ(num * 100 + den, 708);

  ITimeInfo info;
  info.mTempo = 111.0;
  t = VstTimeInfo{};
  t.samplePos = 480.0;
  t.ppqPos = -1.0; // invalid value: kept
  t.tempo = 0.0;   // not strictly positive: kept
  t.barStartPos = 4.0;
  t.cycleStartPos = 8.0;
  t.cycleEndPos = 16.0;
  t.timeSigNumerator = 3;
  t.timeSigDenominator = 4;
  t.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
            kVstTimeSigValid | kVstTransportPlaying;
  info.mPPQPos = 2.5;
  fx->GetTime(&info);
  EXPECT_EQ(info.mSamplePos, 480.0);
  EXPECT_EQ(info.mPPQPos, 2.5);
  EXPECT_EQ(info.mTempo, 111.0);
  EXPECT_EQ(info.mLastBar, 4.0);
  EXPECT_EQ(info.mCycleEnd, 16.0);
  EXPECT_EQ(info.mNumerator, 3);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);
  EXPECT_EQ(host.calls.back().value, 0x3E00);

  ITimeInfo untouched;
  untouched.mSamplePos = 5.0;
  t.flags = kVstTransportPlaying; // none of the validity flags
  fx->GetTime(&untouched);
  EXPECT_EQ(untouched.mSamplePos, 5.0);
  host.answerTime = false;
  fx->GetTime(&untouched);
  EXPECT_EQ(fx->GetSamplePos(), 0);
  EXPECT_EQ(untouched.mSamplePos, 5.0);

  host.processLevel = kVstProcessLevelOffline;
  EXPECT_TRUE(fx->IsRenderingOffline());
  host.processLevel = kVstProcessLevelRealtime;
  EXPECT_FALSE(fx->IsRenderingOffline());

  // Without a host callback every wrapper answers "nothing known".
  TestEffect orphan(nullptr, {});
  EXPECT_EQ(orphan.GetTempo(), 0.0);
  EXPECT_EQ(orphan.GetSamplePos(), 0);
  EXPECT_EQ(orphan.GetHost(), kHostUnknown);
  orphan.InformHostOfParamChange(0, 0.5);
}

TEST_F(Binding, MidiBothWays)
{
  IMidiMsg msg(17, 0x90, 60, 100);
  EXPECT_TRUE(fx->SendMidiMsg(&msg));
  ASSERT_EQ(host.midiOut.size(), 1u);
  const VstMidiEvent& ev = host.midiOut[0];
  EXPECT_EQ(ev.type, kVstMidiType);
  EXPECT_EQ(ev.byteSize, 32);
  EXPECT_EQ(ev.deltaFrames, 17);
  EXPECT_EQ(uint8_t(ev.midiData[0]), 0x90);
  EXPECT_EQ(ev.midiData[2], 100);
  const uint8_t dump[] = {0xF0, 0x7E, 0xF7};
  ISysEx sx(3, dump, 3);
  EXPECT_TRUE(fx->SendSysEx(&sx));
  ASSERT_EQ(host.sysexOut.size(), 1u);
  EXPECT_EQ(host.sysexOut[0].byteSize, 48);
  EXPECT_EQ(host.sysexOut[0].dumpBytes, 3);
  EXPECT_EQ(host.sysexOut[0].sysexDump, reinterpret_cast<const char*>(dump));

  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.deltaFrames = 5;
  note.midiData[0] = char(0x80);
  note.midiData[1] = 64;
  VstMidiSysexEvent sys{};
  sys.type = kVstSysExType;
  sys.dumpBytes = 3;
  VstEvent other{};
  other.type = 3;
  // Room for four entries, as hosts allocate them.
  struct
  {
    VstEvents head;
    VstEvent* more[2];
  } list{};
  list.head.numEvents = 4;
  list.head.events[0] = reinterpret_cast<VstEvent*>(&note);
  list.head.events[1] = nullptr;
  list.more[0] = reinterpret_cast<VstEvent*>(&sys);
  list.more[1] = &other;
  EXPECT_EQ(Disp(effProcessEvents, 0, 0, &list), 1);
  ASSERT_EQ(fx->midiIn.size(), 1u);
  EXPECT_EQ(fx->midiIn[0].mOffset, 5);
  EXPECT_EQ(fx->midiIn[0].mStatus, 0x80);
  EXPECT_EQ(fx->sysexIn, std::vector<int>{3});
  EXPECT_EQ(Disp(effProcessEvents), 0);
}

TEST_F(Binding, ProcessCallbacksInEachPrecision)
{
  Disp(effSetBlockSize, 0, 64);
  fx->GetParam(TestEffect::kGain)->Set(2.0);
  std::vector<float> l(64, 0.25f), r(64, -0.5f), ol(64, 1.0f), orr(64, 1.0f);
  float* in[2] = {l.data(), r.data()};
  float* out[2] = {ol.data(), orr.data()};
  e->processReplacing(e, in, out, 64);
  EXPECT_FLOAT_EQ(ol[0], 0.5f);
  EXPECT_FLOAT_EQ(orr[3], -1.0f + 0.003f);
  e->process(e, in, out, 64); // adds to what the buffers hold
  EXPECT_FLOAT_EQ(ol[0], 0.5f + 0.5f + 0.064f);

  std::vector<double> dl(64, 0.125), dr(64, 0.0), dol(64), dor(64);
  double* din[2] = {dl.data(), dr.data()};
  double* dout[2] = {dol.data(), dor.data()};
  e->processDoubleReplacing(e, din, dout, 64);
  EXPECT_DOUBLE_EQ(dol[1], 0.25 + 0.129);
  EXPECT_EQ(host.Count(audioMasterWantMidi), 0);
  e->processReplacing(e, in, out, 0);
  e->processReplacing(e, in, out, -5);
  EXPECT_EQ(fx->frameCounter, 192);
}

TEST_F(Binding, LongHostBlocksGoThroughInBlockSizePieces)
{
  // The same 1000 frames as one host block and as blocks of the stated size
  // must give the same output, with no call longer than the block size.
  const int block = 96, total = 1000;
  for (int precision = 0; precision < 3; ++precision)
  {
    std::vector<std::vector<double>> results;
    for (bool split : {false, true})
    {
      ScriptedHost h;
      ScriptedHost::current = &h;
      TestEffect* t = new TestEffect(&h, {}); // effClose deletes it
      AEffect* a = t->GetAEffect();
      a->dispatcher(a, effSetBlockSize, 0, block, nullptr, 0.0f);
      std::vector<float> fin[2], fout[2];
      std::vector<double> din[2], dout[2];
      for (int c = 0; c < 2; ++c)
      {
        fin[c].resize(total);
        din[c].resize(total);
        fout[c].assign(total, 0.5f);
        dout[c].assign(total, 0.0);
        for (int i = 0; i < total; ++i)
          din[c][i] = fin[c][i] = float(std::sin(0.01 * i * (c + 1)));
      }
      for (int at = 0; at < total;)
      {
        const int n = split ? std::min(block, total - at) : total;
        float* fi[2] = {fin[0].data() + at, fin[1].data() + at};
        float* fo[2] = {fout[0].data() + at, fout[1].data() + at};
        double* di[2] = {din[0].data() + at, din[1].data() + at};
        double* dd[2] = {dout[0].data() + at, dout[1].data() + at};
        if (precision == 0)
          a->processReplacing(a, fi, fo, n);
        else if (precision == 1)
          a->process(a, fi, fo, n);
        else
          a->processDoubleReplacing(a, di, dd, n);
        at += n;
      }
      EXPECT_LE(t->maxFrames, block);
      EXPECT_EQ(t->frameCounter, total);
      std::vector<double> flat;
      for (int c = 0; c < 2; ++c)
        for (int i = 0; i < total; ++i)
          flat.push_back(precision == 2 ? dout[c][i] : fout[c][i]);
      results.push_back(flat);
      a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f);
    }
    EXPECT_EQ(results[0], results[1]) << "precision " << precision;
  }
  ScriptedHost::current = &host;
}

TEST_F(Binding, ProcessCallbacksAllocateNothing)
{
  TestEffect::Options o;
  o.midi = true; // takes the host call path too
  TestEffect m(&host, o);
  AEffect* a = m.GetAEffect();
  a->dispatcher(a, effSetBlockSize, 0, 128, nullptr, 0.0f);
  std::vector<float> in(1000, 0.1f), out(1000);
  std::vector<double> din(1000, 0.1), dout(1000);
  float* fi[2] = {in.data(), in.data()};
  float* fo[2] = {out.data(), out.data()};
  double* di[2] = {din.data(), din.data()};
  double* dd[2] = {dout.data(), dout.data()};
  host.calls.reserve(host.calls.size() + 64);
  const long before = AllocationCount();
  for (int n : {64, 128, 1000})
  {
    a->processReplacing(a, fi, fo, n);
    a->process(a, fi, fo, n);
    a->processDoubleReplacing(a, di, dd, n);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_EQ(host.Count(audioMasterWantMidi), 9);
}

TEST_F(Binding, HostThreadsNeverOverlap)
{
  // The audio thread processes while the user-interface thread resizes the
  // scratch buffers, restores chunks and automates: without the instance mutex
  // the resize would pull buffers from under the processing.
  std::atomic<bool> stop{false};
  Disp(effSetBlockSize, 0, 16);
  std::thread audio(
      [&]
      {
        std::vector<float> in(2048, 0.1f), out(2048);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out.data(), out.data()};
        while (!stop.load())
          e->processReplacing(e, ins, outs, 2048);
      });
  void* data = nullptr;
  const intptr_t size = Disp(effGetChunk, 1, 0, &data);
  std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  for (int i = 0; i < 300; ++i)
  {
    Disp(effSetBlockSize, 0, 16 + (i % 7) * 100);
    Disp(effSetChunk, 1, intptr_t(chunk.size()), chunk.data());
    e->setParameter(e, TestEffect::kGain, float(i % 10) / 10.0f);
  }
  stop = true;
  audio.join();
  EXPECT_LE(fx->maxFrames, 616);
}

TEST_F(Binding, CloseDeletesTheInstance)
{
  const int before = TestEffect::destroyed;
  Disp(effClose);
  e = nullptr;
  EXPECT_EQ(TestEffect::destroyed, before + 1);
}
