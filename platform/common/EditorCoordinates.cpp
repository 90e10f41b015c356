#include "platform/common/EditorCoordinates.h"

#include <climits>
#include <cmath>

namespace
{
// The integer part, held inside int: platforms report huge or NaN coordinates for
// events outside every screen, and a float-to-int conversion of those is undefined.
int IntPart(double v)
{
  if (!(v == v)) return 0;
  if (v >= double(INT_MAX)) return INT_MAX;
  if (v <= double(INT_MIN)) return INT_MIN;
  return int(v);
}

int ClampToInt(long long v)
{
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
}
} // namespace

void ViewPointToEditorPoint(double vx, double vy, int editorHeight, int* x, int* y)
{
  *x = ClampToInt((long long)IntPart(vx) - 2);
  *y = ClampToInt((long long)editorHeight - IntPart(vy) - 3);
}

void EditorPointToViewPoint(int x, int y, int editorHeight, double* vx, double* vy)
{
  *vx = double(x) + 2.0;
  *vy = double(editorHeight) - double(y) - 3.0;
}

IRECT ViewRectToEditorRect(const ViewRect& view, int editorHeight)
{
  const long long l = IntPart(view.x);
  const long long b = (long long)editorHeight - IntPart(view.y);
  return IRECT(ClampToInt(l), ClampToInt(b - IntPart(view.h)), ClampToInt(l + IntPart(view.w)),
               ClampToInt(b));
}

ViewRect EditorRectToViewRect(const IRECT& rect, int editorHeight)
{
  ViewRect v;
  v.x = rect.L;
  v.y = double(editorHeight) - rect.B - 1.0;
  v.w = double(rect.R) - rect.L + 1.0;
  v.h = double(rect.B) - rect.T + 1.0;
  return v;
}

int WheelSteps(double delta)
{
  return IntPart(std::trunc(delta));
}
