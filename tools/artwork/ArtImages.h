#pragma once
// The editor's images, each drawn into a new bitmap the caller owns.
#include <memory>

#include "raster/RAS_Bitmap.h"

std::unique_ptr<RAS_MemBitmap> DrawBackground();
// kKnobFrames frames of kKnobFrame square, stacked vertically.
std::unique_ptr<RAS_MemBitmap> DrawKnobStrip();
std::unique_ptr<RAS_MemBitmap> DrawLed();
std::unique_ptr<RAS_MemBitmap> DrawButton();
std::unique_ptr<RAS_MemBitmap> DrawAbout();
