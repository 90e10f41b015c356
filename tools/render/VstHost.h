#pragma once
// A small VST 2 host: loads a plug-in .so as a DAW does (dlopen, then the entry
// point VSTPluginMain or, for older plug-ins, main), answers the plug-in's host
// calls from a script the caller fills in, and drives the effect record.
// Used by quorvane-render, the end-to-end tests and the benchmarks.
#include <cstdint>
#include <string>
#include <vector>

#include "vst2/vst2_interface.h"

// What the host answers, and a record of what the plug-in asked.
struct VstHostScript
{
  std::string productString = "quorvane-render";
  std::string vendorString = "Quorvane";
  intptr_t vendorVersion = 10000;
  intptr_t processLevel = kVstProcessLevelUser;
  intptr_t processEventsAnswer = 1;
  bool answerTime = true; // false: audioMasterGetTime returns null
  VstTimeInfo time{};
  double sampleRate = 44100.0;
  intptr_t blockSize = 512;

  // One recorded host call. The log is bounded so that calls made from the
  // audio thread never allocate.
  struct Call
  {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
  };
  std::vector<Call> calls;
  size_t maxCalls = 4096;
  int droppedCalls = 0;
  // MIDI bytes (status, data1, data2, deltaFrames) of events the plug-in sent.
  std::vector<int32_t> sentMidi;
  int sentSysExBytes = 0;

  int Count(int32_t opcode) const;
  void ClearCalls()
  {
    calls.clear();
    sentMidi.clear();
    sentSysExBytes = 0;
    droppedCalls = 0;
  }
};

class VstPlugin
{
public:
  VstPlugin() = default;
  ~VstPlugin();
  VstPlugin(const VstPlugin&) = delete;
  VstPlugin& operator=(const VstPlugin&) = delete;

  // Loads the library and creates one instance. On failure returns false and
  // Error() says why; nothing stays loaded.
  bool Load(const std::string& path);
  const std::string& Error() const { return mError; }

  // Releases the instance (effClose) and unloads the library.
  void Unload();
  // effClose only; the library stays loaded until Unload.
  void Close();

  AEffect* Effect() const { return mEffect; }
  VstHostScript& Script() { return mScript; }
  const std::string& EntryPointName() const { return mEntryName; }

  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);

  // The usual start-up sequence: effOpen, sample rate, block size, resume.
  void Start(double sampleRate, int blockSize);
  void Suspend() { Dispatch(effMainsChanged, 0, 0); }
  void Resume() { Dispatch(effMainsChanged, 0, 1); }

  std::string ParamName(int idx);
  std::string ParamDisplay(int idx);
  std::string ParamLabel(int idx);
  std::string EffectName();
  // Index of the parameter whose name equals name (case-insensitive), or -1.
  int FindParam(const std::string& name);
  // Sets a parameter from a plain value or display text. A number goes through
  // effString2Parameter first; plug-ins that refuse it get a bisection over the
  // normalised value until their numeric display reaches the value. Any other
  // text must be one the parameter displays. False when nothing fits.
  bool SetParamText(int idx, const std::string& text);

  void ProcessReplacing(float** in, float** out, int n)
  {
    mEffect->processReplacing(mEffect, in, out, n);
  }
  void ProcessAccumulating(float** in, float** out, int n)
  {
    mEffect->process(mEffect, in, out, n);
  }
  void ProcessDouble(double** in, double** out, int n)
  {
    mEffect->processDoubleReplacing(mEffect, in, out, n);
  }
  bool CanDouble() const { return mEffect && (mEffect->flags & effFlagsCanDoubleReplacing); }
  bool CanReplace() const { return mEffect && (mEffect->flags & effFlagsCanReplacing); }

  static intptr_t HostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                               void* ptr, float opt);

private:
  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  std::string Text(int32_t opcode, int idx);
  bool SetParamToDisplayText(int idx, const std::string& text);

  void* mLibrary = nullptr;
  AEffect* mEffect = nullptr;
  bool mClosed = false;
  std::string mError;
  std::string mEntryName;
  VstHostScript mScript;
};
