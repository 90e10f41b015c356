// The entry point older macOS hosts look up in a bundle's binary, beside VSTPluginMain.
#include "vst2/VSTEntry.h"

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback hostCallback);

VST_EXPORT AEffect* main_macho(audioMasterCallback hostCallback)
{
  return VSTPluginMain(hostCallback);
}
