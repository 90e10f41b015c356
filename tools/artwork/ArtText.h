#pragma once
// Text as coverage masks, set by the drawing shim's fonts (fontconfig + FreeType).
#include "tools/artwork/ArtMask.h"

struct ArtFont
{
  const char* face; // family name, e.g. "DejaVu Sans"
  int size;         // em size in pixels
  int weight;       // 400 normal, 700 bold
  bool italic;
};

// The text's coverage in a mask as large as its text box plus `pad` on every side; tracking
// adds that many pixels between characters (ASCII text). An empty mask when the font is
// missing.
ArtMask TextMask(const ArtFont& font, const char* text, int pad = 0, int tracking = 0);

// Paints text centred on (cx, cy) with a shadow offset by (sdx, sdy) and softened by blur.
void PaintText(RAS_IBitmap* dest, const ArtFont& font, const char* text, double cx, double cy,
               RAS_Pixel color, RAS_Pixel shadow, double shadowOpacity, int sdx, int sdy,
               int blur = 0, int tracking = 0);
