#pragma once
// The VST 2 binding of a plug-in instance: the effect record the host holds, the
// host-callback wrappers behind the base's virtual host operations, and the
// dispatcher, parameter and process callbacks placed in the record.
#include "core/ByteChunk.h"
#include "core/IEffectBase.h"
#include "vst2/vst2_interface.h"

struct ITimeInfo;

// What the entry point hands to an effect's constructor.
struct IEffectInstanceInfo
{
  audioMasterCallback mVSTHostCallback = nullptr;
};

class IEffectVST : public IEffectBase
{
public:
  // The thirteen base arguments, then a side-chain channel count (accepted, unused).
  IEffectVST(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName, int version,
             int uniqueID, int mfrID, int latency, bool doesMIDI, bool doesStateChunks, bool isInst,
             int nSideChans = 0);
  ~IEffectVST() override;

  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo* timeInfo) override;
  bool IsRenderingOffline() override;
  EHost GetHost() override;
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendSysEx(ISysEx* msg) override;
  void AttachGraphics(IEditorConnection* graphics) override;
  void ResizeGraphics(int w, int h) override;
  void SetLatency(int samples) override;
  void HostSpecificInit() override;

  // Sends one prepared event; true when the host takes it.
  bool SendVSTEvent(VstEvent* event);
  audioMasterCallback GetHostCallback() const { return mHostCallback; }

  AEffect* GetAEffect() { return &mAEffect; }
  const ERect& GetEditRect() const { return mEditRect; }
  int GetHostExtensions() const { return mHasVSTExtensions; }
  const VstSpeakerArrangement& GetInputSpeakerArr() const { return mInputSpkrArr; }
  const VstSpeakerArrangement& GetOutputSpeakerArr() const { return mOutputSpkrArr; }

  // Larger host block sizes are clamped to this; longer host blocks are processed
  // in pieces anyway, so only the scratch memory is bounded.
  static constexpr int kMaxBlockSize = 1 << 20;

  // The record's callbacks.
  static intptr_t VSTDispatcher(AEffect* effect, int32_t opCode, int32_t idx, intptr_t value,
                                void* ptr, float opt);
  static float VSTGetParameter(AEffect* effect, int32_t idx);
  static void VSTSetParameter(AEffect* effect, int32_t idx, float value);
  static void VSTProcess(AEffect* effect, float** inputs, float** outputs, int32_t nFrames);
  static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                  int32_t nFrames);
  static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                        int32_t nFrames);

private:
  enum class EProcess
  {
    kAccumulate,
    kReplace,
  };
  intptr_t Dispatch(int32_t opCode, int32_t idx, intptr_t value, void* ptr, float opt);
  intptr_t GetChunk(bool bank, void* ptr);
  intptr_t SetChunk(bool bank, intptr_t size, const void* ptr);
  intptr_t StringToParameter(int idx, const char* text);
  intptr_t PinProperties(bool input, int idx, VstPinProperties* props);
  intptr_t CanDo(const char* what);
  void SetConnections(const VstSpeakerArrangement* arr, bool input);
  template <class T> void ProcessFrames(T** inputs, T** outputs, int nFrames, EProcess mode);
  intptr_t HostCall(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);
  VstTimeInfo* GetTimeInfo(intptr_t flags);
  void SetEditRectFromGraphics();

  audioMasterCallback mHostCallback;
  AEffect mAEffect;
  ERect mEditRect;
  VstSpeakerArrangement mInputSpkrArr;
  VstSpeakerArrangement mOutputSpkrArr;
  bool mHostSpecificInitDone = false;
  int mHasVSTExtensions = 0; // bit 0 "hasHostExtensions", bit 1 "hasHostViewAsConfig"
  ByteChunk mState;          // the last program chunk handed to or taken from the host
  ByteChunk mBankState;      // the same for banks
  // Host pointers advanced to the current piece of a block longer than the block
  // size; sized once here so that processing never allocates.
  UTL_TypedBuf<float*> mPieceInF, mPieceOutF;
  UTL_TypedBuf<double*> mPieceInD, mPieceOutD;
};
