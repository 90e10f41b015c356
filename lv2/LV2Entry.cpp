#include "lv2/LV2Entry.h"

#include <cstring>

namespace
{
IEffectLV2* Instance(LV2_Handle handle)
{
  return static_cast<IEffectLV2*>(handle);
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data)
{
  if (handle) Instance(handle)->ConnectPort(port, data);
}

void Activate(LV2_Handle handle)
{
  if (handle) Instance(handle)->Activate();
}

void Run(LV2_Handle handle, uint32_t nFrames)
{
  if (handle) Instance(handle)->Run(nFrames);
}

void Deactivate(LV2_Handle handle)
{
  if (handle) Instance(handle)->Deactivate();
}

void Cleanup(LV2_Handle handle)
{
  delete Instance(handle);
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      uint32_t, const LV2_Feature* const*)
{
  return handle ? Instance(handle)->SaveState(store, state) : LV2_STATE_ERR_UNKNOWN;
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, uint32_t, const LV2_Feature* const*)
{
  return handle ? Instance(handle)->RestoreState(retrieve, state) : LV2_STATE_ERR_UNKNOWN;
}

const void* ExtensionData(const char* uri)
{
  static const LV2_State_Interface state = {Save, Restore};
  if (uri && !std::strcmp(uri, LV2_STATE__interface)) return &state;
  return nullptr;
}
} // namespace

UTL_Mutex& LV2CreationMutex()
{
  // Constructed on first use, thread-safely; destroyed at process exit.
  static UTL_Mutex sMutex;
  return sMutex;
}

void LV2FillDescriptor(LV2_Descriptor* d, const char* uri)
{
  d->URI = uri;
  d->instantiate = nullptr;
  d->connect_port = ConnectPort;
  d->activate = Activate;
  d->run = Run;
  d->deactivate = Deactivate;
  d->cleanup = Cleanup;
  d->extension_data = ExtensionData;
}
