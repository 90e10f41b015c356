// Text measuring and drawing for every platform: UTF-8 decoding, line splitting, the
// alignment boxes, clipping and compositing, over the glyphs each platform renders into the
// font's cache (SHIM_FontRecord.h).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/common/SHIM.h"
#include "platform/common/SHIM_Blend.h"
#include "platform/common/SHIM_Font.h"
#include "platform/common/SHIM_FontRecord.h"
#include "util/UTL_Utf8.h"

namespace
{
struct Line
{
  int begin, end; // byte range
  int width;
};
} // namespace

int SHIM_DrawTextOnSurface(const SHIM_Surface* surface, const SHIM_TextStyle* style,
                           const char* text, int len, SHIM_Rect* rect, int flags)
{
  if (!style || !style->font || !text || !rect) return 0;
  if (len < 0) len = int(strnlen(text, 0x7FFFFFFF));
  if (len == 0)
  {
    if (flags & SHIM_DT_CALCRECT)
    {
      rect->right = rect->left;
      rect->bottom = rect->top;
    }
    return 0;
  }
  SHIM_Font* font = style->font;
  std::lock_guard<std::mutex> lock(font->mutex);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  const bool single = (flags & SHIM_DT_SINGLELINE) != 0;

  // Lines and their widths. Widths are summed in 64-bit: a huge text must not wrap around.
  std::vector<Line> lines;
  long long maxWidth = 0;
  {
    Line cur{0, 0, 0};
    long long w = 0;
    for (int i = 0; i < len;)
    {
      const int at = i;
      const uint32_t cp = UTL_DecodeUtf8(bytes, len, &i);
      if (!single && cp == '\n')
      {
        cur.end = at;
        cur.width = int(std::min<long long>(w, 0x3FFFFFFF));
        lines.push_back(cur);
        maxWidth = std::max(maxWidth, w);
        cur = Line{i, i, 0};
        w = 0;
        continue;
      }
      w += SHIM_GetGlyph(font, cp).advance;
    }
    cur.end = len;
    cur.width = int(std::min<long long>(w, 0x3FFFFFFF));
    lines.push_back(cur);
    maxWidth = std::max(maxWidth, w);
  }
  const int lh = font->metrics.height;
  const long long boxH = (long long)lh * (long long)lines.size();
  const int width = int(std::min<long long>(maxWidth, 0x3FFFFFFF));
  const int height = int(std::min<long long>(boxH, 0x3FFFFFFF));

  if (flags & SHIM_DT_CALCRECT)
  {
    rect->right = int(std::min<long long>((long long)rect->left + width, 0x7FFFFFFF));
    rect->bottom = int(std::min<long long>((long long)rect->top + height, 0x7FFFFFFF));
    return height;
  }
  if (!surface || !surface->row0 || surface->width <= 0 || surface->height <= 0) return height;

  // Positions in 64-bit: rectangles near the int limits must not overflow.
  long long top = rect->top;
  if (flags & SHIM_DT_VCENTER)
    top = ((long long)rect->top + rect->bottom - height) / 2;
  else if (flags & SHIM_DT_BOTTOM)
    top = (long long)rect->bottom - height;

  SHIM_Rect clip{0, 0, surface->width, surface->height};
  if (!(flags & SHIM_DT_NOCLIP))
  {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  if (clip.left >= clip.right || clip.top >= clip.bottom) return height;

  if (style->bkMode == SHIM_OPAQUE)
  {
    long long l = rect->left;
    if (flags & SHIM_DT_CENTER)
      l = ((long long)rect->left + rect->right - width) / 2;
    else if (flags & SHIM_DT_RIGHT)
      l = (long long)rect->right - width;
    SHIM_Rect box{int(std::max<long long>(l, clip.left)), int(std::max<long long>(top, clip.top)),
                  int(std::min<long long>(l + width, clip.right)),
                  int(std::min<long long>(top + height, clip.bottom))};
    if (box.left < box.right && box.top < box.bottom)
      SHIM_FillOpaque(*surface, box, style->bkColor);
  }

  const double ca = std::cos(font->angle), sa = std::sin(font->angle);
  const int ascent = font->metrics.ascent;
  for (size_t li = 0; li < lines.size(); ++li)
  {
    const Line& line = lines[li];
    long long left = rect->left;
    if (flags & SHIM_DT_CENTER)
      left = ((long long)rect->left + rect->right - line.width) / 2;
    else if (flags & SHIM_DT_RIGHT)
      left = (long long)rect->right - line.width;
    // Pen in 26.6 screen coordinates. Turned text turns about the text box's top-left corner.
    long long penX, penY;
    if (!font->turned)
    {
      penX = left * 64;
      penY = (top + (long long)li * lh + ascent) * 64;
    }
    else
    {
      const double dx = double(left - rect->left), dy = double((long long)li * lh + ascent);
      const double ox = double(rect->left), oy = double(top);
      penX = (long long)std::llround((ox + dx * ca + dy * sa) * 64.0);
      penY = (long long)std::llround((oy - dx * sa + dy * ca) * 64.0);
    }
    for (int i = line.begin; i < line.end;)
    {
      const uint32_t cp = UTL_DecodeUtf8(bytes, line.end, &i);
      const SHIM_Glyph& g = SHIM_GetGlyph(font, cp);
      const long long gx = ((penX + 32) >> 6) + g.left, gy = ((penY + 32) >> 6) - g.top;
      if (g.width > 0 && gx < clip.right && gy < clip.bottom && gx + g.width > clip.left &&
          gy + g.height > clip.top)
        SHIM_BlendCoverage(*surface, clip, g.coverage.data(), g.width, g.height, int(gx), int(gy),
                           style->textColor);
      penX += g.advX;
      penY += g.advY;
    }
  }
  return height;
}

int SHIM_DrawText(SHIM_GfxContext* ctx, const char* text, int len, SHIM_Rect* rect, int flags)
{
  if (!ctx) return 0;
  SHIM_Surface surface{static_cast<uint32_t*>(SHIM_GetCtxFrameBuffer(ctx)), 0,
                       SHIM_GetCtxWidth(ctx), SHIM_GetCtxHeight(ctx)};
  surface.stride = SHIM_GetCtxRowBytes(ctx) / 4;
  const SHIM_TextStyle style{SHIM_GetCtxFont(ctx), uint32_t(SHIM_GetTextColor(ctx)),
                             SHIM_GetBkMode(ctx), uint32_t(SHIM_GetBkColor(ctx))};
  return SHIM_DrawTextOnSurface(&surface, &style, text, len, rect, flags);
}
