#pragma once
// The LV2 descriptor of an effect class: instantiate creates the effect, every other
// callback goes to its IEffectLV2 base. Each library exports lv2_descriptor only.
#include <cmath>
#include <new>

#include "lv2/IEffectLV2.h"
#include "util/UTL_Mutex.h"

// Serialises instance creation across every plug-in class in this library.
UTL_Mutex& LV2CreationMutex();
// A rate of 0, below 0 or not finite would break every filter design.
inline bool LV2RateUsable(double sampleRate)
{
  return std::isfinite(sampleRate) && sampleRate > 0.0;
}
// Fills every callback but instantiate.
void LV2FillDescriptor(LV2_Descriptor* descriptor, const char* uri);

template <class Effect>
LV2_Handle LV2Instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                          const LV2_Feature* const* features)
{
  // Checked before construction too, so a refused rate builds nothing.
  if (!LV2RateUsable(sampleRate)) return nullptr;
  UTL_MutexLock lock(LV2CreationMutex());
  IEffectInstanceInfo info;
  info.mSampleRate = sampleRate;
  info.mFeatures = features;
  Effect* effect = nullptr;
  try
  {
    effect = new Effect(info);
  }
  catch (...)
  {
    return nullptr;
  }
  IEffectLV2* base = effect;
  if (!base->Instantiate(sampleRate, features))
  {
    delete effect;
    return nullptr;
  }
  return base;
}

// The descriptor of Effect under uri (a string that outlives the library).
template <class Effect> const LV2_Descriptor* LV2Descriptor(const char* uri)
{
  static const LV2_Descriptor descriptor = [uri]
  {
    LV2_Descriptor d;
    LV2FillDescriptor(&d, uri);
    d.instantiate = LV2Instantiate<Effect>;
    return d;
  }();
  return &descriptor;
}
