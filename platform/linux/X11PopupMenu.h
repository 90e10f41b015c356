#pragma once
// Popup menus on X11: the editor's menu model shown in override-redirect windows drawn
// with the raster library, run modally on the editor's own Display connection.
#include "platform/linux/X11Forward.h"

class IPopupMenu;

// Menu window geometry in pixels: a border of kMenuBorder on every side, then the rows
// from top to bottom, kMenuRowHeight for an entry or submenu, kMenuSeparatorHeight for a
// separator. Rows that would pass the screen's bottom continue at the top of a new column
// to the right; columns are equally wide. A submenu's window opens beside its row with
// that row's top aligned.
enum
{
  kMenuBorder = 1,
  kMenuRowHeight = 20,
  kMenuSeparatorHeight = 7
};

// Shows the menu as an override-redirect window with its top-left corner at (rootX, rootY)
// (root-window pixels) and runs it modally on `display` until a choice, Escape or a click
// outside. Returns the menu (or submenu) in which the item was chosen, with its chosen
// index set, or null. Events for other windows that arrive meanwhile stay queued.
//
// The menu is held inside the screen. A submenu opens when the pointer enters its row
// (or on a click there, or the Right key); a disabled entry, a separator and a submenu row
// cannot be chosen. A button release chooses only after the menu saw a press, or a drag
// onto another entry than the one it appeared under, so the release of the click that
// opened the menu chooses nothing. Keys: Up and Down move, Right and Left open and close
// a submenu, Return chooses. When the pointer cannot be grabbed (another program holds
// it) the menu is not shown and the result is null.
IPopupMenu* RunX11PopupMenu(Display* display, int screen, int rootX, int rootY, IPopupMenu* menu);
