#pragma once
// A plug-in base with six parameters shaped like the pedal's (five knobs and a switch)
// whose host calls are recorded instead of sent.
#include "core/ByteChunk.h"
#include "core/IEffectBase.h"
#include "core/IPreset.h"

#include <cstdint>
#include <utility>
#include <vector>

class StateTestEffect : public IEffectBase
{
public:
  enum
  {
    kLevel,
    kDrive,
    kLow,
    kMid,
    kHigh,
    kOn,
    kNumParams
  };

  explicit StateTestEffect(int nPresets = 3, int nParams = kNumParams, bool stateChunks = true)
      : IEffectBase(nParams, "1-1 2-2", nPresets, "StateTest", "StateTest", "Tester", 0x00010203,
                    0x71767831 /* qvx1 */, 0x486C7663 /* Hlvc */, 0, false, stateChunks, false,
                    kAPIVST2)
  {
    const double defaults[] = {0.5, 2.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < nParams && i < kNumParams; ++i)
    {
      if (i == kOn)
        GetParam(i)->InitBool("Effect", true);
      else if (i == kDrive)
        GetParam(i)->InitDouble("Drive", defaults[i], 0.0, 10.0, 0.01);
      else if (i == kLevel)
        GetParam(i)->InitDouble("Level", defaults[i], 0.0, 1.0, 0.001);
      else
        GetParam(i)->InitDouble("EQ", defaults[i], -12.0, 12.0, 0.1, "dB");
    }
  }

  void OnParamChange(int idx) override
  {
    IEffectBase::OnParamChange(idx);
    paramChanges.push_back(idx);
  }
  void InformHostOfParamChange(int idx, double normalized) override
  {
    informed.emplace_back(idx, normalized);
  }
  void BeginInformHostOfParamChange(int) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override { ++programChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return true; }
  void PresetsChangedByHost() override { ++presetsChanged; }
  void RedrawParamControls() override
  {
    ++redraws;
    IEffectBase::RedrawParamControls();
  }
  // Identifies the host on first use, as the binding does.
  EHost GetHost() override
  {
    ++hostQueries;
    if (mHost == kHostUninit) SetHost(hostName, hostVersion);
    return IEffectBase::GetHost();
  }

  UTL_PtrList<IPreset>* PresetList() { return &mPresets; }

  void SetValues(const std::vector<double>& v)
  {
    for (size_t i = 0; i < v.size(); ++i)
      GetParam(int(i))->Set(v[i]);
  }
  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i)
      v.push_back(GetParam(i)->Value());
    return v;
  }

  std::vector<int> paramChanges;
  std::vector<std::pair<int, double>> informed;
  int presetsChanged = 0;
  int programChanges = 0;
  int redraws = 0;
  int hostQueries = 0;
  const char* hostName = "";
  int hostVersion = 0;
};

inline std::vector<uint8_t> ChunkBytes(const ByteChunk& c)
{
  return std::vector<uint8_t>(c.GetBytes(), c.GetBytes() + c.Size());
}

// The bytes of a double as every chunk stores them, worked out from its bit pattern.
inline std::vector<uint8_t> LittleEndianDouble(uint64_t bits)
{
  std::vector<uint8_t> out;
  for (int i = 0; i < 8; ++i)
    out.push_back(uint8_t(bits >> (8 * i)));
  return out;
}

inline ByteChunk ChunkOf(const std::vector<uint8_t>& bytes, size_t len)
{
  ByteChunk c;
  c.AppendBytes(bytes.data(), int(len));
  return c;
}
