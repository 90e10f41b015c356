#include "XServerFixture.h"

#include "core/IParam.h"
#include "editor/menu/IPopupMenu.h"
#include "platform/linux/X11PopupMenu.h"
#include "platform/linux/X11TextEntry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <poll.h>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace
{
using Clock = std::chrono::steady_clock;

// Mapped override-redirect children of the root: the open menu windows, bottom first.
std::vector<XWindowAttributes> MenuWindows(Display* d)
{
  std::vector<XWindowAttributes> found;
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  // Held still while listed: a menu window closing in between would be a BadWindow.
  XGrabServer(d);
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) n = 0;
  for (unsigned i = 0; i < n; ++i)
  {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect &&
        a.map_state == IsViewable)
      found.push_back(a);
  }
  if (children) XFree(children);
  XUngrabServer(d);
  XFlush(d);
  return found;
}

// Waits until `count` menu windows are up and the menu holds the pointer.
std::vector<XWindowAttributes> WaitForMenus(Display* d, size_t count)
{
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  for (;;)
  {
    std::vector<XWindowAttributes> menus = MenuWindows(d);
    if (menus.size() == count)
    {
      const int grab = XGrabPointer(d, DefaultRootWindow(d), False, 0, GrabModeAsync, GrabModeAsync,
                                    None, None, CurrentTime);
      if (grab == GrabSuccess) XUngrabPointer(d, CurrentTime);
      XSync(d, False);
      if (grab == AlreadyGrabbed) return menus;
    }
    if (Clock::now() > deadline)
    {
      ADD_FAILURE() << "menu windows: " << menus.size() << ", expected " << count;
      return menus;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Runs the menu on `display` while `drive` plays the user on a second connection.
IPopupMenu* RunMenuDriven(Display* display, int x, int y, IPopupMenu* menu,
                          const std::function<void(Display*)>& drive)
{
  Display* driver = OpenTestDisplay();
  std::thread user(
      [&]
      {
        drive(driver);
        // A menu still open after the script would hang the test: fail and close it.
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        while (!MenuWindows(driver).empty() && Clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!MenuWindows(driver).empty())
        {
          ADD_FAILURE() << "the menu did not close";
          SendKey(driver, XK_Escape);
        }
        XCloseDisplay(driver);
      });
  IPopupMenu* result = RunX11PopupMenu(display, DefaultScreen(display), x, y, menu);
  user.join();
  EXPECT_TRUE(MenuWindows(display).empty()) << "menu windows left behind";
  return result;
}

// The middle of row `row` of a menu window whose rows have these heights.
int RowMiddle(const XWindowAttributes& w, const std::vector<int>& heights, int row)
{
  int top = w.y + kMenuBorder;
  for (int i = 0; i < row; ++i)
    top += heights[size_t(i)];
  return top + heights[size_t(row)] / 2;
}
} // namespace

TEST(X11PopupMenu, ChoosesFromMenuAndSubmenuAndDismisses)
{
  Display* display = OpenTestDisplay();
  ASSERT_NE(nullptr, display);
  // Another window of the caller's, with an event waiting that the menu must leave queued.
  Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
  XEvent note = {};
  note.xclient.type = ClientMessage;
  note.xclient.window = other;
  note.xclient.format = 32;
  XSendEvent(display, other, False, NoEventMask, &note);

  IPopupMenu sub;
  sub.AddItem("Sub one");
  sub.AddItem("Sub two");
  IPopupMenu top;
  top.AddItem("Alpha");
  top.AddItem("Beta", -1, IPopupMenuItem::kChecked);
  top.AddSeparator();
  top.AddItem("Gamma", -1, IPopupMenuItem::kDisabled);
  top.AddItem("More", &sub);
  const std::vector<int> rows = {kMenuRowHeight, kMenuRowHeight, kMenuSeparatorHeight,
                                 kMenuRowHeight, kMenuRowHeight};

  // A click on an entry chooses it.
  IPopupMenu* chosen = RunMenuDriven(display, 100, 100, &top,
                                     [&](Display* d)
                                     {
                                       const XWindowAttributes w = WaitForMenus(d, 1)[0];
                                       EXPECT_EQ(100, w.x);
                                       EXPECT_EQ(100, w.y);
                                       ClickAt(d, w.x + 20, RowMiddle(w, rows, 0));
                                     });
  EXPECT_EQ(&top, chosen);
  EXPECT_EQ(0, top.GetChosenItemIdx());

  // Hovering "More" opens the submenu beside it; a click there answers with the submenu.
  top.SetChosenItemIdx(-1);
  chosen = RunMenuDriven(display, 100, 100, &top,
                         [&](Display* d)
                         {
                           const XWindowAttributes w = WaitForMenus(d, 1)[0];
                           MoveTo(d, w.x + 20, RowMiddle(w, rows, 4));
                           const std::vector<XWindowAttributes> both = WaitForMenus(d, 2);
                           const XWindowAttributes& s = both[1].x == w.x ? both[0] : both[1];
                           EXPECT_GE(s.x, w.x + w.width - 4); // beside its parent
                           EXPECT_EQ(RowMiddle(w, rows, 4) - kMenuRowHeight / 2 - kMenuBorder, s.y);
                           MoveTo(d, s.x + 20, RowMiddle(s, {kMenuRowHeight}, 0));
                           ClickAt(d, s.x + 20, RowMiddle(s, rows, 1));
                         });
  EXPECT_EQ(&sub, chosen);
  EXPECT_EQ(1, sub.GetChosenItemIdx());
  EXPECT_EQ(-1, top.GetChosenItemIdx());

  // The release of the press that opened the menu under the pointer chooses nothing, even
  // after a tremor; a drag onto another entry and a release there chooses that one.
  Display* presser = OpenTestDisplay();
  MoveTo(presser, 120, 100 + kMenuBorder + kMenuRowHeight / 2); // row 0 of the menu below
  XTestFakeButtonEvent(presser, 1, True, 0);
  XSync(presser, False);
  chosen = RunMenuDriven(display, 100, 100, &top,
                         [&](Display* d)
                         {
                           const XWindowAttributes w = WaitForMenus(d, 1)[0];
                           MoveTo(d, w.x + 22, RowMiddle(w, rows, 0) + 1);
                           XTestFakeButtonEvent(d, 1, False, 0);
                           XSync(d, False);
                           EXPECT_EQ(1u, WaitForMenus(d, 1).size()); // still open
                           XTestFakeButtonEvent(d, 1, True, 0);
                           MoveTo(d, w.x + 20, RowMiddle(w, rows, 1));
                           XTestFakeButtonEvent(d, 1, False, 0);
                           XSync(d, False);
                         });
  EXPECT_EQ(&top, chosen);
  EXPECT_EQ(1, top.GetChosenItemIdx());
  top.SetChosenItemIdx(-1);
  XCloseDisplay(presser);
  // Disabled entries and separators choose nothing; Escape and a click outside dismiss.
  chosen = RunMenuDriven(display, 100, 100, &top,
                         [&](Display* d)
                         {
                           const XWindowAttributes w = WaitForMenus(d, 1)[0];
                           ClickAt(d, w.x + 20, RowMiddle(w, rows, 3));
                           ClickAt(d, w.x + 20, RowMiddle(w, rows, 2));
                           SendKey(d, XK_Escape);
                         });
  EXPECT_EQ(nullptr, chosen);
  EXPECT_EQ(-1, top.GetChosenItemIdx());
  chosen = RunMenuDriven(display, 100, 100, &top,
                         [&](Display* d)
                         {
                           const XWindowAttributes w = WaitForMenus(d, 1)[0];
                           ClickAt(d, w.x + w.width + 50, w.y + 5);
                         });
  EXPECT_EQ(nullptr, chosen);

  // Keys: Down skips the separator and the disabled entry, Right opens the submenu on its
  // first entry, Return chooses. Opened at the screen's corner, the menu stays inside.
  const int screenW = DisplayWidth(display, DefaultScreen(display));
  const int screenH = DisplayHeight(display, DefaultScreen(display));
  sub.SetChosenItemIdx(-1);
  chosen = RunMenuDriven(display, screenW - 5, screenH - 5, &top,
                         [&](Display* d)
                         {
                           const XWindowAttributes w = WaitForMenus(d, 1)[0];
                           EXPECT_EQ(screenW, w.x + w.width);
                           EXPECT_EQ(screenH, w.y + w.height);
                           MoveTo(d, 0, 0); // the pointer off the menu
                           for (int i = 0; i < 3; ++i)
                             SendKey(d, XK_Down);
                           SendKey(d, XK_Right);
                           const std::vector<XWindowAttributes> both = WaitForMenus(d, 2);
                           for (const XWindowAttributes& m : both)
                             EXPECT_LE(m.x + m.width, screenW);
                           SendKey(d, XK_Return);
                         });
  EXPECT_EQ(&sub, chosen);
  EXPECT_EQ(0, sub.GetChosenItemIdx());

  // A menu taller than the screen continues in columns; every item stays reachable.
  IPopupMenu tall;
  for (int i = 0; i < 100; ++i)
    tall.AddItem("Preset");
  const int perColumn = (screenH - 2 * kMenuBorder) / kMenuRowHeight;
  const int pick = perColumn + 2; // the third row of the second column
  chosen = RunMenuDriven(display, 0, 0, &tall,
                         [&](Display* d)
                         {
                           const XWindowAttributes w = WaitForMenus(d, 1)[0];
                           EXPECT_LE(w.height, screenH);
                           const int columns = (100 + perColumn - 1) / perColumn;
                           const int columnWidth = (w.width - 2 * kMenuBorder) / columns;
                           ClickAt(d, w.x + kMenuBorder + columnWidth + columnWidth / 2,
                                   w.y + kMenuBorder + 2 * kMenuRowHeight + kMenuRowHeight / 2);
                         });
  EXPECT_EQ(&tall, chosen);
  EXPECT_EQ(pick, tall.GetChosenItemIdx());

  XSync(display, False);
  XEvent kept;
  EXPECT_TRUE(XCheckTypedWindowEvent(display, other, ClientMessage, &kept));
  XDestroyWindow(display, other);
  XCloseDisplay(display);
}

namespace
{
// A mapped parent window with an entry field pumped on its own connection, and a second
// connection typing through XTest.
class EntryHarness
{
public:
  EntryHarness()
  {
    mDisplay = OpenTestDisplay();
    mDriver = OpenTestDisplay();
    if (!mDisplay || !mDriver) return;
    mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 50, 50, 224, 333, 0, 0,
                                  0x808080);
    XSelectInput(mDisplay, mParent, ExposureMask);
    XMapRaised(mDisplay, mParent);
    XEvent e;
    XWindowEvent(mDisplay, mParent, ExposureMask, &e); // viewable from here on
  }
  ~EntryHarness()
  {
    if (mDisplay)
    {
      XDestroyWindow(mDisplay, mParent);
      XCloseDisplay(mDisplay);
    }
    if (mDriver) XCloseDisplay(mDriver);
  }
  bool Ok() const { return mDisplay && mDriver; }

  // Types the keys, then pumps the entry's events until it closes or all keys are in.
  X11TextEntry::State Type(X11TextEntry& entry, std::initializer_list<unsigned long> keys)
  {
    // The entry's own requests (its focus among them) reach the server before the keys:
    // otherwise a busy machine delivers the first keys to the parent.
    XSync(mDisplay, False);
    for (unsigned long k : keys)
      SendKey(mDriver, k);
    return Pump(entry);
  }
  X11TextEntry::State Pump(X11TextEntry& entry)
  {
    XSync(mDisplay, False);
    const auto deadline = Clock::now() + std::chrono::milliseconds(300);
    while (entry.GetState() == X11TextEntry::State::Open && Clock::now() < deadline)
    {
      while (XPending(mDisplay))
      {
        XEvent e;
        XNextEvent(mDisplay, &e);
        entry.HandleEvent(e);
      }
      pollfd fd = {ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&fd, 1, 10);
    }
    return entry.GetState();
  }

  Display* mDisplay = nullptr;
  Display* mDriver = nullptr;
  Window mParent = 0;
};
} // namespace

TEST(X11TextEntry, TypingEditingAndClosing)
{
  EntryHarness h;
  ASSERT_TRUE(h.Ok());
  IParam gain;
  gain.InitDouble("Gain", 0.5, 0.0, 10.0, 0.01);
  const TextEntryRules rules = TextEntryRulesFor(&gain, 4);
  IText style(12);
  style.mTextEntryBGColor = IColor(255, 10, 20, 30);
  const IRECT rect(10, 20, 90, 40);
  using State = X11TextEntry::State;

  {
    // The selected initial text is replaced; the refused "a" changes nothing.
    X11TextEntry entry(h.mDisplay, h.mParent, rect, style, "0.50", rules);
    EXPECT_EQ(State::Open, h.Type(entry, {XK_1, XK_a, XK_period, XK_5}));
    EXPECT_STREQ("1.5", entry.GetText());
    // Drawn in the style's background colour.
    XImage* shot = XGetImage(h.mDisplay, entry.GetWindow(), 78, 2, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(nullptr, shot);
    EXPECT_EQ(0x0a141eul, XGetPixel(shot, 0, 0) & 0xffffff);
    XDestroyImage(shot);
    EXPECT_EQ(State::Committed, h.Type(entry, {XK_Return}));
    EXPECT_STREQ("1.5", entry.GetText());
    EXPECT_EQ(State::Committed, h.Type(entry, {XK_2})); // closed: nothing more changes
    EXPECT_STREQ("1.5", entry.GetText());
  }
  {
    // Cursor keys, backspace and delete; a fifth character is past the length limit.
    X11TextEntry entry(h.mDisplay, h.mParent, rect, style, "0.50", rules);
    h.Type(entry, {XK_End, XK_BackSpace, XK_BackSpace, XK_Home, XK_Delete});
    EXPECT_STREQ(".", entry.GetText());
    h.Type(entry, {XK_2, XK_Right, XK_5, XK_7, XK_9});
    EXPECT_STREQ("2.57", entry.GetText());
    h.Type(entry, {XK_Left, XK_Left, XK_BackSpace, XK_KP_Enter});
    EXPECT_STREQ("257", entry.GetText());
    EXPECT_EQ(State::Committed, entry.GetState());
  }
  {
    X11TextEntry entry(h.mDisplay, h.mParent, rect, style, "0.50", rules);
    EXPECT_EQ(State::Cancelled, h.Type(entry, {XK_9, XK_Escape}));
  }
  {
    X11TextEntry entry(h.mDisplay, h.mParent, rect, style, "", rules);
    h.Pump(entry);
    XSetInputFocus(h.mDriver, h.mParent, RevertToParent, CurrentTime);
    XSync(h.mDriver, False);
    EXPECT_EQ(State::Cancelled, h.Pump(entry)); // focus lost
  }
  {
    // In a parent not shown, the field cannot take the focus and must not ask for it (an
    // X error would end a host that keeps Xlib's default handler).
    Window hidden = XCreateSimpleWindow(h.mDisplay, h.mParent, 0, 0, 100, 30, 0, 0, 0);
    {
      X11TextEntry entry(h.mDisplay, hidden, rect, style, "1", rules);
      EXPECT_EQ(State::Open, h.Pump(entry));
    }
    XDestroyWindow(h.mDisplay, hidden);
  }
  // Every entry took its window with it.
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  XQueryTree(h.mDisplay, h.mParent, &root, &parent, &children, &n);
  EXPECT_EQ(0u, n);
  if (children) XFree(children);
}
