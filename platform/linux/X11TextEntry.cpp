#include "platform/linux/X11TextEntry.h"

#include "platform/common/SHIM_Font.h"
#include "platform/linux/X11Canvas.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"
#include "util/UTL_Utf8.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cstdlib>

namespace
{
const int kPadding = 2; // pixels between the field's edge and the text

// Attributes of the parent, whose visual and depth the field shares.
XWindowAttributes ParentAttributes(Display* display, Window parent)
{
  XWindowAttributes a = {};
  if (!XGetWindowAttributes(display, parent, &a))
  {
    a.visual = DefaultVisual(display, DefaultScreen(display));
    a.depth = DefaultDepth(display, DefaultScreen(display));
  }
  return a;
}

// The character a key types, 0 for none. Latin-1 keysyms are their code points, and
// keysyms from 0x1000100 on carry the code point in their low 24 bits.
char32_t KeysymCharacter(KeySym sym)
{
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return char32_t(U'0' + (sym - XK_KP_0));
  switch (sym)
  {
  case XK_KP_Decimal:
    return U'.';
  case XK_KP_Add:
    return U'+';
  case XK_KP_Subtract:
    return U'-';
  case XK_KP_Multiply:
    return U'*';
  case XK_KP_Divide:
    return U'/';
  case XK_KP_Space:
    return U' ';
  default:
    break;
  }
  if ((sym >= 0x20 && sym <= 0x7e) || (sym >= 0xa0 && sym <= 0xff)) return char32_t(sym);
  const unsigned long cp = sym - 0x1000000;
  if (sym >= 0x1000100 && cp <= 0x10ffff && (cp < 0xd800 || cp > 0xdfff)) return char32_t(cp);
  return 0;
}

RAS_Pixel Pixel(const IColor& c)
{
  return RAS_RGBA(c.R, c.G, c.B, 255);
}
} // namespace

X11TextEntry::X11TextEntry(Display* display, Window parent, const IRECT& rect, const IText& style,
                           const char* initial, const TextEntryRules& rules)
    : mDisplay(display), mWidth(std::max(1, rect.W())), mHeight(std::max(1, rect.H())),
      mStyle(style), mRules(rules), mText(initial ? initial : "")
{
  mStyle.mCached = nullptr; // the editor's font cache is not ours to use
  mCaret = mText.size();
  mAllSelected = !mText.empty();

  const int weight = style.mStyle == IText::kStyleBold ? SHIM_FW_BOLD : SHIM_FW_NORMAL;
  const int size = std::max(2, int(float(style.mSize) * 0.9f));
  if (SHIM_Font* font =
          SHIM_CreateFont(size, 0, 0, 0, weight, style.mStyle == IText::kStyleItalic, false, false,
                          0, 0, 0, SHIM_QUALITY_ANTIALIASED, 0, style.mFont))
  {
    mFont.SetFromHFont(font, RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
    mFont.SetBkMode(SHIM_TRANSPARENT);
    mFont.SetTextColor(Pixel(style.mTextEntryFGColor));
    mHasFont = true;
  }

  const XWindowAttributes parentAttributes = ParentAttributes(display, parent);
  mCanvas = std::make_unique<X11Canvas>(display, parentAttributes.visual, parentAttributes.depth);
  XSetWindowAttributes attributes = {};
  attributes.background_pixmap = None;
  attributes.event_mask =
      ExposureMask | KeyPressMask | FocusChangeMask | ButtonPressMask | StructureNotifyMask;
  mWindow = XCreateWindow(display, parent, rect.L, rect.T, unsigned(mWidth), unsigned(mHeight), 0,
                          parentAttributes.depth, InputOutput, parentAttributes.visual,
                          CWBackPixmap | CWEventMask, &attributes);
  if (!mWindow || !mCanvas->Resize(mWidth, mHeight))
  {
    mState = State::Cancelled;
    return;
  }
  mGC = XCreateGC(display, mWindow, 0, nullptr);
  XMapRaised(display, mWindow);
  XSync(display, False);
  TakeFocusIfViewable();
  Draw(); // and flushes, so the focus is the field's before the next key
}

// The focus can only go to a viewable window (else BadMatch): a field whose parent is not
// shown yet stays without it.
void X11TextEntry::TakeFocusIfViewable()
{
  XWindowAttributes mine = {};
  if (XGetWindowAttributes(mDisplay, mWindow, &mine) && mine.map_state == IsViewable)
    XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
}

X11TextEntry::~X11TextEntry()
{
  if (mGC) XFreeGC(mDisplay, mGC);
  if (mWindow)
  {
    XDestroyWindow(mDisplay, mWindow);
    XFlush(mDisplay);
  }
}

X11TextEntry::State X11TextEntry::HandleEvent(const XEvent& event)
{
  if (mState != State::Open || event.xany.window != mWindow) return mState;
  switch (event.type)
  {
  case Expose:
    if (event.xexpose.count == 0) mCanvas->Present(mWindow, mGC);
    break;
  case MapNotify:
    TakeFocusIfViewable();
    break;
  case DestroyNotify:
    // Gone with its parent: nothing left to destroy.
    mWindow = 0;
    mState = State::Cancelled;
    break;
  case FocusOut:
    // Focus moving inside the field, or a grab by another client (a window manager's
    // key binding), is no loss of focus.
    if ((event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed) &&
        event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer)
      mState = State::Cancelled;
    break;
  case ButtonPress:
    if (event.xbutton.button == Button1)
    {
      mCaret = CaretAt(event.xbutton.x);
      mAllSelected = false;
      Draw();
    }
    break;
  case KeyPress:
    HandleKey(event);
    break;
  default:
    break;
  }
  return mState;
}

void X11TextEntry::HandleKey(const XEvent& event)
{
  const XKeyEvent& key = event.xkey;
  XKeyEvent copy = key;
  char latin1[8];
  KeySym sym = NoSymbol;
  XLookupString(&copy, latin1, sizeof latin1, &sym, nullptr);
  const bool selected = mAllSelected;
  switch (sym)
  {
  case XK_Return:
  case XK_KP_Enter:
    mState = State::Committed;
    return;
  case XK_Escape:
    mState = State::Cancelled;
    return;
  case XK_BackSpace:
    if (selected)
      Replace(0, mText.size(), "", 0);
    else if (mCaret > 0)
      Replace(PreviousBoundary(mCaret), mCaret, "", PreviousBoundary(mCaret));
    break;
  case XK_Delete:
  case XK_KP_Delete:
    if (selected)
      Replace(0, mText.size(), "", 0);
    else if (mCaret < mText.size())
      Replace(mCaret, NextBoundary(mCaret), "", mCaret);
    break;
  // With everything selected, Left and Right collapse the selection to its start or end.
  case XK_Left:
  case XK_KP_Left:
    mCaret = selected ? 0 : PreviousBoundary(mCaret);
    mAllSelected = false;
    break;
  case XK_Right:
  case XK_KP_Right:
    mCaret = selected ? mText.size() : NextBoundary(mCaret);
    mAllSelected = false;
    break;
  case XK_Home:
  case XK_KP_Home:
    mCaret = 0;
    mAllSelected = false;
    break;
  case XK_End:
  case XK_KP_End:
    mCaret = mText.size();
    mAllSelected = false;
    break;
  default:
  {
    // Control and Alt chords are shortcuts, not text.
    if (key.state & (ControlMask | Mod1Mask)) return;
    const char32_t c = KeysymCharacter(sym);
    if (c < 0x20 || c == 0x7f) return;
    char bytes[4];
    const std::string insert(bytes, size_t(UTL_EncodeUtf8(uint32_t(c), bytes)));
    if (selected)
      Replace(0, mText.size(), insert, insert.size());
    else
      Replace(mCaret, mCaret, insert, mCaret + insert.size());
    break;
  }
  }
  Draw();
}

bool X11TextEntry::Replace(size_t from, size_t to, const std::string& insert, size_t caretAfter)
{
  std::string proposed = mText.substr(0, from) + insert + mText.substr(to);
  if (proposed.size() > size_t(1) << 20 ||
      !TextEntryAccepts(mRules, proposed.c_str(), int(proposed.size())))
    return false; // refused: the previous text, caret and selection stay
  mText.swap(proposed);
  mCaret = caretAfter;
  mAllSelected = false;
  return true;
}

size_t X11TextEntry::PreviousBoundary(size_t pos) const
{
  if (pos == 0) return 0;
  --pos;
  while (pos > 0 && (static_cast<unsigned char>(mText[pos]) & 0xC0) == 0x80)
    --pos;
  return pos;
}

size_t X11TextEntry::NextBoundary(size_t pos) const
{
  if (pos >= mText.size()) return mText.size();
  int i = int(pos);
  UTL_DecodeUtf8(reinterpret_cast<const unsigned char*>(mText.data()), int(mText.size()), &i);
  return size_t(i);
}

int X11TextEntry::TextWidth(const char* text, size_t len)
{
  if (!mHasFont || len == 0) return 0;
  RAS_Rect box = {0, 0, 0, 0};
  mFont.DrawText(nullptr, text, int(len), &box,
                 RAS_DT_CALCRECT | RAS_DT_SINGLELINE | RAS_DT_NOPREFIX);
  return box.right - box.left;
}

// Where the text starts: by the style's alignment while it fits, otherwise scrolled just
// enough to keep the caret inside the field.
int X11TextEntry::TextLeft(int textWidth, int caretX)
{
  const int room = mWidth - 2 * kPadding;
  if (textWidth <= room)
  {
    mScroll = 0;
    if (mStyle.mAlign == IText::kAlignCenter) return kPadding + (room - textWidth) / 2;
    if (mStyle.mAlign == IText::kAlignFar) return kPadding + room - textWidth;
    return kPadding;
  }
  if (caretX - mScroll > room) mScroll = caretX - room;
  if (caretX - mScroll < 0) mScroll = caretX;
  mScroll = std::min(mScroll, textWidth - room);
  return kPadding - mScroll;
}

size_t X11TextEntry::CaretAt(int x)
{
  const int left = TextLeft(TextWidth(mText.data(), mText.size()), TextWidth(mText.data(), mCaret));
  size_t best = 0;
  int bestDistance = std::abs(left - x);
  for (size_t pos = NextBoundary(0); pos <= mText.size() && pos > 0;)
  {
    const int d = std::abs(left + TextWidth(mText.data(), pos) - x);
    if (d < bestDistance)
    {
      best = pos;
      bestDistance = d;
    }
    if (pos == mText.size()) break;
    pos = NextBoundary(pos);
  }
  return best;
}

void X11TextEntry::Draw()
{
  RAS_IBitmap* bmp = mCanvas->Bitmap();
  const RAS_Pixel background = Pixel(mStyle.mTextEntryBGColor);
  const RAS_Pixel ink = Pixel(mStyle.mTextEntryFGColor);
  RAS_FillRect(bmp, 0, 0, mWidth, mHeight, background, 1.0f, RAS_BLEND_COPY);
  const int textWidth = TextWidth(mText.data(), mText.size());
  const int caretX = TextWidth(mText.data(), mCaret);
  const int left = TextLeft(textWidth, caretX);
  if (mHasFont && !mText.empty())
  {
    if (mAllSelected)
    {
      // The selection shows inverted: the text's colour behind, the background's as ink.
      RAS_FillRect(bmp, left, 1, textWidth, mHeight - 2, ink, 1.0f, RAS_BLEND_COPY);
      mFont.SetTextColor(background);
    }
    RAS_Rect box = {left, 0, left + textWidth + 1, mHeight};
    mFont.DrawText(bmp, mText.c_str(), int(mText.size()), &box,
                   RAS_DT_VCENTER | RAS_DT_SINGLELINE | RAS_DT_NOPREFIX);
    mFont.SetTextColor(ink);
  }
  if (!mAllSelected)
  {
    const int x = std::min(left + caretX, mWidth - 1);
    const int margin = mHeight > 6 ? 2 : 0;
    RAS_Line(bmp, x, margin, x, mHeight - 1 - margin, ink, 1.0f, RAS_BLEND_COPY, false);
  }
  mCanvas->Present(mWindow, mGC);
  XFlush(mDisplay);
}
