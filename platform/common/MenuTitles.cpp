#include "platform/common/MenuTitles.h"

#include "editor/menu/IPopupMenu.h"
#include "util/UTL_String.h"

#include <cstdio>

void MenuItemTitle(const IPopupMenu& menu, int index, UTL_String* title)
{
  title->Set("");
  const IPopupMenuItem* item = menu.GetItem(index);
  if (!item) return;
  static const char* const kFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
  const int prefix = menu.GetPrefix();
  if (prefix >= 1 && prefix <= 3)
  {
    char number[16];
    std::snprintf(number, sizeof number, kFormats[prefix], index + 1);
    title->Set(number);
  }
  title->Append(item->GetText());
}

MenuItemLook MenuItemLookOf(const IPopupMenu& menu, int index)
{
  MenuItemLook look;
  const IPopupMenuItem* item = menu.GetItem(index);
  if (!item) return look;
  if (item->GetSubmenu())
    look.kind = MenuItemLook::kSubmenu;
  else if (item->GetIsSeparator())
    look.kind = MenuItemLook::kSeparator;
  else
  {
    look.indentation = item->GetIsTitle() ? 1 : 0;
    look.checked = item->GetChecked();
    look.enabled = item->GetEnabled();
  }
  return look;
}
