#include "tools/common/PngWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "raster/RAS_Raster.h"

namespace
{
// Caller-owned pixels seen as a bitmap; the encoder only reads them.
class PixelView : public RAS_IBitmap
{
public:
  PixelView(const RAS_Pixel* p, int w, int h, int span)
      : mBits(const_cast<RAS_Pixel*>(p)), mW(w), mH(h), mSpan(span)
  {
  }
  RAS_Pixel* getBits() override { return mBits; }
  int getWidth() const override { return mW; }
  int getHeight() const override { return mH; }
  int getRowSpan() const override { return mSpan; }
  bool resize(int, int) override { return false; }

private:
  RAS_Pixel* mBits;
  int mW, mH, mSpan;
};

bool Failed(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}
} // namespace

bool WritePng(const char* path, RAS_IBitmap* bitmap, std::string* error)
{
  if (!path || !*path) return Failed(error, "no PNG file name given");
  RAS_RowAccess rows;
  if (!rows.Attach(bitmap))
    return Failed(error, std::string("nothing to write to ") + path + ": the picture is empty");

  // mkstemp in the target's own folder, so that rename stays on one file system.
  std::vector<char> temp(path, path + std::strlen(path));
  const char suffix[] = ".tmp-XXXXXX";
  temp.insert(temp.end(), suffix, suffix + sizeof(suffix));
  const int fd = mkstemp(temp.data());
  if (fd < 0)
    return Failed(error, std::string("cannot write ") + path + ": " + std::strerror(errno));
  // mkstemp makes the file private; a picture gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  const bool chmodOk = fchmod(fd, 0666 & ~mask) == 0;
  close(fd);

  if (!chmodOk || !RAS_WritePNG(bitmap, temp.data()))
  {
    unlink(temp.data());
    return Failed(error, std::string("writing ") + path + " failed");
  }
  if (std::rename(temp.data(), path) != 0)
  {
    const int why = errno;
    unlink(temp.data());
    return Failed(error, std::string("cannot write ") + path + ": " + std::strerror(why));
  }
  return true;
}

bool WritePng(const char* path, const RAS_Pixel* pixels, int width, int height, int rowSpan,
              std::string* error)
{
  if (!pixels || width <= 0 || height <= 0 || rowSpan < width)
    return Failed(error, std::string("nothing to write to ") + (path ? path : "") +
                             ": the picture is empty");
  PixelView view(pixels, width, height, rowSpan);
  return WritePng(path, &view, error);
}
