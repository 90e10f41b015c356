#pragma once
// The table the build generates from resources/img (EmbedFiles.cmake): one entry per file,
// named by its file name alone.
#include "resources/EmbeddedResources.h"

extern const EmbeddedResource kEmbeddedResources[];
extern const int kEmbeddedResourceCount;
