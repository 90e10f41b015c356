#include "platform/common/MakeGraphics.h"

#include "platform/linux/IGraphicsLinux.h"

// On Linux the images are compiled into the plug-in, so there is no bundle and no
// bundle identifier to set.
IGraphics* MakeGraphics(IEffectBase* plug, int width, int height, int fps)
{
  return new IGraphicsLinux(plug, width, height, fps);
}
