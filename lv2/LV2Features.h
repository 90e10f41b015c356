#pragma once
// Host features as the LV2 libraries look them up.
#include <cstring>

#include <lv2/core/lv2.h>

// The data of the feature with this URI in a null-terminated list (which may itself be
// null), or null when the host does not offer it.
inline void* LV2FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (int i = 0; features && features[i]; ++i)
    if (features[i]->URI && !std::strcmp(features[i]->URI, uri)) return features[i]->data;
  return nullptr;
}
