// Text through the process-wide font cache and the raster library's cached font.
#include "editor/IGraphics.h"

#include "editor/FontCache.h"
#include "platform/common/SHIM_Font.h"
#include "raster/RAS_CachedFont.h"

#include <cstring>

namespace
{
// The cached font owns its system font and draws natively unless the colour is translucent.
const int kFontOwnsAndNative = RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE;

int ShimQuality(int quality)
{
  switch (quality)
  {
  case IText::kQualityDefault:
    return SHIM_QUALITY_DEFAULT;
  case IText::kQualityAntiAliased:
  case IText::kQualityClearType:
    return SHIM_QUALITY_ANTIALIASED;
  default:
    return SHIM_QUALITY_NONANTIALIASED;
  }
}
} // namespace

RAS_IFont* IGraphics::CacheFont(IText* text)
{
  if (!text) return nullptr;
  RAS_IFont* font = s_fontCache.Find(text->mSize, text->mOrientation, text->mStyle, text->mFont);
  if (!font)
  {
    RAS_CachedFont* cached = new RAS_CachedFont();
    int h = text->mSize;
    const int escapement = 10 * text->mOrientation;
    const int weight = text->mStyle == IText::kStyleBold ? SHIM_FW_BOLD : SHIM_FW_NORMAL;
    const bool italic = text->mStyle == IText::kStyleItalic;
    const int quality = ShimQuality(text->mQuality);
    for (int attempt = 0; attempt < 2; ++attempt)
    {
      if (h < 2) h = 2;
      SHIM_Font* sys = SHIM_CreateFont(h, 0, escapement, escapement, weight, italic, false, false,
                                       0, 0, 0, quality, 0, text->mFont);
      if (!sys)
      {
        delete cached;
        return nullptr;
      }
      cached->SetFromHFont(sys, kFontOwnsAndNative);
      // One correction so that the line height, not the em size, matches the request.
      const int lineHeight = cached->GetLineHeight();
      if (attempt > 0 || lineHeight == h || lineHeight <= 0) break;
      h = int(double(h) * double(h) / double(lineHeight) + 0.5);
    }
    font = cached;
    s_fontCache.Add(font, text->mSize, text->mOrientation, text->mStyle, text->mFont);
  }
  text->mCached = font;
  return font;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure)
{
  if (!str || !*str) return true;
  if (!text || !rect) return false;
  RAS_IFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font) return false;

  font->SetTextColor(IColorToPixel(text->mColor));
  unsigned int flags = RAS_DT_NOCLIP;
  if (text->mColor.A != 255) flags |= RAS_DT_USEFGALPHA;
  if (text->mAlign == IText::kAlignCenter)
    flags |= RAS_DT_CENTER;
  else if (text->mAlign != IText::kAlignNear)
    flags |= RAS_DT_RIGHT;

  if (measure)
  {
    RAS_Rect box = {0, 0, 0, 0};
    font->DrawText(nullptr, str, -1, &box, flags | RAS_DT_CALCRECT);
    const int w = box.right - box.left, h = box.bottom - box.top;
    if (text->mAlign == IText::kAlignNear)
    {
      rect->R = rect->L + w;
    }
    else if (text->mAlign == IText::kAlignCenter)
    {
      rect->L = int(double(rect->L + rect->R) * 0.5) - w / 2;
      rect->R = rect->L + w;
    }
    else
    {
      rect->L = rect->R - w;
    }
    rect->B = rect->T + h;
    return true;
  }

  RAS_Rect box = {rect->L, rect->T, rect->R, rect->B};
  font->DrawText(mDrawBitmap, str, -1, &box, flags);
  return true;
}
