// The one symbol the LV2 library exports: Quorvane's descriptor.
#include "effect/Quorvane.h"
#include "effect/QuorvaneIdentity.h"
#include "lv2/LV2Entry.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
  return index == 0 ? LV2Descriptor<Quorvane>(QuorvaneIdentity::kLV2URI) : nullptr;
}
