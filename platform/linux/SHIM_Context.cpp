// Linux memory drawing contexts: the plain pixel block of the shared context record, with
// no drawing context of the platform's over it (the raster library draws into the pixels).
#include "platform/common/SHIM.h"
#include "platform/common/SHIM_ContextRecord.h"

SHIM_GfxContext* SHIM_CreateMemContext(SHIM_GfxContext* reference, int w, int h)
{
  (void)reference;
  return SHIM_NewContextRecord(w, h);
}

void SHIM_DeleteGfxContext(SHIM_GfxContext* ctx)
{
  SHIM_FreeContextRecord(ctx);
}
