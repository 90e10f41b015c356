#pragma once
// The Turtle files of an effect's LV2 bundle, written from a live instance so that
// ports, ranges, defaults and presets always match what the binary does.
#include <string>

class IEffectBase;

struct LV2BundleInfo
{
  std::string mURI;                 // the plug-in's URI
  std::string mBinary;              // the DSP library's file name inside the bundle
  std::string mUIBinary;            // the X11 UI library's file name; empty: no UI
  std::string mCategory = "Plugin"; // an lv2core class such as "DistortionPlugin"
};

// A port symbol from a name: lower case letters, digits and '_', never starting with a
// digit; "param" when nothing is left.
std::string LV2PortSymbol(const char* name);

std::string LV2ManifestTurtle(IEffectBase& effect, const LV2BundleInfo& info);
std::string LV2PluginTurtle(IEffectBase& effect, const LV2BundleInfo& info);
// One pset:Preset per initialised preset, its port values restored from the preset
// (the effect's current values change).
std::string LV2PresetsTurtle(IEffectBase& effect, const LV2BundleInfo& info);

// Writes manifest.ttl, the plug-in's <effect name>.ttl and presets.ttl into dir.
bool WriteLV2BundleFiles(IEffectBase& effect, const LV2BundleInfo& info, const std::string& dir);
