#pragma once
// Quorvane.so driven the way a demanding host validator drives a plug-in: loaded
// through dlopen, started at a chosen rate and block size, fed whole signals in host
// blocks of any length through any of the three process callbacks, with the bus
// layout set through speaker arrangements.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/VstHost.h"

namespace validation
{
enum class Callback
{
  kReplacing,    // processReplacing, single precision
  kAccumulating, // process: adds onto the output buffers
  kDouble,       // processDoubleReplacing
};

inline const char* CallbackName(Callback c)
{
  switch (c)
  {
  case Callback::kReplacing:
    return "processReplacing";
  case Callback::kAccumulating:
    return "process";
  default:
    return "processDoubleReplacing";
  }
}

constexpr Callback kCallbacks[] = {Callback::kReplacing, Callback::kAccumulating,
                                   Callback::kDouble};

// Connected inputs and outputs.
struct Layout
{
  int nIn, nOut;
};

// Two input channels of one signal; the processed result comes back in out.
struct Signal
{
  std::vector<double> left, right;
  size_t Frames() const { return left.size(); }
};

inline Signal Mono(std::vector<double> s)
{
  return Signal{s, std::vector<double>(s.size(), 0.0)};
}

class Host
{
public:
  // Loads a fresh instance and runs the usual start-up sequence.
  bool Start(double rate, int blockSize)
  {
    if (!mPlugin.Load(QUORVANE_SO)) return false;
    mPlugin.Start(rate, blockSize);
    return true;
  }

  AEffect* Effect() { return mPlugin.Effect(); }
  VstPlugin& Plugin() { return mPlugin; }
  intptr_t Dispatch(int32_t op, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f)
  {
    return mPlugin.Dispatch(op, idx, value, ptr, opt);
  }

  // Tells the plug-in how many inputs and outputs the host connects.
  void SetLayout(Layout layout)
  {
    VstSpeakerArrangement in{}, out{};
    in.numChannels = layout.nIn;
    in.type = layout.nIn == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    out.numChannels = layout.nOut;
    out.type = layout.nOut == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out);
    mLayout = layout;
  }

  // Processes frames [from, from + n) of in in host blocks of hostBlock frames and
  // returns the outputs (one vector per connected output). Single-precision calls
  // see the signal rounded to float; the accumulating call starts from zeroed
  // output buffers, as a host mixing onto silence does.
  std::vector<std::vector<double>> Process(Callback cb, const Signal& in, size_t from, size_t n,
                                           int hostBlock)
  {
    std::vector<std::vector<double>> out(size_t(mLayout.nOut), std::vector<double>(n, 0.0));
    std::vector<float> fIn[2], fOut[2];
    std::vector<double> dIn[2], dOut[2];
    for (size_t done = 0; done < n;)
    {
      const size_t k = std::min(n - done, size_t(hostBlock));
      float* fi[2];
      float* fo[2];
      double* di[2];
      double* dou[2];
      for (int c = 0; c < 2; ++c)
      {
        const std::vector<double>& src = c == 0 ? in.left : in.right;
        fIn[c].assign(src.begin() + long(from + done), src.begin() + long(from + done + k));
        dIn[c].assign(src.begin() + long(from + done), src.begin() + long(from + done + k));
        fOut[c].assign(k, 0.0f);
        dOut[c].assign(k, 0.0);
        fi[c] = fIn[c].data();
        fo[c] = fOut[c].data();
        di[c] = dIn[c].data();
        dou[c] = dOut[c].data();
      }
      AEffect* e = Effect();
      if (cb == Callback::kReplacing)
        e->processReplacing(e, fi, fo, int32_t(k));
      else if (cb == Callback::kAccumulating)
        e->process(e, fi, fo, int32_t(k));
      else
        e->processDoubleReplacing(e, di, dou, int32_t(k));
      for (int c = 0; c < mLayout.nOut; ++c)
        for (size_t i = 0; i < k; ++i)
          out[size_t(c)][done + i] = cb == Callback::kDouble ? dOut[c][i] : double(fOut[c][i]);
      done += k;
    }
    return out;
  }

  std::vector<uint8_t> GetChunk(bool bank)
  {
    void* data = nullptr;
    const intptr_t n = Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    if (n <= 0 || !data) return {};
    const uint8_t* p = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + n);
  }

  // The host's copy is handed in, as hosts restore from their project data.
  bool SetChunk(bool bank, std::vector<uint8_t> bytes)
  {
    return Dispatch(effSetChunk, bank ? 0 : 1, intptr_t(bytes.size()), bytes.data()) == 1;
  }

private:
  VstPlugin mPlugin;
  Layout mLayout{2, 2};
};

// A deterministic white-noise generator (xorshift), uniform in [-1, 1).
class Noise
{
public:
  explicit Noise(uint32_t seed) : mState(seed ? seed : 1) {}
  double Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return double(mState) / 2147483648.0 - 1.0;
  }

private:
  uint32_t mState;
};

// Peak magnitude of a range, NaN if any sample is NaN.
inline double Peak(const std::vector<double>& s, size_t from = 0, size_t to = SIZE_MAX)
{
  double peak = 0.0;
  for (size_t i = from; i < s.size() && i < to; ++i)
  {
    if (std::isnan(s[i])) return NAN;
    peak = std::max(peak, std::fabs(s[i]));
  }
  return peak;
}

// Index of the first sample that is NaN, infinite or subnormal in the precision the
// host receives, or -1.
inline long FirstBadSample(const std::vector<double>& s, Callback cb)
{
  for (size_t i = 0; i < s.size(); ++i)
  {
    const int kind = cb == Callback::kDouble ? std::fpclassify(s[i]) : std::fpclassify(float(s[i]));
    if (kind == FP_NAN || kind == FP_INFINITE || kind == FP_SUBNORMAL) return long(i);
  }
  return -1;
}
} // namespace validation
