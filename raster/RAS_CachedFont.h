#pragma once
// Text drawing for raster bitmaps. RAS_CachedFont draws either natively through the drawing
// shim (straight into the destination, the way opaque editor text goes) or from a cache of
// 8-bit glyph coverage rendered once per code point, which any combine mode and weight can
// composite (translucent text).
#include <cstdint>
#include <vector>

#include "platform/common/SHIM_Font.h"
#include "raster/RAS_Bitmap.h"

// Font flags (SetFromHFont).
enum
{
  RAS_FONT_FLAG_PRECALCALL = 0x4,    // render code points 0..127 when the font is set
  RAS_FONT_FLAG_FX_BLUR = 0x10,      // soften rendered glyphs
  RAS_FONT_FLAG_FX_INVERT = 0x20,    // invert glyph coverage
  RAS_FONT_FLAG_OWNS_HFONT = 0x200,  // delete the system font when it is replaced or on exit
  RAS_FONT_FLAG_FORCE_NATIVE = 0x400 // draw through the shim unless told otherwise
};

// Text-drawing flags (DrawText). The low values match the shim's.
enum
{
  RAS_DT_CALCRECT = 0x1, // measure only
  RAS_DT_VCENTER = 0x2,
  RAS_DT_CENTER = 0x4,
  RAS_DT_BOTTOM = 0x10,
  RAS_DT_RIGHT = 0x20,
  RAS_DT_SINGLELINE = 0x40,
  RAS_DT_NOPREFIX = 0x80,
  RAS_DT_NOCLIP = 0x100,
  RAS_DT_USEFGALPHA = 0x40000000 // glyph path, weighted by the text colour's alpha
};

class RAS_IFont
{
public:
  virtual ~RAS_IFont() {}
  // Adopts a system font (null: none). flags: RAS_FONT_FLAG_*.
  virtual void SetFromHFont(SHIM_Font* font, int flags = 0) = 0;
  // Setters return the previous value. Colours are packed pixels (RAS_RGBA).
  virtual RAS_Pixel SetTextColor(RAS_Pixel color) = 0;
  virtual RAS_Pixel SetBkColor(RAS_Pixel color) = 0;
  virtual RAS_Pixel SetEffectColor(RAS_Pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;
  // Combine mode and weight of the glyph path; native text on a bitmap without a drawing
  // context is copied back at this weight.
  virtual void SetCombineMode(int mode, float alpha = 1.0f) = 0;
  // UTF-8 text, len -1 when zero-terminated. Returns the text height, 0 when nothing is done.
  // With RAS_DT_CALCRECT rect's right and bottom become left + width and top + height.
  virtual int DrawText(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
                       unsigned int flags) = 0;
  virtual RAS_Pixel GetTextColor() = 0;
  virtual SHIM_Font* GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class RAS_CachedFont : public RAS_IFont
{
public:
  RAS_CachedFont();
  ~RAS_CachedFont() override;
  RAS_CachedFont(const RAS_CachedFont&) = delete;
  RAS_CachedFont& operator=(const RAS_CachedFont&) = delete;

  void SetFromHFont(SHIM_Font* font, int flags = 0) override;
  RAS_Pixel SetTextColor(RAS_Pixel color) override;
  RAS_Pixel SetBkColor(RAS_Pixel color) override;
  RAS_Pixel SetEffectColor(RAS_Pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha = 1.0f) override;
  int DrawText(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
               unsigned int flags) override;
  RAS_Pixel GetTextColor() override { return mTextColor; }
  SHIM_Font* GetHFont() override { return mFont; }
  int GetLineHeight() override { return mLineHeight; }

  // Bytes of glyph coverage cached so far (grows only when a new code point is rendered).
  int GetGlyphCacheBytes() const { return int(mPixels.size()); }
  // Font objects alive in the process.
  static int GetLiveCount();

  // 20 bytes per glyph.
  struct GlyphRec
  {
    int offset;    // offset in the pixel cache + 1; 0 not rendered yet, -1 empty glyph
    int width;     // coverage columns kept (trailing empty columns trimmed)
    int height;    // coverage rows (the line height)
    int advance;   // pen advance in pixels
    uint32_t code; // code point
  };

private:
  bool UseNative(unsigned int flags) const;
  int DrawNative(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
                 unsigned int flags);
  int DrawCached(RAS_IBitmap* bitmap, const char* text, int len, RAS_Rect* rect,
                 unsigned int flags);
  const GlyphRec* FindGlyph(uint32_t code);
  void RenderGlyph(GlyphRec* rec);
  void ClearCache();
  SHIM_TextStyle Style() const;

  RAS_Pixel mTextColor = 0;
  RAS_Pixel mBkColor = 0xFFFFFFFF;
  RAS_Pixel mEffectColor = 0xFFFFFFFF;
  int mBkMode = 0;
  int mCombineMode = 0;
  float mCombineAlpha = 1.0f;
  SHIM_Font* mFont = nullptr;
  int mFlags = 0;
  int mLineHeight = 0;
  GlyphRec mLow[128];
  std::vector<GlyphRec> mHigh; // sorted by code point
  std::vector<uint8_t> mPixels;
};
