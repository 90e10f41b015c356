#pragma once
// Text drawn from a bitmap font: a strip with one frame per character, frame k for
// character code k + 31 (frame 1 is the space; codes at or below 32 and bytes with
// the high bit set show frame 1).
#include "editor/controls/IControl.h"
#include "util/UTL_String.h"

// Draws str into rect in cells of charWidth x charHeight, advancing by
// charWidth + charOffset. Centred alignment centres the line, others start one cell
// in. A row holds (width - 2 cells) / charWidth characters and the text runs on
// into the next row; multiline allows as many rows as the text needs. A cell
// wider than the rectangle allows draws nothing.
void DrawBitmapedText(IGraphics* graphics, const IBitmap* font, const IRECT* rect,
                      const IText* text, const IChannelBlend* blend, const char* str,
                      bool vCenter = true, bool multiline = false, int charWidth = 6,
                      int charHeight = 12, int charOffset = 0);

class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IEffectBase* plug, const IRECT& rect, const IBitmap* font,
                     const char* str = "", const IText* text = nullptr, int charWidth = 6,
                     int charHeight = 12, int charOffset = 0);
  // Only a different text marks the control dirty (without informing the plug-in).
  void SetTextFromPlug(const char* str) override;
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  bool Draw(IGraphics* graphics) override;
  const char* GetTextString() const { return mStr.Get(); }

protected:
  UTL_String mStr;
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mFontBitmap;
};
