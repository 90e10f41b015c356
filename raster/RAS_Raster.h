#pragma once
// Blits, fills and single pixels. Every function takes the destination first and reports
// nothing: null bitmaps, missing pixels, empty rectangles and zero weights draw nothing.
//
// alpha is a weight, nominally 0..1; it becomes the integer w = (int)(alpha * 256.0), so 1.0
// is 256 and anything that truncates to 0 draws nothing.
#include "raster/RAS_Bitmap.h"

// The blend mode word.
enum
{
  RAS_BLEND_MASK = 0xFF, // low byte: the operation
  RAS_BLEND_COPY = 0,
  RAS_BLEND_ADD = 1,
  RAS_BLEND_COLORDODGE = 2,
  RAS_BLEND_MUL = 3,
  RAS_BLEND_OVERLAY = 4,
  RAS_BLEND_HSVADJ = 5,
  // Blits only: 0xF0..0xFF copy source byte (mode & 3) into destination byte ((mode >> 2) & 3).
  RAS_BLEND_CHANNEL_COPY = 0xF0,

  RAS_BLEND_FILTER_MASK = 0xFF00,
  RAS_BLEND_FILTER_BILINEAR = 0x100, // scaled and rotated blits; 0 is nearest

  RAS_BLEND_USE_SOURCE_ALPHA = 0x10000 // weight scaled by the source (or fill colour) alpha
};

// Combines the source rectangle (srcx, srcy, srcw, srch) into dest at (dstx, dsty).
void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw,
              int srch, float alpha, int mode);
// The same with the source rectangle as edges; a null rectangle means the whole source.
void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, const RAS_Rect* srcrect,
              float alpha, int mode);

// Resizes dest to the source's size and copies every pixel.
void RAS_Copy(RAS_IBitmap* dest, RAS_IBitmap* src);

// Scales the source rectangle into the destination rectangle; a negative dstw or dsth
// mirrors. Nearest or bilinear (RAS_BLEND_FILTER_BILINEAR), box-filtered when reducing by
// 1.7 or more with the bilinear flag.
void RAS_ScaledBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    double srcx, double srcy, double srcw, double srch, float alpha, int mode);

// Draws the source rectangle turned by angle (radians) about its centre, moved by
// (rotxcent, rotycent) source pixels, into the destination rectangle.
void RAS_RotatedBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     double srcx, double srcy, double srcw, double srch, double angle,
                     bool cliptosourcerect, float alpha, int mode, double rotxcent,
                     double rotycent);

void RAS_FillRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_Pixel color, float alpha,
                  int mode);
// Each pixel of the rectangle becomes (pixel & mask) | orbits.
void RAS_ClearRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_Pixel mask, RAS_Pixel orbits);

// 0 outside the bitmap.
RAS_Pixel RAS_GetPixel(RAS_IBitmap* bmp, int x, int y);
void RAS_PutPixel(RAS_IBitmap* bmp, int x, int y, RAS_Pixel color, float alpha, int mode);

// Decodes a PNG into bmp (resized to the image) or, with bmp null, into a new
// RAS_MemBitmap(w, h, 4) owned by the caller. Null on any failure; a given bitmap keeps
// whatever size it was resized to.
RAS_IBitmap* RAS_LoadPNG(const char* filename, RAS_IBitmap* bmp = nullptr);
RAS_IBitmap* RAS_LoadPNGFromMemory(const void* data, size_t size, RAS_IBitmap* bmp = nullptr);

// Writes the bitmap as an 8-bit RGBA PNG. False on any failure (the file may then be partial).
bool RAS_WritePNG(RAS_IBitmap* bmp, const char* filename);

// Process-wide list of image loaders. load(filename, checkFileName, bmp): with checkFileName
// a loader declines names that do not carry its extension. extensions: a double-terminated
// list of description / pattern pairs.
struct RAS_ImageLoader
{
  RAS_IBitmap* (*load)(const char* filename, bool checkFileName, RAS_IBitmap* bmp);
  const char* extensions;
};
int RAS_GetImageLoaderCount();
const RAS_ImageLoader* RAS_GetImageLoader(int idx);
// Tries every loader that accepts the file name. Null when none could load it.
RAS_IBitmap* RAS_LoadImage(const char* filename, RAS_IBitmap* bmp = nullptr);
