#pragma once
// Fonts and text of the drawing shim. A font is made from a family name, a height, a weight,
// an italic flag and an escapement; text is measured and drawn in one colour into a drawing
// context (with the font, colours and background mode selected into it, SHIM.h) or into any
// 32-bit surface with an explicit style, with the alignments below.
//
// Surfaces hold the raster pixel layout: bytes A, R, G, B in memory. Colours passed here use
// the shim's own layout 0xRRGGBB. Drawn text leaves the colour channels blended toward the
// text colour by the glyph coverage c (D = T + (D - T) * (255 - c) / 256) and moves the alpha
// byte toward 255 by the same coverage.
//
// Fonts may be used from several threads: each guards its own glyph cache.
#include <cstddef>
#include <cstdint>

#include "platform/common/SHIM.h"

// Font weights and qualities as the editor passes them.
enum
{
  SHIM_FW_NORMAL = 400,
  SHIM_FW_BOLD = 700,

  SHIM_QUALITY_DEFAULT = 0,        // anti-aliased
  SHIM_QUALITY_NONANTIALIASED = 3, // one bit per pixel
  SHIM_QUALITY_ANTIALIASED = 4
};

// Text flags.
enum
{
  SHIM_DT_CALCRECT = 0x1,    // measure only: rect.right/bottom become left/top + the text's size
  SHIM_DT_VCENTER = 0x2,     // centre the text box vertically in the rectangle
  SHIM_DT_CENTER = 0x4,      // centre each line horizontally
  SHIM_DT_BOTTOM = 0x10,     // put the text box at the rectangle's bottom
  SHIM_DT_RIGHT = 0x20,      // align each line to the rectangle's right edge
  SHIM_DT_SINGLELINE = 0x40, // line breaks are not honoured (and draw nothing)
  SHIM_DT_NOPREFIX = 0x80,   // accepted for compatibility; '&' is always drawn as itself
  SHIM_DT_NOCLIP = 0x100     // do not clip to the rectangle (the surface always clips)
};

struct SHIM_Rect
{
  int left, top, right, bottom;
};

struct SHIM_TextMetrics
{
  int height;  // line height: ascent + descent
  int ascent;  // baseline below the line's top
  int descent; // lowest ink below the baseline
  int aveCharWidth;
  int maxCharWidth;
};

// How text is drawn: font, colours (0xRRGGBB) and background mode (SHIM_OPAQUE fills the
// text box with the background colour first).
struct SHIM_TextStyle
{
  SHIM_Font* font;
  uint32_t textColor;
  int bkMode;
  uint32_t bkColor;
};

// 32-bit pixels; row y starts at row0 + y * stride (stride in pixels, negative when the
// surface stores its bottom row first).
struct SHIM_Surface
{
  uint32_t* row0;
  ptrdiff_t stride;
  int width;
  int height;
};

// Makes a font. height: the em size in pixels (its absolute value; 0 picks 12, above 4096
// fails); the line height comes out somewhat larger. escapement and orientation in tenths of a
// degree, counter-clockwise (orientation follows escapement). weight 100..900 (700 and above bold).
// The width, underline, strike-out, charset, precision and pitch arguments are accepted for the
// callers' convenience and ignored. A face the platform does not know falls back (Linux:
// fontconfig's best match; macOS: the system font); "Monaco" falls back to the best monospace
// face. Null when no usable font exists.
SHIM_Font* SHIM_CreateFont(int height, int width, int escapement, int orientation, int weight,
                           bool italic, bool underline, bool strikeOut, int charset,
                           int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                           const char* face);
void SHIM_DeleteFont(SHIM_Font* font);

// False for a null font.
bool SHIM_GetTextMetrics(SHIM_Font* font, SHIM_TextMetrics* tm);
// The family actually used (after fallback), or "" for a null font.
const char* SHIM_GetFontFamily(SHIM_Font* font);

// Measures or draws UTF-8 text (len -1: zero-terminated) in rect by the flags. Returns the
// height of the text box (0 for empty text or a bad argument). Without SHIM_DT_SINGLELINE,
// '\n' starts a new line. Invalid UTF-8 draws U+FFFD.
int SHIM_DrawTextOnSurface(const SHIM_Surface* surface, const SHIM_TextStyle* style,
                           const char* text, int len, SHIM_Rect* rect, int flags);
// The same into a memory drawing context with its selected font and text state; a context
// without a font draws and measures nothing.
int SHIM_DrawText(SHIM_GfxContext* ctx, const char* text, int len, SHIM_Rect* rect, int flags);
