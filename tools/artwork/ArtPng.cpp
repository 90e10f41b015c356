#include "tools/artwork/ArtPng.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace
{
void Fail(png_structp png, png_const_charp)
{
  longjmp(png_jmpbuf(png), 1);
}
void Quiet(png_structp, png_const_charp) {}

// Kept apart from ArtWritePNG so that nothing with a destructor lives across setjmp.
bool Encode(png_structp png, png_infop info, FILE* fp, int w, int h, bool alpha,
            std::vector<png_bytep>& rows)
{
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, fp);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}
} // namespace

bool ArtWritePNG(RAS_IBitmap* bmp, const char* filename)
{
  RAS_RowAccess acc;
  if (!filename || !acc.Attach(bmp)) return false;
  bool alpha = false;
  for (int y = 0; y < acc.height && !alpha; ++y)
    for (int x = 0; x < acc.width; ++x)
      if (RAS_GetA(acc.Row(y)[x]) != 255)
      {
        alpha = true;
        break;
      }

  // Our pixels are bytes A, R, G, B; the file wants R, G, B[, A].
  const int channels = alpha ? 4 : 3;
  std::vector<png_byte> bytes(size_t(acc.width) * size_t(acc.height) * size_t(channels));
  std::vector<png_bytep> rows(size_t(acc.height));
  for (int y = 0; y < acc.height; ++y)
  {
    png_bytep row = bytes.data() + size_t(y) * size_t(acc.width) * size_t(channels);
    rows[size_t(y)] = row;
    for (int x = 0; x < acc.width; ++x)
    {
      const RAS_Pixel p = acc.Row(y)[x];
      png_bytep o = row + x * channels;
      o[0] = png_byte(RAS_GetR(p));
      o[1] = png_byte(RAS_GetG(p));
      o[2] = png_byte(RAS_GetB(p));
      if (alpha) o[3] = png_byte(RAS_GetA(p));
    }
  }

  FILE* fp = std::fopen(filename, "wb");
  if (!fp) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info && Encode(png, info, fp, acc.width, acc.height, alpha, rows);
  if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  if (std::fclose(fp) != 0) ok = false;
  return ok;
}
