#pragma once
// Value types shared by the editor, its controls and the platform layers.
#include <algorithm>
#include <cstring>

#include "util/UTL_CopyTruncated.h"

class RAS_IBitmap;
class RAS_IFont;

// A rectangle in editor pixels: origin top left, y downwards, right and bottom exclusive.
// All four edges 0 is the one empty rectangle.
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  void Clear() { L = T = R = B = 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return 0.5f * float(L + R); }
  float MH() const { return 0.5f * float(T + B); }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  bool Contains(const IRECT& o) const
  {
    return !Empty() && !o.Empty() && o.L >= L && o.R <= R && o.T >= T && o.B <= B;
  }
  // Inclusive on this rectangle's right and bottom edges, so touching rectangles count.
  bool Intersects(const IRECT& o) const
  {
    return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
  }
  IRECT Intersect(const IRECT& o) const
  {
    if (!Intersects(o)) return IRECT();
    return IRECT(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
  }
  IRECT Union(const IRECT& o) const
  {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
  }
};

// Components 0..255 in the order A, R, G, B.
struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
};

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);
const IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// Raster pixel: bytes A, R, G, B in memory, i.e. A | R << 8 | G << 16 | B << 24 on a
// little-endian machine; not premultiplied.
inline unsigned int IColorToPixel(const IColor& c)
{
  return (unsigned(c.A) & 0xFFu) | (unsigned(c.R) & 0xFFu) << 8 | (unsigned(c.G) & 0xFFu) << 16 |
         (unsigned(c.B) & 0xFFu) << 24;
}
inline IColor PixelToIColor(unsigned int p)
{
  return IColor(int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF), int(p >> 24 & 0xFF));
}

// A text style. The cached font belongs to the process-wide font cache.
struct IText
{
  enum EStyle
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2
  };
  enum EAlign
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2
  };
  enum EQuality
  {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };

  char mFont[32];
  int mSize = 10;
  IColor mColor = DEFAULT_TEXT_COLOR;
  IColor mTextEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
  IColor mTextEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
  int mStyle = kStyleNormal;
  int mAlign = kAlignCenter;
  int mOrientation = 0; // degrees
  int mQuality = kQualityDefault;
  RAS_IFont* mCached = nullptr;

  IText() { SetFace("Monaco"); }
  IText(int size, const IColor* color = nullptr, const char* face = nullptr,
        int style = kStyleNormal, int align = kAlignCenter, int orientation = 0,
        int quality = kQualityDefault)
      : mSize(size), mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality)
  {
    SetFace(face ? face : "Monaco");
    if (color) mColor = *color;
  }
  explicit IText(const IColor* color) : IText(10, color) {}

  // Longer names are cut to 31 characters.
  void SetFace(const char* face) { CopyTruncated(mFont, face); }
};

// An image and how it divides into frames. The raster bitmap belongs to the
// process-wide bitmap cache. A bitmap that could not be loaded has no raster
// bitmap and size 0 x 0; drawing it draws nothing.
struct IBitmap
{
  RAS_IBitmap* mData = nullptr;
  int W = 0, H = 0; // the whole image, all frames
  int N = 1;        // frames, at least 1
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(RAS_IBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false)
      : mData(data), W(w), H(h), N(n < 1 ? 1 : n), mFramesAreHorizontal(framesAreHorizontal)
  {
  }
  // One frame's size; frames are numbered from 1.
  int FrameWidth() const { return mFramesAreHorizontal ? W / N : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / N; }
};

struct IChannelBlend
{
  enum EBlendMethod
  {
    kBlendNone = 0,      // copy using source alpha
    kBlendClobber = 1,   // copy ignoring source alpha
    kBlendAdd = 2,       // add
    kBlendColorDodge = 3 // colour dodge
  };

  int mMethod = kBlendNone;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// Mouse buttons and modifiers of an event.
struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a)
  {
  }
};

enum EDirection
{
  kVertical = 0,
  kHorizontal = 1
};

// Editor key codes, as produced by the platform layers.
enum EIKeyCode
{
  KEY_SPACE = 0,
  KEY_UPARROW = 1,
  KEY_DOWNARROW = 2,
  KEY_LEFTARROW = 3,
  KEY_RIGHTARROW = 4,
  KEY_DIGIT_0 = 5, // ... KEY_DIGIT_0 + 9
  KEY_DIGIT_9 = 14,
  KEY_ALPHA_A = 15, // ... KEY_ALPHA_A + 25
  KEY_ALPHA_Z = 40
};
