// quorvane-artwork: draws the editor's images and writes them as PNGs.
//
//   quorvane-artwork OUTDIR            writes the five images into OUTDIR
//   quorvane-artwork --preview FILE    writes the face as the editor composes it, twice
//                                      side by side: controls at sample values, then with
//                                      the switch pressed, the LED off and the about box up
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtImages.h"
#include "tools/artwork/ArtLayout.h"
#include "tools/artwork/ArtPng.h"

namespace
{
struct Images
{
  std::unique_ptr<RAS_MemBitmap> background, knob, led, button, about;
};

Images DrawAll()
{
  return {DrawBackground(), DrawKnobStrip(), DrawLed(), DrawButton(), DrawAbout()};
}

bool WriteAll(const Images& img, const std::string& dir)
{
  const struct
  {
    RAS_MemBitmap* bmp;
    const char* name;
  } files[] = {{img.background.get(), "background.png"},
               {img.knob.get(), "quorvane_knob_02.png"},
               {img.led.get(), "quorvane_led.png"},
               {img.button.get(), "quorvane_button_01.png"},
               {img.about.get(), "quorvane_about.png"}};
  bool ok = true;
  for (const auto& f : files)
  {
    const std::string path = dir + "/" + f.name;
    if (!ArtWritePNG(f.bmp, path.c_str()))
    {
      std::fprintf(stderr, "quorvane-artwork: cannot write %s\n", path.c_str());
      ok = false;
    }
  }
  return ok;
}

// Frame `frame` of a vertical strip drawn at (x, y) the way the editor draws bitmaps.
void Place(RAS_IBitmap* dest, RAS_MemBitmap* strip, int frames, int frame, int x, int y, int ox)
{
  const int h = strip->getHeight() / frames;
  RAS_Blit(dest, strip, ox + x, y, 0, frame * h, strip->getWidth(), h, 1.0f,
           RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA);
}

bool WritePreview(const Images& img, const char* file)
{
  RAS_MemBitmap out(kFaceW * 2 + 8, kFaceH);
  RAS_FillRect(&out, 0, 0, out.getWidth(), out.getHeight(), RAS_RGBA(40, 40, 40, 255), 1.0f,
               RAS_BLEND_COPY);
  const double values[2][5] = {{0.7, 0.35, 0.5, 0.0, 1.0}, {0.0, 1.0, 0.25, 0.5, 0.75}};
  for (int side = 0; side < 2; ++side)
  {
    const int ox = side * (kFaceW + 8);
    RAS_Blit(&out, img.background.get(), ox, 0, 0, 0, kFaceW, kFaceH, 1.0f, RAS_BLEND_COPY);
    Place(&out, img.led.get(), 2, side == 0 ? 1 : 0, kLed.x, kLed.y, ox);
    Place(&out, img.button.get(), 2, side, kButton.x, kButton.y, ox);
    for (int k = 0; k < 5; ++k)
      Place(&out, img.knob.get(), kKnobFrames, int(values[side][k] * (kKnobFrames - 1) + 0.5),
            kKnobs[k].x, kKnobs[k].y, ox);
    if (side == 1) Place(&out, img.about.get(), 1, 0, kAbout.x, kAbout.y, ox);
  }
  return RAS_WritePNG(&out, file);
}
} // namespace

int main(int argc, char** argv)
{
  if (argc == 3 && std::strcmp(argv[1], "--preview") == 0)
    return WritePreview(DrawAll(), argv[2]) ? 0 : 1;
  if (argc != 2 || argv[1][0] == '-')
  {
    std::fprintf(stderr, "usage: quorvane-artwork OUTDIR | --preview FILE\n");
    return 2;
  }
  return WriteAll(DrawAll(), argv[1]) ? 0 : 1;
}
