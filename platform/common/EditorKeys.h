#pragma once
// Keys and modifier flags as the editor sees them. The editor knows space, the four
// arrows, the digits and the letters (EIKeyCode); everything else belongs to the host.
#include "editor/IGraphicsTypes.h"

// Named keys a window layer recognises by its own key codes before looking at the
// character the key produces.
enum class NamedKey
{
  None,
  Space,
  Up,
  Down,
  Left,
  Right
};

// Editor key code for a key, or -1 when the editor does not take it. A named key
// wins over its character (arrows carry private-use characters on some platforms);
// otherwise "0".."9" give 5..14 and letters of either case 15..40. Shift does not
// change the code: "a" and "A" are both 15.
int EditorKeyCode(NamedKey named, char32_t character);

// The named key for a macOS virtual key code: 49 space, 126 up, 125 down, 123 left,
// 124 right.
NamedKey MacNamedKey(int virtualKey);

// Modifier bits of a macOS event's flag word.
enum : unsigned long
{
  kMacShiftKeyMask = 1ul << 17,
  kMacControlKeyMask = 1ul << 18,
  kMacAlternateKeyMask = 1ul << 19,
  kMacCommandKeyMask = 1ul << 20,
};

// The editor's flags for a macOS mouse or wheel event. Left-button events set left,
// and right when Command is held (Command-click is the one-button right click);
// right-button events set right only. Shift, Control and Option map to S, C, A.
IMouseMod MouseModFromMacFlags(unsigned long flags, bool rightButtonEvent);

// The same rule from plain key states, for layers whose flag words differ: the
// platform's "context click" key (Command on macOS, Control on X11) plays Command's part.
IMouseMod MouseModFromKeys(bool rightButtonEvent, bool contextKey, bool shift, bool control,
                           bool alt);
