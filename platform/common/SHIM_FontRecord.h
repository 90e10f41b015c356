#pragma once
// The record behind a SHIM_Font, the same on every platform: metrics, family, direction and
// the glyph cache the text layout draws from. Each platform makes the record in its
// SHIM_CreateFont, attaches its face and renders glyphs through SHIM_RenderGlyph.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/common/SHIM_Font.h"

// One rendered code point: a coverage mask (row 0 at the top, 0 none .. 255 full) placed
// relative to the pen, and the pen's move.
struct SHIM_Glyph
{
  int left = 0; // bitmap offset from the pen, pixels right
  int top = 0;  // bitmap offset from the pen, pixels up
  int width = 0;
  int height = 0;
  int advance = 0; // along the baseline, whole pixels
  int advX = 0;    // screen advance in 26.6 (differs from advance only for turned text)
  int advY = 0;    // screen y grows downwards
  std::vector<uint8_t> coverage;
};

struct SHIM_FontFace; // the platform's face; defined by each platform's font file

// Fields above the mutex are set while the font is made and only read after that, from any
// thread; the glyph cache changes under the mutex.
struct SHIM_Font
{
  SHIM_FontFace* face = nullptr;
  std::string family;
  bool antialias = true;
  bool turned = false; // escapement not a whole turn
  double angle = 0.0;  // of the baseline, radians counter-clockwise (0 unless turned)
  SHIM_TextMetrics metrics{};
  std::mutex mutex; // guards face and the glyph cache
  std::unordered_map<uint32_t, SHIM_Glyph> glyphs;
  size_t glyphBytes = 0;
};

// The em size in pixels for a requested font height: its absolute value, 12 for 0, and 0
// (no font) beyond 4096 either way: an absurd size would make glyph bitmaps without bound.
int SHIM_EmPixels(int height);

// The glyph of cp, rendered on first use; the caller holds font->mutex (or is the only user,
// while the font is being made). Control characters are empty and do not move the pen.
const SHIM_Glyph& SHIM_GetGlyph(SHIM_Font* font, uint32_t cp);

// Implemented by each platform: renders cp with the font's face, antialias and turn into g
// (empty on entry). A code point the face cannot render leaves g empty or with an advance only.
void SHIM_RenderGlyph(SHIM_Font* font, uint32_t cp, SHIM_Glyph* g);
