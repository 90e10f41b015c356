// Writes the Turtle files of Quorvane.lv2 from an instance of the LV2 build, so the
// bundle's description is always that of the library beside it.
// Usage: quorvane-lv2-ttl <bundle dir> <dsp library file> [<ui library file>]
#include <cstdio>

#include "effect/Quorvane.h"
#include "effect/QuorvaneIdentity.h"
#include "lv2/LV2Turtle.h"

int main(int argc, char** argv)
{
  if (argc < 3 || argc > 4)
  {
    std::fprintf(stderr, "usage: %s <bundle dir> <dsp library> [<ui library>]\n", argv[0]);
    return 2;
  }
  Quorvane effect{IEffectInstanceInfo{}};
  LV2BundleInfo info;
  info.mURI = QuorvaneIdentity::kLV2URI;
  info.mBinary = argv[2];
  if (argc == 4) info.mUIBinary = argv[3];
  info.mCategory = "DistortionPlugin";
  if (!WriteLV2BundleFiles(effect, info, argv[1]))
  {
    std::fprintf(stderr, "%s: cannot write the Turtle files into %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
