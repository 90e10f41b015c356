#include "lv2/ui/LV2UIEntry.h"

#include "lv2/LV2Features.h"

#include <cstring>

namespace
{
IEffectLV2UI* Instance(LV2UI_Handle handle)
{
  return static_cast<IEffectLV2UI*>(handle);
}

void Cleanup(LV2UI_Handle handle)
{
  if (!handle) return;
  Instance(handle)->CloseEditor();
  delete Instance(handle);
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format,
               const void* buffer)
{
  if (handle) Instance(handle)->PortEvent(port, bufferSize, format, buffer);
}

// Non-zero tells the host the UI has closed.
int Idle(LV2UI_Handle handle)
{
  return handle && Instance(handle)->Idle() ? 0 : 1;
}

const void* ExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {Idle};
  if (uri && !std::strcmp(uri, LV2_UI__idleInterface)) return &idle;
  return nullptr;
}
} // namespace

UTL_Mutex& LV2UICreationMutex()
{
  // Constructed on first use, thread-safely; destroyed at process exit.
  static UTL_Mutex sMutex;
  return sMutex;
}

void LV2UIFillDescriptor(LV2UI_Descriptor* d, const char* uri)
{
  d->URI = uri;
  d->instantiate = nullptr;
  d->cleanup = Cleanup;
  d->port_event = PortEvent;
  d->extension_data = ExtensionData;
}

LV2UI_Handle LV2UIOpen(IEffectLV2UI* ui, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  void* parent = LV2FindFeature(features, LV2_UI__parent);
  // An X11 UI lives inside the host's window; without one there is nowhere to open.
  const unsigned long window = parent && widget ? ui->OpenEditor(parent) : 0;
  if (!window)
  {
    delete ui;
    return nullptr;
  }
  *widget = reinterpret_cast<LV2UI_Widget>(window);
  return ui;
}
