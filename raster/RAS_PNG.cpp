// PNG decoding and encoding on libpng, and the image-loader list.
//
// libpng reports errors by longjmp. Nothing with a destructor may live in a frame the jump
// crosses, so each setjmp sits in a function of plain locals whose resources are recorded
// in a caller-owned record; the caller frees what the record holds, on success or failure.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "raster/RAS_Raster.h"

namespace
{
// Larger images are refused before anything is allocated for them.
const png_uint_32 kMaxSide = 16384;

void SilentError(png_structp png, png_const_charp)
{
  png_longjmp(png, 1);
}
void SilentWarning(png_structp, png_const_charp) {}

struct MemoryInput
{
  const png_byte* data;
  size_t size;
  size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t n)
{
  MemoryInput* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (n > in->size - in->pos) png_error(png, "truncated");
  std::memcpy(out, in->data + in->pos, n);
  in->pos += n;
}

struct Decode
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep* rows = nullptr;
  RAS_IBitmap* target = nullptr;  // the given bitmap, or the one made here
  RAS_IBitmap* created = nullptr; // made here, deleted on failure
};

// Runs the whole decode; false on any libpng error. Resources go into st.
bool DecodeJmp(Decode* st, FILE* fp, MemoryInput* mem)
{
  if (setjmp(png_jmpbuf(st->png))) return false;

  if (fp)
    png_init_io(st->png, fp);
  else
    png_set_read_fn(st->png, mem, ReadFromMemory);
  png_set_user_limits(st->png, kMaxSide, kMaxSide);
  // Only the image's own chunks (header, palette, transparency, data, end) are read;
  // every other chunk is skipped unread. libpng would otherwise allocate what a
  // suggested-palette or text chunk's header claims (a 91-byte file asked for 1.5 GB).
  png_set_keep_unknown_chunks(st->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(st->png, st->info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(st->png, st->info, &width, &height, &depth, &colorType, &interlace, nullptr,
               nullptr);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;

  bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(st->png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(st->png);
  if (png_get_valid(st->png, st->info, PNG_INFO_tRNS))
  {
    png_set_tRNS_to_alpha(st->png);
    alpha = true;
  }
  if (depth == 16) png_set_strip_16(st->png);
  if (depth < 8) png_set_packing(st->png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(st->png);
  // Memory order A, R, G, B.
  if (alpha)
    png_set_swap_alpha(st->png);
  else
    png_set_filler(st->png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(st->png);
  png_read_update_info(st->png, st->info);
  if (png_get_rowbytes(st->png, st->info) != size_t(width) * 4) return false;

  const int w = int(width), h = int(height);
  if (!st->target)
  {
    st->created = new (std::nothrow) RAS_MemBitmap(w, h, 4);
    st->target = st->created;
  }
  else
    st->target->resize(w, h);
  RAS_RowAccess acc;
  if (!acc.Attach(st->target) || acc.width != w || acc.height != h) return false;

  st->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * size_t(h)));
  if (!st->rows) return false;
  for (int y = 0; y < h; ++y)
    st->rows[y] = reinterpret_cast<png_bytep>(acc.Row(y));
  png_read_image(st->png, st->rows);
  return true;
}

RAS_IBitmap* LoadPNG(FILE* fp, MemoryInput* mem, RAS_IBitmap* bmp)
{
  Decode st;
  st.target = bmp;
  st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (!st.png) return nullptr;
  st.info = png_create_info_struct(st.png);
  const bool ok = st.info && DecodeJmp(&st, fp, mem);
  png_destroy_read_struct(&st.png, st.info ? &st.info : nullptr, nullptr);
  std::free(st.rows);
  if (!ok)
  {
    delete st.created;
    return nullptr;
  }
  return st.target;
}
} // namespace

RAS_IBitmap* RAS_LoadPNG(const char* filename, RAS_IBitmap* bmp)
{
  if (!filename) return nullptr;
  FILE* fp = std::fopen(filename, "rb");
  if (!fp) return nullptr;
  RAS_IBitmap* result = LoadPNG(fp, nullptr, bmp);
  std::fclose(fp);
  return result;
}

RAS_IBitmap* RAS_LoadPNGFromMemory(const void* data, size_t size, RAS_IBitmap* bmp)
{
  if (!data || size == 0) return nullptr;
  MemoryInput in{static_cast<const png_byte*>(data), size, 0};
  return LoadPNG(nullptr, &in, bmp);
}

namespace
{
struct Encode
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep* rows = nullptr;
};

bool EncodeJmp(Encode* st, FILE* fp, const RAS_RowAccess& acc)
{
  if (setjmp(png_jmpbuf(st->png))) return false;
  png_init_io(st->png, fp);
  png_set_IHDR(st->png, st->info, png_uint_32(acc.width), png_uint_32(acc.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(st->png, st->info);
  png_set_swap_alpha(st->png); // our A, R, G, B bytes become the file's R, G, B, A
  st->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * size_t(acc.height)));
  if (!st->rows) return false;
  for (int y = 0; y < acc.height; ++y)
    st->rows[y] = reinterpret_cast<png_bytep>(acc.Row(y));
  png_write_image(st->png, st->rows);
  png_write_end(st->png, nullptr);
  return true;
}
} // namespace

bool RAS_WritePNG(RAS_IBitmap* bmp, const char* filename)
{
  RAS_RowAccess acc;
  if (!filename || !acc.Attach(bmp)) return false;
  FILE* fp = std::fopen(filename, "wb");
  if (!fp) return false;
  Encode st;
  st.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (st.png) st.info = png_create_info_struct(st.png);
  bool ok = st.png && st.info && EncodeJmp(&st, fp, acc);
  if (st.png) png_destroy_write_struct(&st.png, st.info ? &st.info : nullptr);
  std::free(st.rows);
  if (std::fclose(fp) != 0) ok = false;
  return ok;
}

namespace
{
// True when the name's extension (from the last '.', '/' or '\' on) is ".png", any case.
bool HasPngExtension(const char* filename)
{
  const char* p = filename + std::strlen(filename);
  while (p > filename && p[-1] != '.' && p[-1] != '/' && p[-1] != '\\')
    --p;
  if (p == filename) return false;
  --p;
  const char* ext = ".png";
  for (int i = 0; i < 5; ++i)
  {
    char c = p[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != ext[i]) return false;
  }
  return true;
}

RAS_IBitmap* LoadPngImage(const char* filename, bool checkFileName, RAS_IBitmap* bmp)
{
  if (!filename) return nullptr;
  if (checkFileName && !HasPngExtension(filename)) return nullptr;
  return RAS_LoadPNG(filename, bmp);
}

struct LoaderList
{
  RAS_ImageLoader items[8];
  int count = 0;
  LoaderList() { items[count++] = RAS_ImageLoader{LoadPngImage, "PNG files (*.PNG)\0*.PNG\0"}; }
};

// Filled on first use, so it is complete whatever order static constructors run in.
LoaderList& Loaders()
{
  static LoaderList list;
  return list;
}
} // namespace

int RAS_GetImageLoaderCount()
{
  return Loaders().count;
}

const RAS_ImageLoader* RAS_GetImageLoader(int idx)
{
  LoaderList& l = Loaders();
  return idx >= 0 && idx < l.count ? &l.items[idx] : nullptr;
}

RAS_IBitmap* RAS_LoadImage(const char* filename, RAS_IBitmap* bmp)
{
  LoaderList& l = Loaders();
  for (int i = 0; i < l.count; ++i)
    if (RAS_IBitmap* r = l.items[i].load(filename, true, bmp)) return r;
  return nullptr;
}
