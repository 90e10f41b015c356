#include "TestEffect.h"

ScriptedHost* ScriptedHost::current = nullptr;
int TestEffect::destroyed = 0;

intptr_t ScriptedHost::Callback(AEffect*, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt)
{
  ScriptedHost* h = current;
  if (!h) return 0;
  h->calls.push_back({opcode, index, value, opt});
  switch (opcode)
  {
  case audioMasterGetTime:
    return h->answerTime ? reinterpret_cast<intptr_t>(&h->time) : 0;
  case audioMasterGetProductString:
    std::strncpy(static_cast<char*>(ptr), h->product.c_str(), 63);
    return 1;
  case audioMasterGetVendorVersion:
    return h->vendorVersion;
  case audioMasterGetCurrentProcessLevel:
    return h->processLevel;
  case audioMasterProcessEvents:
  {
    const VstEvents* evs = static_cast<const VstEvents*>(ptr);
    for (int i = 0; i < evs->numEvents; ++i)
    {
      if (evs->events[i]->type == kVstMidiType)
        h->midiOut.push_back(*reinterpret_cast<VstMidiEvent*>(evs->events[i]));
      else
        h->sysexOut.push_back(*reinterpret_cast<VstMidiSysexEvent*>(evs->events[i]));
    }
    return 1;
  }
  default:
    return 0;
  }
}

TestEffect::TestEffect(ScriptedHost* host, Options o)
    : IEffectVST(IEffectInstanceInfo{host ? &ScriptedHost::Callback : nullptr}, kNumParams, o.io, 2,
                 o.name, "Test Product", "Test Maker", 0x00010203, VstFourCC('t', 'e', 's', 't'),
                 VstFourCC('T', 'm', 'k', 'r'), 0, o.midi, o.chunks, o.inst)
{
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "dB");
  GetParam(kMode)->InitEnum("Mode", 0, 2);
  GetParam(kMode)->SetDisplayText(0, "A");
  GetParam(kMode)->SetDisplayText(1, "B");
  GetParam(kLong)->InitDouble("A parameter name that is long!!", 0.25, 0.0, 1.0, 0.001);
  MakePreset("First", 1.0, 0, 0.25);
}

void TestEffect::ProcessDoubleReplacing(double** in, double** out, int n)
{
  if (n > maxFrames) maxFrames = n;
  const double g = GetParam(kGain)->Value();
  for (int i = 0; i < n; ++i, ++frameCounter)
    for (int c = 0; c < NOutChannels(); ++c)
      out[c][i] = (c < NInChannels() ? in[c][i] : 0.0) * g + double(frameCounter % 1000) * 1e-3;
}
