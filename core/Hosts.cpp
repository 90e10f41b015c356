#include "core/Hosts.h"

#include <cctype>
#include <cstring>

namespace
{
// Tested in this order: a name holding several substrings takes the first.
struct HostMatch
{
  const char* substring;
  EHost code;
};

const HostMatch kMatchOrder[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

const char* const kDisplayNames[kNumHosts] = {
    "Unknown",    "Reaper",     "ProTools",   "Cubase",
    "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
    "Samplitude", "Live",       "Unknown",    "Unknown",
    "Unknown",    "VSTScanner", "AULab",      "Forte",
    "Chainer",    "Audition",   "Orion",      "Unknown",
    "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
    "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
    "Ardour",
};
} // namespace

EHost LookUpHost(const char* name)
{
  // Names of 256 characters or more are cut to the buffer.
  char lower[256];
  size_t n = 0;
  if (name)
    for (; n < sizeof(lower) - 1 && name[n]; ++n)
      lower[n] = char(tolower(static_cast<unsigned char>(name[n])));
  lower[n] = '\0';

  for (const HostMatch& m : kMatchOrder)
    if (strstr(lower, m.substring)) return m.code;
  return kHostUnknown;
}

void GetHostNameStr(EHost code, char* out)
{
  if (!out) return;
  const char* name = code > kHostUnknown && code < kNumHosts ? kDisplayNames[code] : "Unknown";
  strcpy(out, name);
}
