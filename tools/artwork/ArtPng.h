#pragma once
// PNG output for the artwork: the smallest lossless file libpng makes of the bitmap (RGB when
// every pixel is opaque, RGBA otherwise, strongest compression), since the files are
// compiled into the plug-in.
#include "raster/RAS_Bitmap.h"

// False on any failure (the file may then be partial).
bool ArtWritePNG(RAS_IBitmap* bmp, const char* filename);
