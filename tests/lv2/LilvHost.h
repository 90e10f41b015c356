#pragma once
// A small LV2 host on lilv for the tests: loads one bundle, maps URIs, offers the
// block-length options, and runs an instance with its ports connected by symbol.
#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

class LilvHost
{
public:
  explicit LilvHost(const std::string& bundleDir);
  ~LilvHost();
  LilvHost(const LilvHost&) = delete;
  LilvHost& operator=(const LilvHost&) = delete;

  LilvWorld* World() const { return mWorld; }
  // Null when the bundle does not describe uri.
  const LilvPlugin* Plugin(const char* uri) const;
  LV2_URID Map(const char* uri);
  const char* Unmap(LV2_URID urid) const;
  LV2_URID_Map* MapFeature() { return &mMap; }
  // urid:map and the options holding the block length.
  const LV2_Feature* const* Features(int blockLength);

private:
  LilvWorld* mWorld = nullptr;
  std::vector<std::string> mUris; // URID n is mUris[n - 1]
  LV2_URID_Map mMap;
  LV2_URID_Unmap mUnmap;
  int32_t mBlockLength = 0;
  LV2_Options_Option mOptions[3];
  LV2_Feature mMapFeature, mUnmapFeature, mOptionsFeature;
  const LV2_Feature* mFeatures[4];
};

// One running instance with its audio and control ports connected to own buffers.
class LilvRun
{
public:
  LilvRun(LilvHost& host, const LilvPlugin* plugin, double rate, int blockLength);
  ~LilvRun();
  bool Ok() const { return mInstance != nullptr; }
  LilvInstance* Instance() const { return mInstance; }
  // Index of the port with this symbol, or -1.
  int Port(const char* symbol) const;
  float& Control(const char* symbol) { return mValues[Port(symbol)]; }
  // Connects the audio ports (null entries stay unconnected) and runs n frames.
  void Run(const float* const* in, float* const* out, int nIn, int nOut, int n);
  void ConnectAudio(const float* const* in, float* const* out, int nIn, int nOut);
  void RunConnected(int n) { lilv_instance_run(mInstance, uint32_t(n)); }
  // The state extension, or null.
  const LV2_State_Interface* State() const;

private:
  LilvWorld* mWorld;
  const LilvPlugin* mPlugin;
  LilvInstance* mInstance = nullptr;
  std::vector<float> mValues; // one per port; control ports read theirs
};
