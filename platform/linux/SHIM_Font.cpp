// Fonts through fontconfig (finding a face file) and FreeType (rendering glyphs into the
// font's cache). Layout and compositing are the platform-neutral SHIM_TextLayout.cpp.
#include "platform/common/SHIM_Font.h"
#include "platform/common/SHIM_FontRecord.h"

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

struct SHIM_FontFace
{
  FT_Face face = nullptr;
  bool emboldenSynthetic = false;
  bool obliqueSynthetic = false;
  FT_Matrix matrix{}; // the turn, when the font is turned
};

void SHIM_RenderGlyph(SHIM_Font* font, uint32_t cp, SHIM_Glyph* out)
{
  SHIM_FontFace& f = *font->face;
  SHIM_Glyph& g = *out;
  const FT_Face face = f.face;
  const bool antialias = font->antialias, turned = font->turned;
  FT_Int32 load = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
  load |= antialias ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO;
  const FT_UInt index = FT_Get_Char_Index(face, cp);
  if (FT_Load_Glyph(face, index, load) != 0) return;
  FT_GlyphSlot slot = face->glyph;
  if (f.emboldenSynthetic) FT_GlyphSlot_Embolden(slot);
  // Advance along the baseline before any turning, in whole pixels so that measuring and
  // drawing agree exactly.
  g.advance = int((slot->metrics.horiAdvance + 32) >> 6);
  g.advX = g.advance * 64;
  g.advY = 0;
  if (turned)
  {
    FT_Vector adv{FT_Pos(g.advance) * 64, 0};
    FT_Vector_Transform(&adv, &f.matrix);
    g.advX = int(adv.x);
    g.advY = int(-adv.y); // screen y grows downwards
  }
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
  {
    if (f.obliqueSynthetic) FT_GlyphSlot_Oblique(slot);
    if (turned) FT_Outline_Transform(&slot->outline, &f.matrix);
  }
  if (FT_Render_Glyph(slot, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return;
  const FT_Bitmap& bm = slot->bitmap;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = int(bm.width);
  g.height = int(bm.rows);
  if (g.width <= 0 || g.height <= 0 || !bm.buffer)
  {
    g.width = g.height = 0;
    return;
  }
  g.coverage.resize(size_t(g.width) * size_t(g.height));
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
}

SHIM_Font* SHIM_CreateFont(int height, int width, int escapement, int orientation, int weight,
                           bool italic, bool underline, bool strikeOut, int charset,
                           int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                           const char* face)
{
  (void)width, (void)orientation, (void)underline, (void)strikeOut, (void)charset;
  (void)outPrecision, (void)clipPrecision, (void)pitchAndFamily;

  const int pixels = SHIM_EmPixels(height);
  if (!pixels) return nullptr;
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
  if (!FT_IS_SCALABLE(ftFace) || FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(pixels)) != 0 ||
      FT_Select_Charmap(ftFace, FT_ENCODING_UNICODE) != 0)
  {
    std::lock_guard<std::mutex> lock(LibraryMutex());
    FT_Done_Face(ftFace);
    return nullptr;
  }

  SHIM_Font* font = new SHIM_Font;
  font->face = new SHIM_FontFace;
  font->face->face = ftFace;
  font->family = family;
  font->antialias = quality != SHIM_QUALITY_NONANTIALIASED;
  font->face->emboldenSynthetic = bold && !(ftFace->style_flags & FT_STYLE_FLAG_BOLD);
  font->face->obliqueSynthetic = italic && !(ftFace->style_flags & FT_STYLE_FLAG_ITALIC);
  if (escapement % 3600 != 0)
  {
    const double a = escapement * (M_PI / 1800.0);
    const FT_Fixed c = FT_Fixed(std::lround(std::cos(a) * 65536.0));
    const FT_Fixed s = FT_Fixed(std::lround(std::sin(a) * 65536.0));
    FT_Matrix& m = font->face->matrix;
    m.xx = c;
    m.xy = -s;
    m.yx = s;
    m.yy = c;
    font->turned = true;
    // The layout turns pen positions by the angle the rounded matrix really has.
    font->angle = std::atan2(double(m.yx), double(m.xx));
  }

  const FT_Size_Metrics& m = ftFace->size->metrics;
  SHIM_TextMetrics& tm = font->metrics;
  tm.ascent = CeilPixels(m.ascender);
  tm.descent = CeilPixels(-m.descender);
  tm.height = tm.ascent + tm.descent;
  tm.maxCharWidth = CeilPixels(m.max_advance);
  const SHIM_Glyph& x = SHIM_GetGlyph(font, 'x');
  tm.aveCharWidth = x.advance > 0 ? x.advance : tm.maxCharWidth / 2;
  return font;
}

void SHIM_DeleteFont(SHIM_Font* font)
{
  if (!font) return;
  {
    std::lock_guard<std::mutex> lock(LibraryMutex());
    FT_Done_Face(font->face->face);
  }
  delete font->face;
  delete font;
}
