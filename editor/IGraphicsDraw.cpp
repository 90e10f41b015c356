// Bitmap drawing, fills, single pixels and the bitmap cache operations of IGraphics.
#include "editor/IGraphics.h"

#include "editor/BitmapCache.h"
#include "editor/IGraphicsBlend.h"
#include "raster/RAS_Raster.h"

#include <cmath>

// ---- Bitmap cache -------------------------------------------------------------------------

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int frames, bool horizontalFrames)
{
  // Lock only for the lookup and the insertion, not while the platform decodes: two
  // editors loading the same new id at once may both decode it and both add it.
  RAS_IBitmap* bitmap = s_bitmapCache.Find(id);
  if (!bitmap)
  {
    bitmap = OSLoadBitmap(id, name);
    if (!bitmap) return IBitmap(nullptr, 0, 0, frames, horizontalFrames);
    s_bitmapCache.Add(bitmap, id);
  }
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), frames, horizontalFrames);
}

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->mData) s_bitmapCache.Add(bitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  // A bitmap the cache does not hold is left alone: releasing twice must not free twice.
  if (bitmap && bitmap->mData) s_bitmapCache.Remove(bitmap->mData);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int destW, int destH)
{
  if (!bitmap || !bitmap->mData || destW <= 0 || destH <= 0)
    return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1, false);
  RAS_MemBitmap* scaled = new RAS_MemBitmap(destW, destH, 4);
  RAS_ScaledBlit(scaled, bitmap->mData, 0, 0, destW, destH, 0.0, 0.0, bitmap->W, bitmap->H, 1.0f,
                 RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR);
  IBitmap result(scaled, destW, destH, bitmap->N, false);
  RetainBitmap(&result);
  return result;
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* rect)
{
  if (!bitmap || !bitmap->mData || !rect || rect->W() <= 0 || rect->H() <= 0)
    return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1, false);
  const int w = rect->W(), h = rect->H();
  RAS_MemBitmap* cropped = new RAS_MemBitmap(w, h, 4);
  RAS_Blit(cropped, bitmap->mData, 0, 0, rect->L, rect->T, w, h, 1.0f, RAS_BLEND_COPY);
  IBitmap result(cropped, w, h, bitmap->N, false);
  RetainBitmap(&result);
  return result;
}

void* IGraphics::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

// ---- Bitmaps ------------------------------------------------------------------------------

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData || !dest) return false;
  const IRECT r = dest->Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0) return true;
  RAS_Blit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T, r.W(),
           r.H(), BlendWeight(blend), BitmapBlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend)
{
  if (!bitmap) return false;
  int srcX = 0, srcY = 0;
  if (bitmap->N > 1 && frame > 1)
  {
    // Rounded so that a strip whose size is not a multiple of N still lands on a frame.
    const int size = bitmap->mFramesAreHorizontal ? bitmap->W : bitmap->H;
    const int offset = int(0.5 + double(frame - 1) * double(size) / double(bitmap->N));
    (bitmap->mFramesAreHorizontal ? srcX : srcY) += offset;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle,
                                  int rotationYOffset, const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData) return false;
  const int w = bitmap->W, h = bitmap->H;
  RAS_RotatedBlit(mDrawBitmap, bitmap->mData, cx - w / 2, cy - h / 2, w, h, 0.0, 0.0, w, h, angle,
                  false, BlendWeight(blend), RotatedBlendMode(blend), 0.0, rotationYOffset);
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angle, const IChannelBlend* blend)
{
  if (!base || !base->mData) return false;
  const double radians = angle * M_PI / 180.0;
  const int w = base->W, h = base->H;
  if (!mTmpBitmap) mTmpBitmap = new RAS_MemBitmap(0, 0, 4);

  RAS_Copy(mTmpBitmap, base->mData);
  // Clear the alpha byte (byte 0) so the mask's added light builds the alpha anew.
  RAS_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF00u, 0u);
  // An odd width turns about the middle of its centre pixel.
  const double xOffset = (w & 1) ? -0.5 : 0.0;
  if (mask && mask->mData)
    RAS_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, w, h, 0.0, 0.0, mask->W, mask->H, radians, true,
                    1.0f, RAS_BLEND_ADD | RAS_BLEND_FILTER_BILINEAR | RAS_BLEND_USE_SOURCE_ALPHA,
                    xOffset, 0.0);
  if (top && top->mData)
    RAS_RotatedBlit(mTmpBitmap, top->mData, 0, 0, w, h, 0.0, 0.0, top->W, top->H, radians, true,
                    1.0f, RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR | RAS_BLEND_USE_SOURCE_ALPHA,
                    xOffset, 0.0);

  const IRECT dest(x, y, x + w, y + h);
  const IRECT r = dest.Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0) return true;
  RAS_Blit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), BlendWeight(blend),
           BitmapBlendMode(blend));
  return true;
}

// ---- Pixels and fills -----------------------------------------------------------------------

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (!color) return false;
  RAS_PutPixel(mDrawBitmap, CoordToInt(x + 0.5f), CoordToInt(y + 0.5f), IColorToPixel(*color),
               BlendWeight(blend), LineBlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!color || !mDrawBitmap) return false;
  RAS_RowAccess rows;
  if (!rows.Attach(mDrawBitmap)) return false;
  if (x < 0 || y < 0 || x >= rows.width || y >= rows.height) return false;
  rows.Row(y)[x] = IColorToPixel(*color);
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  return PixelToIColor(RAS_GetPixel(mDrawBitmap, x, y));
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect) return false;
  RAS_FillRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), IColorToPixel(*color),
               BlendWeight(blend), BitmapBlendMode(blend));
  return true;
}
