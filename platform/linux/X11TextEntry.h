#pragma once
// The editor's text entry on X11: a small edit field drawn with the raster library, living
// as a child window of the editor window. It is driven by the editor window's event loop
// on the thread that owns the Display connection.
#include "editor/IGraphicsTypes.h"
#include "platform/common/TextEntryRules.h"
#include "platform/linux/X11Forward.h"
#include "raster/RAS_CachedFont.h"

#include <memory>
#include <string>

class X11Canvas;

class X11TextEntry
{
public:
  // A small edit field as a child of `parent`, over `rect` (the parent's pixels), styled by
  // `style`, holding `initial`, refusing changes that `rules` do not accept. The initial
  // text starts selected, so that typing replaces it; the field takes the keyboard focus
  // once it is shown. The rules' character set must outlive the entry.
  X11TextEntry(Display* display, Window parent, const IRECT& rect, const IText& style,
               const char* initial, const TextEntryRules& rules);
  ~X11TextEntry(); // destroys its window and X resources: delete it before its parent goes
  X11TextEntry(const X11TextEntry&) = delete;
  X11TextEntry& operator=(const X11TextEntry&) = delete;

  enum class State
  {
    Open,
    Committed,
    Cancelled
  };

  Window GetWindow() const { return mWindow; }
  // One event for the entry's window (keys, focus, expose, buttons): Enter commits,
  // Escape or focus loss cancels. Once closed the entry ignores further events.
  State HandleEvent(const XEvent& event);
  State GetState() const { return mState; }
  const char* GetText() const { return mText.c_str(); } // UTF-8

private:
  void HandleKey(const XEvent& event);
  void TakeFocusIfViewable();
  // Replaces bytes [from, to) of the text by `insert` when the rules accept the result.
  bool Replace(size_t from, size_t to, const std::string& insert, size_t caretAfter);
  size_t PreviousBoundary(size_t pos) const;
  size_t NextBoundary(size_t pos) const;
  int TextWidth(const char* text, size_t len);
  int TextLeft(int textWidth, int caretX);
  size_t CaretAt(int x);
  void Draw();

  Display* mDisplay;
  Window mWindow = 0;
  GC mGC = nullptr;
  int mWidth, mHeight;
  IText mStyle;
  TextEntryRules mRules;
  RAS_CachedFont mFont;
  bool mHasFont = false;
  std::unique_ptr<X11Canvas> mCanvas;
  std::string mText;
  size_t mCaret = 0;         // byte offset, always on a character boundary
  bool mAllSelected = false; // the whole text is selected; typing replaces it
  int mScroll = 0;           // pixels the text is moved left to keep the caret in view
  State mState = State::Open;
};
