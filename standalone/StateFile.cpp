#include "standalone/StateFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string ErrnoText(const std::string& what, const std::string& path)
{
  return what + " " + path + ": " + std::strerror(errno);
}

// Creates every missing folder of dir (mode 0700: the sound is the user's own).
bool MakeFolders(const std::string& dir, std::string* error)
{
  for (size_t pos = 1; pos <= dir.size(); ++pos)
  {
    if (pos < dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
    {
      *error = ErrnoText("cannot create", part);
      return false;
    }
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size)
{
  while (size > 0)
  {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= size_t(n);
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

bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* out,
                   std::string* error)
{
  out->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
  {
    *error = ErrnoText("cannot open", path);
    return false;
  }
  uint8_t buf[4096];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
  {
    if (out->size() + n > maxBytes)
    {
      *error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
      ok = false;
      break;
    }
    out->insert(out->end(), buf, buf + n);
  }
  if (ok && std::ferror(f))
  {
    *error = ErrnoText("cannot read", path);
    ok = false;
  }
  std::fclose(f);
  if (!ok) out->clear();
  return ok;
}

bool WriteFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::string* error)
{
  const size_t slash = path.rfind('/');
  if (path.empty() || slash == path.size() - 1)
  {
    *error = "no file name in '" + path + "'";
    return false;
  }
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), error))
    return false;
  // The process id keeps two running copies from writing the same temporary file.
  const std::string tmp = path + ".tmp." + std::to_string(getpid());
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0)
  {
    *error = ErrnoText("cannot create", tmp);
    return false;
  }
  bool ok = WriteAll(fd, bytes, size);
  if (!ok) *error = ErrnoText("cannot write", tmp);
  if (ok && fsync(fd) != 0)
  {
    *error = ErrnoText("cannot flush", tmp);
    ok = false;
  }
  if (close(fd) != 0 && ok)
  {
    *error = ErrnoText("cannot close", tmp);
    ok = false;
  }
  if (ok && std::rename(tmp.c_str(), path.c_str()) != 0)
  {
    *error = ErrnoText("cannot replace", path);
    ok = false;
  }
  if (!ok) unlink(tmp.c_str());
  return ok;
}
