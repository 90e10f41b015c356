#include "vst2/VSTEntry.h"

UTL_Mutex& VSTCreationMutex()
{
  // Constructed on first use, thread-safely; destroyed at process exit.
  static UTL_Mutex sMutex;
  return sMutex;
}
