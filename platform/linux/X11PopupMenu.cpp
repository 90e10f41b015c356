#include "platform/linux/X11PopupMenu.h"

#include "editor/menu/IPopupMenu.h"
#include "platform/common/MenuTitles.h"
#include "platform/common/SHIM_Font.h"
#include "platform/linux/X11Canvas.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"
#include "util/UTL_String.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <memory>
#include <poll.h>
#include <time.h>
#include <vector>

namespace
{
// Columns: the check mark left of the text, the submenu arrow right of it.
const int kCheckColumn = 22;
const int kArrowColumn = 22;
const int kIndentStep = 12;
const int kMinMenuWidth = 80;
// Submenus nested deeper than this (a menu that contains itself) are not opened.
const int kMaxLevels = 16;

const RAS_Pixel kBackground = RAS_RGBA(242, 242, 242, 255);
const RAS_Pixel kFrame = RAS_RGBA(120, 120, 120, 255);
const RAS_Pixel kText = RAS_RGBA(0, 0, 0, 255);
const RAS_Pixel kDisabledText = RAS_RGBA(160, 160, 160, 255);
const RAS_Pixel kHighlight = RAS_RGBA(52, 101, 164, 255);
const RAS_Pixel kHighlightText = RAS_RGBA(255, 255, 255, 255);
const RAS_Pixel kSeparator = RAS_RGBA(200, 200, 200, 255);

bool IsWheelButton(unsigned button)
{
  return button >= 4 && button <= 7;
}

// Where a row lies in its menu window; rows that do not fit the screen's height continue
// in another column to the right.
struct RowBox
{
  int left, top, bottom;
};

// One open menu window.
struct MenuLevel
{
  IPopupMenu* menu = nullptr;
  std::vector<MenuItemLook> looks;
  std::vector<UTL_String> titles;
  std::vector<RowBox> rows; // window pixels
  int columnWidth = 0;
  int x = 0, y = 0, w = 0, h = 0; // root pixels
  int hover = -1;                 // the highlighted row, -1 none
  int openSubmenuRow = -1;        // the row whose submenu is the next level
  Window window = 0;
  std::unique_ptr<X11Canvas> canvas;

  int Rows() const { return int(looks.size()); }
  bool Contains(int rootX, int rootY) const
  {
    return rootX >= x && rootX < x + w && rootY >= y && rootY < y + h;
  }
  // The row at a window point, -1 on the border or past the rows.
  int RowAt(int wx, int wy) const
  {
    for (int i = 0; i < Rows(); ++i)
    {
      const RowBox& r = rows[size_t(i)];
      if (wx >= r.left && wx < r.left + columnWidth && wy >= r.top && wy < r.bottom) return i;
    }
    return -1;
  }
  bool CanHover(int row) const
  {
    if (row < 0 || row >= Rows()) return false;
    const MenuItemLook& look = looks[size_t(row)];
    return look.kind == MenuItemLook::kSubmenu ||
           (look.kind == MenuItemLook::kEntry && look.enabled);
  }
  bool CanChoose(int row) const
  {
    return CanHover(row) && looks[size_t(row)].kind == MenuItemLook::kEntry;
  }
  IPopupMenu* SubmenuAt(int row) const
  {
    if (row < 0 || row >= Rows() || looks[size_t(row)].kind != MenuItemLook::kSubmenu)
      return nullptr;
    IPopupMenuItem* item = menu->GetItem(row);
    return item ? item->GetSubmenu() : nullptr;
  }
};

class MenuSession
{
public:
  MenuSession(Display* display, int screen);
  ~MenuSession();

  IPopupMenu* Run(int rootX, int rootY, IPopupMenu* menu);

private:
  enum class Outcome
  {
    Continue,
    Chosen,
    Dismissed
  };

  bool OpenLevel(IPopupMenu* menu, int rootX, int rootY, int besideX);
  void CloseLevelsAfter(int level);
  void Layout(MenuLevel* level);
  void Draw(MenuLevel* level);
  int LevelAt(int rootX, int rootY) const;
  void Hover(int level, int row);
  bool Grab();
  bool NextEvent(XEvent* event);
  Outcome Handle(const XEvent& event);
  Outcome HandleKey(const XKeyEvent& key);
  void OpenHoveredSubmenu();
  Outcome Choose(int level, int row);
  int TextWidth(const char* text);

  static Bool IsForSession(Display*, XEvent* event, XPointer session);

  Display* mDisplay;
  int mScreen;
  Visual* mVisual;
  int mDepth;
  GC mGC = nullptr;
  RAS_CachedFont mFont;
  bool mHasFont = false;
  std::vector<std::unique_ptr<MenuLevel>> mLevels;
  std::vector<Window> mClosedWindows; // destroyed here; their queued events are dropped
  bool mPointerGrabbed = false;
  bool mKeyboardGrabbed = false;
  bool mArmed = false; // a release may choose: a press or a drag onto an entry was seen
  int mStartRow = -1;  // the top menu's row under the pointer when the menu appeared
  IPopupMenu* mChosen = nullptr;
};

MenuSession::MenuSession(Display* display, int screen)
    : mDisplay(display), mScreen(screen), mVisual(DefaultVisual(display, screen)),
      mDepth(DefaultDepth(display, screen))
{
  SHIM_Font* font = SHIM_CreateFont(13, 0, 0, 0, SHIM_FW_NORMAL, false, false, false, 0, 0, 0,
                                    SHIM_QUALITY_ANTIALIASED, 0, "Sans");
  if (font)
  {
    mFont.SetFromHFont(font, RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
    mFont.SetBkMode(SHIM_TRANSPARENT);
    mHasFont = true;
  }
}

MenuSession::~MenuSession()
{
  if (mPointerGrabbed) XUngrabPointer(mDisplay, CurrentTime);
  if (mKeyboardGrabbed) XUngrabKeyboard(mDisplay, CurrentTime);
  CloseLevelsAfter(-1);
  if (mGC) XFreeGC(mDisplay, mGC);
  // Nothing of the menu may reach the caller's event loop after it has gone.
  XSync(mDisplay, False);
  XEvent dropped;
  while (XCheckIfEvent(mDisplay, &dropped, IsForSession, XPointer(this)))
  {
  }
}

Bool MenuSession::IsForSession(Display*, XEvent* event, XPointer session)
{
  const MenuSession* s = reinterpret_cast<const MenuSession*>(session);
  const Window w = event->xany.window;
  for (const auto& level : s->mLevels)
    if (level->window == w) return True;
  for (Window closed : s->mClosedWindows)
    if (closed == w) return True;
  return False;
}

int MenuSession::TextWidth(const char* text)
{
  if (!text || !*text) return 0;
  if (!mHasFont) return 7 * int(std::char_traits<char>::length(text));
  RAS_Rect box = {0, 0, 0, 0};
  mFont.DrawText(nullptr, text, -1, &box, RAS_DT_CALCRECT | RAS_DT_SINGLELINE | RAS_DT_NOPREFIX);
  return box.right - box.left;
}

void MenuSession::Layout(MenuLevel* level)
{
  const int n = level->menu->GetNItems();
  const int screenW = DisplayWidth(mDisplay, mScreen);
  const int screenH = DisplayHeight(mDisplay, mScreen);
  const int columnBottom = std::max(kMenuBorder + kMenuRowHeight, screenH - kMenuBorder);
  level->looks.resize(size_t(n));
  level->titles.resize(size_t(n));
  level->rows.resize(size_t(n));
  int textWidth = 0, column = 0, top = kMenuBorder, bottom = kMenuBorder;
  for (int i = 0; i < n; ++i)
  {
    const MenuItemLook look = MenuItemLookOf(*level->menu, i);
    level->looks[size_t(i)] = look;
    const int rowHeight =
        look.kind == MenuItemLook::kSeparator ? kMenuSeparatorHeight : kMenuRowHeight;
    if (top + rowHeight > columnBottom && top > kMenuBorder)
    {
      ++column;
      top = kMenuBorder;
    }
    level->rows[size_t(i)] = RowBox{column, top, top + rowHeight}; // left: column for now
    top += rowHeight;
    bottom = std::max(bottom, top);
    if (look.kind == MenuItemLook::kSeparator) continue;
    MenuItemTitle(*level->menu, i, &level->titles[size_t(i)]);
    textWidth = std::max(textWidth, look.indentation * kIndentStep +
                                        TextWidth(level->titles[size_t(i)].Get()));
  }
  level->columnWidth =
      std::max(kMinMenuWidth - 2 * kMenuBorder, kCheckColumn + textWidth + kArrowColumn);
  // Columns share the screen's width; a title too long for its share is cut.
  const int columns = column + 1;
  const int widthForColumns = std::max(kMinMenuWidth, screenW) - 2 * kMenuBorder;
  level->columnWidth = std::max(1, std::min(level->columnWidth, widthForColumns / columns));
  for (RowBox& r : level->rows)
    r.left = kMenuBorder + r.left * level->columnWidth;
  level->w = 2 * kMenuBorder + columns * level->columnWidth;
  level->h = bottom + kMenuBorder;
}

// Holds [pos, pos + size) inside [0, limit) where it fits, else at 0.
static int KeepInside(int pos, int size, int limit)
{
  if (pos + size > limit) pos = limit - size;
  return pos < 0 ? 0 : pos;
}

bool MenuSession::OpenLevel(IPopupMenu* menu, int rootX, int rootY, int besideX)
{
  if (!menu || menu->GetNItems() <= 0 || int(mLevels.size()) >= kMaxLevels) return false;
  auto level = std::make_unique<MenuLevel>();
  level->menu = menu;
  Layout(level.get());
  const int screenW = DisplayWidth(mDisplay, mScreen);
  const int screenH = DisplayHeight(mDisplay, mScreen);
  // A submenu that does not fit right of its parent goes to the parent's left.
  if (besideX >= 0 && rootX + level->w > screenW) rootX = besideX - level->w;
  level->x = KeepInside(rootX, level->w, screenW);
  level->y = KeepInside(rootY, level->h, screenH);
  level->canvas = std::make_unique<X11Canvas>(mDisplay, mVisual, mDepth);
  if (!level->canvas->Resize(level->w, level->h)) return false;

  XSetWindowAttributes attributes = {};
  attributes.override_redirect = True;
  attributes.save_under = True;
  attributes.background_pixel = WhitePixel(mDisplay, mScreen);
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          KeyPressMask | LeaveWindowMask;
  level->window =
      XCreateWindow(mDisplay, RootWindow(mDisplay, mScreen), level->x, level->y, unsigned(level->w),
                    unsigned(level->h), 0, mDepth, InputOutput, mVisual,
                    CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWEventMask, &attributes);
  if (!level->window) return false;
  Atom type = XInternAtom(mDisplay, "_NET_WM_WINDOW_TYPE", False);
  Atom popup = XInternAtom(mDisplay, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  XChangeProperty(mDisplay, level->window, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&popup), 1);
  if (!mGC) mGC = XCreateGC(mDisplay, level->window, 0, nullptr);
  XMapRaised(mDisplay, level->window);
  mLevels.push_back(std::move(level));
  Draw(mLevels.back().get());
  return true;
}

void MenuSession::CloseLevelsAfter(int level)
{
  while (int(mLevels.size()) > level + 1)
  {
    MenuLevel& last = *mLevels.back();
    XDestroyWindow(mDisplay, last.window);
    mClosedWindows.push_back(last.window);
    mLevels.pop_back();
  }
  if (level >= 0 && level < int(mLevels.size())) mLevels[size_t(level)]->openSubmenuRow = -1;
}

void MenuSession::Draw(MenuLevel* level)
{
  RAS_IBitmap* bmp = level->canvas->Bitmap();
  RAS_FillRect(bmp, 0, 0, level->w, level->h, kBackground, 1.0f, RAS_BLEND_COPY);
  RAS_DrawRect(bmp, 0, 0, level->w - 1, level->h - 1, kFrame, 1.0f, RAS_BLEND_COPY);
  const int inner = level->columnWidth;
  for (int i = 0; i < level->Rows(); ++i)
  {
    const MenuItemLook& look = level->looks[size_t(i)];
    const RowBox& box = level->rows[size_t(i)];
    const int left = box.left, right = box.left + inner, top = box.top, bottom = box.bottom;
    if (look.kind == MenuItemLook::kSeparator)
    {
      const int mid = (top + bottom) / 2;
      RAS_Line(bmp, left + 4, mid, right - 5, mid, kSeparator, 1.0f, RAS_BLEND_COPY, false);
      continue;
    }
    const bool lit = i == level->hover;
    if (lit) RAS_FillRect(bmp, left, top, inner, bottom - top, kHighlight, 1.0f, RAS_BLEND_COPY);
    const RAS_Pixel ink = lit ? kHighlightText : look.enabled ? kText : kDisabledText;
    if (look.checked)
    {
      const int cx = left + 6, cy = (top + bottom) / 2;
      RAS_Line(bmp, cx, cy, cx + 3, cy + 3, ink, 1.0f, RAS_BLEND_COPY, true);
      RAS_Line(bmp, cx + 3, cy + 3, cx + 9, cy - 4, ink, 1.0f, RAS_BLEND_COPY, true);
      RAS_Line(bmp, cx, cy + 1, cx + 3, cy + 4, ink, 1.0f, RAS_BLEND_COPY, true);
      RAS_Line(bmp, cx + 3, cy + 4, cx + 9, cy - 3, ink, 1.0f, RAS_BLEND_COPY, true);
    }
    if (look.kind == MenuItemLook::kSubmenu)
    {
      const int ax = right - kArrowColumn + 8, ay = (top + bottom) / 2;
      RAS_FillTriangle(bmp, ax, ay - 4, ax, ay + 4, ax + 4, ay, ink, 1.0f, RAS_BLEND_COPY);
    }
    if (mHasFont)
    {
      mFont.SetTextColor(ink);
      RAS_Rect text = {left + kCheckColumn + look.indentation * kIndentStep, top,
                       right - kArrowColumn, bottom};
      mFont.DrawText(bmp, level->titles[size_t(i)].Get(), -1, &text,
                     RAS_DT_VCENTER | RAS_DT_SINGLELINE | RAS_DT_NOPREFIX);
    }
  }
  level->canvas->Present(level->window, mGC);
}

int MenuSession::LevelAt(int rootX, int rootY) const
{
  // The deepest window wins where submenus overlap their parent.
  for (int i = int(mLevels.size()) - 1; i >= 0; --i)
    if (mLevels[size_t(i)]->Contains(rootX, rootY)) return i;
  return -1;
}

void MenuSession::Hover(int level, int row)
{
  MenuLevel& l = *mLevels[size_t(level)];
  if (!l.CanHover(row)) row = -1;
  if (row >= 0 && row == l.openSubmenuRow)
  {
    // Back on the row of the open submenu: the submenu stays, its own highlight goes.
    if (int(mLevels.size()) > level + 1 && mLevels[size_t(level) + 1]->hover >= 0)
    {
      mLevels[size_t(level) + 1]->hover = -1;
      Draw(mLevels[size_t(level) + 1].get());
    }
  }
  else
  {
    CloseLevelsAfter(level);
    if (IPopupMenu* sub = l.SubmenuAt(row))
    {
      const RowBox& box = l.rows[size_t(row)];
      const int top = l.y + box.top - kMenuBorder;
      const int right = l.x + box.left + l.columnWidth + kMenuBorder;
      if (OpenLevel(sub, right - 2, top, l.x + box.left - kMenuBorder + 2)) l.openSubmenuRow = row;
    }
  }
  if (l.hover != row)
  {
    l.hover = row;
    Draw(&l);
  }
}

MenuSession::Outcome MenuSession::Choose(int level, int row)
{
  MenuLevel& l = *mLevels[size_t(level)];
  if (!l.CanChoose(row)) return Outcome::Continue;
  l.menu->SetChosenItemIdx(row);
  mChosen = l.menu;
  return Outcome::Chosen;
}

bool MenuSession::Grab()
{
  const Window top = mLevels.front()->window;
  const unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  const timespec step = {0, 5 * 1000 * 1000};
  // A window just mapped, or a button still held on another client's window, may need
  // a moment before the grab succeeds.
  for (int attempt = 0; attempt < 40 && !mPointerGrabbed; ++attempt)
  {
    mPointerGrabbed = XGrabPointer(mDisplay, top, True, mask, GrabModeAsync, GrabModeAsync, None,
                                   None, CurrentTime) == GrabSuccess;
    if (!mPointerGrabbed) nanosleep(&step, nullptr);
  }
  if (!mPointerGrabbed) return false;
  for (int attempt = 0; attempt < 40 && !mKeyboardGrabbed; ++attempt)
  {
    mKeyboardGrabbed = XGrabKeyboard(mDisplay, top, False, GrabModeAsync, GrabModeAsync,
                                     CurrentTime) == GrabSuccess;
    if (!mKeyboardGrabbed) nanosleep(&step, nullptr);
  }
  return true; // without the keyboard the menu still works with the pointer
}

bool MenuSession::NextEvent(XEvent* event)
{
  if (XCheckIfEvent(mDisplay, event, IsForSession, XPointer(this))) return true;
  XFlush(mDisplay);
  pollfd connection = {ConnectionNumber(mDisplay), POLLIN, 0};
  poll(&connection, 1, 50);
  return false;
}

void MenuSession::OpenHoveredSubmenu()
{
  const int active = int(mLevels.size()) - 1;
  MenuLevel& l = *mLevels.back();
  if (!l.SubmenuAt(l.hover)) return;
  Hover(active, l.hover);
  if (int(mLevels.size()) <= active + 1) return;
  MenuLevel& sub = *mLevels.back();
  for (int row = 0; row < sub.Rows(); ++row)
    if (sub.CanHover(row))
    {
      sub.hover = row;
      Draw(&sub);
      return;
    }
}

MenuSession::Outcome MenuSession::HandleKey(const XKeyEvent& key)
{
  XKeyEvent copy = key;
  const KeySym sym = XLookupKeysym(&copy, 0);
  const int active = int(mLevels.size()) - 1;
  MenuLevel& l = *mLevels.back();
  switch (sym)
  {
  case XK_Escape:
    return Outcome::Dismissed;
  case XK_Up:
  case XK_Down:
  {
    const int step = sym == XK_Up ? -1 : 1;
    int row = l.hover;
    for (int tries = 0; tries < l.Rows(); ++tries)
    {
      row = row < 0 ? (step > 0 ? 0 : l.Rows() - 1) : (row + step + l.Rows()) % l.Rows();
      if (l.CanHover(row)) break;
    }
    // Moving onto a submenu row does not open it; Right does.
    if (l.CanHover(row) && row != l.hover)
    {
      l.hover = row;
      Draw(&l);
    }
    return Outcome::Continue;
  }
  case XK_Right:
    OpenHoveredSubmenu();
    return Outcome::Continue;
  case XK_Left:
    if (active > 0) CloseLevelsAfter(active - 1);
    return Outcome::Continue;
  case XK_Return:
  case XK_KP_Enter:
  case XK_space:
    if (!l.SubmenuAt(l.hover)) return Choose(active, l.hover);
    OpenHoveredSubmenu();
    return Outcome::Continue;
  default:
    return Outcome::Continue;
  }
}

MenuSession::Outcome MenuSession::Handle(const XEvent& event)
{
  switch (event.type)
  {
  case Expose:
    if (event.xexpose.count == 0)
      for (auto& level : mLevels)
        if (level->window == event.xexpose.window) level->canvas->Present(level->window, mGC);
    return Outcome::Continue;
  case MotionNotify:
  {
    const int level = LevelAt(event.xmotion.x_root, event.xmotion.y_root);
    if (level < 0) return Outcome::Continue;
    const MenuLevel& l = *mLevels[size_t(level)];
    const int row = l.RowAt(event.xmotion.x_root - l.x, event.xmotion.y_root - l.y);
    // A drag onto another entry than the one the menu appeared under arms the release;
    // the hand's tremor on the starting row does not.
    if ((event.xmotion.state & (Button1Mask | Button3Mask)) && l.CanChoose(row) &&
        (level > 0 || row != mStartRow))
      mArmed = true;
    Hover(level, row);
    return Outcome::Continue;
  }
  case LeaveNotify:
    // Off the deepest menu: its highlight goes unless a submenu hangs from it.
    for (auto& level : mLevels)
      if (level->window == event.xcrossing.window && level->openSubmenuRow < 0 &&
          level->hover >= 0 && event.xcrossing.mode == NotifyNormal)
      {
        level->hover = -1;
        Draw(level.get());
      }
    return Outcome::Continue;
  case ButtonPress:
  {
    if (IsWheelButton(event.xbutton.button)) return Outcome::Continue;
    const int level = LevelAt(event.xbutton.x_root, event.xbutton.y_root);
    if (level < 0) return Outcome::Dismissed;
    mArmed = true;
    const MenuLevel& l = *mLevels[size_t(level)];
    Hover(level, l.RowAt(event.xbutton.x_root - l.x, event.xbutton.y_root - l.y));
    return Outcome::Continue;
  }
  case ButtonRelease:
  {
    if (IsWheelButton(event.xbutton.button) || !mArmed) return Outcome::Continue;
    const int level = LevelAt(event.xbutton.x_root, event.xbutton.y_root);
    if (level < 0) return Outcome::Continue;
    const MenuLevel& l = *mLevels[size_t(level)];
    return Choose(level, l.RowAt(event.xbutton.x_root - l.x, event.xbutton.y_root - l.y));
  }
  case KeyPress:
    return HandleKey(event.xkey);
  default:
    return Outcome::Continue;
  }
}

IPopupMenu* MenuSession::Run(int rootX, int rootY, IPopupMenu* menu)
{
  if (!OpenLevel(menu, rootX, rootY, -1)) return nullptr;
  XSync(mDisplay, False);
  if (!Grab()) return nullptr;
  Window rootReturn, childReturn;
  int px = 0, py = 0, wx = 0, wy = 0;
  unsigned buttons = 0;
  if (XQueryPointer(mDisplay, mLevels.front()->window, &rootReturn, &childReturn, &px, &py, &wx,
                    &wy, &buttons) &&
      mLevels.front()->Contains(px, py))
    mStartRow = mLevels.front()->RowAt(wx, wy);
  for (;;)
  {
    XEvent event;
    if (!NextEvent(&event)) continue;
    const Outcome outcome = Handle(event);
    if (outcome == Outcome::Chosen) return mChosen;
    if (outcome == Outcome::Dismissed) return nullptr;
  }
}
} // namespace

IPopupMenu* RunX11PopupMenu(Display* display, int screen, int rootX, int rootY, IPopupMenu* menu)
{
  if (!display || !menu || screen < 0 || screen >= ScreenCount(display)) return nullptr;
  MenuSession session(display, screen);
  return session.Run(rootX, rootY, menu);
}
