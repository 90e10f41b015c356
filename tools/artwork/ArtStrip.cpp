#include "tools/artwork/ArtStrip.h"

#include "raster/RAS_Raster.h"

std::unique_ptr<RAS_MemBitmap> StackFrames(int w, int h, int frames,
                                           const std::function<void(RAS_IBitmap*, int)>& draw)
{
  auto strip = std::make_unique<RAS_MemBitmap>(w, h * frames);
  RAS_MemBitmap frame(w, h);
  for (int i = 0; i < frames; ++i)
  {
    draw(&frame, i);
    RAS_Blit(strip.get(), &frame, 0, i * h, 0, 0, w, h, 1.0f, RAS_BLEND_COPY);
  }
  return strip;
}
