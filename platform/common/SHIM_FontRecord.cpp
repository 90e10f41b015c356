// The glyph cache and the font accessors that need no platform.
#include "platform/common/SHIM_FontRecord.h"

namespace
{
// Enough for any text a user types; the cache starts over beyond either bound (large sizes
// make large glyphs).
constexpr size_t kMaxCachedGlyphs = 4096;
constexpr size_t kMaxCachedBytes = size_t(32) << 20;
constexpr int kMaxEmPixels = 4096;
} // namespace

int SHIM_EmPixels(int height)
{
  // Bounded before negating: -INT_MIN does not exist.
  if (height < -kMaxEmPixels || height > kMaxEmPixels) return 0;
  if (height == 0) return 12;
  return height < 0 ? -height : height;
}

const SHIM_Glyph& SHIM_GetGlyph(SHIM_Font* font, uint32_t cp)
{
  auto it = font->glyphs.find(cp);
  if (it != font->glyphs.end()) return it->second;
  if (font->glyphs.size() >= kMaxCachedGlyphs || font->glyphBytes >= kMaxCachedBytes)
  {
    font->glyphs.clear();
    font->glyphBytes = 0;
  }
  SHIM_Glyph& g = font->glyphs[cp];

  // Control characters occupy no space (line breaks are handled by the layout).
  if (cp < 0x20 || cp == 0x7F) return g;
  SHIM_RenderGlyph(font, cp, &g);
  font->glyphBytes += g.coverage.size();
  return g;
}

bool SHIM_GetTextMetrics(SHIM_Font* font, SHIM_TextMetrics* tm)
{
  if (!font || !tm) return false;
  *tm = font->metrics;
  return true;
}

const char* SHIM_GetFontFamily(SHIM_Font* font)
{
  return font ? font->family.c_str() : "";
}
