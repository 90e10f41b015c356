// Host identification and the plug-in's and host's versions.
#include "core/IEffectBase.h"

#include "core/Trace.h"
#include "core/Version.h"

// version is packed. Names too long for the matching buffer are cut there.
void IEffectBase::SetHost(const char* name, int version)
{
  mHost = LookUpHost(name);
  mHostVersion = version;
  char versionStr[32];
  GetVersionStr(version, versionStr);
  Trace("SetHost", __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "",
        name ? name : "", versionStr);
}

int IEffectBase::GetHostVersion(bool decimal)
{
  GetHost(); // identifies the host on first use
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IEffectBase::GetHostVersionStr(char* out)
{
  GetHost();
  GetVersionStr(mHostVersion, out);
}

int IEffectBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IEffectBase::GetEffectVersionStr(char* out) const
{
  GetVersionStr(mVersion, out);
}
