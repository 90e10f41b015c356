#include "standalone/IEffectStandalone.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "core/IMidiMsg.h"
#include "core/IPreset.h"

IEffectStandalone::IEffectStandalone(IEffectInstanceInfo, int nParams, const char* channelIOStr,
                                     int nPresets, const char* effectName, const char* productName,
                                     const char* mfrName, int version, int uniqueID, int mfrID,
                                     int latency, bool doesMIDI, bool doesStateChunks, bool isInst,
                                     int nSideChans)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, version,
                  uniqueID, mfrID, latency, doesMIDI, doesStateChunks, isInst, kAPISA)
{
  (void)nSideChans;
  for (int& m : mControllerMap)
    m = -1;
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  mPieceIn.Resize(NInChannels());
  mPieceOut.Resize(NOutChannels());
  SetBlockSize(1024);
}

IEffectStandalone::~IEffectStandalone() = default;

int IEffectStandalone::GetSamplePos()
{
  const int64_t pos = mSamplePos.load(std::memory_order_relaxed);
  return int(pos % 2147483648LL);
}

void IEffectStandalone::GetTimeSig(int* numerator, int* denominator)
{
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
}

void IEffectStandalone::ProcessAudio(float** inputs, float** outputs, int nFrames)
{
  if (nFrames <= 0 || !outputs) return;
  // The UI and notification threads hold the mutex only to change a parameter or
  // resize the scratch memory, microseconds at a time: waiting for them costs less
  // than the dropout a skipped block would be.
  UTL_MutexLock lock(mMutex);
  const int block = GetBlockSize();
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (block <= 0)
  {
    for (int c = 0; c < nOut; ++c)
      if (outputs[c]) std::memset(outputs[c], 0, size_t(nFrames) * sizeof(float));
    return;
  }
  float** in = mPieceIn.Get();
  float** out = mPieceOut.Get();
  for (int done = 0; done < nFrames;)
  {
    const int n = nFrames - done < block ? nFrames - done : block;
    for (int c = 0; c < nIn; ++c)
      in[c] = inputs && inputs[c] ? inputs[c] + done : nullptr;
    for (int c = 0; c < nOut; ++c)
      out[c] = outputs[c] ? outputs[c] + done : nullptr;
    AttachInputBuffers(0, nIn, in, n);
    AttachOutputBuffers(0, nOut, out);
    ProcessBuffers(0.0f, n);
    done += n;
  }
  mSamplePos.fetch_add(nFrames, std::memory_order_relaxed);
}

void IEffectStandalone::ProcessMidiFromHost(IMidiMsg* msg)
{
  if (!msg) return;
  UTL_MutexLock lock(mMutex);
  switch (msg->StatusMsg())
  {
  case IMidiMsg::kControlChange:
    if (msg->mData1 < kNumControllers && mControllerMap[msg->mData1] >= 0)
      SetParameterFromHost(mControllerMap[msg->mData1], (msg->mData2 & 0x7F) / 127.0);
    break;
  case IMidiMsg::kProgramChange:
  {
    // Only stored presets: selecting an empty slot would allocate its chunk here.
    const IPreset* preset = GetPreset(msg->mData1);
    if (preset && preset->mInitialized) RestorePreset(msg->mData1);
    break;
  }
  default:
    break;
  }
  if (DoesMIDI()) ProcessMidiMsg(msg);
}

void IEffectStandalone::SetParameterFromHost(int paramIdx, double normalizedValue)
{
  if (!std::isfinite(normalizedValue)) return;
  UTL_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (IEditorConnection* g = GetGUI()) g->SetParameterFromPlug(paramIdx, normalizedValue, true);
  param->SetNormalized(normalizedValue);
  OnParamChange(paramIdx);
}

void IEffectStandalone::SetHostBlockSize(int blockSize)
{
  if (blockSize <= 0) return;
  UTL_MutexLock lock(mMutex);
  SetBlockSize(blockSize > kMaxBlockSize ? kMaxBlockSize : blockSize);
  Reset();
}

bool IEffectStandalone::SetHostSampleRate(double sampleRate)
{
  if (!std::isfinite(sampleRate) || !(sampleRate > 0.0)) return false;
  UTL_MutexLock lock(mMutex);
  SetSampleRate(sampleRate);
  Reset();
  return true;
}

bool IEffectStandalone::MapController(int cc, int paramIdx)
{
  if (cc < 0 || cc >= kNumControllers || paramIdx < -1 || paramIdx >= NParams()) return false;
  UTL_MutexLock lock(mMutex);
  mControllerMap[cc] = paramIdx;
  return true;
}

int IEffectStandalone::GetControllerMapping(int cc) const
{
  return cc >= 0 && cc < kNumControllers ? mControllerMap[cc] : -1;
}

int IEffectStandalone::FindParameter(const char* name) const
{
  if (!name) return -1;
  for (int i = 0; i < NParams(); ++i)
    if (strcasecmp(GetParam(i)->GetNameForHost(), name) == 0) return i;
  return -1;
}

bool IEffectStandalone::SetParameterFromText(int paramIdx, const char* text)
{
  IParam* param = GetParam(paramIdx);
  if (!param || !text || !text[0]) return false;
  double v;
  int mapped = 0;
  if (param->GetNDisplayTexts() > 0 && param->MapDisplayText(text, &mapped))
    v = mapped;
  else
  {
    // The whole text must be a number: "0.5x" is a typing error, not 0.5.
    char* end = nullptr;
    v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v)) return false;
    if (param->GetDisplayNegated()) v = -v;
  }
  UTL_MutexLock lock(mMutex);
  if (IEditorConnection* g = GetGUI()) g->SetParameterFromPlug(paramIdx, v, false);
  param->Set(v);
  OnParamChange(paramIdx);
  return true;
}

bool IEffectStandalone::GetStateBytes(ByteChunk* out)
{
  if (!out) return false;
  out->Clear();
  InitChunkWithFrameworkVer(out);
  return SerializeState(out) && out->Size() > 0;
}

bool IEffectStandalone::SetStateBytes(const uint8_t* data, int size)
{
  if (!data || size <= 0) return false;
  // A state of another length comes from another effect or a damaged file; the
  // base would apply its first values and default the rest.
  ByteChunk current;
  if (!GetStateBytes(&current) || current.Size() != size) return false;
  ByteChunk chunk;
  if (chunk.AppendBytes(data, size) != size) return false;
  int pos = 0;
  GetFrameworkVerFromChunk(&chunk, &pos);
  if (pos < 0) return false;
  UTL_MutexLock lock(mMutex);
  if (UnserializeState(&chunk, pos) != size)
  {
    int back = 0;
    GetFrameworkVerFromChunk(&current, &back);
    UnserializeState(&current, back);
    return false;
  }
  // The presets stay as they are: a program change still selects the stored sounds.
  RedrawParamControls();
  return true;
}
