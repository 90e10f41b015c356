#include "LilvHost.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/state/state.h>

#include <cstring>

namespace
{
LV2_URID MapUri(LV2_URID_Map_Handle handle, const char* uri)
{
  return static_cast<LilvHost*>(handle)->Map(uri);
}

const char* UnmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
  return static_cast<LilvHost*>(handle)->Unmap(urid);
}
} // namespace

LilvHost::LilvHost(const std::string& bundleDir)
{
  mWorld = lilv_world_new();
  LilvNode* bundle = lilv_new_file_uri(mWorld, nullptr, (bundleDir + "/").c_str());
  lilv_world_load_bundle(mWorld, bundle);
  lilv_node_free(bundle);
  mMap = {this, MapUri};
  mUnmap = {this, UnmapUrid};
}

LilvHost::~LilvHost()
{
  lilv_world_free(mWorld);
}

const LilvPlugin* LilvHost::Plugin(const char* uri) const
{
  LilvNode* node = lilv_new_uri(mWorld, uri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), node);
  lilv_node_free(node);
  return plugin;
}

LV2_URID LilvHost::Map(const char* uri)
{
  for (size_t i = 0; i < mUris.size(); ++i)
    if (mUris[i] == uri) return LV2_URID(i + 1);
  mUris.push_back(uri);
  return LV2_URID(mUris.size());
}

const char* LilvHost::Unmap(LV2_URID urid) const
{
  return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1].c_str() : nullptr;
}

const LV2_Feature* const* LilvHost::Features(int blockLength)
{
  mBlockLength = blockLength;
  const LV2_URID intType = Map(LV2_ATOM__Int);
  mOptions[0] = {LV2_OPTIONS_INSTANCE, 0,       Map(LV2_BUF_SIZE__minBlockLength),
                 sizeof(int32_t),      intType, &mBlockLength};
  mOptions[1] = {LV2_OPTIONS_INSTANCE, 0,       Map(LV2_BUF_SIZE__maxBlockLength),
                 sizeof(int32_t),      intType, &mBlockLength};
  mOptions[2] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  mMapFeature = {LV2_URID__map, &mMap};
  mUnmapFeature = {LV2_URID__unmap, &mUnmap};
  mOptionsFeature = {LV2_OPTIONS__options, mOptions};
  mFeatures[0] = &mMapFeature;
  mFeatures[1] = &mUnmapFeature;
  mFeatures[2] = &mOptionsFeature;
  mFeatures[3] = nullptr;
  return mFeatures;
}

LilvRun::LilvRun(LilvHost& host, const LilvPlugin* plugin, double rate, int blockLength)
    : mWorld(host.World()), mPlugin(plugin)
{
  if (!plugin) return;
  mValues.assign(lilv_plugin_get_num_ports(plugin), 0.0f);
  std::vector<float> defaults(mValues.size());
  lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
  mInstance = lilv_plugin_instantiate(plugin, rate, host.Features(blockLength));
  if (!mInstance) return;
  LilvNode* control = lilv_new_uri(host.World(), LV2_CORE__ControlPort);
  for (uint32_t i = 0; i < mValues.size(); ++i)
    if (lilv_port_is_a(plugin, lilv_plugin_get_port_by_index(plugin, i), control))
    {
      mValues[i] = defaults[i];
      lilv_instance_connect_port(mInstance, i, &mValues[i]);
    }
  lilv_node_free(control);
  lilv_instance_activate(mInstance);
}

LilvRun::~LilvRun()
{
  if (!mInstance) return;
  lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
}

int LilvRun::Port(const char* symbol) const
{
  LilvNode* node = lilv_new_string(mWorld, symbol);
  const LilvPort* port = lilv_plugin_get_port_by_symbol(mPlugin, node);
  lilv_node_free(node);
  return port ? int(lilv_port_get_index(mPlugin, port)) : -1;
}

void LilvRun::Run(const float* const* in, float* const* out, int nIn, int nOut, int n)
{
  ConnectAudio(in, out, nIn, nOut);
  RunConnected(n);
}

void LilvRun::ConnectAudio(const float* const* in, float* const* out, int nIn, int nOut)
{
  for (int c = 0; c < nIn; ++c)
    lilv_instance_connect_port(mInstance, Port(("in_" + std::to_string(c + 1)).c_str()),
                               const_cast<float*>(in[c]));
  for (int c = 0; c < nOut; ++c)
    lilv_instance_connect_port(mInstance, Port(("out_" + std::to_string(c + 1)).c_str()), out[c]);
}

const LV2_State_Interface* LilvRun::State() const
{
  return static_cast<const LV2_State_Interface*>(
      lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
}
