#pragma once
// The LV2 UI descriptor of an effect class: instantiate builds the effect against the
// UI binding and opens its editor in the host's parent window; the other callbacks go
// to its IEffectLV2UI base. The UI library exports lv2ui_descriptor only.
#include <new>

#include "lv2/ui/IEffectLV2UI.h"
#include "util/UTL_Mutex.h"

// Serialises instance creation across every UI class in this library.
UTL_Mutex& LV2UICreationMutex();
// Fills every callback but instantiate.
void LV2UIFillDescriptor(LV2UI_Descriptor* descriptor, const char* uri);
// Opens the editor of a new instance in the host's parent window and hands the host
// the child window; deletes the instance and returns null when that fails.
LV2UI_Handle LV2UIOpen(IEffectLV2UI* ui, LV2UI_Widget* widget, const LV2_Feature* const* features);

template <class Effect>
LV2UI_Handle LV2UIInstantiate(const LV2UI_Descriptor*, const char*, const char*,
                              LV2UI_Write_Function write, LV2UI_Controller controller,
                              LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  UTL_MutexLock lock(LV2UICreationMutex());
  IEffectInstanceInfo info;
  info.mWrite = write;
  info.mController = controller;
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
  return LV2UIOpen(effect, widget, features);
}

// The UI descriptor of Effect under uri (a string that outlives the library).
template <class Effect> const LV2UI_Descriptor* LV2UIDescriptor(const char* uri)
{
  static const LV2UI_Descriptor descriptor = [uri]
  {
    LV2UI_Descriptor d;
    LV2UIFillDescriptor(&d, uri);
    d.instantiate = LV2UIInstantiate<Effect>;
    return d;
  }();
  return &descriptor;
}
