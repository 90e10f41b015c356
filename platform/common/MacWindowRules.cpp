#include "platform/common/MacWindowRules.h"

#include "editor/controls/IControl.h"
#include "util/UTL_String.h"

#include <cmath>
#include <cstring>
#include <strings.h>

bool BundleImageResource(const char* name, UTL_String* base)
{
  if (!name) return false;
  const char* dot = std::strrchr(name, '.');
  if (strcasecmp(dot ? dot + 1 : name, "png") != 0) return false;
  const char* slash = std::strrchr(name, '/');
  const char* start = slash ? slash + 1 : name;
  // Only a dot inside the last component (and not leading it) starts its extension.
  const char* end = dot && dot > start ? dot : start + std::strlen(start);
  if (end == start) return false;
  if (base) base->Set(start, int(end - start));
  return true;
}

int ChildWindowOffset(double frameWidth, int editorWidth)
{
  if (!(frameWidth > editorWidth)) return 0;
  const double offset = std::floor((frameWidth - editorWidth) * 0.5);
  return offset < 2147483647.0 ? int(offset) : 2147483647;
}

bool ControlWantsTooltip(IControl* control)
{
  if (!control || !control->GetTooltip() || control->IsHidden()) return false;
  const IRECT* r = control->GetTargetRECT();
  return r->L != 0 || r->T != 0 || r->R != 0 || r->B != 0;
}
