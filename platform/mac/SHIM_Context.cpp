// macOS memory drawing contexts: the shared context record's pixel block with a CoreGraphics
// bitmap context over it, so that Quartz can draw into the same pixels the raster library
// does. Compiled on Apple machines only (GNUstep builds use the Linux shim).
#include <CoreGraphics/CoreGraphics.h>

#include "platform/common/SHIM.h"
#include "platform/common/SHIM_ContextRecord.h"

SHIM_GfxContext* SHIM_CreateMemContext(SHIM_GfxContext* reference, int w, int h)
{
  (void)reference;
  SHIM_GfxContext* ctx = SHIM_NewContextRecord(w, h);
  if (!ctx) return nullptr;

  // 8 bits per component in 32-bit big-endian words with the first byte skipped: bytes
  // A (ignored), R, G, B in memory, as the raster library lays them out.
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  const CGBitmapInfo info = CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Big;
  CGContextRef cg =
      rgb ? CGBitmapContextCreate(ctx->pixels, size_t(w), size_t(h), 8, size_t(w) * 4, rgb, info)
          : nullptr;
  CGColorSpaceRelease(rgb);
  if (!cg)
  {
    SHIM_FreeContextRecord(ctx);
    return nullptr;
  }
  // The first row in memory is the image's top; flip user space so y grows downwards from
  // it, as in the raster library.
  CGContextTranslateCTM(cg, 0, CGFloat(h));
  CGContextScaleCTM(cg, 1, -1);
  ctx->native = cg;
  return ctx;
}

void SHIM_DeleteGfxContext(SHIM_GfxContext* ctx)
{
  if (!ctx) return;
  // The bitmap context draws into the block: release it before the block goes.
  if (ctx->native) CGContextRelease(static_cast<CGContextRef>(ctx->native));
  ctx->native = nullptr;
  SHIM_FreeContextRecord(ctx);
}
