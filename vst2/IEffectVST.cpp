#include "vst2/IEffectVST.h"

#include <cmath>
#include <cstring>

#include "core/IMidiMsg.h"
#include "core/ITimeInfo.h"
#include "core/Trace.h"
#include "core/Version.h"

namespace
{
int SpeakerArrangementType(int nChannels)
{
  switch (nChannels)
  {
  case 0:
    return kSpeakerArrEmpty;
  case 1:
    return kSpeakerArrMono;
  case 2:
    return kSpeakerArrStereo;
  default:
    return kSpeakerArrUserDefined;
  }
}

// A decimal vendor version such as 10203 (1.2.3) in packed form.
int PackDecimalVersion(intptr_t v)
{
  if (v < 0 || v > 0x7FFFFFFF) return 0;
  const int major = int(v / 10000);
  const int rest = int(v - intptr_t(major) * 10000);
  const int minor = rest / 100;
  const int patch = rest - minor * 100;
  return (major << 16) + (minor << 8) + patch;
}
} // namespace

IEffectVST::IEffectVST(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                       int nPresets, const char* effectName, const char* productName,
                       const char* mfrName, int version, int uniqueID, int mfrID, int latency,
                       bool doesMIDI, bool doesStateChunks, bool isInst, int nSideChans)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, version,
                  uniqueID, mfrID, latency, doesMIDI, doesStateChunks, isInst, kAPIVST2),
      mHostCallback(instanceInfo.mVSTHostCallback)
{
  (void)nSideChans;
  Trace("IEffectVST", __LINE__, "%s", GetEffectName());

  std::memset(&mAEffect, 0, sizeof(mAEffect));
  std::memset(&mEditRect, 0, sizeof(mEditRect));
  mAEffect.magic = kEffectMagic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.process = VSTProcess;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.getParameter = VSTGetParameter;
  mAEffect.numPrograms = NPresets();
  mAEffect.numParams = NParams();
  mAEffect.numInputs = NInChannels();
  mAEffect.numOutputs = NOutChannels();
  mAEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (doesStateChunks) mAEffect.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) mAEffect.flags |= effFlagsCanMono;
  if (isInst) mAEffect.flags |= effFlagsIsSynth;
  mAEffect.initialDelay = latency;
  mAEffect.ioRatio = 1.0f;
  mAEffect.object = this;
  mAEffect.uniqueID = uniqueID;
  mAEffect.version = GetEffectVersion(true);
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;

  std::memset(&mInputSpkrArr, 0, sizeof(mInputSpkrArr));
  std::memset(&mOutputSpkrArr, 0, sizeof(mOutputSpkrArr));
  mInputSpkrArr.numChannels = NInChannels();
  mInputSpkrArr.type = SpeakerArrangementType(NInChannels());
  mOutputSpkrArr.numChannels = NOutChannels();
  mOutputSpkrArr.type = SpeakerArrangementType(NOutChannels());

  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);

  mPieceInF.Resize(NInChannels());
  mPieceInD.Resize(NInChannels());
  mPieceOutF.Resize(NOutChannels());
  mPieceOutD.Resize(NOutChannels());

  SetBlockSize(1024);
}

IEffectVST::~IEffectVST() = default;

intptr_t IEffectVST::HostCall(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
  // The entry point does not check the callback; a host that gave none gets no calls.
  return mHostCallback ? mHostCallback(&mAEffect, opcode, index, value, ptr, opt) : 0;
}

void IEffectVST::BeginInformHostOfParamChange(int paramIdx)
{
  HostCall(audioMasterBeginEdit, paramIdx);
}

void IEffectVST::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  HostCall(audioMasterAutomate, paramIdx, 0, nullptr, float(normalizedValue));
}

void IEffectVST::EndInformHostOfParamChange(int paramIdx)
{
  HostCall(audioMasterEndEdit, paramIdx);
}

void IEffectVST::InformHostOfProgramChange()
{
  HostCall(audioMasterUpdateDisplay);
}

VstTimeInfo* IEffectVST::GetTimeInfo(intptr_t flags)
{
  return reinterpret_cast<VstTimeInfo*>(HostCall(audioMasterGetTime, 0, flags));
}

int IEffectVST::GetSamplePos()
{
  const VstTimeInfo* t = GetTimeInfo(0);
  // Beyond the int range (or NaN) there is no position to round.
  if (!t || !(t->samplePos >= 0.0) || t->samplePos >= 2147483647.0) return 0;
  return int(t->samplePos + 0.5);
}

double IEffectVST::GetTempo()
{
  const VstTimeInfo* t = GetTimeInfo(kVstTempoValid);
  if (!t || !(t->flags & kVstTempoValid) || !(t->tempo >= 0.0) || !std::isfinite(t->tempo))
    return 0.0;
  return t->tempo;
}

void IEffectVST::GetTimeSig(int* numerator, int* denominator)
{
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
  const VstTimeInfo* t = GetTimeInfo(kVstTimeSigValid);
  if (t && (t->flags & kVstTimeSigValid) && t->timeSigNumerator >= 0 && t->timeSigDenominator >= 0)
  {
    if (numerator) *numerator = t->timeSigNumerator;
    if (denominator) *denominator = t->timeSigDenominator;
  }
}

void IEffectVST::GetTime(ITimeInfo* info)
{
  constexpr int32_t kWanted =
      kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  const VstTimeInfo* t = GetTimeInfo(kWanted);
  if (!info || !t || !(t->flags & kWanted)) return;
  info->mSamplePos = t->samplePos;
  if ((t->flags & kVstPpqPosValid) && t->ppqPos >= 0.0) info->mPPQPos = t->ppqPos;
  if ((t->flags & kVstTempoValid) && t->tempo > 0.0) info->mTempo = t->tempo;
  if ((t->flags & kVstBarsValid) && t->barStartPos >= 0.0) info->mLastBar = t->barStartPos;
  if ((t->flags & kVstCyclePosValid) && t->cycleStartPos >= 0.0 && t->cycleEndPos >= 0.0)
  {
    info->mCycleStart = t->cycleStartPos;
    info->mCycleEnd = t->cycleEndPos;
  }
  if ((t->flags & kVstTimeSigValid) && t->timeSigNumerator > 0 && t->timeSigDenominator > 0)
  {
    info->mNumerator = t->timeSigNumerator;
    info->mDenominator = t->timeSigDenominator;
  }
  info->mTransportIsRunning = (t->flags & kVstTransportPlaying) != 0;
  info->mTransportLoopEnabled = (t->flags & kVstTransportCycleActive) != 0;
}

bool IEffectVST::IsRenderingOffline()
{
  return HostCall(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

EHost IEffectVST::GetHost()
{
  if (mHost == kHostUninit)
  {
    char product[256];
    product[0] = '\0';
    HostCall(audioMasterGetProductString, 0, 0, product);
    product[sizeof(product) - 1] = '\0'; // a host may fill the buffer without terminating it
    const int version = product[0] ? PackDecimalVersion(HostCall(audioMasterGetVendorVersion)) : 0;
    SetHost(product, version);
  }
  return EHost(mHost);
}

bool IEffectVST::SendVSTEvent(VstEvent* event)
{
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = event;
  events.events[1] = nullptr;
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IEffectVST::SendMidiMsg(IMidiMsg* msg)
{
  if (!msg) return false;
  VstMidiEvent ev{};
  ev.type = kVstMidiType;
  ev.byteSize = int32_t(sizeof(VstMidiEvent));
  ev.deltaFrames = msg->mOffset;
  ev.midiData[0] = char(msg->mStatus);
  ev.midiData[1] = char(msg->mData1);
  ev.midiData[2] = char(msg->mData2);
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&ev));
}

bool IEffectVST::SendSysEx(ISysEx* msg)
{
  if (!msg) return false;
  VstMidiSysexEvent ev{};
  ev.type = kVstSysExType;
  ev.byteSize = int32_t(sizeof(VstMidiSysexEvent));
  ev.deltaFrames = msg->mOffset;
  ev.dumpBytes = msg->mSize;
  ev.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(msg->mData));
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&ev));
}

void IEffectVST::SetEditRectFromGraphics()
{
  IEditorConnection* g = GetGUI();
  if (!g) return;
  mEditRect.top = 0;
  mEditRect.left = 0;
  mEditRect.bottom = int16_t(g->Height());
  mEditRect.right = int16_t(g->Width());
}

void IEffectVST::AttachGraphics(IEditorConnection* graphics)
{
  if (!graphics) return;
  IEffectBase::AttachGraphics(graphics);
  mAEffect.flags |= effFlagsHasEditor;
  SetEditRectFromGraphics();
}

void IEffectVST::ResizeGraphics(int, int)
{
  if (!GetGUI()) return;
  SetEditRectFromGraphics();
  OnWindowResize();
}

void IEffectVST::SetLatency(int samples)
{
  mAEffect.initialDelay = samples;
  IEffectBase::SetLatency(samples);
}

void IEffectVST::HostSpecificInit()
{
  if (mHostSpecificInitDone) return;
  mHostSpecificInitDone = true;
  switch (GetHost())
  {
  case kHostForte:
  case kHostAudition:
  case kHostOrion:
  case kHostSAWStudio:
    LimitToStereoIO();
    break;
  default:
    break;
  }
  mAEffect.numInputs = mInputSpkrArr.numChannels = NInChannels();
  mAEffect.numOutputs = mOutputSpkrArr.numChannels = NOutChannels();
  OnHostIdentified();
}
