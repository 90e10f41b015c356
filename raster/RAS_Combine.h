#pragma once
// Per-pixel combine operators. Each is a struct with one static function
//   Combine(uint8_t* d, int r, int g, int b, int a, int w)
// that updates the destination pixel's bytes d[0] = A, d[1] = R, d[2] = G, d[3] = B from
// source components r, g, b, a (0..255) at weight w (256 is full). Structs rather than plain
// functions so that loops can be instantiated per operator and inline it.
//
// All divisions are C++ integer divisions, which truncate toward zero also for negative
// products: (-128) / 256 is 0, not -1. clamp limits to 0..255.
#include <cstdint>

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_Raster.h"

inline int RAS_Clamp255(int v)
{
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// D = S for all four bytes. Copy at weight 256.
struct RAS_CombinePixelsClobberNoClamp
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int)
  {
    d[0] = uint8_t(a);
    d[1] = uint8_t(r);
    d[2] = uint8_t(g);
    d[3] = uint8_t(b);
  }
};

// D = S + (D - S) * (256 - w) / 256. Weights above 256 would overshoot and wrap the byte,
// so they count as 256.
struct RAS_CombinePixelsCopyNoClamp
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    if (w > 256) w = 256;
    const int iw = 256 - w;
    d[0] = uint8_t(a + (d[0] - a) * iw / 256);
    d[1] = uint8_t(r + (d[1] - r) * iw / 256);
    d[2] = uint8_t(g + (d[2] - g) * iw / 256);
    d[3] = uint8_t(b + (d[3] - b) * iw / 256);
  }
};

// D = clamp(D + S * w / 256).
struct RAS_CombinePixelsAdd
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    d[0] = uint8_t(RAS_Clamp255(d[0] + a * w / 256));
    d[1] = uint8_t(RAS_Clamp255(d[1] + r * w / 256));
    d[2] = uint8_t(RAS_Clamp255(d[2] + g * w / 256));
    d[3] = uint8_t(RAS_Clamp255(d[3] + b * w / 256));
  }
};

// s = S * w / 256; D = clamp(D * 256 / (256 - s)) while s < 255, else clamp(D * 256).
struct RAS_CombinePixelsColorDodge
{
  static inline int Dodge(int dv, int sv, int w)
  {
    const int s = sv * w / 256;
    if (s < 255) return RAS_Clamp255(dv * 256 / (256 - s));
    return RAS_Clamp255(dv * 256);
  }
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    d[0] = uint8_t(Dodge(d[0], a, w));
    d[1] = uint8_t(Dodge(d[1], r, w));
    d[2] = uint8_t(Dodge(d[2], g, w));
    d[3] = uint8_t(Dodge(d[3], b, w));
  }
};

// D = D * (S * w + (256 - w) * 256) / 65536. Stays in 0..255 only for w in 0..256, so the
// weight is held there.
struct RAS_CombinePixelsMulNoClamp
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    if (w > 256) w = 256;
    if (w < 0) w = 0;
    const int k = (256 - w) * 256;
    d[0] = uint8_t(d[0] * (a * w + k) / 65536);
    d[1] = uint8_t(d[1] * (r * w + k) / 65536);
    d[2] = uint8_t(d[2] * (g * w + k) / 65536);
    d[3] = uint8_t(d[3] * (b * w + k) / 65536);
  }
};

// s = S * w + (256 - w) * 128 (a source of 128 is neutral);
// D = clamp(((32768 - s) * D / 256 + s) * D / 32768).
struct RAS_CombinePixelsOverlay
{
  static inline int Over(int dv, int sv, int w)
  {
    const int s = sv * w + (256 - w) * 128;
    return RAS_Clamp255(int((int64_t(32768 - s) * dv / 256 + s) * dv / 32768));
  }
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    d[0] = uint8_t(Over(d[0], a, w));
    d[1] = uint8_t(Over(d[1], r, w));
    d[2] = uint8_t(Over(d[2], g, w));
    d[3] = uint8_t(Over(d[3], b, w));
  }
};

// Turns the destination into hue (0..383, six sectors of 64), saturation and value, shifts
// them by r, g and b (128 is neutral for each) scaled by w, and turns it back. A becomes a.
struct RAS_CombinePixelsHSVAdjust
{
  static void Combine(uint8_t* d, int r, int g, int b, int a, int w);
};

// Source-alpha weight: w' = w * (a + 1) / 256.
inline int RAS_SourceAlphaWeight(int w, int a)
{
  return w * (a + 1) / 256;
}

// R, G, B: D = S + (D - S) * (256 - w') / 256; A: D = min(255, D + w'). Nothing for a = 0.
struct RAS_CombinePixelsCopySourceAlphaNoClamp
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    if (w > 256) w = 256;
    const int ws = RAS_SourceAlphaWeight(w, a);
    const int iw = 256 - ws;
    const int na = d[0] + ws;
    d[0] = uint8_t(na > 255 ? 255 : na);
    d[1] = uint8_t(r + (d[1] - r) * iw / 256);
    d[2] = uint8_t(g + (d[2] - g) * iw / 256);
    d[3] = uint8_t(b + (d[3] - b) * iw / 256);
  }
};

// Source-alpha copy at weight 256: a = 255 replaces R, G, B and makes A 255; otherwise
// R, G, B: D = S + (D - S) * (255 - a) / 256 (255, not 256) and A: min(255, D + a).
struct RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int)
  {
    if (a == 0) return;
    if (a == 255)
    {
      d[0] = 255;
      d[1] = uint8_t(r);
      d[2] = uint8_t(g);
      d[3] = uint8_t(b);
      return;
    }
    const int ia = 255 - a;
    const int na = d[0] + a;
    d[0] = uint8_t(na > 255 ? 255 : na);
    d[1] = uint8_t(r + (d[1] - r) * ia / 256);
    d[2] = uint8_t(g + (d[2] - g) * ia / 256);
    d[3] = uint8_t(b + (d[3] - b) * ia / 256);
  }
};

// D = clamp(D + S * w' / 256) for all four bytes. Nothing for a = 0.
struct RAS_CombinePixelsAddSourceAlpha
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    RAS_CombinePixelsAdd::Combine(d, r, g, b, a, RAS_SourceAlphaWeight(w, a));
  }
};

struct RAS_CombinePixelsColorDodgeSourceAlpha
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    RAS_CombinePixelsColorDodge::Combine(d, r, g, b, a, RAS_SourceAlphaWeight(w, a));
  }
};

// Nothing for a = 0.
struct RAS_CombinePixelsMulSourceAlpha
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    RAS_CombinePixelsMulNoClamp::Combine(d, r, g, b, a, RAS_SourceAlphaWeight(w, a));
  }
};

struct RAS_CombinePixelsOverlaySourceAlpha
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    RAS_CombinePixelsOverlay::Combine(d, r, g, b, a, RAS_SourceAlphaWeight(w, a));
  }
};

struct RAS_CombinePixelsHSVAdjustSourceAlpha
{
  static inline void Combine(uint8_t* d, int r, int g, int b, int a, int w)
  {
    RAS_CombinePixelsHSVAdjust::Combine(d, r, g, b, a, RAS_SourceAlphaWeight(w, a));
  }
};

// Calls f(Op()) with the operator that mode and weight w select for blits and blended
// shapes, and returns true; returns false (calling nothing) when they draw nothing.
// Copy: clobber at w = 256, the copy operator for other positive w, nothing below 1; with
// source alpha its weight-256 form at w = 256. Other operations: nothing at w = 0 or for an
// unknown low byte. The filter bits are ignored here.
template <class F> inline bool RAS_DispatchCombine(int mode, int w, F&& f)
{
  const bool sa = (mode & RAS_BLEND_USE_SOURCE_ALPHA) != 0;
  switch (mode & RAS_BLEND_MASK)
  {
  case RAS_BLEND_COPY:
    if (w < 1) return false;
    if (sa)
    {
      if (w == 256)
        f(RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp());
      else
        f(RAS_CombinePixelsCopySourceAlphaNoClamp());
    }
    else if (w == 256)
      f(RAS_CombinePixelsClobberNoClamp());
    else
      f(RAS_CombinePixelsCopyNoClamp());
    return true;
  case RAS_BLEND_ADD:
    if (w == 0) return false;
    if (sa)
      f(RAS_CombinePixelsAddSourceAlpha());
    else
      f(RAS_CombinePixelsAdd());
    return true;
  case RAS_BLEND_COLORDODGE:
    if (w == 0) return false;
    if (sa)
      f(RAS_CombinePixelsColorDodgeSourceAlpha());
    else
      f(RAS_CombinePixelsColorDodge());
    return true;
  case RAS_BLEND_MUL:
    if (w == 0) return false;
    if (sa)
      f(RAS_CombinePixelsMulSourceAlpha());
    else
      f(RAS_CombinePixelsMulNoClamp());
    return true;
  case RAS_BLEND_OVERLAY:
    if (w == 0) return false;
    if (sa)
      f(RAS_CombinePixelsOverlaySourceAlpha());
    else
      f(RAS_CombinePixelsOverlay());
    return true;
  case RAS_BLEND_HSVADJ:
    if (w == 0) return false;
    if (sa)
      f(RAS_CombinePixelsHSVAdjustSourceAlpha());
    else
      f(RAS_CombinePixelsHSVAdjust());
    return true;
  default:
    return false;
  }
}

// Combines one packed pixel's components with operator Op.
template <class Op> inline void RAS_CombinePixel(RAS_Pixel* d, RAS_Pixel s, int w)
{
  Op::Combine(reinterpret_cast<uint8_t*>(d), RAS_GetR(s), RAS_GetG(s), RAS_GetB(s), RAS_GetA(s), w);
}

// The integer weight of a float alpha: (int)(alpha * 256.0), so 1.0 gives 256. Held within
// +-65536 (and NaN made 0) because converting an out-of-range double to int is undefined
// and larger weights would overflow the operators' products.
inline int RAS_Weight(double alpha)
{
  const double v = alpha * 256.0;
  if (v != v) return 0;
  if (v > 65536.0) return 65536;
  if (v < -65536.0) return -65536;
  return int(v);
}
