#pragma once
// The record behind a SHIM_GfxContext, the same on every platform: the pixel block and the
// text state. Each platform's SHIM_CreateMemContext makes one with SHIM_NewContextRecord and
// attaches its own drawing context over the pixels, if it has one.
#include <cstdint>

#include "platform/common/SHIM.h"

struct SHIM_GfxContext
{
  void* block; // as allocated; the pixels start at the next 64-byte boundary
  uint8_t* pixels;
  int width;
  int height;
  SHIM_Font* font;
  int textColor;
  int bkMode;
  int bkColor;
  void* native; // the platform's drawing context over pixels (macOS: a CGContextRef), or null
  SHIM_GfxContext* nextFree;
};

// A record with a zero-filled w x h pixel block and the default text state, native null.
// Null when w or h is not positive, the block would pass 1 GiB, or memory runs out.
SHIM_GfxContext* SHIM_NewContextRecord(int w, int h);
// Frees the pixel block and hands the record back; the caller has released native.
void SHIM_FreeContextRecord(SHIM_GfxContext* ctx);
