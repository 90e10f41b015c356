#include "platform/common/EditorKeys.h"

int EditorKeyCode(NamedKey named, char32_t c)
{
  switch (named)
  {
  case NamedKey::Space:
    return KEY_SPACE;
  case NamedKey::Up:
    return KEY_UPARROW;
  case NamedKey::Down:
    return KEY_DOWNARROW;
  case NamedKey::Left:
    return KEY_LEFTARROW;
  case NamedKey::Right:
    return KEY_RIGHTARROW;
  case NamedKey::None:
    break;
  }
  if (c >= U'0' && c <= U'9') return KEY_DIGIT_0 + int(c - U'0');
  if (c >= U'A' && c <= U'Z') return KEY_ALPHA_A + int(c - U'A');
  if (c >= U'a' && c <= U'z') return KEY_ALPHA_A + int(c - U'a');
  return -1;
}

NamedKey MacNamedKey(int virtualKey)
{
  switch (virtualKey)
  {
  case 49:
    return NamedKey::Space;
  case 126:
    return NamedKey::Up;
  case 125:
    return NamedKey::Down;
  case 123:
    return NamedKey::Left;
  case 124:
    return NamedKey::Right;
  default:
    return NamedKey::None;
  }
}

IMouseMod MouseModFromKeys(bool rightButtonEvent, bool contextKey, bool shift, bool control,
                           bool alt)
{
  return IMouseMod(!rightButtonEvent, rightButtonEvent || contextKey, shift, control, alt);
}

IMouseMod MouseModFromMacFlags(unsigned long flags, bool rightButtonEvent)
{
  return MouseModFromKeys(rightButtonEvent, (flags & kMacCommandKeyMask) != 0,
                          (flags & kMacShiftKeyMask) != 0, (flags & kMacControlKeyMask) != 0,
                          (flags & kMacAlternateKeyMask) != 0);
}
