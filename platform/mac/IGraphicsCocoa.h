#pragma once
// The Cocoa classes of the editor window: the editor view, the borderless child window
// made for Carbon hosts, the popup menu and its selection receiver, and the text entry's
// formatter. Objective-C++, manual retain/release; everything runs on the main thread.
// The rules that need no platform (coordinates, keys, modifiers, menu titles, what a text
// entry accepts) come from platform/common.
#import <Cocoa/Cocoa.h>

#include "platform/common/TextEntryRules.h"

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IRECT;
struct IText;
struct IMouseMod;

// Converts editor rectangles to view rectangles for an editor `height` pixels high.
NSRect ToNSRect(const IRECT& rect, int height);
// UTF-8 text as an autoreleased string; null and invalid UTF-8 give "".
NSString* ToNSString(const char* text);
// The model a popup menu's chosen item belongs to (the top menu or a submenu) with its
// chosen index set, or null when nothing was chosen.
IPopupMenu* ChosenIPopupMenu(NSMenuItem* item);

// Child window for hosts that hand over a Carbon window: borderless, yet it takes the
// keyboard so that a text entry inside it can be typed into.
@interface CustomCocoaWindow_vQuorvane_vst : NSWindow
{
}
- (BOOL)canBecomeKeyWindow;
@end

// Records the menu item chosen in a popup menu. Items carry no target: their action
// travels the responder chain from the view the menu was shown for, which is this one.
@interface IGraphicsMenuRcvr_vQuorvane_vst : NSView
{
  NSMenuItem* nsMenuItem; // not retained: the menu owns it and outlives the choice
}
- (void)OnMenuSelection:(id)sender;
- (NSMenuItem*)MenuItem;
@end

// A platform menu built from an IPopupMenu (and its submenus, recursively).
@interface IGraphicsNSMenu_vQuorvane_vst : NSMenu
{
  IPopupMenu* mIPopupMenu; // not owned
}
- (id)initWithIPopupMenuAndReciever:(IPopupMenu*)menu:(NSView*)receiver;
- (IPopupMenu*)AssociatedIPopupMenu;
@end

// Accepts or refuses each edit of a text entry by TextEntryAccepts; a refused edit keeps
// the previous text.
@interface CocoaFormatter_vQuorvane_vst : NSFormatter
{
  char* mAcceptable; // owned copy; null accepts any character
  int maxLength;     // 0: no limit
  int maxValue;      // 0: no limit
}
- (void)setAcceptableCharacters:(const char*)characters;
- (void)setMaximumLength:(int)len;
- (void)setMaximumValue:(int)value;
- (TextEntryRules)rules;
@end

// The editor view. Linked to its editor from initWithIGraphics: until the editor closes
// it or the host removes it; unlinked it draws nothing and ignores events.
@interface IGraphicsCocoa_vQuorvane_vst : NSView <NSTextFieldDelegate>
{
  NSTimer* mTimer;             // redraw timer; nil after killTimer
  NSTextField* mTextFieldView; // the open text entry, or nil
  IControl* mEdControl;        // the control that asked for the entry
  IParam* mEdParam;            // the parameter being edited, or null
  int mPrevX, mPrevY;          // editor point of the last mouse event
@public
  IGraphicsMac* mGraphics; // the owning editor; nil once unlinked
}
- (id)init;
- (id)initWithIGraphics:(IGraphicsMac*)graphics;
- (BOOL)isOpaque;
- (BOOL)acceptsFirstResponder;
- (BOOL)acceptsFirstMouse:(NSEvent*)event;
- (void)viewDidMoveToWindow;
- (void)drawRect:(NSRect)rect;
- (void)onTimer:(NSTimer*)timer;
- (void)killTimer;
- (void)removeFromSuperview;
- (void)getMouseXY:(NSEvent*)event x:(int*)x y:(int*)y;
- (bool)readEvent:(NSEvent*)event rightButton:(bool)right x:(int*)x y:(int*)y mod:(IMouseMod*)mod;

- (void)mouseDown:(NSEvent*)event;
- (void)mouseUp:(NSEvent*)event;
- (void)mouseDragged:(NSEvent*)event;
- (void)rightMouseDown:(NSEvent*)event;
- (void)rightMouseUp:(NSEvent*)event;
- (void)rightMouseDragged:(NSEvent*)event;
- (void)mouseMoved:(NSEvent*)event;
- (void)scrollWheel:(NSEvent*)event;
- (void)keyDown:(NSEvent*)event;

- (void)createTextEntry:(IControl*)
                control:(IParam*)param
                       :(IText*)text
                       :(const char*)str
                       :(NSRect)rect;
- (void)controlTextDidEndEditing:(NSNotification*)notification;
- (void)endUserInput;
- (NSTextField*)textEntry;

- (IPopupMenu*)createIPopupMenu:(IPopupMenu*)menu:(NSRect)rect;

- (void)registerToolTip:(IRECT*)rect;
- (NSString*)view:(NSView*)view
    stringForToolTip:(NSToolTipTag)tag
               point:(NSPoint)point
            userData:(void*)data;
@end
