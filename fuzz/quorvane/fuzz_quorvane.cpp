// Quorvane as a host sees it, driven by arbitrary call sequences: each record of the
// input is one dispatcher, parameter or process call with fuzzed arguments. Like a
// real host, every pointer handed in points at a buffer of exactly the size the call
// promises (heap-allocated, so a read or write past it is caught); everything else
// (indices, values, rates, block sizes, texts, chunk bytes, frame counts, samples)
// is arbitrary. Beyond memory errors it checks that finite input always gives
// finite output once a usable sample rate is set.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "effect/Quorvane.h"
#include "vst2/VSTEntry.h"

namespace
{
struct Reader
{
  const uint8_t* p;
  size_t n;
  uint8_t U8() { return n ? (--n, *p++) : 0; }
  uint16_t U16() { return uint16_t(U8() | U8() << 8); }
  uint32_t U32() { return uint32_t(U16()) | uint32_t(U16()) << 16; }
  float F32()
  {
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  std::vector<uint8_t> Bytes(size_t want)
  {
    const size_t k = want < n ? want : n;
    std::vector<uint8_t> out(p, p + k);
    p += k;
    n -= k;
    return out;
  }
};

intptr_t Host(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float)
{
  switch (opcode)
  {
  case audioMasterVersion:
    return kVstVersion;
  case audioMasterGetProductString:
    if (ptr) std::strcpy(static_cast<char*>(ptr), "fuzz host");
    return 1;
  case audioMasterGetSampleRate:
    return 44100;
  case audioMasterGetBlockSize:
    return 512;
  default:
    return 0;
  }
}

// A heap text of exactly its terminated length.
std::unique_ptr<char[]> Text(const std::vector<uint8_t>& bytes)
{
  std::unique_ptr<char[]> t(new char[bytes.size() + 1]);
  if (!bytes.empty()) std::memcpy(t.get(), bytes.data(), bytes.size());
  t[bytes.size()] = '\0';
  return t;
}

// A text buffer of exactly the size the call is specified to fill.
struct TextBuffer
{
  explicit TextBuffer(size_t size) : bytes(new char[size]), n(size)
  {
    std::memset(bytes.get(), 0x55, n);
  }
  std::unique_ptr<char[]> bytes;
  size_t n;
};

template <class T> bool AllFinite(const std::vector<T>& v)
{
  for (T x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

struct Session
{
  explicit Session(AEffect* effect) : e(effect) {}
  AEffect* e;
  bool usableRate = true; // the rate in use is one a host really runs at
  std::vector<uint8_t> lastChunk;

  intptr_t D(int32_t op, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f)
  {
    return e->dispatcher(e, op, idx, value, ptr, opt);
  }

  void Process(Reader& in)
  {
    const uint8_t how = in.U8();
    const int frames = in.U16() % 2100;
    const uint32_t seed = in.U32();
    const size_t n = size_t(frames);
    // Full-scale samples from the seed, or silence; a host passes one pointer per
    // input and output of the record, each to a buffer of exactly n samples.
    std::vector<float> f[4];
    std::vector<double> d[4];
    uint32_t s = seed;
    for (int c = 0; c < 4; ++c)
    {
      f[c].resize(n);
      d[c].resize(n);
      for (size_t i = 0; i < n; ++i)
      {
        s = s * 1664525u + 1013904223u;
        const double v = (how & 8) ? 0.0 : double(int32_t(s)) / 2147483648.0;
        f[c][i] = float(v);
        d[c][i] = v;
      }
    }
    float* fi[2] = {f[0].data(), f[1].data()};
    float* fo[2] = {f[2].data(), f[3].data()};
    double* di[2] = {d[0].data(), d[1].data()};
    double* dout[2] = {d[2].data(), d[3].data()};
    if (how & 16) fi[1] = fo[1] = nullptr, di[1] = dout[1] = nullptr; // a channel not connected
    // No input array at all, as some hosts send for a channel-less call.
    float** fIns = (how & 32) ? nullptr : fi;
    double** dIns = (how & 32) ? nullptr : di;
    switch (how % 3)
    {
    case 0:
      e->processReplacing(e, fIns, fo, frames);
      break;
    case 1:
      // Accumulating onto silence keeps the finiteness check meaningful.
      std::fill(f[2].begin(), f[2].end(), 0.0f);
      std::fill(f[3].begin(), f[3].end(), 0.0f);
      e->process(e, fIns, fo, frames);
      break;
    default:
      e->processDoubleReplacing(e, dIns, dout, frames);
      break;
    }
    const bool finite =
        how % 3 == 2 ? AllFinite(d[2]) && AllFinite(d[3]) : AllFinite(f[2]) && AllFinite(f[3]);
    if (usableRate && !finite) __builtin_trap();
  }

  void Call(Reader& in)
  {
    const uint8_t op = in.U8();
    const int32_t idx = int32_t(int8_t(in.U8()));
    switch (op % 16)
    {
    case 0:
    {
      const float rate = in.F32();
      D(effSetSampleRate, 0, 0, nullptr, rate);
      // Rates the plug-in refuses keep the previous one.
      if (std::isfinite(rate) && rate > 0.0f) usableRate = rate >= 8000.0f && rate <= 768000.0f;
      break;
    }
    case 1:
      D(effSetBlockSize, 0, intptr_t(int32_t(in.U32() % 10000) - 100));
      break;
    case 2:
      D(effMainsChanged, 0, in.U8() & 1);
      break;
    case 3:
      e->setParameter(e, idx, in.F32());
      break;
    case 4:
    {
      (void)e->getParameter(e, idx);
      static const int32_t kTexts[] = {effGetParamDisplay, effGetParamName, effGetParamLabel};
      TextBuffer t(32);
      D(kTexts[in.U8() % 3], idx, 0, t.bytes.get());
      break;
    }
    case 5:
    {
      auto text = Text(in.Bytes(in.U8() % 48));
      D(effString2Parameter, idx, 0, (idx & 64) ? nullptr : text.get());
      break;
    }
    case 6:
      D(effSetProgram, 0, intptr_t(idx));
      break;
    case 7:
    {
      auto name = Text(in.Bytes(in.U16() % 300));
      D(effSetProgramName, 0, 0, name.get());
      TextBuffer t(kVstMaxProgNameLen);
      D(effGetProgramName, 0, 0, t.bytes.get());
      D(effGetProgramNameIndexed, idx, 0, t.bytes.get());
      (void)D(effGetProgram);
      break;
    }
    case 8:
    {
      void* data = nullptr;
      const intptr_t size = D(effGetChunk, idx & 1, 0, &data);
      if (size > 0 && data)
        lastChunk.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      break;
    }
    case 9:
    {
      // Either arbitrary bytes or the last chunk with a few bytes changed.
      std::vector<uint8_t> bytes = in.Bytes(in.U16() % 700);
      if ((idx & 2) && !lastChunk.empty())
      {
        std::vector<uint8_t> edits = std::move(bytes);
        bytes = lastChunk;
        for (size_t k = 0; k + 2 < edits.size(); k += 3)
          bytes[(edits[k] | edits[k + 1] << 8) % bytes.size()] = edits[k + 2];
      }
      std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
      if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
      D(effSetChunk, idx & 1, intptr_t(bytes.size()), exact.get());
      break;
    }
    case 10:
    {
      auto inArr = std::make_unique<VstSpeakerArrangement>();
      auto outArr = std::make_unique<VstSpeakerArrangement>();
      inArr->numChannels = int8_t(in.U8());
      outArr->numChannels = int8_t(in.U8());
      D(effSetSpeakerArrangement, 0, (idx & 1) ? reinterpret_cast<intptr_t>(inArr.get()) : 0,
        (idx & 2) ? outArr.get() : nullptr);
      VstSpeakerArrangement* got[2] = {nullptr, nullptr};
      D(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&got[0]), &got[1]);
      break;
    }
    case 11:
    case 12:
      Process(in);
      break;
    case 13:
    {
      // Up to eight MIDI and SysEx events, the list sized for exactly that many.
      const int count = in.U8() % 9;
      std::vector<VstMidiEvent> midi(static_cast<size_t>(count));
      std::vector<VstMidiSysexEvent> sysex(static_cast<size_t>(count));
      std::vector<std::vector<char>> dumps(static_cast<size_t>(count));
      const size_t listBytes =
          offsetof(VstEvents, events) + sizeof(VstEvent*) * size_t(count > 2 ? count : 2);
      std::unique_ptr<uint8_t[]> storage(new uint8_t[listBytes]());
      VstEvents* events = reinterpret_cast<VstEvents*>(storage.get());
      events->numEvents = count;
      VstEvent** list = events->events; // allocated for count entries, declared with two
      for (int k = 0; k < count; ++k)
      {
        VstEvent* ev;
        if (in.U8() & 1)
        {
          VstMidiSysexEvent& x = sysex[size_t(k)];
          dumps[size_t(k)].resize(in.U8() % 16);
          x.type = kVstSysExType;
          x.byteSize = int32_t(sizeof x);
          x.dumpBytes = int32_t(dumps[size_t(k)].size());
          x.sysexDump = dumps[size_t(k)].data();
          ev = reinterpret_cast<VstEvent*>(&x);
        }
        else
        {
          VstMidiEvent& m = midi[size_t(k)];
          m.type = kVstMidiType;
          m.byteSize = int32_t(sizeof m);
          m.deltaFrames = int8_t(in.U8());
          for (char& b : m.midiData)
            b = char(in.U8());
          ev = reinterpret_cast<VstEvent*>(&m);
        }
        list[k] = ev;
      }
      D(effProcessEvents, 0, 0, events);
      break;
    }
    case 14:
    {
      auto what = Text(in.Bytes(in.U8() % 40));
      D(effCanDo, 0, 0, what.get());
      auto pin = std::make_unique<VstPinProperties>();
      D((idx & 1) ? effGetInputProperties : effGetOutputProperties, idx >> 1, 0, pin.get());
      TextBuffer name(kVstMaxEffectNameLen), vendor(kVstMaxVendorStrLen),
          product(kVstMaxProductStrLen);
      D(effGetEffectName, 0, 0, name.bytes.get());
      D(effGetVendorString, 0, 0, vendor.bytes.get());
      D(effGetProductString, 0, 0, product.bytes.get());
      break;
    }
    default:
    {
      // Calls without payload, including ones the plug-in does not handle.
      static const int32_t kPlain[] = {
          effOpen,        effIdle,         effEditIdle,    effGetVstVersion, effGetPlugCategory,
          effGetTailSize, effStartProcess, effStopProcess, effIdentify,      effCanBeAutomated,
          effSetBypass,   effEditClose};
      D(kPlain[in.U8() % (sizeof kPlain / sizeof kPlain[0])], idx, intptr_t(in.U16()), nullptr,
        0.0f);
      TextBuffer t(32);
      D(effVendorSpecific, (idx & 1) ? effGetParamDisplay : effGetParamName, intptr_t(idx),
        t.bytes.get(), in.F32());
      break;
    }
    }
  }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  AEffect* e = VSTCreateInstance<Quorvane>(Host);
  if (!e) return 0;
  Session session(e);
  Reader in{data, size};
  for (int calls = 0; in.n > 0 && calls < 32; ++calls)
    session.Call(in);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  return 0;
}
