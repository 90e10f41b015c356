#pragma once
// The LV2 binding of a plug-in instance: audio ports in channel order, one control
// input port per parameter (its value is the parameter's normalised value, exactly as
// a VST 2 host's setParameter), and the program chunk as the state extension's only
// property. The descriptor callbacks live in LV2Entry.h.
#include <cstdint>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "core/ByteChunk.h"
#include "core/IEffectBase.h"
#include "util/UTL_TypedBuf.h"

// What the descriptor's instantiate hands to an effect's constructor.
struct IEffectInstanceInfo
{
  double mSampleRate = 44100.0;
  const LV2_Feature* const* mFeatures = nullptr; // null-terminated, may be null
};

class IEffectLV2 : public IEffectBase
{
public:
  // The thirteen base arguments, then a side-chain channel count (accepted, unused).
  IEffectLV2(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName, int version,
             int uniqueID, int mfrID, int latency, bool doesMIDI, bool doesStateChunks, bool isInst,
             int nSideChans = 0);
  ~IEffectLV2() override;

  // Larger maximum block lengths are clamped to this; longer runs are processed in
  // pieces anyway, so only the scratch memory is bounded.
  static constexpr int kMaxBlockSize = 1 << 20;
  // Block size when the host states none.
  static constexpr int kDefaultBlockSize = 1024;

  // ---- Instantiation class: never while the audio thread runs the instance ----
  // False when the sample rate cannot drive the effect.
  bool Instantiate(double sampleRate, const LV2_Feature* const* features);
  // The state property: the program chunk, the same bytes as the VST 2 binding's.
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);
  // The framework header and the effect's state, as effGetChunk gives for a program.
  bool GetProgramChunk(ByteChunk* chunk);
  // Restores a program chunk; false (values unchanged) when it holds none.
  bool SetProgramChunk(const void* data, int size);

  void Activate();
  void Deactivate();

  // ---- Audio thread: no allocation, no lock beyond the instance mutex ----
  // Ports are numbered as LV2PortLayout.h says.
  void ConnectPort(uint32_t port, void* data);
  void Run(uint32_t nFrames);

  // Host operations an LV2 host does not offer here: automation goes through the
  // control ports, which the plug-in cannot write, and the editor is a separate UI.
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  // The plug-in side has no editor: the UI library builds its own, and the effect is
  // built here without one. An editor attached anyway is dropped.
  void AttachGraphics(IEditorConnection* graphics) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }

private:
  // Reads the host's control ports into the parameters that changed.
  void ApplyControlPorts();
  // Remembers the ports' current values so that state just restored stays until the
  // host moves a port.
  void HoldControlPorts();
  // Block size from the host's options, or kDefaultBlockSize.
  int BlockSizeFromOptions(const LV2_Feature* const* features) const;

  LV2_URID_Map* mMap = nullptr; // host's, may be null: no state then
  LV2_URID mChunkKey = 0;
  LV2_URID mChunkType = 0;

  // Written by ConnectPort, read by Run: both on the audio thread (or under the
  // host's exclusion of the instantiation class).
  UTL_TypedBuf<float*> mAudioIn, mAudioOut;
  UTL_TypedBuf<const float*> mControls;
  // The last value seen on each control port; NaN applies the next one whatever it is.
  UTL_TypedBuf<float> mLastControl;
  // Host pointers advanced to the current piece of a run longer than the block size.
  UTL_TypedBuf<float*> mPieceIn, mPieceOut;
  ByteChunk mState; // scratch for state save and restore
};
