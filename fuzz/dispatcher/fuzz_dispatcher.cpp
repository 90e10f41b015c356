// Drives the dispatcher of a small test effect with arbitrary bytes: each record
// of the input is one host call (chunks, texts, programs, capabilities,
// parameters, speaker arrangements, events, processing) with fuzzed index,
// value and payload. Payloads live in buffers of exactly their size, so any
// read or write past what the host handed in is caught.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/vst2/TestEffect.h"

namespace
{
struct Reader
{
  const uint8_t* p;
  size_t n;
  uint8_t Byte() { return n ? (--n, *p++) : 0; }
  int32_t Int16() { return int16_t(uint16_t(Byte()) | uint16_t(Byte()) << 8); }
  std::vector<uint8_t> Bytes(size_t want)
  {
    const size_t k = want < n ? want : n;
    std::vector<uint8_t> out(p, p + k);
    p += k;
    n -= k;
    return out;
  }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static ScriptedHost host;
  ScriptedHost::current = &host;
  host.calls.clear();
  TestEffect* fx = new TestEffect(&host, {});
  fx->EnsureDefaultPreset();
  AEffect* e = fx->GetAEffect();
  Reader in{data, size};
  static const char* const kCaps[] = {"receiveVstTimeInfo", "hasHostExtensions",
                                      "hasHostViewAsConfig", "sendVstEvents", "nope"};

  for (int calls = 0; in.n > 0 && calls < 64; ++calls)
  {
    const uint8_t op = in.Byte();
    const int32_t idx = int8_t(in.Byte());
    const int32_t value = in.Int16();
    std::vector<uint8_t> payload = in.Bytes(size_t(uint16_t(value)) % 512);
    switch (op % 12)
    {
    case 0:
    {
      void* out = nullptr;
      const intptr_t n = e->dispatcher(e, effGetChunk, idx, 0, (value & 1) ? &out : nullptr, 0.0f);
      if (n > 0 && out) payload.assign(static_cast<uint8_t*>(out), static_cast<uint8_t*>(out) + n);
      break;
    }
    case 1: // the size is the payload's, or a negative lie
      e->dispatcher(e, effSetChunk, idx, value < 0 ? value : intptr_t(payload.size()),
                    payload.empty() ? nullptr : payload.data(), 0.0f);
      break;
    case 2:
    case 3:
    {
      payload.push_back(0); // host texts are terminated; their length is not bounded
      e->dispatcher(e, op % 12 == 2 ? effString2Parameter : effSetProgramName, idx, 0,
                    (value & 3) ? reinterpret_cast<char*>(payload.data()) : nullptr, 0.0f);
      break;
    }
    case 4:
    {
      char name[kVstMaxProgNameLen];
      e->dispatcher(e, (value & 1) ? effGetProgramNameIndexed : effGetProgramName, idx, 0, name,
                    0.0f);
      break;
    }
    case 5:
      e->dispatcher(e, effCanDo, 0, 0, const_cast<char*>(kCaps[uint8_t(idx) % 5]), 0.0f);
      break;
    case 6:
      e->dispatcher(e, effSetProgram, 0, value, nullptr, 0.0f);
      break;
    case 7:
    {
      char text[32];
      float opt;
      std::memcpy(
          &opt, payload.size() >= 4 ? payload.data() : reinterpret_cast<const uint8_t*>("\0\0\0?"),
          4);
      e->dispatcher(e, effVendorSpecific, idx, value, text, opt);
      e->dispatcher(e, effGetParamDisplay, idx, 0, text, 0.0f);
      e->dispatcher(e, effGetParamName, idx, 0, text, 0.0f);
      e->dispatcher(e, effGetParamLabel, idx, 0, text, 0.0f);
      break;
    }
    case 8:
    {
      float v;
      std::memcpy(
          &v, payload.size() >= 4 ? payload.data() : reinterpret_cast<const uint8_t*>("\0\0\0?"),
          4);
      e->setParameter(e, idx, v);
      (void)e->getParameter(e, idx);
      break;
    }
    case 9:
    {
      VstSpeakerArrangement a{}, b{};
      a.numChannels = idx;
      b.numChannels = value;
      e->dispatcher(e, effSetSpeakerArrangement, 0,
                    (value & 1) ? reinterpret_cast<intptr_t>(&a) : 0, (value & 2) ? &b : nullptr,
                    0.0f);
      break;
    }
    case 10:
    {
      e->dispatcher(e, effSetBlockSize, 0, value, nullptr, 0.0f);
      float rate;
      std::memcpy(
          &rate, payload.size() >= 4 ? payload.data() : reinterpret_cast<const uint8_t*>("\0\0\0?"),
          4);
      e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
      break;
    }
    default:
    {
      // A block of fuzzed length through one of the three callbacks.
      const int n = uint16_t(value) % 3000;
      std::vector<float> f0(size_t(n) + 1), f1(size_t(n) + 1);
      std::vector<double> d0(size_t(n) + 1), d1(size_t(n) + 1);
      float* fi[2] = {f0.data(), f1.data()};
      double* di[2] = {d0.data(), d1.data()};
      if (idx % 3 == 0)
        e->processReplacing(e, fi, fi, n);
      else if (idx % 3 == 1)
        e->process(e, fi, fi, n);
      else
        e->processDoubleReplacing(e, di, di, n);
      break;
    }
    }
  }
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  return 0;
}
