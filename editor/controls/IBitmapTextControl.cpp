#include "editor/controls/IBitmapTextControl.h"

#include "editor/IGraphics.h"

#include <cstring>

void DrawBitmapedText(IGraphics* graphics, const IBitmap* font, const IRECT* rect,
                      const IText* text, const IChannelBlend* blend, const char* str, bool vCenter,
                      bool multiline, int charWidth, int charHeight, int charOffset)
{
  if (!graphics || !font || !rect || !str || !str[0] || charWidth <= 0) return;
  const size_t rawLen = strlen(str);
  const long long len = (long long)rawLen;
  const long long cw = charWidth, ch = charHeight;
  const long long width = (long long)rect->R - rect->L;

  long long y0 = rect->T;
  if (vCenter) y0 = rect->T + ((long long)rect->B - rect->T - ch) / 2;
  long long x0 = rect->L + cw;
  if (text && text->mAlign == IText::kAlignCenter) x0 = rect->L + (width - cw * len) / 2;

  // Room for whole cells once a cell of margin is left on either side.
  const long long avail = width - 2 * cw;
  if (avail <= 0) return;
  long long nRows = 1, perLine = avail / cw;
  if (multiline)
  {
    if (cw * len > avail)
      nRows = cw * len / avail;
    else
      perLine = len;
  }

  IBitmap fontBitmap = *font; // DrawBitmap takes a mutable bitmap
  const char* p = str;
  // Rows 0..nRows inclusive: the last row takes what the division left over.
  for (long long i = 0; i <= nRows; ++i)
  {
    long long x = x0;
    for (long long j = 0; j < perLine; ++j, x += cw + charOffset)
    {
      if (!*p) return;
      // Signed on every platform, so bytes above 127 land on the first frame.
      const int code = static_cast<signed char>(*p++);
      const int frame = code - 31 < 1 ? 1 : code - 31;
      IRECT cell(int(x), int(y0 + i * ch), int(x + cw), int(y0 + (i + 1) * ch));
      graphics->DrawBitmap(&fontBitmap, &cell, frame, blend);
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IEffectBase* plug, const IRECT& rect, const IBitmap* font,
                                       const char* str, const IText* text, int charWidth,
                                       int charHeight, int charOffset)
    : IControl(plug, rect), mStr(str), mCharWidth(charWidth), mCharHeight(charHeight),
      mCharOffset(charOffset)
{
  SetText(text);
  if (font) mFontBitmap = *font;
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) != 0)
  {
    SetDirty(false);
    mStr.Set(str);
  }
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() > 0)
    DrawBitmapedText(graphics, &mFontBitmap, &mRECT, &mText, &mBlend, mStr.Get(), true, false,
                     mCharWidth, mCharHeight, mCharOffset);
  return true;
}
