#pragma once
// A small plug-in on the VST 2 binding, and a scripted host for it.
#include <cstring>
#include <string>
#include <vector>

#include "core/IMidiMsg.h"
#include "core/IParam.h"
#include "vst2/IEffectVST.h"

// The host side of the unit tests: answers and a log of the calls it received.
struct ScriptedHost
{
  struct Call
  {
    int32_t opcode, index;
    intptr_t value;
    float opt;
  };
  std::vector<Call> calls;
  std::string product = "Test Host";
  intptr_t vendorVersion = 10203;
  intptr_t processLevel = 0;
  bool answerTime = true;
  VstTimeInfo time{};
  std::vector<VstMidiEvent> midiOut;
  std::vector<VstMidiSysexEvent> sysexOut;

  int Count(int32_t opcode) const
  {
    int n = 0;
    for (const Call& c : calls)
      n += c.opcode == opcode;
    return n;
  }
  static ScriptedHost* current;
  static intptr_t Callback(AEffect*, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                           float opt);
};

// Three parameters ("Gain" 0..2, "Mode" with texts "A"/"B", and one with a name
// longer than hosts take), two presets. Its processing keeps state across calls
// (a frame counter), so splitting a block differently would show in the output.
class TestEffect : public IEffectVST
{
public:
  enum
  {
    kGain = 0,
    kMode,
    kLong,
    kNumParams
  };
  struct Options
  {
    const char* io = "1-1 2-2";
    const char* name = "Test Effect";
    bool midi = false;
    bool chunks = false;
    bool inst = false;
  };
  TestEffect(ScriptedHost* host, Options o);
  ~TestEffect() override { ++destroyed; }

  void Reset() override { ++resets; }
  void OnParamChange(int idx) override { paramChanges.push_back(idx); }
  void OnActivate(bool active) override { activations.push_back(active); }
  void ProcessDoubleReplacing(double** in, double** out, int n) override;
  void ProcessMidiMsg(IMidiMsg* msg) override { midiIn.push_back(*msg); }
  void ProcessSysEx(ISysEx* msg) override { sysexIn.push_back(msg->mSize); }
  void OnHostIdentified() override { ++hostIdentified; }

  static int destroyed;
  int resets = 0;
  int hostIdentified = 0;
  int maxFrames = 0;
  long frameCounter = 0;
  std::vector<int> paramChanges;
  std::vector<bool> activations;
  std::vector<IMidiMsg> midiIn;
  std::vector<int> sysexIn;
};
