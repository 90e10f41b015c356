#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "RasterTestUtil.h"
#include "raster/RAS_Raster.h"

namespace
{
std::string OutPath(const std::string& name)
{
  return std::string(RASTER_TEST_OUTPUT_DIR) + "/" + name;
}

// One PNG variant: colour type, bit depth, transparency chunk, interlacing.
struct Variant
{
  int colorType, depth;
  bool trns, interlace;
};

int Channels(int colorType)
{
  switch (colorType)
  {
  case PNG_COLOR_TYPE_GRAY:
    return 1;
  case PNG_COLOR_TYPE_GRAY_ALPHA:
    return 2;
  case PNG_COLOR_TYPE_RGB:
    return 3;
  case PNG_COLOR_TYPE_RGB_ALPHA:
    return 4;
  default:
    return 1; // palette index
  }
}

// File sample of channel c at (x, y), in 0 .. 2^depth - 1.
int Sample(int x, int y, int c, int depth)
{
  const uint32_t v = uint32_t(x * 7 + y * 13 + c * 29) * 2654435761u;
  return int((v >> 7) & ((1u << depth) - 1));
}

const int kPaletteSize = 16;
png_color PaletteEntry(int i)
{
  return png_color{png_byte(i * 37), png_byte(i * 91), png_byte(i * 151)};
}
int PaletteAlpha(int i)
{
  return i < 6 ? i * 50 : 255;
} // tRNS covers the first 6 entries
// The tRNS key colour of grey and RGB images: the sample of pixel (1, 0).
int KeySample(int c, int depth)
{
  return Sample(1, 0, c, depth);
}

std::vector<uint8_t> Encode(const Variant& v, int w, int h)
{
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<std::vector<png_byte>> rows(static_cast<size_t>(h));
  std::vector<png_bytep> ptrs(static_cast<size_t>(h));
  if (setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "encoder failed";
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n)
      {
        auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), v.depth, v.colorType,
               v.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int paletteSize = std::min(kPaletteSize, 1 << v.depth);
  png_color palette[kPaletteSize];
  png_byte alphas[kPaletteSize];
  if (v.colorType == PNG_COLOR_TYPE_PALETTE)
  {
    for (int i = 0; i < paletteSize; ++i)
    {
      palette[i] = PaletteEntry(i);
      alphas[i] = png_byte(PaletteAlpha(i));
    }
    png_set_PLTE(png, info, palette, paletteSize);
    if (v.trns) png_set_tRNS(png, info, alphas, std::min(6, paletteSize), nullptr);
  }
  else if (v.trns)
  {
    png_color_16 key{};
    key.gray = png_uint_16(KeySample(0, v.depth));
    key.red = png_uint_16(KeySample(0, v.depth));
    key.green = png_uint_16(KeySample(1, v.depth));
    key.blue = png_uint_16(KeySample(2, v.depth));
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);

  const int channels = Channels(v.colorType);
  for (int y = 0; y < h; ++y)
  {
    std::vector<png_byte>& row = rows[size_t(y)];
    row.assign(size_t((w * channels * v.depth + 7) / 8), 0);
    int bit = 0;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c)
      {
        int s = Sample(x, y, c, v.depth);
        if (v.colorType == PNG_COLOR_TYPE_PALETTE) s %= paletteSize;
        if (v.depth == 16)
        {
          row[size_t(bit / 8)] = png_byte(s >> 8);
          row[size_t(bit / 8 + 1)] = png_byte(s);
        }
        else
          row[size_t(bit / 8)] |= png_byte(s << (8 - v.depth - bit % 8)); // most significant first
        bit += v.depth;
      }
    ptrs[size_t(y)] = row.data();
  }
  png_write_image(png, ptrs.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// What the loader must make of pixel (x, y): A, R, G, B bytes, 8 bits each.
RAS_Pixel Expected(const Variant& v, int x, int y)
{
  const int d = v.depth;
  auto to8 = [d](int s) { return d == 16 ? s >> 8 : s * 255 / ((1 << d) - 1); };
  switch (v.colorType)
  {
  case PNG_COLOR_TYPE_PALETTE:
  {
    const int paletteSize = std::min(kPaletteSize, 1 << d);
    const int i = Sample(x, y, 0, d) % paletteSize;
    const png_color c = PaletteEntry(i);
    return RAS_RGBA(c.red, c.green, c.blue, v.trns && i < 6 ? PaletteAlpha(i) : 255);
  }
  case PNG_COLOR_TYPE_GRAY:
  {
    const int s = Sample(x, y, 0, d), g = to8(s);
    return RAS_RGBA(g, g, g, v.trns && s == KeySample(0, d) ? 0 : 255);
  }
  case PNG_COLOR_TYPE_GRAY_ALPHA:
  {
    const int g = to8(Sample(x, y, 0, d));
    return RAS_RGBA(g, g, g, to8(Sample(x, y, 1, d)));
  }
  case PNG_COLOR_TYPE_RGB:
  {
    int s[3];
    for (int c = 0; c < 3; ++c)
      s[c] = Sample(x, y, c, d);
    const bool key =
        v.trns && s[0] == KeySample(0, d) && s[1] == KeySample(1, d) && s[2] == KeySample(2, d);
    return RAS_RGBA(to8(s[0]), to8(s[1]), to8(s[2]), key ? 0 : 255);
  }
  default:
    return RAS_RGBA(to8(Sample(x, y, 0, d)), to8(Sample(x, y, 1, d)), to8(Sample(x, y, 2, d)),
                    to8(Sample(x, y, 3, d)));
  }
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

uint32_t BigEndian(const uint8_t* p)
{
  return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
} // namespace

TEST(LoadPNG, EveryVariantDecodesToStraightARGB)
{
  const int G = PNG_COLOR_TYPE_GRAY, GA = PNG_COLOR_TYPE_GRAY_ALPHA, P = PNG_COLOR_TYPE_PALETTE,
            RGB = PNG_COLOR_TYPE_RGB, RGBA = PNG_COLOR_TYPE_RGB_ALPHA;
  const Variant variants[] = {
      {P, 1, false, false},   {P, 2, true, false},     {P, 4, false, false},
      {P, 8, false, false},   {P, 8, true, false},     {P, 4, true, true},
      {G, 1, false, false},   {G, 2, false, false},    {G, 4, false, false},
      {G, 8, false, false},   {G, 16, false, false},   {G, 1, true, false},
      {G, 4, true, true},     {G, 8, true, false},     {G, 16, true, false},
      {G, 16, true, true},    {GA, 8, false, false},   {GA, 16, false, true},
      {RGB, 8, false, false}, {RGB, 8, true, false},   {RGB, 16, false, false},
      {RGB, 16, true, true},  {RGBA, 8, false, false}, {RGBA, 16, false, false},
      {RGBA, 8, false, true},
  };
  for (const Variant& v : variants)
  {
    SCOPED_TRACE(testing::Message() << "type " << v.colorType << " depth " << v.depth << " tRNS "
                                    << v.trns << " interlaced " << v.interlace);
    const std::vector<uint8_t> bytes = Encode(v, 13, 7);
    RAS_IBitmap* b = RAS_LoadPNGFromMemory(bytes.data(), bytes.size());
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->getWidth(), 13);
    ASSERT_EQ(b->getHeight(), 7);
    int transparent = 0;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x)
      {
        EXPECT_EQ(RAS_GetPixel(b, x, y), Expected(v, x, y)) << x << "," << y;
        transparent += RAS_GetA(RAS_GetPixel(b, x, y)) == 0;
      }
    if (v.trns && v.colorType != P)
    {
      EXPECT_GT(transparent, 0); // the key colour is present
    }
    delete b;
  }
}

TEST(LoadPNG, TruncatedAndCorruptFilesFailCleanly)
{
  const std::vector<uint8_t> good =
      Encode(Variant{PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false}, 13, 7);
  ASSERT_GT(good.size(), 12u);
  const size_t iend = good.size() - 12; // the image is complete before the end chunk
  for (size_t n = 0; n < iend; ++n)
    EXPECT_EQ(RAS_LoadPNGFromMemory(good.data(), n), nullptr) << "prefix " << n;
  RAS_IBitmap* whole = RAS_LoadPNGFromMemory(good.data(), good.size());
  EXPECT_NE(whole, nullptr);
  delete whole;

  // Any damaged byte before the end chunk breaks the signature, a length or a checksum.
  for (size_t i = 0; i < iend; ++i)
  {
    std::vector<uint8_t> bad = good;
    bad[i] ^= 0x5A;
    RAS_MemBitmap given(2, 2, 4);
    EXPECT_EQ(RAS_LoadPNGFromMemory(bad.data(), bad.size()), nullptr) << "byte " << i;
    EXPECT_EQ(RAS_LoadPNGFromMemory(bad.data(), bad.size(), &given), nullptr) << "byte " << i;
  }
  EXPECT_EQ(RAS_LoadPNGFromMemory(nullptr, 10), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromMemory(good.data(), 0), nullptr);
}

TEST(LoadPNG, RefusesHugeImagesBeforeAllocating)
{
  // The widest accepted side is 16384; one more is refused.
  const std::vector<uint8_t> edge = Encode(Variant{PNG_COLOR_TYPE_GRAY, 1, false, false}, 16384, 1);
  RAS_IBitmap* b = RAS_LoadPNGFromMemory(edge.data(), edge.size());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->getWidth(), 16384);
  delete b;
  const std::vector<uint8_t> over = Encode(Variant{PNG_COLOR_TYPE_GRAY, 1, false, false}, 16385, 1);
  EXPECT_EQ(RAS_LoadPNGFromMemory(over.data(), over.size()), nullptr);

  // A header that promises 1,000,000 x 1,000,000 pixels, and nothing after it.
  std::vector<uint8_t> header = {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,
                                 0,    13,   'I',  'H',  'D',  'R',  0,    0x0F, 0x42, 0x40,
                                 0,    0x0F, 0x42, 0x40, 8,    6,    0,    0,    0};
  const uLong crc = crc32(0, header.data() + 12, 17);
  for (int s = 24; s >= 0; s -= 8)
    header.push_back(uint8_t(crc >> s));
  ASSERT_EQ(BigEndian(&header[16]), 1000000u);
  RAS_MemBitmap given(3, 3, 4);
  EXPECT_EQ(RAS_LoadPNGFromMemory(header.data(), header.size(), &given), nullptr);
  EXPECT_EQ(given.getWidth(), 3); // refused before the bitmap was touched
}

namespace
{
// A chunk of the given type whose header claims `claimed` bytes, holding `data`.
std::vector<uint8_t> Chunk(const char* type, const std::vector<uint8_t>& data, uint32_t claimed)
{
  std::vector<uint8_t> c(8 + data.size() + 4);
  for (int i = 0; i < 4; ++i)
  {
    c[size_t(i)] = uint8_t(claimed >> (24 - 8 * i));
    c[size_t(4 + i)] = uint8_t(type[i]);
  }
  std::copy(data.begin(), data.end(), c.begin() + 8);
  const uLong crc = crc32(0, c.data() + 4, uInt(4 + data.size()));
  for (int i = 0; i < 4; ++i)
    c[8 + data.size() + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
  return c;
}

long PeakResidentKB()
{
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}
} // namespace

TEST(LoadPNG, ReadsOnlyTheChunksItDraws)
{
  const std::vector<uint8_t> plain = Encode(Variant{PNG_COLOR_TYPE_PALETTE, 4, true, false}, 13, 7);
  const size_t afterHeader = 8 + 25;
  const std::vector<uint8_t> text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'};
  std::vector<uint8_t> extra = plain;
  for (const char* type : {"tEXt", "sPLT", "zzZz"})
  {
    const std::vector<uint8_t> c = Chunk(type, text, uint32_t(text.size()));
    extra.insert(extra.begin() + long(afterHeader), c.begin(), c.end());
  }
  RAS_IBitmap* a = RAS_LoadPNGFromMemory(plain.data(), plain.size());
  RAS_IBitmap* b = RAS_LoadPNGFromMemory(extra.data(), extra.size());
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x)
      EXPECT_EQ(RAS_GetPixel(b, x, y), RAS_GetPixel(a, x, y)) << x << "," << y;
  delete a;
  delete b;

  // A suggested-palette chunk claiming 1.5 GB in a file that ends after its header:
  // refused without reserving what the chunk claims.
  std::vector<uint8_t> cut(plain.begin(), plain.begin() + long(afterHeader));
  const std::vector<uint8_t> huge = Chunk("sPLT", {}, 0x5B000000u);
  cut.insert(cut.end(), huge.begin(), huge.begin() + 8);
  const long before = PeakResidentKB();
  EXPECT_EQ(RAS_LoadPNGFromMemory(cut.data(), cut.size()), nullptr);
  EXPECT_LT(PeakResidentKB() - before, 64 * 1024);
}

TEST(LoadPNG, TargetsFilesAndGivenBitmaps)
{
  const Variant v{PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false};
  const std::vector<uint8_t> bytes = Encode(v, 13, 7);
  const std::string path = OutPath("load_target.png");
  ASSERT_TRUE(WriteFile(path, bytes));

  RAS_MemBitmap given(40, 40, 4);
  EXPECT_EQ(RAS_LoadPNG(path.c_str(), &given), &given);
  EXPECT_EQ(given.getWidth(), 13);
  EXPECT_EQ(RAS_GetPixel(&given, 12, 6), Expected(v, 12, 6));

  // A flipped bitmap of the right size gets the top row at the end of its memory.
  FlippedBitmap flipped(13, 7);
  EXPECT_EQ(RAS_LoadPNG(path.c_str(), &flipped), &flipped);
  EXPECT_EQ(flipped.Memory(0, 6), Expected(v, 0, 0));
  EXPECT_EQ(flipped.Memory(5, 0), Expected(v, 5, 6));
  // One that cannot take the image's size makes the load fail.
  FlippedBitmap wrong(5, 5);
  EXPECT_EQ(RAS_LoadPNG(path.c_str(), &wrong), nullptr);

  EXPECT_EQ(RAS_LoadPNG(OutPath("no_such_file.png").c_str()), nullptr);
  EXPECT_EQ(RAS_LoadPNG(nullptr), nullptr);
  EXPECT_EQ(RAS_LoadPNG(RASTER_TEST_OUTPUT_DIR), nullptr); // a directory
}

TEST(LoadPNG, LoaderListChecksTheExtension)
{
  ASSERT_GE(RAS_GetImageLoaderCount(), 1);
  EXPECT_EQ(RAS_GetImageLoader(-1), nullptr);
  EXPECT_EQ(RAS_GetImageLoader(RAS_GetImageLoaderCount()), nullptr);
  const RAS_ImageLoader* png = RAS_GetImageLoader(0);
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(std::memcmp(png->extensions, "PNG files (*.PNG)\0*.PNG\0\0", 25), 0);

  const std::vector<uint8_t> bytes = Encode(Variant{PNG_COLOR_TYPE_RGB, 8, false, false}, 3, 2);
  const std::string upper = OutPath("loader.PNG"), other = OutPath("loader.png.dat");
  ASSERT_TRUE(WriteFile(upper, bytes));
  ASSERT_TRUE(WriteFile(other, bytes));
  for (const char* name : {upper.c_str(), other.c_str()})
  {
    RAS_IBitmap* checked = png->load(name, true, nullptr);
    RAS_IBitmap* unchecked = png->load(name, false, nullptr);
    EXPECT_EQ(checked != nullptr, name == upper.c_str()) << name;
    EXPECT_NE(unchecked, nullptr) << name;
    delete checked;
    delete unchecked;
  }
  RAS_IBitmap* any = RAS_LoadImage(upper.c_str());
  EXPECT_NE(any, nullptr);
  delete any;
  EXPECT_EQ(RAS_LoadImage(other.c_str()), nullptr);
  EXPECT_EQ(png->load(nullptr, true, nullptr), nullptr);
}

TEST(WritePNG, RoundTripsEveryByte)
{
  RAS_MemBitmap src(29, 11, 4);
  FillPattern(src, 17);
  const std::string path = OutPath("roundtrip.png");
  ASSERT_TRUE(RAS_WritePNG(&src, path.c_str()));
  RAS_IBitmap* back = RAS_LoadPNG(path.c_str());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->getWidth(), 29);
  ASSERT_EQ(back->getHeight(), 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 29; ++x)
      ASSERT_EQ(RAS_GetPixel(back, x, y), PatternPixel(x, y, 17));
  delete back;

  RAS_MemBitmap empty;
  EXPECT_FALSE(RAS_WritePNG(&empty, OutPath("empty.png").c_str()));
  EXPECT_FALSE(RAS_WritePNG(&src, OutPath("no_dir/x.png").c_str()));
  EXPECT_FALSE(RAS_WritePNG(nullptr, path.c_str()));
}

// Writes a few rendered results next to the test binary for a look by eye.
TEST(WritePNG, RendersAShowcase)
{
  // A soft disc with straight alpha, drawn by blits of every kind onto a checkerboard.
  RAS_MemBitmap disc(32, 32, 4);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
    {
      const double r = std::hypot(x - 15.5, y - 15.5);
      const int a = r < 12 ? 255 : (r < 16 ? int(255 * (16 - r) / 4) : 0);
      RAS_RowAccess acc;
      acc.Attach(&disc);
      acc.Row(y)[x] = RAS_RGBA(255 - x * 6, 60 + y * 5, 200, a);
    }
  for (int x = 12; x < 20; ++x)
    RAS_PutPixel(&disc, x, 3, RAS_RGBA(0, 0, 0, 255), 1.0f, 0); // a pointer

  RAS_MemBitmap canvas(224, 160, 4);
  for (int y = 0; y < 160; y += 8)
    for (int x = 0; x < 224; x += 8)
      RAS_FillRect(&canvas, x, y, 8, 8,
                   ((x + y) / 8) % 2 ? RAS_RGBA(230, 230, 230, 255) : RAS_RGBA(180, 180, 180, 255),
                   1.0f, RAS_BLEND_COPY);
  const int sa = RAS_BLEND_USE_SOURCE_ALPHA;
  RAS_Blit(&canvas, &disc, 8, 8, nullptr, 1.0f, RAS_BLEND_COPY | sa);
  RAS_Blit(&canvas, &disc, 48, 8, nullptr, 0.5f, RAS_BLEND_COPY | sa);
  RAS_Blit(&canvas, &disc, 88, 8, nullptr, 1.0f, RAS_BLEND_ADD | sa);
  RAS_Blit(&canvas, &disc, 128, 8, nullptr, 1.0f, RAS_BLEND_COLORDODGE | sa);
  RAS_Blit(&canvas, &disc, 168, 8, nullptr, 1.0f, RAS_BLEND_MUL | sa);
  RAS_ScaledBlit(&canvas, &disc, 8, 52, 64, 64, 0, 0, 32, 32, 1.0f, RAS_BLEND_COPY | sa);
  RAS_ScaledBlit(&canvas, &disc, 80, 52, 64, 64, 0, 0, 32, 32, 1.0f,
                 RAS_BLEND_COPY | sa | RAS_BLEND_FILTER_BILINEAR);
  RAS_ScaledBlit(&canvas, &disc, 150, 52, 12, 12, 0, 0, 32, 32, 1.0f,
                 RAS_BLEND_COPY | sa | RAS_BLEND_FILTER_BILINEAR);
  RAS_ScaledBlit(&canvas, &disc, 198, 52, -16, 16, 0, 0, 32, 32, 1.0f, RAS_BLEND_COPY | sa);
  for (int i = 0; i < 4; ++i)
    RAS_RotatedBlit(&canvas, &disc, 150 + 18 * (i % 2), 72 + 18 * (i / 2), 32, 32, 0, 0, 32, 32,
                    i * 0.7854, false, 1.0f, RAS_BLEND_COPY | sa | RAS_BLEND_FILTER_BILINEAR, 0, 0);
  RAS_FillRect(&canvas, 8, 124, 50, 28, RAS_RGBA(255, 0, 0, 255), 0.25f, RAS_BLEND_COPY);
  RAS_FillRect(&canvas, 64, 124, 50, 28, RAS_RGBA(255, 0, 0, 255), 0.5f, RAS_BLEND_COPY);
  RAS_FillRect(&canvas, 120, 124, 50, 28, RAS_RGBA(255, 0, 0, 255), 0.75f, RAS_BLEND_COPY);
  RAS_FillRect(&canvas, 176, 124, 40, 28, RAS_RGBA(0, 0, 0, 255), 1.0f, RAS_BLEND_HSVADJ);
  EXPECT_TRUE(RAS_WritePNG(&canvas, OutPath("raster_showcase.png").c_str()));
}
