#include "core/IEffectBase.h"

#include "core/IMidiMsg.h"
#include "core/IPreset.h"
#include "core/Trace.h"
#include "util/UTL_CopyTruncated.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace
{
// Reads an int as "%d" would (leading white space, sign, digits), saturating instead
// of overflowing. Advances p past it; false when no number starts at p.
bool ScanInt(const char*& p, int* out)
{
  char* end = nullptr;
  const long v = strtol(p, &end, 10);
  if (end == p) return false;
  *out = int(std::min<long>(std::max<long>(v, INT_MIN), INT_MAX));
  p = end;
  return true;
}

// Frames to touch at the host's side: never negative.
inline int NonNegative(int n)
{
  return n > 0 ? n : 0;
}

// Visits the channels [first, first + count) cut to the list; computed wide so that
// huge counts cannot wrap.
template <class Channel, class Visit>
void ForChannels(const UTL_PtrList<Channel>& list, int first, int count, Visit visit)
{
  const int64_t begin = std::max<int64_t>(first, 0);
  const int64_t end = std::min<int64_t>(int64_t(first) + int64_t(count), list.GetSize());
  for (int64_t i = begin; i < end; ++i)
    visit(list.Get(int(i)));
}

// The same over connected channels only: each of those takes one host pointer.
template <class Channel, class Visit>
void ForConnectedChannels(const UTL_PtrList<Channel>& list, int first, int count, Visit visit)
{
  ForChannels(list, first, count,
              [&](Channel* ch)
              {
                if (ch->mConnected) visit(ch);
              });
}

// An unconnected input reads its scratch buffer, which may still hold the last
// block converted from the host's single-precision buffer: it is cleared so that the
// channel reads as silence rather than repeating that block.
void ReadSilence(IEffectBase::InChannel* ch)
{
  std::fill_n(ch->mScratchBuf.Get(), ch->mScratchBuf.GetSize(), 0.0);
  *ch->mSrc = ch->mScratchBuf.Get();
}

// Output i = input i below both channel counts, silence on the further outputs.
// Missing host buffers are skipped (outputs) or read as silence (inputs).
template <class T> void CopyInputsZeroRest(T** inputs, T** outputs, int nIn, int nOut, int nFrames)
{
  if (!outputs || nFrames <= 0) return;
  const size_t bytes = size_t(nFrames) * sizeof(T);
  int i = 0;
  for (; i < std::min(nIn, nOut); ++i)
  {
    T* in = inputs ? inputs[i] : nullptr;
    if (!outputs[i]) continue;
    if (in)
      memmove(outputs[i], in, bytes); // in and out may be the same buffer
    else
      memset(outputs[i], 0, bytes);
  }
  for (; i < nOut; ++i)
    if (outputs[i]) memset(outputs[i], 0, bytes);
}
} // namespace

IEffectBase::IEffectBase(int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int version, int uniqueID, int mfrID, int latency, bool doesMIDI,
                         bool doesStateChunks, bool isInst, EAPI api)
    : mVersion(version), mUniqueID(uniqueID), mMfrID(mfrID), mLatency(latency), mDoesMIDI(doesMIDI),
      mStateChunks(doesStateChunks), mIsInst(isInst), mAPI(api)
{
  Trace("IEffectBase", __LINE__, "%s:%s", effectName ? effectName : "", CurrentTime());
  mPreviousPath.Set("");

  for (int i = 0; i < nParams; ++i)
    mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i)
    mPresets.Add(new IPreset);

  CopyTruncated(mEffectName, effectName);
  CopyTruncated(mProductName, productName);
  CopyTruncated(mMfrName, mfrName);

  // Tokens "in-out" separated by single spaces; a token that does not parse (or
  // parses only partly) gives 0 for what is missing.
  int nIn = 0, nOut = 0;
  if (channelIOStr)
  {
    const char* p = channelIOStr;
    for (;;)
    {
      int in = 0, out = 0;
      const char* q = p;
      if (ScanInt(q, &in) && *q == '-')
      {
        ++q;
        ScanInt(q, &out);
      }
      mChannelIO.Add(new ChannelConfig(in, out));
      nIn = std::max(nIn, in);
      nOut = std::max(nOut, out);
      p = strchr(p, ' ');
      if (!p) break;
      ++p;
    }
  }

  // Never resized again: every channel keeps the address of its entry.
  mInData.Resize(nIn);
  mOutData.Resize(nOut);
  for (int i = 0; i < nIn; ++i)
  {
    InChannel* ch = mInChannels.Add(new InChannel);
    ch->mSrc = mInData.Get() + i;
  }
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* ch = mOutChannels.Add(new OutChannel);
    ch->mDest = mOutData.Get() + i;
  }
}

IEffectBase::~IEffectBase()
{
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
}

// The defaults lock and unlock so that overrides that lock follow the same order.
void IEffectBase::Reset()
{
  UTL_MutexLock lock(mMutex);
}

void IEffectBase::OnParamChange(int)
{
  UTL_MutexLock lock(mMutex);
}

void IEffectBase::OnActivate(bool)
{
  UTL_MutexLock lock(mMutex);
}

void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  CopyInputsZeroRest(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IEffectBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  CopyInputsZeroRest(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IEffectBase::ProcessMidiMsg(IMidiMsg* msg)
{
  SendMidiMsg(msg);
}

bool IEffectBase::MidiNoteName(int, char* noteName)
{
  if (noteName) noteName[0] = '\0';
  return false;
}

void IEffectBase::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIdx, normalizedValue);
  {
    UTL_MutexLock lock(mMutex);
    IParam* param = GetParam(paramIdx);
    // A value the parameter refuses must not reach the host's automation either.
    if (!param || !std::isfinite(normalizedValue)) return;
    param->SetNormalized(normalizedValue);
    OnParamChange(paramIdx);
  }
  // The host is told after the mutex is released: a host that takes its own lock here
  // and holds it around processing would otherwise wait for us while we wait for it.
  InformHostOfParamChange(paramIdx, normalizedValue);
}

void IEffectBase::AttachGraphics(IEditorConnection* graphics)
{
  if (!graphics) return;
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < NParams(); ++i)
    graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  // The base owns its editor: a replaced one would otherwise leak.
  if (mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

void IEffectBase::RedrawParamControls()
{
  if (!mGraphics) return;
  // The editor's thread (a preset menu) calls this too: the values must not change
  // under the read, and a push made here is then the newest for its parameter.
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < NParams(); ++i)
    mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IEffectBase::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize || blockSize < 0) return;

  // Resizing may move a scratch buffer: a slot that pointed at the old one follows it.
  auto resize = [](UTL_TypedBuf<double>& buf, double** slot, int n)
  {
    const double* old = buf.Get();
    buf.Resize(n);
    if (n > 0) std::fill_n(buf.Get(), n, 0.0);
    if (*slot == old) *slot = buf.Get();
  };
  try
  {
    for (int i = 0; i < NInChannels(); ++i)
      resize(mInChannels.Get(i)->mScratchBuf, mInChannels.Get(i)->mSrc, blockSize);
    for (int i = 0; i < NOutChannels(); ++i)
      resize(mOutChannels.Get(i)->mScratchBuf, mOutChannels.Get(i)->mDest, blockSize);
    mBlockSize = blockSize;
  }
  catch (const std::exception&)
  {
    // A block size beyond memory: keep consistent empty buffers, process nothing.
    for (int i = 0; i < NInChannels(); ++i)
      resize(mInChannels.Get(i)->mScratchBuf, mInChannels.Get(i)->mSrc, 0);
    for (int i = 0; i < NOutChannels(); ++i)
      resize(mOutChannels.Get(i)->mScratchBuf, mOutChannels.Get(i)->mDest, 0);
    mBlockSize = 0;
  }
}

bool IEffectBase::LegalIO(int nIn, int nOut) const
{
  bool legal = false;
  for (int i = 0; i < NChannelConfigs() && !legal; ++i)
  {
    const ChannelConfig* cfg = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == cfg->mNIn) && (nOut < 0 || nOut == cfg->mNOut);
  }
  Trace("LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

void IEffectBase::LimitToStereoIO()
{
  for (int i = 2; i < NInChannels(); ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    ch->mConnected = false;
    ReadSilence(ch);
  }
  for (int i = 2; i < NOutChannels(); ++i)
    mOutChannels.Get(i)->mConnected = true;
}

void IEffectBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  ForChannels(mInChannels, idx, n,
              [&](InChannel* ch)
              {
                ch->mConnected = connected;
                if (!connected) ReadSilence(ch);
              });
}

void IEffectBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  ForChannels(mOutChannels, idx, n,
              [&](OutChannel* ch)
              {
                ch->mConnected = connected;
                if (!connected)
                {
                  *ch->mDest = ch->mScratchBuf.Get();
                  ch->mFDest = nullptr;
                }
              });
}

bool IEffectBase::IsInChannelConnected(int chIdx) const
{
  const InChannel* ch = mInChannels.Get(chIdx);
  return ch && ch->mConnected;
}

bool IEffectBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* ch = mOutChannels.Get(chIdx);
  return ch && ch->mConnected;
}

// A null host channel pointer reads as silence (inputs) or is discarded (outputs)
// through the scratch buffer, so no null ever reaches the processing routine.

void IEffectBase::AttachInputBuffers(int idx, int n, double** data, int)
{
  if (!data) return;
  ForConnectedChannels(mInChannels, idx, n,
                       [&](InChannel* ch)
                       {
                         double* host = *data++;
                         if (host)
                           *ch->mSrc = host;
                         else
                         {
                           std::fill_n(ch->mScratchBuf.Get(), ch->mScratchBuf.GetSize(), 0.0);
                           *ch->mSrc = ch->mScratchBuf.Get();
                         }
                       });
}

void IEffectBase::AttachInputBuffers(int idx, int n, float** data, int nFrames)
{
  if (!data) return;
  ForConnectedChannels(mInChannels, idx, n,
                       [&](InChannel* ch)
                       {
                         const float* host = *data++;
                         double* scratch = ch->mScratchBuf.Get();
                         // The scratch buffer holds one block; longer host blocks are cut to it.
                         const int frames =
                             std::min(NonNegative(nFrames), ch->mScratchBuf.GetSize());
                         if (host)
                           for (int s = 0; s < frames; ++s)
                             scratch[s] = double(host[s]);
                         else
                           std::fill_n(scratch, frames, 0.0);
                         *ch->mSrc = scratch;
                       });
}

void IEffectBase::AttachOutputBuffers(int idx, int n, double** data)
{
  if (!data) return;
  ForConnectedChannels(mOutChannels, idx, n,
                       [&](OutChannel* ch)
                       {
                         double* host = *data++;
                         *ch->mDest = host ? host : ch->mScratchBuf.Get();
                         ch->mFDest = nullptr; // a stale float buffer must not receive this block
                       });
}

void IEffectBase::AttachOutputBuffers(int idx, int n, float** data)
{
  if (!data) return;
  ForConnectedChannels(mOutChannels, idx, n,
                       [&](OutChannel* ch)
                       {
                         *ch->mDest = ch->mScratchBuf.Get();
                         ch->mFDest = *data++;
                       });
}

int IEffectBase::SafeFrames(int nFrames) const
{
  if (nFrames <= 0) return 0;
  bool scratch = false;
  for (int i = 0; i < NInChannels() && !scratch; ++i)
  {
    const InChannel* ch = mInChannels.Get(i);
    scratch = !*ch->mSrc || *ch->mSrc == ch->mScratchBuf.Get();
  }
  for (int i = 0; i < NOutChannels() && !scratch; ++i)
  {
    const OutChannel* ch = mOutChannels.Get(i);
    scratch = !*ch->mDest || *ch->mDest == ch->mScratchBuf.Get();
  }
  return scratch ? std::min(nFrames, mBlockSize) : nFrames;
}

void IEffectBase::CopyOutputsToFloat(int nFrames, bool accumulate)
{
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    const double* src = *ch->mDest;
    float* dst = ch->mFDest;
    if (!ch->mConnected || !src || !dst) continue;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s)
        dst[s] += float(src[s]);
    else
      for (int s = 0; s < nFrames; ++s)
        dst[s] = float(src[s]);
  }
}

void IEffectBase::ProcessBuffers(double, int nFrames)
{
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), SafeFrames(nFrames));
}

void IEffectBase::ProcessBuffers(float, int nFrames)
{
  const int n = SafeFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), n);
  CopyOutputsToFloat(n, false);
}

void IEffectBase::ProcessBuffersAccumulating(float, int nFrames)
{
  const int n = SafeFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), n);
  CopyOutputsToFloat(n, true);
}

void IEffectBase::PassThroughBuffers(double, int nFrames)
{
  CopyInputsZeroRest(mInData.Get(), mOutData.Get(), NInChannels(), NOutChannels(),
                     SafeFrames(nFrames));
}

void IEffectBase::PassThroughBuffers(float, int nFrames)
{
  PassThroughBuffers(0.0, nFrames);
  CopyOutputsToFloat(SafeFrames(nFrames), false);
}

void IEffectBase::ZeroScratchBuffers()
{
  for (int i = 0; i < NInChannels(); ++i)
  {
    UTL_TypedBuf<double>& buf = mInChannels.Get(i)->mScratchBuf;
    std::fill_n(buf.Get(), buf.GetSize(), 0.0);
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    UTL_TypedBuf<double>& buf = mOutChannels.Get(i)->mScratchBuf;
    std::fill_n(buf.Get(), buf.GetSize(), 0.0);
  }
}

double IEffectBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

void IEffectBase::OnParamReset()
{
  for (int i = 0; i < NParams(); ++i)
    OnParamChange(i);
}

void IEffectBase::SetInputLabel(int idx, const char* label)
{
  if (InChannel* ch = mInChannels.Get(idx)) ch->mLabel.Set(label);
}

void IEffectBase::SetOutputLabel(int idx, const char* label)
{
  if (OutChannel* ch = mOutChannels.Get(idx)) ch->mLabel.Set(label);
}

void IEffectBase::SetInputBusLabel(int idx, const char* label)
{
  if ((idx != 0 && idx != 1) || !label) return;
  mInputBusLabels.Delete(idx, true);
  mInputBusLabels.Insert(idx, new UTL_String(label));
}

void IEffectBase::SetOutputBusLabel(int idx, const char* label)
{
  if (idx < 0 || !label) return;
  mOutputBusLabels.Delete(idx, true);
  mOutputBusLabels.Insert(idx, new UTL_String(label));
}

const char* IEffectBase::GetInputLabel(int idx) const
{
  const InChannel* ch = mInChannels.Get(idx);
  return ch ? ch->mLabel.Get() : "";
}

const char* IEffectBase::GetOutputLabel(int idx) const
{
  const OutChannel* ch = mOutChannels.Get(idx);
  return ch ? ch->mLabel.Get() : "";
}

const char* IEffectBase::GetInputBusLabel(int idx) const
{
  const UTL_String* s = mInputBusLabels.Get(idx);
  return s ? s->Get() : "";
}

const char* IEffectBase::GetOutputBusLabel(int idx) const
{
  const UTL_String* s = mOutputBusLabels.Get(idx);
  return s ? s->Get() : "";
}

bool IEffectBase::SendMidiMsgs(UTL_TypedBuf<IMidiMsg>* msgs)
{
  if (!msgs) return true;
  bool all = true;
  IMidiMsg* msg = msgs->Get();
  for (int i = 0; i < msgs->GetSize(); ++i)
    all = SendMidiMsg(msg + i) && all;
  return all;
}

const char* IEffectBase::GetAPIString()
{
  switch (GetAPI())
  {
  case kAPIVST2:
    return "VST2";
  case kAPIVST3:
    return "VST3";
  case kAPIAU:
    return "AU";
  case kAPIRTAS:
    return "RTAS";
  case kAPIAAX:
    return "AAX";
  case kAPISA:
    return "Standalone";
  case kAPILV2:
    return "LV2";
  }
  return "";
}
