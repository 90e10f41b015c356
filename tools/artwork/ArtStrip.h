#pragma once
// Control images are strips of equal frames stacked vertically, first frame on top.
#include <functional>
#include <memory>

#include "raster/RAS_Bitmap.h"

// draw(frame, i) paints frame i into a w x h bitmap (reused between frames, so it paints
// every pixel); the frames are copied, alpha included, into one strip.
std::unique_ptr<RAS_MemBitmap> StackFrames(int w, int h, int frames,
                                           const std::function<void(RAS_IBitmap*, int)>& draw);
