// Cached-glyph and native text for raster bitmaps.
#include "raster/RAS_CachedFont.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "raster/RAS_Raster.h"
#include "raster/RAS_ShapesPen.h"
#include "util/UTL_Utf8.h"

namespace
{

using RAS_ShapesDetail::Pen;

constexpr size_t kMaxCacheBytes = size_t(32) << 20;

// Columns kept left of a glyph's pen position in its coverage block.
int GlyphPad(int lineHeight)
{
  return lineHeight / 4 + 2;
}

// The two scratch bitmaps every font object shares: one to render glyphs in, one to put
// native text on when the destination has no drawing context. Made on first use and kept
// for the process: the last font object may die during exit, when the shim's context pool
// may already be gone.
std::mutex& SharedMutex()
{
  // Never destroyed: font objects held by other static objects are deleted during exit.
  static std::mutex* m = new std::mutex;
  return *m;
}
int gLiveFonts = 0;
RAS_SysBitmap* gGlyphBitmap = nullptr;
RAS_SysBitmap* gNativeBitmap = nullptr;

// Grows *slot to at least w x h; null when that fails.
RAS_SysBitmap* SharedBitmap(RAS_SysBitmap** slot, int w, int h)
{
  if (!*slot) *slot = new RAS_SysBitmap();
  RAS_SysBitmap* bmp = *slot;
  if (bmp->getWidth() < w || bmp->getHeight() < h)
    bmp->resize(std::max(bmp->getWidth(), w), std::max(bmp->getHeight(), h));
  if (!bmp->getBits() || bmp->getWidth() < w || bmp->getHeight() < h) return nullptr;
  return bmp;
}

uint32_t ShimColor(RAS_Pixel c)
{
  return uint32_t(RAS_GetR(c)) << 16 | uint32_t(RAS_GetG(c)) << 8 | uint32_t(RAS_GetB(c));
}

RAS_Rect Intersect(const RAS_Rect& a, const RAS_Rect& b)
{
  return RAS_Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RAS_Rect& r)
{
  return r.left >= r.right || r.top >= r.bottom;
}

int ClampInt(long long v)
{
  return v < -0x7FFFFFFFLL ? -0x7FFFFFFF : (v > 0x7FFFFFFFLL ? 0x7FFFFFFF : int(v));
}

} // namespace

RAS_CachedFont::RAS_CachedFont()
{
  std::lock_guard<std::mutex> lock(SharedMutex());
  ++gLiveFonts;
  ClearCache();
}

RAS_CachedFont::~RAS_CachedFont()
{
  if ((mFlags & RAS_FONT_FLAG_OWNS_HFONT) && mFont) SHIM_DeleteFont(mFont);
  std::lock_guard<std::mutex> lock(SharedMutex());
  --gLiveFonts;
}

int RAS_CachedFont::GetLiveCount()
{
  std::lock_guard<std::mutex> lock(SharedMutex());
  return gLiveFonts;
}

void RAS_CachedFont::ClearCache()
{
  for (int i = 0; i < 128; ++i)
    mLow[i] = GlyphRec{0, 0, 0, 0, uint32_t(i)};
  mHigh.clear();
  mPixels.clear();
}

void RAS_CachedFont::SetFromHFont(SHIM_Font* font, int flags)
{
  if ((mFlags & RAS_FONT_FLAG_OWNS_HFONT) && mFont && mFont != font) SHIM_DeleteFont(mFont);
  mFlags = flags;
  mFont = font;
  mLineHeight = 0;
  if (font)
  {
    SHIM_TextMetrics tm;
    if (SHIM_GetTextMetrics(font, &tm)) mLineHeight = tm.height;
  }
  ClearCache();
  if (font && (flags & RAS_FONT_FLAG_PRECALCALL))
    for (int i = 0; i < 128; ++i)
      RenderGlyph(&mLow[i]);
}

RAS_Pixel RAS_CachedFont::SetTextColor(RAS_Pixel color)
{
  const RAS_Pixel prev = mTextColor;
  mTextColor = color;
  return prev;
}

RAS_Pixel RAS_CachedFont::SetBkColor(RAS_Pixel color)
{
  const RAS_Pixel prev = mBkColor;
  mBkColor = color;
  return prev;
}

RAS_Pixel RAS_CachedFont::SetEffectColor(RAS_Pixel color)
{
  const RAS_Pixel prev = mEffectColor;
  mEffectColor = color;
  return prev;
}

int RAS_CachedFont::SetBkMode(int mode)
{
  const int prev = mBkMode;
  mBkMode = mode;
  return prev;
}

void RAS_CachedFont::SetCombineMode(int mode, float alpha)
{
  mCombineMode = mode;
  mCombineAlpha = alpha;
}

SHIM_TextStyle RAS_CachedFont::Style() const
{
  return SHIM_TextStyle{mFont, ShimColor(mTextColor), mBkMode, ShimColor(mBkColor)};
}

const RAS_CachedFont::GlyphRec* RAS_CachedFont::FindGlyph(uint32_t code)
{
  GlyphRec* rec;
  if (code < 128)
    rec = &mLow[code];
  else
  {
    auto it = std::lower_bound(mHigh.begin(), mHigh.end(), code,
                               [](const GlyphRec& g, uint32_t c) { return g.code < c; });
    if (it == mHigh.end() || it->code != code) it = mHigh.insert(it, GlyphRec{0, 0, 0, 0, code});
    rec = &*it;
  }
  if (rec->offset == 0) RenderGlyph(rec);
  return rec;
}

void RAS_CachedFont::RenderGlyph(GlyphRec* rec)
{
  rec->offset = -1;
  rec->width = rec->height = rec->advance = 0;
  if (!mFont || mLineHeight > 1023) return;
  const int lh = mLineHeight;
  const int side = lh < 1 ? 10 : 2 * lh + 8;
  RAS_SysBitmap* bmp = SharedBitmap(&gGlyphBitmap, side, side);
  SHIM_GfxContext* ctx = bmp ? static_cast<SHIM_GfxContext*>(bmp->getDC()) : nullptr;
  if (!ctx) return;

  char utf8[4];
  const int n = UTL_EncodeUtf8(rec->code, utf8);
  SHIM_Font* prevFont = SHIM_SelectFont(ctx, mFont);
  SHIM_SetTextColor(ctx, 0xFFFFFF);
  SHIM_SetBkMode(ctx, SHIM_TRANSPARENT);
  SHIM_SetBkColor(ctx, 0);
  SHIM_Rect box{0, 0, 0, 0};
  SHIM_DrawText(ctx, utf8, n, &box, SHIM_DT_CALCRECT | SHIM_DT_SINGLELINE | SHIM_DT_NOPREFIX);
  const int advance = box.right - box.left;
  // Room on both sides for ink beyond the advance (a j's hook under the previous letter,
  // italic overhang, synthetic bold); the glyph is drawn GlyphPad() to the right.
  const int pad = GlyphPad(lh);
  const int w = std::min(advance + 2 * pad, bmp->getWidth());
  const int h = std::min(box.bottom - box.top, bmp->getHeight());
  rec->advance = advance;
  if (w <= 0 || h <= 0)
  {
    SHIM_SelectFont(ctx, prevFont);
    return;
  }
  RAS_FillRect(bmp, 0, 0, w, h, 0, 1.0f, RAS_BLEND_COPY);
  SHIM_Rect area{pad, 0, w, h};
  // Unclipped: ink left of the pen lands in the pad.
  SHIM_DrawText(ctx, utf8, n, &area, SHIM_DT_SINGLELINE | SHIM_DT_NOPREFIX | SHIM_DT_NOCLIP);
  SHIM_SelectFont(ctx, prevFont);

  // Coverage is the red byte of white-on-black text.
  std::vector<uint8_t> cov(size_t(w) * size_t(h));
  const RAS_Pixel* bits = bmp->getBits();
  const int span = bmp->getRowSpan();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      cov[size_t(y) * w + x] = uint8_t(RAS_GetR(bits[y * span + x]));
  if (mFlags & RAS_FONT_FLAG_FX_BLUR)
  {
    // Separable 1-2-1 kernel.
    std::vector<uint8_t> tmp(cov.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        const uint8_t* r = &cov[size_t(y) * w];
        tmp[size_t(y) * w + x] =
            uint8_t((r[std::max(x - 1, 0)] + 2 * r[x] + r[std::min(x + 1, w - 1)]) / 4);
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        cov[size_t(y) * w + x] =
            uint8_t((tmp[size_t(std::max(y - 1, 0)) * w + x] + 2 * tmp[size_t(y) * w + x] +
                     tmp[size_t(std::min(y + 1, h - 1)) * w + x]) /
                    4);
  }
  if (mFlags & RAS_FONT_FLAG_FX_INVERT)
    for (uint8_t& c : cov)
      c = uint8_t(255 - c);

  int kept = w;
  for (; kept > 0; --kept)
  {
    bool any = false;
    for (int y = 0; y < h && !any; ++y)
      any = cov[size_t(y) * w + kept - 1] != 0;
    if (any) break;
  }
  if (kept == 0) return;
  // Bounded: past the limit every other glyph renders again on next use. Records stay where
  // they are, so the caller's pointer to this one remains valid.
  if (mPixels.size() + size_t(kept) * size_t(h) > kMaxCacheBytes)
  {
    for (GlyphRec& g : mLow)
      g.offset = 0;
    for (GlyphRec& g : mHigh)
      g.offset = 0;
    mPixels.clear();
  }
  rec->offset = int(mPixels.size()) + 1;
  rec->width = kept;
  rec->height = h;
  for (int y = 0; y < h; ++y)
    mPixels.insert(mPixels.end(), cov.begin() + ptrdiff_t(y) * w,
                   cov.begin() + ptrdiff_t(y) * w + kept);
}

bool RAS_CachedFont::UseNative(unsigned int flags) const
{
  if (mLineHeight > 255) return true;
  return (mFlags & RAS_FONT_FLAG_FORCE_NATIVE) && mFont && !(flags & 0x80000000u) &&
         !(flags & RAS_DT_USEFGALPHA) && !(mFlags & 0x1F7);
}

int RAS_CachedFont::DrawText(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
                             unsigned int flags)
{
  if (!text || !rect) return 0;
  if (!bitmap && !(flags & RAS_DT_CALCRECT)) return 0;
  if (len < 0) len = int(strnlen(text, 0x7FFFFFFF));
  const bool native = UseNative(flags);
  flags &= 0x7FFFFFFFu;
  return native ? DrawNative(bitmap, text, len, rect, flags)
                : DrawCached(bitmap, text, len, rect, flags);
}

int RAS_CachedFont::DrawNative(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
                               unsigned int flags)
{
  if (!mFont) return 0;
  const SHIM_TextStyle style = Style();
  SHIM_Rect measured{rect->left, rect->top, rect->left, rect->top};
  const int height = SHIM_DrawTextOnSurface(nullptr, &style, text, len, &measured,
                                            int((flags & 0x7FFFFF48u) | 0x81u));
  if (flags & RAS_DT_CALCRECT)
  {
    rect->right = measured.right;
    rect->bottom = measured.bottom;
    return height;
  }
  RAS_RowAccess rows;
  if (!rows.Attach(bitmap)) return 0;
  SHIM_Rect where{rect->left, rect->top, rect->right, rect->bottom};
  const int shimFlags = int(flags & ~unsigned(RAS_DT_CALCRECT));

  const int w = std::min(RAS_Weight(mCombineAlpha), 256);
  if (bitmap->getDC() || w == 256)
  {
    // The same pixels the drawing context holds, bounded by the bitmap's own size.
    SHIM_Surface s{rows.row0, rows.stride, rows.width, rows.height};
    return SHIM_DrawTextOnSurface(&s, &style, text, len, &where, shimFlags);
  }
  if (w <= 0) return height;

  // Put the covered area on a scratch bitmap, draw there, and combine it back.
  const long long tw = measured.right - measured.left, th = measured.bottom - measured.top;
  long long bx = rect->left, by = rect->top;
  if (flags & RAS_DT_CENTER)
    bx = ((long long)rect->left + rect->right - tw) / 2;
  else if (flags & RAS_DT_RIGHT)
    bx = (long long)rect->right - tw;
  if (flags & RAS_DT_VCENTER)
    by = ((long long)rect->top + rect->bottom - th) / 2;
  else if (flags & RAS_DT_BOTTOM)
    by = (long long)rect->bottom - th;
  const long long margin = mLineHeight;
  RAS_Rect area{ClampInt(bx - margin), ClampInt(by - margin), ClampInt(bx + tw + margin),
                ClampInt(by + th + margin)};
  area = Intersect(area, RAS_Rect{0, 0, rows.width, rows.height});
  if (!(flags & RAS_DT_NOCLIP)) area = Intersect(area, *rect);
  if (IsEmpty(area)) return height;
  const int aw = area.right - area.left, ah = area.bottom - area.top;
  RAS_SysBitmap* tmp = SharedBitmap(&gNativeBitmap, aw, ah);
  if (!tmp) return height;
  RAS_Blit(tmp, bitmap, 0, 0, area.left, area.top, aw, ah, 1.0f, RAS_BLEND_COPY);
  SHIM_Surface s{tmp->getBits(), tmp->getRowSpan(), aw, ah};
  SHIM_Rect shifted{
      ClampInt((long long)where.left - area.left), ClampInt((long long)where.top - area.top),
      ClampInt((long long)where.right - area.left), ClampInt((long long)where.bottom - area.top)};
  SHIM_DrawTextOnSurface(&s, &style, text, len, &shifted, shimFlags);
  RAS_Blit(bitmap, tmp, area.left, area.top, 0, 0, aw, ah, mCombineAlpha, RAS_BLEND_COPY);
  return height;
}

int RAS_CachedFont::DrawCached(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
                               unsigned int flags)
{
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const bool single = (flags & RAS_DT_SINGLELINE) != 0;
  const int lh = mLineHeight;

  struct Line
  {
    int begin, end;
    long long width;
  };
  std::vector<Line> lines;
  long long maxWidth = 0;
  if (len > 0)
  {
    Line cur{0, 0, 0};
    for (int i = 0; i < len;)
    {
      const int at = i;
      const uint32_t cp = UTL_DecodeUtf8(s, len, &i);
      if (!single && cp == '\n')
      {
        cur.end = at;
        lines.push_back(cur);
        maxWidth = std::max(maxWidth, cur.width);
        cur = Line{i, i, 0};
        continue;
      }
      cur.width += FindGlyph(cp)->advance;
    }
    cur.end = len;
    lines.push_back(cur);
    maxWidth = std::max(maxWidth, cur.width);
  }
  const int width = ClampInt(maxWidth);
  const int height = ClampInt((long long)lh * (long long)lines.size());
  if (flags & RAS_DT_CALCRECT)
  {
    rect->right = ClampInt((long long)rect->left + width);
    rect->bottom = ClampInt((long long)rect->top + height);
    return height;
  }
  if (lines.empty()) return 0;

  float alpha = mCombineAlpha;
  if (flags & RAS_DT_USEFGALPHA) alpha *= float(RAS_GetA(mTextColor)) / 255.0f;
  Pen pen;
  // The glyph's ink moves the destination toward opaque, whatever the text colour's alpha.
  const RAS_Pixel ink =
      RAS_RGBA(RAS_GetR(mTextColor), RAS_GetG(mTextColor), RAS_GetB(mTextColor), 255);
  if (!pen.Setup(bitmap, ink, alpha, mCombineMode)) return height;

  RAS_Rect clip{0, 0, pen.rows.width, pen.rows.height};
  if (!(flags & RAS_DT_NOCLIP)) clip = Intersect(clip, *rect);
  if (IsEmpty(clip)) return height;

  long long top = rect->top;
  if (flags & RAS_DT_VCENTER)
    top = ((long long)rect->top + rect->bottom - height) / 2;
  else if (flags & RAS_DT_BOTTOM)
    top = (long long)rect->bottom - height;
  const int pad = GlyphPad(lh);
  for (size_t li = 0; li < lines.size(); ++li)
  {
    const Line& line = lines[li];
    const long long y0 = top + (long long)li * lh;
    if (y0 >= clip.bottom || y0 + lh <= clip.top) continue;
    long long x = rect->left;
    if (flags & RAS_DT_CENTER)
      x = ((long long)rect->left + rect->right - line.width) / 2;
    else if (flags & RAS_DT_RIGHT)
      x = (long long)rect->right - line.width;
    for (int i = line.begin; i < line.end && x - pad < clip.right;)
    {
      const GlyphRec* g = FindGlyph(UTL_DecodeUtf8(s, line.end, &i));
      const long long gx = x - pad;
      x += g->advance;
      if (g->offset <= 0 || gx + g->width <= clip.left) continue;
      const uint8_t* cov = mPixels.data() + (g->offset - 1);
      const int xa = int(std::max<long long>(gx, clip.left)),
                xb = int(std::min<long long>(gx + g->width, clip.right));
      const int ya = int(std::max<long long>(y0, clip.top)),
                yb = int(std::min<long long>(y0 + g->height, clip.bottom));
      for (int y = ya; y < yb; ++y)
      {
        const uint8_t* c = cov + size_t(y - y0) * size_t(g->width);
        RAS_Pixel* row = pen.rows.Row(y);
        for (int px = xa; px < xb; ++px)
        {
          const int cv = c[px - gx];
          if (!cv) continue;
          // Coverage c at full weight is the copy operator at c + 1: 255 replaces.
          const int wt = pen.w * (cv + 1) / 256;
          if (wt > 0) pen.Blend(row + px, wt);
        }
      }
    }
  }
  return height;
}
