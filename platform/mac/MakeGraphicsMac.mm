#include "platform/common/MakeGraphics.h"

#include "platform/mac/IGraphicsMac.h"

// The images and paths are looked up in the plug-in's own bundle, known by its identifier.
IGraphics* MakeGraphics(IEffectBase* plug, int width, int height, int fps)
{
  IGraphicsMac* graphics = new IGraphicsMac(plug, width, height, fps);
  graphics->SetBundleID(QUORVANE_BUNDLE_ID);
  return graphics;
}
