// Fonts through fontconfig (finding a face file) and FreeType (rendering). Each font keeps
// the glyphs it has rendered, so repeated text costs only the compositing.
#include "platform/common/SHIM_Font.h"
#include "platform/common/SHIM.h"
#include "util/UTL_Utf8.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <strings.h>
#include <unordered_map>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define SHIM_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SHIM_LEAK_CHECKED 1
#endif
#endif
#ifdef SHIM_LEAK_CHECKED
// fontconfig's configuration parser loses one small block per process, and GNUstep's
// Objective-C runtime keeps its class records for the process's life (allocated while
// libraries load, in a library without frame pointers, so only the library names them);
// both are outside our reach. Every program that uses fonts links this file, so the leak
// checker learns them here, also when CTest only lists a program's tests.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions()
{
  return "leak:libfontconfig.so\nleak:libobjc.so\n";
}
#endif

namespace
{

// One library for the process. FreeType requires face creation and destruction on one library
// to be serialised; rendering with a face needs only that face to be unshared.
std::mutex& LibraryMutex()
{
  // Never destroyed: fonts held by other static objects are deleted during exit.
  static std::mutex* m = new std::mutex;
  return *m;
}

FT_Library Library()
{
  static FT_Library lib = nullptr;
  static bool tried = false;
  if (!tried)
  {
    tried = true;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
  }
  return lib;
}

struct Glyph
{
  int left = 0; // bitmap offset from the pen, pixels right
  int top = 0;  // bitmap offset from the pen, pixels up
  int width = 0;
  int height = 0;
  int advance = 0; // along the baseline, whole pixels
  int advX = 0;    // screen advance in 26.6 (differs from advance only for turned text)
  int advY = 0;
  std::vector<uint8_t> coverage;
};

// Enough for any text a user types; the cache starts over beyond either bound (large sizes
// make large glyphs).
constexpr size_t kMaxCachedGlyphs = 4096;
constexpr size_t kMaxCachedBytes = size_t(32) << 20;

bool IsMonospaceAlias(const char* face)
{
  return strcasecmp(face, "Monaco") == 0;
}

// fontconfig's best file for the request, or an empty string.
std::string MatchFontFile(const char* family, int fcWeight, bool italic, int* index,
                          std::string* matchedFamily)
{
  FcPattern* pat = FcPatternCreate();
  if (!pat) return std::string();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pat, FC_WEIGHT, fcWeight);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  std::string file;
  if (match)
  {
    FcChar8* path = nullptr;
    FcChar8* fam = nullptr;
    int idx = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &idx) != FcResultMatch) idx = 0;
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
      *matchedFamily = reinterpret_cast<const char*>(fam);
    *index = idx;
    FcPatternDestroy(match);
  }
  return file;
}

int CeilPixels(FT_Pos v26_6)
{
  return int((v26_6 + 63) >> 6);
}

} // namespace

struct SHIM_Font
{
  FT_Face face = nullptr;
  std::string family;
  bool antialias = true;
  bool emboldenSynthetic = false;
  bool obliqueSynthetic = false;
  bool turned = false;
  FT_Matrix matrix{};
  SHIM_TextMetrics metrics{};
  std::mutex mutex; // guards face and glyphs
  std::unordered_map<uint32_t, Glyph> glyphs;
  size_t glyphBytes = 0;

  const Glyph& GetGlyph(uint32_t cp);
};

const Glyph& SHIM_Font::GetGlyph(uint32_t cp)
{
  auto it = glyphs.find(cp);
  if (it != glyphs.end()) return it->second;
  if (glyphs.size() >= kMaxCachedGlyphs || glyphBytes >= kMaxCachedBytes)
  {
    glyphs.clear();
    glyphBytes = 0;
  }
  Glyph& g = glyphs[cp];

  // Control characters occupy no space (line breaks are handled by the layout).
  if (cp < 0x20 || cp == 0x7F) return g;

  FT_Int32 load = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
  load |= antialias ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO;
  const FT_UInt index = FT_Get_Char_Index(face, cp);
  if (FT_Load_Glyph(face, index, load) != 0) return g;
  FT_GlyphSlot slot = face->glyph;
  if (emboldenSynthetic) FT_GlyphSlot_Embolden(slot);
  // Advance along the baseline before any turning, in whole pixels so that measuring and
  // drawing agree exactly.
  g.advance = int((slot->metrics.horiAdvance + 32) >> 6);
  g.advX = g.advance * 64;
  g.advY = 0;
  if (turned)
  {
    FT_Vector adv{FT_Pos(g.advance) * 64, 0};
    FT_Vector_Transform(&adv, &matrix);
    g.advX = int(adv.x);
    g.advY = int(-adv.y); // screen y grows downwards
  }
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
  {
    if (obliqueSynthetic) FT_GlyphSlot_Oblique(slot);
    if (turned) FT_Outline_Transform(&slot->outline, &matrix);
  }
  if (FT_Render_Glyph(slot, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return g;
  const FT_Bitmap& bm = slot->bitmap;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = int(bm.width);
  g.height = int(bm.rows);
  if (g.width <= 0 || g.height <= 0 || !bm.buffer)
  {
    g.width = g.height = 0;
    return g;
  }
  g.coverage.resize(size_t(g.width) * size_t(g.height));
  glyphBytes += g.coverage.size();
  for (int y = 0; y < g.height; ++y)
  {
    const unsigned char* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = g.coverage.data() + size_t(y) * size_t(g.width);
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
    {
      for (int x = 0; x < g.width; ++x)
        dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256)
    {
      memcpy(dst, src, size_t(g.width));
    }
    else
    {
      const int grays = std::max(2, int(bm.num_grays));
      for (int x = 0; x < g.width; ++x)
        dst[x] = uint8_t(std::min(255, src[x] * 255 / (grays - 1)));
    }
  }
  return g;
}

SHIM_Font* SHIM_CreateFont(int height, int width, int escapement, int orientation, int weight,
                           bool italic, bool underline, bool strikeOut, int charset,
                           int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                           const char* face)
{
  (void)width, (void)orientation, (void)underline, (void)strikeOut, (void)charset;
  (void)outPrecision, (void)clipPrecision, (void)pitchAndFamily;

  // An absurd size would make FreeType allocate glyph bitmaps without bound.
  if (height < 0) height = -height;
  if (height == 0) height = 12;
  if (height > 4096) return nullptr;
  if (!face || !*face) face = "sans-serif";
  const bool bold = weight >= 600;
  const int fcWeight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;

  std::string family;
  int index = 0;
  std::string file = MatchFontFile(face, fcWeight, italic, &index, &family);
  if (IsMonospaceAlias(face) && strcasecmp(family.c_str(), face) != 0)
    file = MatchFontFile("monospace", fcWeight, italic, &index, &family);
  if (file.empty()) return nullptr;

  FT_Face ftFace = nullptr;
  {
    std::lock_guard<std::mutex> lock(LibraryMutex());
    FT_Library lib = Library();
    if (!lib || FT_New_Face(lib, file.c_str(), index, &ftFace) != 0) return nullptr;
  }
  if (!FT_IS_SCALABLE(ftFace) || FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(height)) != 0 ||
      FT_Select_Charmap(ftFace, FT_ENCODING_UNICODE) != 0)
  {
    std::lock_guard<std::mutex> lock(LibraryMutex());
    FT_Done_Face(ftFace);
    return nullptr;
  }

  SHIM_Font* font = new SHIM_Font;
  font->face = ftFace;
  font->family = family;
  font->antialias = quality != SHIM_QUALITY_NONANTIALIASED;
  font->emboldenSynthetic = bold && !(ftFace->style_flags & FT_STYLE_FLAG_BOLD);
  font->obliqueSynthetic = italic && !(ftFace->style_flags & FT_STYLE_FLAG_ITALIC);
  if (escapement % 3600 != 0)
  {
    const double a = escapement * (M_PI / 1800.0);
    const FT_Fixed c = FT_Fixed(std::lround(std::cos(a) * 65536.0));
    const FT_Fixed s = FT_Fixed(std::lround(std::sin(a) * 65536.0));
    font->turned = true;
    font->matrix.xx = c;
    font->matrix.xy = -s;
    font->matrix.yx = s;
    font->matrix.yy = c;
  }

  const FT_Size_Metrics& m = ftFace->size->metrics;
  SHIM_TextMetrics& tm = font->metrics;
  tm.ascent = CeilPixels(m.ascender);
  tm.descent = CeilPixels(-m.descender);
  tm.height = tm.ascent + tm.descent;
  tm.maxCharWidth = CeilPixels(m.max_advance);
  const Glyph& x = font->GetGlyph('x');
  tm.aveCharWidth = x.advance > 0 ? x.advance : tm.maxCharWidth / 2;
  return font;
}

void SHIM_DeleteFont(SHIM_Font* font)
{
  if (!font) return;
  {
    std::lock_guard<std::mutex> lock(LibraryMutex());
    FT_Done_Face(font->face);
  }
  delete font;
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

namespace
{

struct Line
{
  int begin, end; // byte range
  int width;
};

// Blends one coverage mask into the surface at (x0, y0), inside the clip.
void Composite(const SHIM_Surface& s, const SHIM_Rect& clip, const Glyph& g, int x0, int y0,
               uint32_t color)
{
  const int tr = int((color >> 16) & 0xFF), tg = int((color >> 8) & 0xFF), tb = int(color & 0xFF);
  const int xa = std::max(x0, clip.left), xb = std::min(x0 + g.width, clip.right);
  const int ya = std::max(y0, clip.top), yb = std::min(y0 + g.height, clip.bottom);
  for (int y = ya; y < yb; ++y)
  {
    const uint8_t* cov = g.coverage.data() + size_t(y - y0) * size_t(g.width);
    uint8_t* row = reinterpret_cast<uint8_t*>(s.row0 + ptrdiff_t(y) * s.stride);
    for (int x = xa; x < xb; ++x)
    {
      const int c = cov[x - x0];
      if (!c) continue;
      uint8_t* d = row + 4 * x;
      const int k = 255 - c;
      d[0] = uint8_t(255 + k * (d[0] - 255) / 256);
      d[1] = uint8_t(tr + (d[1] - tr) * k / 256);
      d[2] = uint8_t(tg + (d[2] - tg) * k / 256);
      d[3] = uint8_t(tb + (d[3] - tb) * k / 256);
    }
  }
}

void FillOpaque(const SHIM_Surface& s, const SHIM_Rect& r, uint32_t color)
{
  const uint32_t px =
      0xFFu | ((color >> 16) & 0xFF) << 8 | ((color >> 8) & 0xFF) << 16 | (color & 0xFF) << 24;
  for (int y = r.top; y < r.bottom; ++y)
  {
    uint32_t* row = s.row0 + ptrdiff_t(y) * s.stride;
    std::fill(row + r.left, row + r.right, px);
  }
}

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
      w += font->GetGlyph(cp).advance;
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
    if (box.left < box.right && box.top < box.bottom) FillOpaque(*surface, box, style->bkColor);
  }

  const double angle =
      font->turned ? std::atan2(double(font->matrix.yx), double(font->matrix.xx)) : 0.0;
  const double ca = std::cos(angle), sa = std::sin(angle);
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
      const Glyph& g = font->GetGlyph(cp);
      const long long gx = ((penX + 32) >> 6) + g.left, gy = ((penY + 32) >> 6) - g.top;
      if (g.width > 0 && gx < clip.right && gy < clip.bottom && gx + g.width > clip.left &&
          gy + g.height > clip.top)
        Composite(*surface, clip, g, int(gx), int(gy), style->textColor);
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
