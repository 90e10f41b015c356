#include "standalone/StateFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "core/ProgramFiles.h"

namespace
{
// Creates every missing folder of dir, mode 0700: the sound is the user's own.
bool MakeFolders(const std::string& dir, std::string* error)
{
  for (size_t pos = 1; pos <= dir.size(); ++pos)
  {
    if (pos < dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
    {
      *error = "cannot create " + part + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}
} // namespace

std::string DefaultStatePath()
{
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/quorvane/state";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/quorvane/state";
  return "";
}

bool WriteStateFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
  const size_t slash = path.rfind('/');
  if (path.empty() || slash == path.size() - 1)
  {
    *error = "no file name in '" + path + "'";
    return false;
  }
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), error))
    return false;
  return WriteFileReplacing(path.c_str(), bytes, error);
}
