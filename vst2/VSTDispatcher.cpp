// The callbacks in the effect record: dispatcher, parameters and processing. Each
// holds the instance mutex for its whole run, except that idle calls never take it
// and chunk calls take it only around the parameter state, doing their copying and
// allocation outside. Every pointer and size the host hands in is checked before
// use, and every text written back is bounded by the size hosts allocate for it.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/IMidiMsg.h"
#include "core/IPreset.h"
#include "core/Trace.h"
#include "util/UTL_CopyTruncated.h"
#include "vst2/IEffectVST.h"

namespace
{
// Host buffer sizes, terminator included.
constexpr size_t kParamTextLen = 32;
constexpr size_t kProgNameLen = kVstMaxProgNameLen;
constexpr size_t kEffectNameLen = kVstMaxEffectNameLen;
constexpr size_t kVendorLen = kVstMaxVendorStrLen;
constexpr size_t kProductLen = kVstMaxProductStrLen;
// Texts read from the host stop here even when the host forgot the terminator.
constexpr size_t kHostTextMax = IPreset::kNameLen;

constexpr intptr_t kIdentify = 0x4E764566; // 'NvEf'
constexpr intptr_t kCanDoExtension = intptr_t(0xBEEF0000);
constexpr intptr_t kVendorAnswer = 0xBEEF;

IEffectVST* Instance(AEffect* effect)
{
  return effect ? static_cast<IEffectVST*>(effect->object) : nullptr;
}

// A host text copied into a terminated local buffer.
void ReadHostText(const void* ptr, char (&out)[kHostTextMax])
{
  const char* s = static_cast<const char*>(ptr);
  const size_t n = strnlen(s, kHostTextMax - 1);
  std::memcpy(out, s, n);
  out[n] = '\0';
}
} // namespace

intptr_t IEffectVST::VSTDispatcher(AEffect* effect, int32_t opCode, int32_t idx, intptr_t value,
                                   void* ptr, float opt)
{
  IEffectVST* self = Instance(effect);
  if (!self) return 0;
  // Idle calls arrive many times a second on the host's UI thread and never wait for
  // the audio thread (nor make it wait). effEditIdle gives the editor its turn outside
  // the instance mutex: its events take the mutex themselves (SetParameterFromGUI), and
  // a modal dialog opened from a click must not stall the audio thread. The host sends
  // it on its GUI thread, the thread that opens and closes the editor, so the editor
  // cannot go away meanwhile.
  if (opCode == effEditIdle || opCode == effIdle)
  {
    if (opCode == effEditIdle)
      if (IEditorConnection* g = self->GetGUI()) g->OnHostIdle();
    return 0;
  }
  // Chunks copy and allocate before taking the lock, so they hold it only while the
  // parameters are read or written.
  if (opCode == effGetChunk) return self->GetChunk(idx == 0, ptr);
  if (opCode == effSetChunk) return self->SetChunk(idx == 0, value, ptr);
  UTL_Mutex& mutex = self->GetMutex();
  mutex.Enter();
  Trace("VSTDispatcher", __LINE__, "%d(%s):%d:%d", opCode, VSTOpcodeStr(opCode), idx, int(value));
  if (opCode == effClose)
  {
    // The mutex lives in the instance: leave it before the instance goes.
    mutex.Leave();
    delete self;
    return 0;
  }
  const intptr_t result = self->Dispatch(opCode, idx, value, ptr, opt);
  mutex.Leave();
  return result;
}

intptr_t IEffectVST::Dispatch(int32_t opCode, int32_t idx, intptr_t value, void* ptr, float opt)
{
  IParam* param = (idx >= 0 && idx < NParams()) ? GetParam(idx) : nullptr;
  switch (opCode)
  {
  case effOpen:
    HostSpecificInit();
    OnParamReset();
    return 0;

  case effSetProgram:
    if (!DoesStateChunks()) ModifyCurrentPreset();
    if (value >= 0 && value <= INT_MAX) RestorePreset(int(value));
    return 0;

  case effGetProgram:
    return GetCurrentPresetIdx();

  case effSetProgramName:
    if (ptr)
    {
      char name[kHostTextMax];
      ReadHostText(ptr, name);
      ModifyCurrentPreset(name);
      PresetsChangedByHost();
    }
    return 0;

  case effGetProgramName:
    if (ptr)
      CopyTruncated(static_cast<char*>(ptr), kProgNameLen, GetPresetName(GetCurrentPresetIdx()));
    return 0;

  case effGetParamLabel:
    if (param && ptr)
      CopyTruncated(static_cast<char*>(ptr), kParamTextLen, param->GetLabelForHost());
    return 0;

  case effGetParamDisplay:
    if (param && ptr)
      param->GetDisplayForHost(param->Value(), false, static_cast<char*>(ptr), true);
    return 0;

  case effGetParamName:
    if (param && ptr)
      CopyTruncated(static_cast<char*>(ptr), kParamTextLen, param->GetNameForHost());
    return 0;

  case effSetSampleRate:
    // A rate of 0, below 0 or not finite would break every filter design.
    if (std::isfinite(opt) && opt > 0.0f)
    {
      SetSampleRate(opt);
      Reset();
    }
    return 0;

  case effSetBlockSize:
    // Without scratch memory nothing could be processed: sizes below 1 are ignored.
    if (value > 0)
    {
      SetBlockSize(value > kMaxBlockSize ? kMaxBlockSize : int(value));
      Reset();
    }
    return 0;

  case effMainsChanged:
    if (value)
      OnActivate(true);
    else
    {
      OnActivate(false);
      Reset();
    }
    return 0;

  case effEditGetRect:
    if (ptr && GetGUI())
    {
      *static_cast<ERect**>(ptr) = &mEditRect;
      return 1;
    }
    return 0;

  case effEditOpen:
    if (GetGUI() && GetGUI()->OpenWindow(ptr))
    {
      OnGUIOpen();
      return 1;
    }
    return 0;

  case effEditClose:
    if (GetGUI())
    {
      OnGUIClose();
      GetGUI()->CloseWindow();
      return 1;
    }
    return 0;

  case effIdentify:
    return kIdentify;

  case effProcessEvents:
  {
    const VstEvents* events = static_cast<const VstEvents*>(ptr);
    if (!events) return 0;
    // The record declares two entries, but hosts allocate it for numEvents of them:
    // indexing through a plain pointer says so (the declared array would be
    // overrun by the third event).
    VstEvent* const* list = events->events;
    for (int32_t i = 0; i < events->numEvents; ++i)
    {
      VstEvent* ev = list[i];
      if (!ev) continue;
      if (ev->type == kVstMidiType)
      {
        const VstMidiEvent* m = reinterpret_cast<const VstMidiEvent*>(ev);
        IMidiMsg msg(m->deltaFrames, uint8_t(m->midiData[0]), uint8_t(m->midiData[1]),
                     uint8_t(m->midiData[2]));
        ProcessMidiMsg(&msg);
      }
      else if (ev->type == kVstSysExType)
      {
        const VstMidiSysexEvent* s = reinterpret_cast<const VstMidiSysexEvent*>(ev);
        ISysEx sysex(s->deltaFrames, reinterpret_cast<const uint8_t*>(s->sysexDump), s->dumpBytes);
        ProcessSysEx(&sysex);
      }
    }
    return 1;
  }

  case effCanBeAutomated:
    return 1;

  case effString2Parameter:
    if (!param) return 0;
    if (!ptr) return 1; // the host only asks whether text is accepted
    {
      char text[kHostTextMax];
      ReadHostText(ptr, text);
      return StringToParameter(idx, text);
    }

  case effGetProgramNameIndexed:
    if (!ptr) return 0;
    CopyTruncated(static_cast<char*>(ptr), kProgNameLen, GetPresetName(idx));
    return static_cast<char*>(ptr)[0] ? 1 : 0;

  case effGetInputProperties:
    return PinProperties(true, idx, static_cast<VstPinProperties*>(ptr));

  case effGetOutputProperties:
    return PinProperties(false, idx, static_cast<VstPinProperties*>(ptr));

  case effGetPlugCategory:
    return IsInst() ? kPlugCategSynth : kPlugCategEffect;

  case effSetSpeakerArrangement:
    SetConnections(reinterpret_cast<const VstSpeakerArrangement*>(value), true);
    SetConnections(static_cast<const VstSpeakerArrangement*>(ptr), false);
    return 1;

  case effGetEffectName:
    if (!ptr) return 0;
    CopyTruncated(static_cast<char*>(ptr), kEffectNameLen, GetEffectName());
    return 1;

  case effGetVendorString:
    if (!ptr) return 0;
    CopyTruncated(static_cast<char*>(ptr), kVendorLen, GetMfrName());
    return 1;

  case effGetProductString:
    if (!ptr) return 0;
    CopyTruncated(static_cast<char*>(ptr), kProductLen, GetProductName());
    return 1;

  case effVendorSpecific:
    if (idx == effGetParamDisplay && ptr)
    {
      if (value >= 0 && value < NParams())
        GetParam(int(value))->GetDisplayForHost(double(opt), true, static_cast<char*>(ptr), true);
      return kVendorAnswer;
    }
    if (idx == effGetParamName)
    {
      if (value < 0 || value >= NParams()) return 0;
      return GetParam(int(value))->Kind() == ParamKind::Double ? 0 : kVendorAnswer;
    }
    return 0;

  case effCanDo:
    return CanDo(static_cast<const char*>(ptr));

  case effGetVstVersion:
    return kVstVersion;

  case effGetMidiKeyName:
  {
    MidiKeyName* key = static_cast<MidiKeyName*>(ptr);
    if (!key) return 0;
    key->keyName[0] = '\0';
    const bool named = MidiNoteName(key->thisKeyNumber, key->keyName);
    key->keyName[sizeof(key->keyName) - 1] = '\0';
    return named ? 1 : 0;
  }

  case effGetSpeakerArrangement:
    if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputSpkrArr;
    if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputSpkrArr;
    return 1;

  default:
    return 0;
  }
}

namespace
{
// Makes kept hold fresh's bytes under the lock without allocating. A host may still
// be reading the buffer an earlier call handed out, so the bytes are replaced in place
// when they fit; otherwise the buffers trade places and fresh takes the old one away
// to be freed after the lock is left.
void KeepChunk(ByteChunk& kept, ByteChunk& fresh)
{
  if (fresh.Size() <= kept.Capacity())
  {
    kept.Resize(fresh.Size());
    if (fresh.Size() > 0) std::memcpy(kept.GetBytes(), fresh.GetBytes(), size_t(fresh.Size()));
  }
  else
    kept.Swap(fresh);
}
} // namespace

intptr_t IEffectVST::GetChunk(bool bank, void* ptr)
{
  if (!ptr) return 0;
  // Room for the usual chunk, taken before the lock: the header, then per preset a
  // name, its flag and one double per parameter (the parameter and preset lists are
  // fixed once the effect is built). Larger effect states still grow under the lock.
  const int64_t values = 8 * int64_t(NParams());
  const int64_t expected =
      kFrameworkHeaderSize + (bank ? NPresets() * (4 + IPreset::kNameLen + 1 + values) : values);
  ByteChunk fresh;
  if (expected < INT_MAX) fresh.Resize(int(expected));
  InitChunkWithFrameworkVer(&fresh);

  UTL_MutexLock lock(GetMutex());
  bool ok;
  if (bank)
  {
    ModifyCurrentPreset();
    ok = SerializePresets(&fresh);
  }
  else
    ok = SerializeState(&fresh);
  if (!ok || fresh.Size() <= 0) return 0;
  ByteChunk& kept = bank ? mBankState : mState;
  KeepChunk(kept, fresh);
  *static_cast<void**>(ptr) = kept.GetBytes();
  return kept.Size();
}

intptr_t IEffectVST::SetChunk(bool bank, intptr_t size, const void* ptr)
{
  // An empty chunk holds no state; restoring it would zero the first parameter.
  if (!ptr || size <= 0 || size > INT_MAX) return 0;
  // The host's bytes are copied and their header checked before the lock; a chunk
  // refused here leaves everything as it was.
  ByteChunk fresh;
  if (fresh.Resize(int(size)) != int(size)) return 0;
  std::memcpy(fresh.GetBytes(), ptr, size_t(size));
  int pos = 0;
  const int version = GetFrameworkVerFromChunk(&fresh, &pos);
  if (pos < 0) return 0;

  UTL_MutexLock lock(GetMutex());
  ByteChunk& chunk = bank ? mBankState : mState;
  KeepChunk(chunk, fresh);
  // All or nothing: a chunk cut short leaves the sound (and the presets) as they were.
  if (bank && version >= 0x10000)
    pos = RestorePresetsWhole(&chunk, pos);
  else
  {
    pos = RestoreStateWhole(&chunk, pos);
    if (pos >= 0) ModifyCurrentPreset();
  }
  if (pos < 0) return 0;
  RedrawParamControls();
  return 1;
}

intptr_t IEffectVST::StringToParameter(int idx, const char* text)
{
  IParam* param = GetParam(idx);
  double v;
  if (param->GetNDisplayTexts() > 0)
  {
    int mapped = 0;
    if (!param->MapDisplayText(text, &mapped)) return 0;
    v = mapped;
  }
  else
  {
    v = std::atof(text);
    if (param->GetDisplayNegated()) v = -v;
  }
  // "nan" and "inf" parse, but are no value a parameter can take.
  if (!std::isfinite(v)) return 0;
  if (IEditorConnection* g = GetGUI()) g->SetParameterFromPlug(idx, v, false);
  param->Set(v);
  OnParamChange(idx);
  return 1;
}

intptr_t IEffectVST::PinProperties(bool input, int idx, VstPinProperties* props)
{
  const int n = input ? NInChannels() : NOutChannels();
  if (!props || idx < 0 || idx >= n) return 0;
  props->flags = kVstPinIsActive;
  if (idx % 2 == 0 && idx + 1 < n) props->flags |= kVstPinIsStereo;
  const char* label = input ? GetInputLabel(idx) : GetOutputLabel(idx);
  if (label && label[0])
    CopyTruncated(props->label, label);
  else
    std::snprintf(props->label, sizeof(props->label), input ? "Input %d" : "Output %d", idx + 1);
  return 1;
}

intptr_t IEffectVST::CanDo(const char* what)
{
  if (!what) return 0;
  char text[kHostTextMax];
  ReadHostText(what, text);
  Trace("VSTDispatcher", __LINE__, "VSTCanDo(%s)", text);
  if (!std::strcmp(text, "receiveVstTimeInfo")) return 1;
  if (DoesMIDI() &&
      (!std::strcmp(text, "sendVstEvents") || !std::strcmp(text, "sendVstMidiEvent") ||
       !std::strcmp(text, "receiveVstEvents") || !std::strcmp(text, "receiveVstMidiEvent")))
    return 1;
  if (!std::strcmp(text, "hasHostExtensions"))
  {
    mHasVSTExtensions |= 1;
    return kCanDoExtension;
  }
  if (!std::strcmp(text, "hasHostViewAsConfig"))
  {
    mHasVSTExtensions |= 2;
    return kCanDoExtension;
  }
  return 0;
}

void IEffectVST::SetConnections(const VstSpeakerArrangement* arr, bool input)
{
  if (!arr) return;
  const int total = input ? NInChannels() : NOutChannels();
  int n = arr->numChannels;
  if (n < 0) n = 0;
  if (n > total) n = total;
  if (input)
  {
    SetInputChannelConnections(0, n, true);
    SetInputChannelConnections(n, total - n, false);
  }
  else
  {
    SetOutputChannelConnections(0, n, true);
    SetOutputChannelConnections(n, total - n, false);
  }
}

float IEffectVST::VSTGetParameter(AEffect* effect, int32_t idx)
{
  Trace("VSTGetParameter", __LINE__, "%d", idx);
  IEffectVST* self = Instance(effect);
  if (!self) return 0.0f;
  UTL_MutexLock lock(self->GetMutex());
  if (idx < 0 || idx >= self->NParams()) return 0.0f;
  return float(self->GetParam(idx)->GetNormalized());
}

void IEffectVST::VSTSetParameter(AEffect* effect, int32_t idx, float value)
{
  Trace("VSTSetParameter", __LINE__, "%d:%f", idx, double(value));
  IEffectVST* self = Instance(effect);
  if (!self || !std::isfinite(value)) return;
  // Passed on like any normalised value: the parameter caps it at its maximum and
  // refuses what yields no finite plain value.
  const double v = double(value);
  UTL_MutexLock lock(self->GetMutex());
  if (idx < 0 || idx >= self->NParams()) return;
  if (IEditorConnection* g = self->GetGUI()) g->SetParameterFromPlug(idx, v, true);
  self->GetParam(idx)->SetNormalized(v);
  self->OnParamChange(idx);
}

template <class T>
void IEffectVST::ProcessFrames(T** inputs, T** outputs, int nFrames, EProcess mode)
{
  if (DoesMIDI()) HostCall(audioMasterWantMidi);
  if (nFrames <= 0) return;
  const int block = GetBlockSize();
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (block <= 0)
  {
    // No scratch memory: a replacing call still owes the host defined output.
    if (mode == EProcess::kReplace && outputs)
      for (int c = 0; c < nOut; ++c)
        if (outputs[c]) std::memset(outputs[c], 0, size_t(nFrames) * sizeof(T));
    return;
  }
  T** inPiece = inputs;
  T** outPiece = outputs;
  T** inSlots;
  T** outSlots;
  if constexpr (sizeof(T) == sizeof(float))
  {
    inSlots = mPieceInF.Get();
    outSlots = mPieceOutF.Get();
  }
  else
  {
    inSlots = mPieceInD.Get();
    outSlots = mPieceOutD.Get();
  }
  // Blocks longer than the block size go through in pieces of at most that size,
  // so the scratch buffers always hold a whole piece. A missing array goes through
  // the slots too, as a null pointer per channel: its channels read silence or are
  // discarded, where attaching nothing would leave the channels on the previous
  // block's host buffers, which the host may have freed.
  const bool viaSlots = nFrames > block || !inputs || !outputs;
  for (int done = 0; done < nFrames;)
  {
    const int n = nFrames - done < block ? nFrames - done : block;
    if (viaSlots)
    {
      inPiece = inSlots;
      outPiece = outSlots;
      for (int c = 0; c < nIn; ++c)
        inSlots[c] = inputs && inputs[c] ? inputs[c] + done : nullptr;
      for (int c = 0; c < nOut; ++c)
        outSlots[c] = outputs && outputs[c] ? outputs[c] + done : nullptr;
    }
    AttachInputBuffers(0, nIn, inPiece, n);
    AttachOutputBuffers(0, nOut, outPiece);
    if constexpr (sizeof(T) == sizeof(double))
      ProcessBuffers(0.0, n);
    else if (mode == EProcess::kAccumulate)
      ProcessBuffersAccumulating(0.0f, n);
    else
      ProcessBuffers(0.0f, n);
    done += n;
  }
}

void IEffectVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, int32_t nFrames)
{
  IEffectVST* self = Instance(effect);
  if (!self) return;
  UTL_MutexLock lock(self->GetMutex());
  self->ProcessFrames(inputs, outputs, nFrames, EProcess::kAccumulate);
}

void IEffectVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                     int32_t nFrames)
{
  IEffectVST* self = Instance(effect);
  if (!self) return;
  UTL_MutexLock lock(self->GetMutex());
  self->ProcessFrames(inputs, outputs, nFrames, EProcess::kReplace);
}

void IEffectVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                           int32_t nFrames)
{
  IEffectVST* self = Instance(effect);
  if (!self) return;
  UTL_MutexLock lock(self->GetMutex());
  self->ProcessFrames(inputs, outputs, nFrames, EProcess::kReplace);
}
