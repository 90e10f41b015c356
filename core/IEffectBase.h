#pragma once
// Base of every plug-in instance: identity, parameters, presets, channel routing
// between the host's buffers and the double-precision processing routine, and the
// instance mutex. The host binding derives from it and supplies the pure virtuals.
#include "core/Hosts.h"
#include "core/IEditorConnection.h"
#include "core/IParam.h"
#include "util/UTL_Mutex.h"
#include "util/UTL_PtrList.h"
#include "util/UTL_String.h"
#include "util/UTL_TypedBuf.h"

class ByteChunk;
struct FxBank;
struct FxProgram;
struct IPreset;
struct IMidiMsg;
struct ISysEx;
struct ITimeInfo;

enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5, // standalone
  kAPILV2 = 6
};

class IEffectBase
{
public:
  // Size of the effect, product and maker name fields, terminator included.
  static constexpr int kNameLen = 128;

  // One legal channel configuration.
  struct ChannelConfig
  {
    int mNIn = 0;
    int mNOut = 0;
    ChannelConfig(int nIn, int nOut) : mNIn(nIn), mNOut(nOut) {}
  };

  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr;          // this channel's entry of the input pointer array
    UTL_TypedBuf<double> mScratchBuf; // block-size long
    UTL_String mLabel;
  };

  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr; // this channel's entry of the output pointer array
    float* mFDest = nullptr;  // host single-precision buffer, or null
    UTL_TypedBuf<double> mScratchBuf;
    UTL_String mLabel;
  };

  // channelIOStr: space-separated "in-out" tokens such as "1-1 2-2"; null gives no
  // configurations. Names longer than 127 characters are cut. version is packed.
  IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int version, int uniqueID, int mfrID,
              int latency, bool doesMIDI, bool doesStateChunks, bool isInst, EAPI api);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // Virtual operations, in slot order.
  virtual ~IEffectBase();
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  virtual void ProcessSysEx(ISysEx* msg) { (void)msg; }
  // Writes "" into noteName; true when a name was written.
  virtual bool MidiNoteName(int noteNumber, char* noteName);
  virtual bool SerializeState(ByteChunk* chunk);
  // Returns the position after the state, or -1.
  virtual int UnserializeState(ByteChunk* chunk, int startPos);
  virtual bool CompareState(const unsigned char* data, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int paramIdx, int x, int y)
  {
    (void)paramIdx, (void)x, (void)y;
  }
  // An editor control changed a parameter: set it and tell the effect under the
  // mutex, then tell the host. paramIdx must be a valid parameter index.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;
  virtual void GetTime(ITimeInfo* timeInfo) = 0;
  virtual EHost GetHost() { return EHost(mHost); }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}
  // Takes ownership of the editor and pushes every parameter into it.
  virtual void AttachGraphics(IEditorConnection* graphics);
  virtual void SetLatency(int samples) { mLatency = samples; }
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendSysEx(ISysEx* msg)
  {
    (void)msg;
    return false;
  }
  // Pushes every parameter's value into the editor, under the mutex.
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Sizes the scratch buffers; the only place they are (re)allocated.
  virtual void SetBlockSize(int blockSize);

  // Channel configurations. A negative count matches any.
  bool LegalIO(int nIn, int nOut) const;
  // Hosts that handle at most stereo: channels from 2 up stop taking host buffers.
  void LimitToStereoIO();

  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;

  // Attachment consumes one host pointer per connected channel in [idx, idx + n).
  void AttachInputBuffers(int idx, int n, double** data, int nFrames);
  void AttachInputBuffers(int idx, int n, float** data, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** data);
  void AttachOutputBuffers(int idx, int n, float** data);

  // The tag only selects the sample type. Frame counts above the block size are cut
  // to it whenever a scratch buffer takes part.
  void ProcessBuffers(double tag, int nFrames);
  void ProcessBuffers(float tag, int nFrames);
  void ProcessBuffersAccumulating(float tag, int nFrames);
  void PassThroughBuffers(double tag, int nFrames);
  void PassThroughBuffers(float tag, int nFrames);
  void ZeroScratchBuffers();

  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  // 0 when the host reports no tempo.
  double GetSamplesPerBeat();

  // OnParamChange for every parameter, in index order; takes no lock itself.
  void OnParamReset();

  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);

  // True only when every message was accepted.
  bool SendMidiMsgs(UTL_TypedBuf<IMidiMsg>* msgs);

  // Versions (packed, decimal or "vM.m.p").
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* out) const;
  const char* GetAPIString();
  const char* GetArchString() const { return "x64"; }

  // Host identification: classifies the product name; version is packed.
  void SetHost(const char* name, int version);
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);

  // State chunks.
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(ByteChunk* chunk, int startPos);
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPos);
  // The same reads, all or nothing: state from outside that cannot be read whole (cut
  // short, or another effect's) puts back what the parameters, and for the preset list
  // every preset and the current index, held before. Call with the mutex held.
  int RestoreStateWhole(ByteChunk* chunk, int startPos);
  int RestorePresetsWhole(ByteChunk* chunk, int startPos);
  // Re-announces every parameter's value to the host.
  void DirtyParameters();

  // Presets. Each Make call fills the first uninitialised slot, or does nothing.
  void MakeDefaultPreset(const char* name, int nPresets);
  // One value per parameter: int for Bool, Int and Enum, double otherwise.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs of (parameter index, value typed as for MakePreset).
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* chunk);
  void MakePresetFromBlob(const char* name, const char* base64Blob, int chunkSize);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  // "" for an index out of range.
  const char* GetPresetName(int idx) const;
  // Stores the current values in the current preset; a non-empty name renames it.
  void ModifyCurrentPreset(const char* name = nullptr);
  void DumpPresetSrcCode(const char* fileName, const char* const* paramEnumNames);
  void DumpPresetBlob(const char* fileName);

  // Program (.fxp) and bank (.fxb) files, chosen in the attached editor's file dialog
  // starting in the last dialog directory. Called on the editor's UI thread (the
  // dialog is modal); the instance mutex is held only while the state is read or
  // applied. True when a file was written or loaded. A save that fails leaves any
  // file at the path as it was; a load that fails any check changes no parameter and
  // no preset.
  bool SaveProgramAsFXP(const char* defaultFileName);
  bool SaveBankAsFXB(const char* defaultFileName);
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();
  // What those save (the current program; every preset) and what they apply from a
  // parsed file, without a dialog. Apply refuses a file for another plug-in id or
  // parameter count, or in the chunk form when the plug-in does no state chunks.
  bool CaptureProgram(FxProgram* out);
  bool CaptureBank(FxBank* out);
  bool ApplyProgram(const FxProgram& program);
  bool ApplyBank(const FxBank& bank);

  // Read accessors.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetLatency() const { return mLatency; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  int NParams() const { return mParams.GetSize(); }
  // Null for an index out of range.
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  int NPresets() const { return mPresets.GetSize(); }
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  // The attached editor, or null. Code of the editor itself reaches its IGraphics
  // through GetGraphics (editor/IGraphics.h).
  IEditorConnection* GetGUI() const { return mGraphics; }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelConfigs() const { return mChannelIO.GetSize(); }
  // Null for an index out of range.
  const ChannelConfig* GetChannelConfig(int idx) const { return mChannelIO.Get(idx); }
  // "" for a channel out of range.
  const char* GetInputLabel(int idx) const;
  const char* GetOutputLabel(int idx) const;
  // "" for an index without a label.
  const char* GetInputBusLabel(int idx) const;
  const char* GetOutputBusLabel(int idx) const;
  int NInputBusLabels() const { return mInputBusLabels.GetSize(); }
  int NOutputBusLabels() const { return mOutputBusLabels.GetSize(); }
  // The host code as stored, without identifying the host (-1 until identified).
  int GetHostCode() const { return mHost; }
  // Last directory used by the program and bank file dialogs.
  UTL_String& GetPreviousPath() { return mPreviousPath; }
  UTL_Mutex& GetMutex() { return mMutex; }

protected:
  // Declared first so that it is destroyed last.
  UTL_Mutex mMutex;

  char mEffectName[kNameLen];
  char mProductName[kNameLen];
  char mMfrName[kNameLen];
  int mVersion;
  int mUniqueID;
  int mMfrID;
  int mLatency;
  bool mDoesMIDI;
  bool mStateChunks;
  bool mIsInst;
  EAPI mAPI;

  int mHost = kHostUninit; // EHost
  int mHostVersion = 0;    // packed
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  // Owned. Set by AttachGraphics (the effect's constructor or the UI thread, under
  // the mutex); read by every thread, which only pushes values through it.
  IEditorConnection* mGraphics = nullptr;
  UTL_String mPreviousPath;

  UTL_PtrList<IParam> mParams;
  UTL_PtrList<IPreset> mPresets;
  UTL_PtrList<ChannelConfig> mChannelIO;
  // What ProcessDoubleReplacing receives; each entry is a channel's mSrc / mDest.
  UTL_TypedBuf<double*> mInData;
  UTL_TypedBuf<double*> mOutData;
  UTL_PtrList<InChannel> mInChannels;
  UTL_PtrList<OutChannel> mOutChannels;
  UTL_PtrList<UTL_String> mInputBusLabels;
  UTL_PtrList<UTL_String> mOutputBusLabels;

private:
  // nFrames, or at most the block size when a scratch buffer takes part.
  int SafeFrames(int nFrames) const;
  void CopyOutputsToFloat(int nFrames, bool accumulate);
};

// First uninitialised preset in list order, or null.
IPreset* GetNextUninitializedPreset(UTL_PtrList<IPreset>* presets);
// "user preset N", N one more than the presets whose names contain "user preset".
void MakeDefaultUserPresetName(UTL_PtrList<IPreset>* presets, char* out);
