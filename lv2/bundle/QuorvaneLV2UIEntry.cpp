// The one symbol the LV2 UI library exports: Quorvane's editor as an X11 UI.
#include <string>

#include "effect/Quorvane.h"
#include "effect/QuorvaneIdentity.h"
#include "lv2/LV2Uris.h"
#include "lv2/ui/LV2UIEntry.h"

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  static const std::string uri = std::string(QuorvaneIdentity::kLV2URI) + kLV2UISuffix;
  return index == 0 ? LV2UIDescriptor<Quorvane>(uri.c_str()) : nullptr;
}
