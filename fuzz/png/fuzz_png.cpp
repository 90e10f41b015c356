// Feeds arbitrary bytes to the PNG decoder, into a new bitmap and into a given one, and
// draws whatever decodes so that bad dimensions would surface in the blit too.
#include <cstddef>
#include <cstdint>

#include "raster/RAS_Raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  RAS_IBitmap* fresh = RAS_LoadPNGFromMemory(data, size);
  RAS_MemBitmap given(3, 3, 4);
  RAS_IBitmap* into = RAS_LoadPNGFromMemory(data, size, &given);
  if (fresh)
  {
    RAS_MemBitmap canvas(16, 16, 4);
    RAS_Blit(&canvas, fresh, -1, -1, nullptr, 1.0f, RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA);
    if (into && (into->getWidth() != fresh->getWidth() || into->getHeight() != fresh->getHeight()))
      __builtin_trap();
  }
  delete fresh;
  return 0;
}
