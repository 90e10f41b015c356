#include "core/Version.h"

#include <cstdio>

void GetVersionParts(int version, int* major, int* minor, int* patch)
{
  // Unsigned, so a version with bit 31 set still gives a non-negative major.
  const unsigned v = unsigned(version);
  if (major) *major = int(v / 65536u);
  if (minor) *minor = int((v >> 8) & 0xFFu);
  if (patch) *patch = int(v & 0xFFu);
}

int GetDecimalVersion(int version)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  // Minor and patch above 99 carry into the next place; wraps like the packed int.
  return int(unsigned(major) * 10000u + unsigned(minor) * 100u + unsigned(patch));
}

void GetVersionStr(int version, char* out)
{
  if (!out) return;
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  snprintf(out, 32, "v%d.%d.%d", major, minor, patch);
}
