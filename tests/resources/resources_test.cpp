#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "raster/RAS_Raster.h"
#include "resources/EmbeddedResources.h"

namespace
{
std::vector<unsigned char> ReadFile(const std::string& path)
{
  std::vector<unsigned char> bytes;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return bytes;
  unsigned char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0)
    bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(fp);
  return bytes;
}

struct Expected
{
  const char* path; // as the editor asks for it
  int frames;
};
const Expected kImages[] = {{"resources/img/background.png", 1},
                            {"resources/img/quorvane_led.png", 2},
                            {"resources/img/quorvane_button_01.png", 2},
                            {"resources/img/quorvane_knob_02.png", 65},
                            {"resources/img/quorvane_about.png", 1}};
} // namespace

TEST(EmbeddedResources, EveryEditorImageIsEmbeddedUnchangedAndDecodesToItsLayout)
{
  for (const Expected& e : kImages)
  {
    SCOPED_TRACE(e.path);
    const std::string file = std::string(e.path).substr(std::string(e.path).rfind('/') + 1);
    const EmbeddedResource* res = FindEmbeddedResource(e.path);
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(FindEmbeddedResource(file.c_str()), res);
    EXPECT_EQ(std::string(res->name), file);

    const std::vector<unsigned char> disk = ReadFile(std::string(QUORVANE_IMAGE_DIR) + "/" + file);
    ASSERT_FALSE(disk.empty());
    ASSERT_EQ(res->size, disk.size());
    EXPECT_TRUE(std::equal(disk.begin(), disk.end(), res->data));

    std::unique_ptr<RAS_IBitmap> bmp(RAS_LoadPNGFromMemory(res->data, res->size));
    ASSERT_NE(bmp, nullptr);
    const int w = bmp->getWidth(), h = bmp->getHeight();
    EXPECT_EQ(h % e.frames, 0);
    const int frameH = h / e.frames;
    if (file == "background.png")
    {
      EXPECT_EQ(w, 224);
      EXPECT_EQ(h, 333);
    }
    else if (file == "quorvane_about.png")
    {
      EXPECT_LE(w, 212);
      EXPECT_LE(h, 185);
      // Placed at (6, 148), it must stay inside the 224 x 333 editor.
      EXPECT_LE(6 + w, 224);
      EXPECT_LE(148 + h, 333);
    }
    else if (file == "quorvane_knob_02.png")
    {
      EXPECT_GE(w, 40);
      EXPECT_LE(w, 56);
      EXPECT_EQ(frameH, w);
      // Knob rectangles overlap on the face: every frame's corners are see-through.
      for (int f = 0; f < e.frames; ++f)
      {
        const int top = f * frameH, bottom = top + frameH - 1;
        for (int y : {top, top + 1, bottom - 1, bottom})
          for (int x : {0, 1, w - 2, w - 1})
            EXPECT_EQ(RAS_GetA(RAS_GetPixel(bmp.get(), x, y)), 0)
                << "frame " << f << " at " << x << ", " << y;
      }
    }
  }
}

TEST(EmbeddedResources, UnknownAndNullNamesFindNothing)
{
  EXPECT_EQ(FindEmbeddedResource(nullptr), nullptr);
  EXPECT_EQ(FindEmbeddedResource(""), nullptr);
  EXPECT_EQ(FindEmbeddedResource("resources/img/"), nullptr);
  EXPECT_EQ(FindEmbeddedResource("missing.png"), nullptr);
  EXPECT_EQ(FindEmbeddedResource("background"), nullptr);
  EXPECT_EQ(FindEmbeddedResource("background.png.bak"), nullptr);
  EXPECT_NE(FindEmbeddedResource("C:\\img\\background.png"), nullptr);
}
