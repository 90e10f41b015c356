#pragma once
// The host binding the effect is compiled against. One effect, several products: each
// build target compiles effect/ with the define of its binding (see
// quorvane_effect_variant), and every binding supplies its own IEffectInstanceInfo.
#if defined(QUORVANE_BINDING_LV2)
#include "lv2/IEffectLV2.h"
using QuorvaneBinding = IEffectLV2;
#elif defined(QUORVANE_BINDING_LV2_UI)
#include "lv2/ui/IEffectLV2UI.h"
using QuorvaneBinding = IEffectLV2UI;
#elif defined(QUORVANE_BINDING_STANDALONE)
#include "standalone/IEffectStandalone.h"
using QuorvaneBinding = IEffectStandalone;
#else
#include "vst2/IEffectVST.h"
using QuorvaneBinding = IEffectVST;
#endif
