#pragma once
// The standalone binding: the plug-in base driven by an application that owns the
// audio device itself (the `quorvane` JACK app). There is no host to inform, so the
// host operations are answered here, and the app calls the entry points below from
// its audio, notification and main threads.
#include <atomic>
#include <cstdint>

#include "core/ByteChunk.h"
#include "core/IEffectBase.h"

struct IMidiMsg;
struct ITimeInfo;

// What the application hands to an effect's constructor. Nothing yet: the app
// configures the instance through the calls below after construction.
struct IEffectInstanceInfo
{
};

class IEffectStandalone : public IEffectBase
{
public:
  // The thirteen base arguments, then a side-chain channel count (accepted, unused).
  IEffectStandalone(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                    int nPresets, const char* effectName, const char* productName,
                    const char* mfrName, int version, int uniqueID, int mfrID, int latency,
                    bool doesMIDI, bool doesStateChunks, bool isInst, int nSideChans = 0);
  ~IEffectStandalone() override;

  // Host operations: nobody listens, the app keeps its own transport.
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  // Frames processed since start.
  int GetSamplePos() override;
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo*) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void ResizeGraphics(int, int) override {}

  // Largest block the app asks for; the audio server never exceeds a few thousand.
  static constexpr int kMaxBlockSize = 1 << 16;
  // Controllers a mapping can name: 0..119 (120..127 are channel mode messages).
  static constexpr int kNumControllers = 120;

  // ---- Called on the audio thread: no allocation, only the instance mutex ----
  // Processes one block of single-precision buffers, one per input and output
  // channel (a null input reads silence). Blocks longer than the block size go
  // through in pieces.
  void ProcessAudio(float** inputs, float** outputs, int nFrames);
  // Routes one incoming MIDI message: a mapped control change sets its parameter,
  // a program change selects a stored preset. Effects that take MIDI receive it too.
  void ProcessMidiFromHost(IMidiMsg* msg);

  // ---- Called on the notification or main thread, while the server may process ----
  // Both take the instance mutex, so the audio thread never sees a half-sized buffer.
  void SetHostBlockSize(int blockSize);
  // Rates that are not positive and finite are refused.
  bool SetHostSampleRate(double sampleRate);

  // ---- Called before processing starts or on the main thread ----
  // Control change cc (0..119) drives parameter paramIdx; -1 removes the mapping.
  // False for a controller or parameter out of range.
  bool MapController(int cc, int paramIdx);
  int GetControllerMapping(int cc) const;
  // Sets a parameter by a plain value or, for switches, its display text. False
  // (and nothing changed) for text that names no value.
  bool SetParameterFromText(int paramIdx, const char* text);
  // Index of the parameter named name, compared without case, or -1.
  int FindParameter(const char* name) const;
  // The plug-in's state as the app stores it: the framework version, then the
  // effect's own state chunk.
  bool GetStateBytes(ByteChunk* out);
  // Restores bytes written by GetStateBytes. Anything else (a different length, a
  // bad header) is refused and leaves the current state untouched.
  bool SetStateBytes(const uint8_t* data, int size);

  // Sets a parameter from outside the editor, the way a host automates it.
  void SetParameterFromHost(int paramIdx, double normalizedValue);

private:
  std::atomic<int64_t> mSamplePos{0}; // written by the audio thread
  // Written before processing starts or under the mutex; read by the audio thread
  // under the mutex.
  int mControllerMap[kNumControllers];
  // Input and output pointers of the current piece of a long block; sized once.
  UTL_TypedBuf<float*> mPieceIn, mPieceOut;
};
