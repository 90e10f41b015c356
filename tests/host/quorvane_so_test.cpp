// Quorvane.so loaded exactly as a DAW loads it: dlopen, VSTPluginMain, the host
// callback, and then every kind of call a host makes.
#include <gtest/gtest.h>

#include "effect/alloc_counter.h"

#include <dlfcn.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tools/render/VstHost.h"

namespace
{
struct QuorvaneSo : ::testing::Test
{
  VstPlugin p;
  AEffect* e = nullptr;
  void SetUp() override
  {
    p.Script().productString = "Ardour";
    p.Script().vendorVersion = 80401;
    ASSERT_TRUE(p.Load(QUORVANE_SO)) << p.Error();
    e = p.Effect();
  }
  intptr_t D(int32_t op, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f)
  {
    return p.Dispatch(op, idx, value, ptr, opt);
  }
  std::string Text(int32_t op, int32_t idx = 0)
  {
    char buf[256];
    std::memset(buf, 0x7F, sizeof(buf));
    D(op, idx, 0, buf);
    return std::string(buf, strnlen(buf, sizeof(buf)));
  }
};
} // namespace

TEST(QuorvaneLibrary, ExportsOnlyTheTwoEntryPoints)
{
  FILE* f = popen("nm -D --defined-only " QUORVANE_SO, "r");
  ASSERT_NE(f, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof(line), f))
  {
    char addr[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", addr, type, name) == 3) names.insert(name);
  }
  ASSERT_EQ(pclose(f), 0);
  EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST_F(QuorvaneSo, RecordAndIdentity)
{
  EXPECT_EQ(p.EntryPointName(), "VSTPluginMain");
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->flags & ~effFlagsHasEditor, 0x1018);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->numParams, 6);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->version, 20300);
  EXPECT_EQ(e->uniqueID, VstFourCC('q', 'v', 'x', '1'));
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_NE(e->object, nullptr);
  EXPECT_TRUE(e->process && e->processReplacing && e->processDoubleReplacing && e->setParameter &&
              e->getParameter);
  EXPECT_TRUE(p.Script().calls.empty()); // the entry point never calls the host

  EXPECT_EQ(Text(effGetEffectName), "Quorvane");
  EXPECT_EQ(Text(effGetVendorString), "halvercombe");
  EXPECT_EQ(Text(effGetProductString), "");
  EXPECT_EQ(D(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(D(effIdentify), 0x4E764566);
  EXPECT_EQ(D(effGetVstVersion), 2400);
  EXPECT_EQ(D(effGetTailSize), 0);
  EXPECT_EQ(D(effStartProcess), 0);

  // Opening identifies the host through the callback, once.
  D(effOpen);
  D(effOpen);
  EXPECT_EQ(p.Script().Count(audioMasterGetProductString), 1);
  EXPECT_EQ(p.Script().Count(audioMasterGetVendorVersion), 1);
  EXPECT_EQ(p.Script().Count(audioMasterVersion), 0);
  EXPECT_EQ(p.Script().Count(audioMasterIOChanged), 0);

  // The legacy entry point makes an independent instance too.
  void* lib = dlopen(QUORVANE_SO, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  auto legacy = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(lib, "main"));
  ASSERT_NE(legacy, nullptr);
  AEffect* second = legacy(&VstPlugin::HostCallback);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, e);
  EXPECT_EQ(second->uniqueID, e->uniqueID);
  second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f);
  dlclose(lib);
}

TEST_F(QuorvaneSo, ParametersAndTheirTexts)
{
  const char* names[] = {"Level", "Drive", "Low", "Mid", "High", "Effect"};
  for (int i = 0; i < 6; ++i)
  {
    EXPECT_EQ(p.ParamName(i), names[i]);
    EXPECT_EQ(p.ParamLabel(i), "");
    EXPECT_EQ(D(effCanBeAutomated, i), 1);
  }
  EXPECT_EQ(p.ParamDisplay(0), "0.500");
  EXPECT_EQ(p.ParamDisplay(5), "On");
  EXPECT_FLOAT_EQ(e->getParameter(e, 5), 1.0f);
  e->setParameter(e, 1, 0.8f);
  EXPECT_EQ(p.ParamDisplay(1), "0.800");
  e->setParameter(e, 1, NAN);
  EXPECT_FLOAT_EQ(e->getParameter(e, 1), 0.8f);

  EXPECT_EQ(D(effString2Parameter, 5, 0, const_cast<char*>("Off")), 1);
  EXPECT_EQ(e->getParameter(e, 5), 0.0f);
  EXPECT_EQ(D(effString2Parameter, 5, 0, const_cast<char*>("Maybe")), 0);
  EXPECT_EQ(D(effString2Parameter, 0, 0, const_cast<char*>("7")), 1);
  EXPECT_EQ(e->getParameter(e, 0), 1.0f);
  EXPECT_EQ(D(effString2Parameter, 0, 0, nullptr), 1);
  EXPECT_EQ(D(effString2Parameter, 6, 0, nullptr), 0);
  char buf[64];
  EXPECT_EQ(D(effVendorSpecific, effGetParamDisplay, 2, buf, 0.25f), 0xBEEF);
  EXPECT_STREQ(buf, "0.250");
  EXPECT_EQ(D(effVendorSpecific, effGetParamName, 0), 0);      // a double parameter
  EXPECT_EQ(D(effVendorSpecific, effGetParamName, 5), 0xBEEF); // the enum
  EXPECT_EQ(p.Script().Count(audioMasterAutomate), 0);
}

TEST_F(QuorvaneSo, ChunksProgramsAndNames)
{
  void* data = nullptr;
  const intptr_t programSize = D(effGetChunk, 1, 0, &data);
  ASSERT_EQ(programSize, 56); // header and six doubles
  EXPECT_EQ(std::memcmp(data, "tffp\x00\x00\x01\x00", 8), 0);
  std::vector<uint8_t> program(static_cast<uint8_t*>(data),
                               static_cast<uint8_t*>(data) + programSize);

  const intptr_t bankSize = D(effGetChunk, 0, 0, &data);
  ASSERT_EQ(bankSize, 8 + 57); // header and the one preset "Init" with its values
  EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(data) + 8, "\x04\x00\x00\x00Init\x01", 9), 0);

  e->setParameter(e, 1, 0.9f);
  e->setParameter(e, 5, 0.0f);
  EXPECT_EQ(D(effSetChunk, 1, intptr_t(program.size()), program.data()), 1);
  EXPECT_FLOAT_EQ(e->getParameter(e, 1), 0.5f);
  EXPECT_FLOAT_EQ(e->getParameter(e, 5), 1.0f);
  EXPECT_EQ(D(effSetChunk, 1, -1, program.data()), 0);
  EXPECT_EQ(D(effSetChunk, 1, 8, nullptr), 0);

  EXPECT_EQ(Text(effGetProgramName), "Init");
  D(effSetProgramName, 0, 0, const_cast<char*>("Crunchy rhythm tone for the verse"));
  EXPECT_EQ(Text(effGetProgramName), "Crunchy rhythm tone for"); // 23 characters
  char name[64];
  EXPECT_EQ(D(effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_EQ(D(effGetProgramNameIndexed, 1, 0, name), 0);
  e->setParameter(e, 0, 0.1f);
  D(effSetProgram, 0, 0); // stores, then restores the same program
  EXPECT_EQ(D(effGetProgram), 0);
  EXPECT_NEAR(e->getParameter(e, 0), 0.1f, 1e-6);
}

TEST_F(QuorvaneSo, PinsSpeakersAndCapabilities)
{
  VstPinProperties pin{};
  EXPECT_EQ(D(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(D(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(D(effGetOutputProperties, 2, 0, &pin), 0);

  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(D(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(out->numChannels, 2);
  VstSpeakerArrangement mono{};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  EXPECT_EQ(D(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &mono), 1);

  struct Case
  {
    const char* what;
    intptr_t answer;
  };
  for (const Case& c :
       {Case{"receiveVstTimeInfo", 1}, Case{"receiveVstEvents", 0}, Case{"sendVstMidiEvent", 0},
        Case{"hasHostExtensions", intptr_t(0xBEEF0000)}, Case{"bypass", 0}})
    EXPECT_EQ(D(effCanDo, 0, 0, const_cast<char*>(c.what)), c.answer) << c.what;
  EXPECT_EQ(D(effCanDo), 0);
  VstEvents none{};
  EXPECT_EQ(D(effProcessEvents, 0, 0, &none), 1);
  MidiKeyName key{};
  key.thisKeyNumber = 60;
  EXPECT_EQ(D(effGetMidiKeyName, 0, 0, &key), 0);
}

TEST_F(QuorvaneSo, ThreeProcessCallbacksAgree)
{
  p.Start(48000.0, 256);
  const int n = 1000; // longer than the block size: processed in pieces
  std::vector<float> l(n), r(n);
  std::vector<double> dl(n), dr(n);
  for (int i = 0; i < n; ++i)
  {
    l[i] = float(0.3 * std::sin(2.0 * M_PI * 110.0 * i / 48000.0));
    r[i] = float(0.2 * std::sin(2.0 * M_PI * 165.0 * i / 48000.0));
    dl[i] = l[i];
    dr[i] = r[i];
  }
  auto run = [&](int mode, std::vector<float>& o0, std::vector<float>& o1)
  {
    // A fresh start for each callback, so all three see the same history.
    D(effMainsChanged, 0, 0);
    D(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    D(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    D(effMainsChanged, 0, 1);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {o0.data(), o1.data()};
    if (mode == 0) p.ProcessReplacing(in, out, n);
    if (mode == 1) p.ProcessAccumulating(in, out, n);
    if (mode == 2)
    {
      std::vector<double> d0(n), d1(n);
      double* din[2] = {dl.data(), dr.data()};
      double* dout[2] = {d0.data(), d1.data()};
      p.ProcessDouble(din, dout, n);
      for (int i = 0; i < n; ++i)
      {
        o0[i] = float(d0[i]);
        o1[i] = float(d1[i]);
      }
    }
  };
  std::vector<float> a0(n), a1(n), b0(n, 0.25f), b1(n, 0.25f), c0(n), c1(n);
  run(0, a0, a1);
  run(1, b0, b1);
  run(2, c0, c1);
  double energy = 0.0;
  for (int i = 0; i < n; ++i)
  {
    ASSERT_TRUE(std::isfinite(a0[i]));
    EXPECT_EQ(a0[i], a1[i]); // one mono result on both outputs
    EXPECT_NEAR(b0[i], a0[i] + 0.25f, 1e-6);
    EXPECT_NEAR(c0[i], a0[i], 1e-6);
    energy += double(a0[i]) * a0[i];
  }
  EXPECT_GT(energy, 1e-3);

  // Switched off, the pedal passes the mono sum.
  EXPECT_EQ(D(effString2Parameter, 5, 0, const_cast<char*>("Off")), 1);
  float* in[2] = {l.data(), r.data()};
  float* out[2] = {a0.data(), a1.data()};
  p.ProcessReplacing(in, out, n);
  for (int i = 0; i < n; i += 97)
    EXPECT_NEAR(a0[i], l[i] + r[i], 1e-6) << i;
  EXPECT_EQ(p.Script().Count(audioMasterWantMidi), 0);
}

TEST_F(QuorvaneSo, ProcessCallbacksAllocateNothing)
{
  p.Start(48000.0, 256);
  // The counter sees allocations made inside the plug-in: creating an instance counts.
  long before = AllocationCount();
  void* lib = dlopen(QUORVANE_SO, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(lib, "VSTPluginMain"));
  AEffect* other = entry(&VstPlugin::HostCallback);
  other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
  dlclose(lib);
  EXPECT_GT(AllocationCount(), before);

  std::vector<float> l(1000, 0.1f), r(1000, -0.1f), o0(1000), o1(1000);
  std::vector<double> dl(1000, 0.1), dr(1000, -0.1), d0(1000), d1(1000);
  float* in[2] = {l.data(), r.data()};
  float* out[2] = {o0.data(), o1.data()};
  double* din[2] = {dl.data(), dr.data()};
  double* dout[2] = {d0.data(), d1.data()};
  before = AllocationCount();
  for (int n : {64, 256, 1000}) // the last is split into pieces
  {
    p.ProcessReplacing(in, out, n);
    p.ProcessAccumulating(in, out, n);
    p.ProcessDouble(din, dout, n);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
}
