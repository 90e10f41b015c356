#pragma once
// Conversions between platform view coordinates (origin bottom left, y up, points)
// and editor coordinates (origin top left, y down, pixels). Every window layer uses
// these, so the editor sees the same points on every platform.
#include "editor/IGraphicsTypes.h"

// A view rectangle: origin and size, origin at the bottom left.
struct ViewRect
{
  double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
};

// The editor point of a pointer at view point (vx, vy) in an editor h pixels high:
// x = int(vx) - 2, y = h - int(vy) - 3. The offsets put the hot spot of the
// platform's arrow on the pixel the user sees under it.
void ViewPointToEditorPoint(double vx, double vy, int editorHeight, int* x, int* y);

// Inverse of the pointer rule, for layers whose native coordinates already match the
// editor's (X11): the view point that ViewPointToEditorPoint maps to (x, y).
void EditorPointToViewPoint(int x, int y, int editorHeight, double* vx, double* vy);

// A region the platform asks to redraw, as editor pixels:
// L = int(x), R = L + int(w), B = h - int(y), T = B - int(h).
IRECT ViewRectToEditorRect(const ViewRect& view, int editorHeight);

// A rectangle handed to the view (redraws, menus, text entry, tooltips):
// origin (L, h - B - 1), size (R - L + 1, B - T + 1).
ViewRect EditorRectToViewRect(const IRECT& rect, int editorHeight);

// The editor's wheel step for a platform delta: truncated toward zero, no scaling.
int WheelSteps(double delta);
