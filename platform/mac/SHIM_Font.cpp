// Fonts through CoreText. Each code point is laid out as a one-character CTLine (so
// CoreText's font fallback covers characters the face lacks) and drawn into an 8-bit
// alpha-only bitmap context; that coverage goes into the font's glyph cache. Layout and
// compositing are the platform-neutral SHIM_TextLayout.cpp, as on Linux.
// Compiled on Apple machines only (GNUstep builds use the Linux shim).
#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <strings.h>
#include <utility>
#include <vector>

#include "platform/common/SHIM_Font.h"
#include "platform/common/SHIM_FontRecord.h"

struct SHIM_FontFace
{
  CTFontRef font = nullptr;
  bool emboldenSynthetic = false; // the family has no bold face: outlines are stroked too
  bool obliqueSynthetic = false;  // the family has no italic face: the font matrix slants
};

namespace
{
constexpr double kPi = 3.14159265358979323846;
// Synthetic bold strokes the outline at this percentage of the font size; CoreText reads a
// negative stroke width as "fill and stroke".
const double kSyntheticBoldStroke = -3.0;
// Synthetic italic: x += kSlant * y, about 12 degrees.
constexpr double kSlant = 0.21;
// A glyph bitmap beyond this many pixels is not drawn (the advance still counts).
constexpr int64_t kMaxGlyphPixels = int64_t(64) << 20;

// Releases a CoreFoundation object (null allowed) at scope end.
template <class T> struct CFHolder
{
  T ref;
  explicit CFHolder(T r) : ref(r) {}
  ~CFHolder()
  {
    if (ref) CFRelease(ref);
  }
  CFHolder(const CFHolder&) = delete;
  CFHolder& operator=(const CFHolder&) = delete;
};

std::string ToUtf8(CFStringRef s)
{
  if (!s) return std::string();
  const CFIndex cap =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  if (cap <= 1) return std::string();
  std::vector<char> buf(size_t(cap), '\0');
  if (!CFStringGetCString(s, buf.data(), cap, kCFStringEncodingUTF8)) return std::string();
  return std::string(buf.data());
}

bool FamilyIs(CTFontRef font, CFStringRef family)
{
  CFHolder<CFStringRef> actual(CTFontCopyFamilyName(font));
  return actual.ref &&
         CFStringCompare(actual.ref, family, kCFCompareCaseInsensitive) == kCFCompareEqualTo;
}

// The family's regular face at size, or null when CoreText does not know the family (it
// would otherwise hand back some other family as its best match).
CTFontRef CreateFamilyFont(CFStringRef family, CGFloat size)
{
  const void* keys[] = {kCTFontFamilyNameAttribute};
  const void* values[] = {family};
  CFHolder<CFDictionaryRef> attrs(CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1,
                                                     &kCFTypeDictionaryKeyCallBacks,
                                                     &kCFTypeDictionaryValueCallBacks));
  if (!attrs.ref) return nullptr;
  CFHolder<CTFontDescriptorRef> desc(CTFontDescriptorCreateWithAttributes(attrs.ref));
  if (!desc.ref) return nullptr;
  CTFontRef font = CTFontCreateWithFontDescriptor(desc.ref, size, nullptr);
  if (font && !FamilyIs(font, family))
  {
    CFRelease(font);
    font = nullptr;
  }
  return font;
}

// The family's face with the wanted traits (both, else bold alone, else italic alone), or
// null when it has none of them.
CTFontRef CreateStyledFont(CTFontRef font, bool bold, bool italic)
{
  const CTFontSymbolicTraits b = bold ? CTFontSymbolicTraits(kCTFontBoldTrait) : 0;
  const CTFontSymbolicTraits i = italic ? CTFontSymbolicTraits(kCTFontItalicTrait) : 0;
  if (CTFontRef styled = CTFontCreateCopyWithSymbolicTraits(font, 0.0, nullptr, b | i, b | i))
    return styled;
  if (!b || !i) return nullptr;
  if (CTFontRef styled = CTFontCreateCopyWithSymbolicTraits(font, 0.0, nullptr, b, b))
    return styled;
  return CTFontCreateCopyWithSymbolicTraits(font, 0.0, nullptr, i, i);
}

// A one-character line of cp in the face, with the synthetic bold stroke when needed.
CTLineRef CreateLine(const SHIM_FontFace& face, uint32_t cp)
{
  // UTF-16 of the scalar value (the layout never hands out surrogates).
  UniChar units[2];
  CFIndex count = 1;
  if (cp >= 0x10000)
  {
    const uint32_t v = cp - 0x10000;
    units[0] = UniChar(0xD800 + (v >> 10));
    units[1] = UniChar(0xDC00 + (v & 0x3FF));
    count = 2;
  }
  else
  {
    units[0] = UniChar(cp);
  }
  CFHolder<CFStringRef> str(CFStringCreateWithCharacters(kCFAllocatorDefault, units, count));
  if (!str.ref) return nullptr;

  CFHolder<CFNumberRef> stroke(
      face.emboldenSynthetic
          ? CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &kSyntheticBoldStroke)
          : nullptr);
  const void* keys[] = {kCTFontAttributeName, kCTStrokeWidthAttributeName};
  const void* values[] = {face.font, stroke.ref};
  CFHolder<CFDictionaryRef> attrs(
      CFDictionaryCreate(kCFAllocatorDefault, keys, values, stroke.ref ? 2 : 1,
                         &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  if (!attrs.ref) return nullptr;
  CFHolder<CFAttributedStringRef> text(
      CFAttributedStringCreate(kCFAllocatorDefault, str.ref, attrs.ref));
  if (!text.ref) return nullptr;
  return CTLineCreateWithAttributedString(text.ref);
}

} // namespace

void SHIM_RenderGlyph(SHIM_Font* font, uint32_t cp, SHIM_Glyph* g)
{
  const SHIM_FontFace& face = *font->face;
  CFHolder<CTLineRef> line(CreateLine(face, cp));
  if (!line.ref) return;

  // Advance along the baseline in whole pixels, so that measuring and drawing agree exactly.
  const double width = CTLineGetTypographicBounds(line.ref, nullptr, nullptr, nullptr);
  g->advance = int(std::lround(std::min(std::max(width, 0.0), 1e6)));
  g->advX = g->advance * 64;
  g->advY = 0;
  const double ca = std::cos(font->angle), sa = std::sin(font->angle);
  if (font->turned)
  {
    g->advX = int(std::lround(g->advance * 64.0 * ca));
    g->advY = int(-std::lround(g->advance * 64.0 * sa)); // screen y grows downwards
  }

  // Ink box in the baseline's space (y up), widened for antialiasing, the synthetic stroke
  // and slant, then turned; the bitmap covers the turned box.
  const CGRect ink = CTLineGetBoundsWithOptions(line.ref, kCTLineBoundsUseGlyphPathBounds);
  if (CGRectIsEmpty(ink)) return; // a space: advance only
  const double size = double(CTFontGetSize(face.font));
  double padX = 1.0, padY = 1.0;
  if (face.emboldenSynthetic)
  {
    padX += std::ceil(size * -kSyntheticBoldStroke / 100.0);
    padY += std::ceil(size * -kSyntheticBoldStroke / 100.0);
  }
  if (face.obliqueSynthetic)
    padX += std::ceil(kSlant * std::max(std::fabs(double(CGRectGetMinY(ink))),
                                        std::fabs(double(CGRectGetMaxY(ink)))));
  const double bx0 = double(CGRectGetMinX(ink)) - padX, bx1 = double(CGRectGetMaxX(ink)) + padX;
  const double by0 = double(CGRectGetMinY(ink)) - padY, by1 = double(CGRectGetMaxY(ink)) + padY;
  double minX = bx0, maxX = bx1, minY = by0, maxY = by1;
  if (font->turned)
  {
    // Counter-clockwise in y-up space, as CGAffineTransformMakeRotation turns on macOS.
    const double xs[] = {bx0, bx1, bx0, bx1}, ys[] = {by0, by0, by1, by1};
    minX = minY = HUGE_VAL;
    maxX = maxY = -HUGE_VAL;
    for (int k = 0; k < 4; ++k)
    {
      const double x = xs[k] * ca - ys[k] * sa, y = xs[k] * sa + ys[k] * ca;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  const int left = int(std::floor(minX)), right = int(std::ceil(maxX));
  const int bottom = int(std::floor(minY)), top = int(std::ceil(maxY));
  const int w = right - left, h = top - bottom;
  if (w <= 0 || h <= 0 || int64_t(w) * h > kMaxGlyphPixels) return;

  // Alpha-only: one coverage byte per pixel, the first row in memory at the top.
  std::vector<uint8_t> alpha(size_t(w) * size_t(h), 0);
  CGContextRef cg = CGBitmapContextCreate(alpha.data(), size_t(w), size_t(h), 8, size_t(w), nullptr,
                                          kCGImageAlphaOnly);
  if (!cg) return;
  CGContextSetAllowsAntialiasing(cg, font->antialias);
  CGContextSetShouldAntialias(cg, font->antialias);
  CGContextSetShouldSmoothFonts(cg, false);
  CGContextSetTextMatrix(cg, font->turned ? CGAffineTransformMakeRotation(CGFloat(font->angle))
                                          : CGAffineTransformIdentity);
  // The bitmap's bottom-left corner lies (left, bottom) from the pen.
  CGContextSetTextPosition(cg, CGFloat(-left), CGFloat(-bottom));
  CTLineDraw(line.ref, cg);
  CGContextRelease(cg);

  g->left = left;
  g->top = top;
  g->width = w;
  g->height = h;
  g->coverage = std::move(alpha);
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
  const CGFloat size = CGFloat(pixels); // one point per pixel in the shim's bitmap contexts
  const bool bold = weight >= 600;

  // The named family, else the system font (the fixed-pitch one for "Monaco").
  CTFontRef ct = nullptr;
  if (face && *face)
  {
    CFHolder<CFStringRef> family(
        CFStringCreateWithCString(kCFAllocatorDefault, face, kCFStringEncodingUTF8));
    if (family.ref) ct = CreateFamilyFont(family.ref, size);
  }
  if (!ct)
  {
    const bool monospace = face && strcasecmp(face, "Monaco") == 0;
    ct = CTFontCreateUIFontForLanguage(
        monospace ? kCTFontUIFontUserFixedPitch : kCTFontUIFontSystem, size, nullptr);
  }
  if (!ct) return nullptr;
  if (bold || italic)
  {
    if (CTFontRef styled = CreateStyledFont(ct, bold, italic))
    {
      CFRelease(ct);
      ct = styled;
    }
  }
  const CTFontSymbolicTraits traits = CTFontGetSymbolicTraits(ct);
  const bool oblique = italic && !(traits & kCTFontItalicTrait);
  if (oblique)
  {
    const CGAffineTransform slant = CGAffineTransformMake(1, 0, CGFloat(kSlant), 1, 0, 0);
    if (CTFontRef slanted = CTFontCreateCopyWithAttributes(ct, 0.0, &slant, nullptr))
    {
      CFRelease(ct);
      ct = slanted;
    }
  }

  SHIM_Font* font = new SHIM_Font;
  font->face = new SHIM_FontFace;
  font->face->font = ct;
  font->face->emboldenSynthetic = bold && !(traits & kCTFontBoldTrait);
  font->face->obliqueSynthetic = oblique;
  {
    CFHolder<CFStringRef> family(CTFontCopyFamilyName(ct));
    font->family = ToUtf8(family.ref);
  }
  font->antialias = quality != SHIM_QUALITY_NONANTIALIASED;
  if (escapement % 3600 != 0)
  {
    font->turned = true;
    font->angle = escapement * (kPi / 1800.0);
  }

  SHIM_TextMetrics& tm = font->metrics;
  tm.ascent = int(std::ceil(double(CTFontGetAscent(ct))));
  tm.descent = int(std::ceil(double(CTFontGetDescent(ct))));
  tm.height = tm.ascent + tm.descent;
  tm.maxCharWidth = int(std::ceil(double(CGRectGetWidth(CTFontGetBoundingBox(ct)))));
  const SHIM_Glyph& x = SHIM_GetGlyph(font, 'x');
  tm.aveCharWidth = x.advance > 0 ? x.advance : tm.maxCharWidth / 2;
  return font;
}

void SHIM_DeleteFont(SHIM_Font* font)
{
  if (!font) return;
  if (font->face)
  {
    if (font->face->font) CFRelease(font->face->font);
    delete font->face;
  }
  delete font;
}
