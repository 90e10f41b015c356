#include "lv2/IEffectLV2.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include "core/Trace.h"
#include "lv2/LV2Entry.h"
#include "lv2/LV2Features.h"
#include "lv2/LV2PortLayout.h"
#include "lv2/LV2Uris.h"

namespace
{

// Equal as stored bits, so that a NaN on the port counts as seen once.
bool SameFloat(float a, float b)
{
  return std::memcmp(&a, &b, sizeof(float)) == 0;
}
} // namespace

IEffectLV2::IEffectLV2(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                       int nPresets, const char* effectName, const char* productName,
                       const char* mfrName, int version, int uniqueID, int mfrID, int latency,
                       bool doesMIDI, bool doesStateChunks, bool isInst, int nSideChans)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, version,
                  uniqueID, mfrID, latency, doesMIDI, doesStateChunks, isInst, kAPILV2)
{
  (void)instanceInfo, (void)nSideChans;
  Trace("IEffectLV2", __LINE__, "%s", GetEffectName());
  // Every channel takes a host buffer; a port the host leaves unconnected (null)
  // reads as silence and is not written.
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  mAudioIn.Resize(NInChannels());
  mAudioOut.Resize(NOutChannels());
  mPieceIn.Resize(NInChannels());
  mPieceOut.Resize(NOutChannels());
  mControls.Resize(nParams);
  mLastControl.Resize(nParams);
  for (int i = 0; i < NInChannels(); ++i)
    mAudioIn.Get()[i] = nullptr;
  for (int i = 0; i < NOutChannels(); ++i)
    mAudioOut.Get()[i] = nullptr;
  for (int i = 0; i < nParams; ++i)
  {
    mControls.Get()[i] = nullptr;
    mLastControl.Get()[i] = std::numeric_limits<float>::quiet_NaN();
  }
  SetBlockSize(kDefaultBlockSize);
}

IEffectLV2::~IEffectLV2() = default;

bool IEffectLV2::Instantiate(double sampleRate, const LV2_Feature* const* features)
{
  if (!LV2RateUsable(sampleRate)) return false;
  UTL_MutexLock lock(mMutex);
  mMap = static_cast<LV2_URID_Map*>(LV2FindFeature(features, LV2_URID__map));
  if (mMap && mMap->map)
  {
    mChunkKey = mMap->map(mMap->handle, kLV2ProgramChunkURI);
    mChunkType = mMap->map(mMap->handle, LV2_ATOM__Chunk);
  }
  else
    mMap = nullptr;
  // The same order as a VST 2 host's start: parameters announced, rate, block size.
  OnParamReset();
  SetSampleRate(sampleRate);
  Reset();
  SetBlockSize(BlockSizeFromOptions(features));
  Reset();
  EnsureDefaultPreset();
  return GetBlockSize() > 0;
}

int IEffectLV2::BlockSizeFromOptions(const LV2_Feature* const* features) const
{
  const auto* options =
      static_cast<const LV2_Options_Option*>(LV2FindFeature(features, LV2_OPTIONS__options));
  if (!options || !mMap) return kDefaultBlockSize;
  const LV2_URID maxKey = mMap->map(mMap->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID nominalKey = mMap->map(mMap->handle, LV2_BUF_SIZE__nominalBlockLength);
  const LV2_URID intType = mMap->map(mMap->handle, LV2_ATOM__Int);
  int maxLen = 0, nominalLen = 0;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o)
  {
    if (o->type != intType || o->size != sizeof(int32_t) || !o->value) continue;
    int32_t v;
    std::memcpy(&v, o->value, sizeof(v));
    if (o->key == maxKey) maxLen = v;
    if (o->key == nominalKey) nominalLen = v;
  }
  const int len = maxLen > 0 ? maxLen : nominalLen;
  if (len <= 0) return kDefaultBlockSize;
  return len > kMaxBlockSize ? kMaxBlockSize : len;
}

void IEffectLV2::AttachGraphics(IEditorConnection* graphics)
{
  delete graphics;
}

void IEffectLV2::GetTimeSig(int* numerator, int* denominator)
{
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
}

bool IEffectLV2::GetProgramChunk(ByteChunk* chunk)
{
  if (!chunk) return false;
  UTL_MutexLock lock(mMutex);
  InitChunkWithFrameworkVer(chunk);
  return SerializeState(chunk) && chunk->Size() > 0;
}

bool IEffectLV2::SetProgramChunk(const void* data, int size)
{
  // A chunk without values (or only the header) holds no state.
  if (!data || size <= 0) return false;
  UTL_MutexLock lock(mMutex);
  if (mState.Resize(size) != size) return false;
  std::memcpy(mState.GetBytes(), data, size_t(size));
  int pos = 0;
  GetFrameworkVerFromChunk(&mState, &pos);
  // All or nothing: a chunk that ends early leaves every parameter as it was.
  if (pos < 0 || RestoreStateWhole(&mState, pos) < 0) return false;
  ModifyCurrentPreset();
  HoldControlPorts();
  RedrawParamControls();
  return true;
}

LV2_State_Status IEffectLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle)
{
  if (!mMap) return LV2_STATE_ERR_NO_FEATURE;
  if (!store) return LV2_STATE_ERR_UNKNOWN;
  ByteChunk chunk;
  if (!GetProgramChunk(&chunk)) return LV2_STATE_ERR_UNKNOWN;
  return store(handle, mChunkKey, chunk.GetBytes(), size_t(chunk.Size()), mChunkType,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IEffectLV2::RestoreState(LV2_State_Retrieve_Function retrieve,
                                          LV2_State_Handle handle)
{
  if (!mMap) return LV2_STATE_ERR_NO_FEATURE;
  if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, mChunkKey, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mChunkType) return LV2_STATE_ERR_BAD_TYPE;
  if (size > size_t(INT_MAX) || !SetProgramChunk(data, int(size))) return LV2_STATE_ERR_UNKNOWN;
  return LV2_STATE_SUCCESS;
}

void IEffectLV2::ConnectPort(uint32_t port, void* data)
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  const int param = LV2PortParam(nIn, nOut, NParams(), long(port));
  if (port < uint32_t(nIn))
    mAudioIn.Get()[port] = static_cast<float*>(data);
  else if (port < uint32_t(nIn + nOut))
    mAudioOut.Get()[port - nIn] = static_cast<float*>(data);
  else if (param >= 0)
    mControls.Get()[param] = static_cast<const float*>(data);
}

void IEffectLV2::ApplyControlPorts()
{
  for (int i = 0; i < NParams(); ++i)
  {
    const float* port = mControls.Get()[i];
    if (!port) continue;
    const float v = *port;
    if (SameFloat(v, mLastControl.Get()[i])) continue;
    mLastControl.Get()[i] = v;
    // Passed on like a VST 2 host's normalised value: the parameter caps it at its
    // maximum and refuses what yields no finite plain value.
    if (!std::isfinite(v)) continue;
    GetParam(i)->SetNormalized(double(v));
    OnParamChange(i);
  }
}

void IEffectLV2::HoldControlPorts()
{
  for (int i = 0; i < NParams(); ++i)
  {
    const float* port = mControls.Get()[i];
    mLastControl.Get()[i] = port ? *port : float(GetParam(i)->GetNormalized());
  }
}

void IEffectLV2::Activate()
{
  UTL_MutexLock lock(mMutex);
  OnActivate(true);
}

void IEffectLV2::Deactivate()
{
  UTL_MutexLock lock(mMutex);
  OnActivate(false);
  Reset();
}

void IEffectLV2::Run(uint32_t nFrames)
{
  UTL_MutexLock lock(mMutex);
  ApplyControlPorts();
  const int block = GetBlockSize();
  const int nIn = NInChannels(), nOut = NOutChannels();
  float** in = mAudioIn.Get();
  float** out = mAudioOut.Get();
  if (block <= 0)
  {
    for (int c = 0; c < nOut; ++c)
      if (out[c]) std::memset(out[c], 0, size_t(nFrames) * sizeof(float));
    return;
  }
  // Runs longer than the block size go through in pieces of at most that size, so the
  // scratch buffers always hold a whole piece.
  for (uint32_t done = 0; done < nFrames;)
  {
    const int n = nFrames - done < uint32_t(block) ? int(nFrames - done) : block;
    for (int c = 0; c < nIn; ++c)
      mPieceIn.Get()[c] = in[c] ? in[c] + done : nullptr;
    for (int c = 0; c < nOut; ++c)
      mPieceOut.Get()[c] = out[c] ? out[c] + done : nullptr;
    AttachInputBuffers(0, nIn, mPieceIn.Get(), n);
    AttachOutputBuffers(0, nOut, mPieceOut.Get());
    ProcessBuffers(0.0f, n);
    done += uint32_t(n);
  }
}
