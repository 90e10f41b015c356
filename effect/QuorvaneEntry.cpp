// The two symbols Quorvane.so exports. Hosts look for VSTPluginMain first; older
// ones call main, which on 64-bit hosts must carry the pointer-width callback and
// record, so it is declared with the entry point's signature under the symbol name
// "main" (a C++ function named main would have to return int).
#include "effect/Quorvane.h"
#include "vst2/VSTEntry.h"

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
  return VSTCreateInstance<Quorvane>(hostCallback);
}

#if defined(__APPLE__)
VST_EXPORT AEffect* VSTPluginMainLegacy(audioMasterCallback hostCallback) __asm__("_main");
#else
VST_EXPORT AEffect* VSTPluginMainLegacy(audioMasterCallback hostCallback) __asm__("main");
#endif

AEffect* VSTPluginMainLegacy(audioMasterCallback hostCallback)
{
  return VSTPluginMain(hostCallback);
}
