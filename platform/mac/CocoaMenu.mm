#include "platform/mac/IGraphicsCocoa.h"

#include "editor/menu/IPopupMenu.h"
#include "platform/common/MenuTitles.h"
#include "util/UTL_String.h"

@implementation IGraphicsMenuRcvr_vQuorvane_vst

- (void)OnMenuSelection:(id)sender
{
  nsMenuItem = sender;
}

- (NSMenuItem*)MenuItem
{
  return nsMenuItem;
}

@end

@implementation IGraphicsNSMenu_vQuorvane_vst

- (id)initWithIPopupMenuAndReciever:(IPopupMenu*)menu:(NSView*)receiver
{
  self = [super initWithTitle:@""];
  if (!self) return nil;
  [self setAutoenablesItems:NO];
  const int n = menu ? menu->GetNItems() : 0;
  UTL_String title;
  for (int i = 0; i < n; ++i)
  {
    MenuItemTitle(*menu, i, &title);
    NSString* nsTitle = ToNSString(title.Get());
    const MenuItemLook look = MenuItemLookOf(*menu, i);
    if (look.kind == MenuItemLook::kSubmenu)
    {
      NSMenuItem* item = [self addItemWithTitle:nsTitle action:NULL keyEquivalent:@""];
      IGraphicsNSMenu_vQuorvane_vst* sub = [[IGraphicsNSMenu_vQuorvane_vst alloc]
          initWithIPopupMenuAndReciever:menu->GetItem(i)->GetSubmenu():receiver];
      [self setSubmenu:sub forItem:item];
      [sub release];
    }
    else if (look.kind == MenuItemLook::kSeparator)
    {
      [self addItem:[NSMenuItem separatorItem]];
    }
    else
    {
      NSMenuItem* item = [self addItemWithTitle:nsTitle
                                         action:@selector(OnMenuSelection:)
                                  keyEquivalent:@""];
#ifdef GNUSTEP
      // GNUstep sends a context menu's actions from the key window's first responder, not
      // from the view the menu was shown for: the receiver is named outright.
      [item setTarget:receiver];
#endif
      [item setIndentationLevel:look.indentation];
      [item setState:look.checked ? NSOnState : NSOffState];
      [item setEnabled:look.enabled ? YES : NO];
    }
  }
  mIPopupMenu = menu;
  return self;
}

- (IPopupMenu*)AssociatedIPopupMenu
{
  return mIPopupMenu;
}

@end
