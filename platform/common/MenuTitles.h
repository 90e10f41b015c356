#pragma once
// How a platform menu shows an item of an IPopupMenu: its title with the menu's
// numbering prefix, and whether it is a submenu, a separator or a plain entry.
class IPopupMenu;
class UTL_String;

struct MenuItemLook
{
  enum Kind
  {
    kEntry,
    kSubmenu,
    kSeparator
  };
  Kind kind = kEntry;
  int indentation = 0; // 1 for title items
  bool checked = false;
  bool enabled = true;
};

// The title of item `index` (0-based) of the menu: the item's text, preceded by its
// 1-based number in the menu's prefix style ("%1d: ", "%02d: ", "%03d: "). Separators
// count in the numbering. Writes "" for an index without an item.
void MenuItemTitle(const IPopupMenu& menu, int index, UTL_String* title);

// A submenu wins over the separator flag; the title, checked and disabled flags shape
// plain entries only.
MenuItemLook MenuItemLookOf(const IPopupMenu& menu, int index);
