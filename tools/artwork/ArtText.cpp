#include "tools/artwork/ArtText.h"

#include <cstring>
#include <string>

#include "platform/common/SHIM_Font.h"
#include "raster/RAS_Raster.h"

namespace
{
SHIM_Font* MakeFont(const ArtFont& f)
{
  return SHIM_CreateFont(f.size, 0, 0, 0, f.weight, f.italic, false, false, 0, 0, 0,
                         SHIM_QUALITY_ANTIALIASED, 0, f.face);
}

// Width of text as the shim measures it (one line).
int Measure(SHIM_Font* font, const char* text, int len, int* height)
{
  SHIM_Rect r{0, 0, 0, 0};
  const SHIM_TextStyle style{font, 0xFFFFFF, SHIM_TRANSPARENT, 0};
  SHIM_Surface none{nullptr, 0, 0, 0};
  SHIM_DrawTextOnSurface(&none, &style, text, len, &r,
                         SHIM_DT_CALCRECT | SHIM_DT_SINGLELINE | SHIM_DT_NOPREFIX);
  if (height) *height = r.bottom - r.top;
  return r.right - r.left;
}
} // namespace

ArtMask TextMask(const ArtFont& font, const char* text, int pad, int tracking)
{
  SHIM_Font* f = MakeFont(font);
  if (!f || !text) return ArtMask();
  const int len = int(std::strlen(text));
  int height = 0, width = 0;
  if (tracking == 0)
    width = Measure(f, text, len, &height);
  else
    for (int i = 0; i < len; ++i)
      width += Measure(f, text + i, 1, &height) + (i ? tracking : 0);
  Measure(f, text, len, &height);

  // White on black: the red byte is the coverage.
  RAS_MemBitmap bmp(width + 2 * pad, height + 2 * pad);
  RAS_FillRect(&bmp, 0, 0, bmp.getWidth(), bmp.getHeight(), RAS_RGBA(0, 0, 0, 255), 1.0f,
               RAS_BLEND_COPY);
  RAS_RowAccess acc;
  if (acc.Attach(&bmp))
  {
    const SHIM_Surface surface{acc.row0, acc.stride, acc.width, acc.height};
    const SHIM_TextStyle style{f, 0xFFFFFF, SHIM_TRANSPARENT, 0};
    const int flags = SHIM_DT_SINGLELINE | SHIM_DT_NOPREFIX | SHIM_DT_NOCLIP;
    if (tracking == 0)
    {
      SHIM_Rect r{pad, pad, pad + width, pad + height};
      SHIM_DrawTextOnSurface(&surface, &style, text, len, &r, flags);
    }
    else
    {
      int x = pad;
      for (int i = 0; i < len; ++i)
      {
        const int w = Measure(f, text + i, 1, nullptr);
        SHIM_Rect r{x, pad, x + w, pad + height};
        SHIM_DrawTextOnSurface(&surface, &style, text + i, 1, &r, flags);
        x += w + tracking;
      }
    }
  }
  SHIM_DeleteFont(f);

  ArtMask m(bmp.getWidth(), bmp.getHeight());
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      m.Set(x, y, RAS_GetR(acc.Row(y)[x]) / 255.0f);
  return m;
}

void PaintText(RAS_IBitmap* dest, const ArtFont& font, const char* text, double cx, double cy,
               RAS_Pixel color, RAS_Pixel shadow, double shadowOpacity, int sdx, int sdy, int blur,
               int tracking)
{
  const int pad = blur + 2;
  const ArtMask m = TextMask(font, text, pad, tracking);
  if (m.Width() == 0) return;
  const int ox = int(cx - m.Width() * 0.5 + 0.5), oy = int(cy - m.Height() * 0.5 + 0.5);
  if (shadowOpacity > 0.0)
    PaintSolid(dest, blur > 0 ? Blurred(m, blur) : m, ox + sdx, oy + sdy, shadow, shadowOpacity);
  PaintSolid(dest, m, ox, oy, color);
}
