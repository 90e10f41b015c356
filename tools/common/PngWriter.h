#pragma once
// One PNG writer for every tool that makes pictures. The file appears complete or not at
// all: the image goes to a temporary file beside the target, which is renamed over it only
// once fully written, so a reader never sees a half-written picture and a failed write
// leaves any earlier file in place.
#include <string>

#include "raster/RAS_Bitmap.h"

// Writes the bitmap as an 8-bit RGBA PNG (alpha from the pixels' A byte). On failure
// returns false and, when error is given, sets it to a message naming the path.
bool WritePng(const char* path, RAS_IBitmap* bitmap, std::string* error = nullptr);

// The same from raw pixels in the raster layout (bytes A, R, G, B in memory), rowSpan
// pixels apart, top row first.
bool WritePng(const char* path, const RAS_Pixel* pixels, int width, int height, int rowSpan,
              std::string* error = nullptr);
