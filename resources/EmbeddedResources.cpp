#include "resources/EmbeddedResources.h"
#include "resources/EmbeddedResourceTable.h"

#include <cstring>

const EmbeddedResource* FindEmbeddedResource(const char* name)
{
  if (!name) return nullptr;
  // Bundle paths use '/', but a name built on another platform may carry '\'.
  const char* file = name;
  for (const char* p = name; *p; ++p)
    if (*p == '/' || *p == '\\') file = p + 1;
  if (!*file) return nullptr;
  for (int i = 0; i < kEmbeddedResourceCount; ++i)
    if (std::strcmp(kEmbeddedResources[i].name, file) == 0) return &kEmbeddedResources[i];
  return nullptr;
}
