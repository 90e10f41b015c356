#pragma once
// Rules of the macOS editor window that need no platform: which bundle resource an image
// name means, where the child window of a Carbon host goes, which controls get tooltips.
class IControl;
class UTL_String;

// The bundle resource for an image name: its last path component without the extension,
// of type "png" ("resources/img/knob.PNG" is resource "knob"). False, with *base untouched,
// when the text after the name's last "." (the whole name when there is none) is not
// "png" in any case, or when the last component is empty.
bool BundleImageResource(const char* name, UTL_String* base);

// Horizontal offset of the editor's child window in a host window frameWidth points wide:
// centred, floor((frameWidth - editorWidth) / 2), or 0 when the host window is not wider.
int ChildWindowOffset(double frameWidth, int editorWidth);

// A control gets a tooltip rectangle when it has tooltip text, is visible and has a
// target rectangle that is not all zero.
bool ControlWantsTooltip(IControl* control);
