#pragma once
// The shared part of a plug-in's exported entry points: one instance is created
// at a time in the whole process, and no exception ever reaches the host.
#include <new>

#include "util/UTL_Mutex.h"
#include "vst2/IEffectVST.h"

// Serialises instance creation across every plug-in class in this library.
UTL_Mutex& VSTCreationMutex();

// Creates an instance of Effect (constructed from an IEffectInstanceInfo) for the
// host and returns its record, or null when construction failed.
template <class Effect> AEffect* VSTCreateInstance(audioMasterCallback hostCallback)
{
  UTL_MutexLock lock(VSTCreationMutex());
  IEffectInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  Effect* effect = nullptr;
  try
  {
    effect = new Effect(info);
  }
  catch (...)
  {
    return nullptr;
  }
  effect->EnsureDefaultPreset();
  AEffect* record = effect->GetAEffect();
  if (record->numPrograms < 1) record->numPrograms = 1;
  return record;
}

// Marks the entry points as the library's only exports.
#define VST_EXPORT extern "C" __attribute__((visibility("default")))
