#pragma once
// What the fuzz targets share: a plug-in base whose host calls go nowhere, and the
// checks every target makes of it afterwards.
#include "core/IEffectBase.h"
#include "core/IPreset.h"

#include <cmath>
#include <cstring>

class FuzzPlugIn : public IEffectBase
{
public:
  FuzzPlugIn(int nParams, int nPresets, int uniqueID, bool stateChunks)
      : IEffectBase(nParams, "1-1 2-2", nPresets, "Fuzz", "Fuzz", "Fuzz", 0x10000, uniqueID, 2, 0,
                    false, stateChunks, false, kAPIVST2)
  {
  }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return true; }
};

// A failed check stops the fuzzer with the input that caused it.
inline void Check(bool ok)
{
  if (!ok) __builtin_trap();
}

inline void CheckParamsInRange(const IEffectBase& fx)
{
  for (int i = 0; i < fx.NParams(); ++i)
  {
    const IParam* p = fx.GetParam(i);
    Check(std::isfinite(p->Value()) && p->Value() >= p->GetMin() && p->Value() <= p->GetMax());
  }
}

inline void CheckPresetNamesTerminated(const IEffectBase& fx)
{
  for (int i = 0; i < fx.NPresets(); ++i)
    Check(memchr(fx.GetPreset(i)->mName, 0, IPreset::kNameLen) != nullptr);
}
