#pragma once
// Lines, circles, arcs, rectangles, filled convex polygons and coverage glyphs. Every
// function takes the destination first, clips to it and reports nothing: null bitmaps, zero
// weights, degenerate sizes and shapes outside the bitmap draw nothing.
//
// color is a packed pixel (RAS_RGBA); its R, G, B (and A, where the operator uses it) go
// through the combine operator that mode selects, exactly as for blits. The weight is
// w = (int)(alpha * 256.0), held to 0..256 for shapes (alpha above 1 draws as 1).
#include <cstdint>

#include "raster/RAS_Bitmap.h"

// From (x1, y1) to (x2, y2), both ends included. aa: anti-aliased (weights split between
// the two pixels nearest the ideal line).
void RAS_Line(RAS_IBitmap* dest, int x1, int y1, int x2, int y2, RAS_Pixel color, float alpha,
              int mode, bool aa);

// Circle outline about (cx, cy). Outline radii 1.5, 2, 2.5, 3, 3.5 and 4 come from fixed
// masks whose top-left corner is at (int)(cx - r), (int)(cy - r).
void RAS_Circle(RAS_IBitmap* dest, float cx, float cy, float r, RAS_Pixel color, float alpha,
                int mode, bool aa);
// Filled circle; every inside pixel is combined exactly once.
void RAS_FillCircle(RAS_IBitmap* dest, float cx, float cy, float r, RAS_Pixel color, float alpha,
                    int mode, bool aa);

// Arc of the circle outline from minAngle to maxAngle (radians, 0 pointing up, growing
// clockwise: the point at t is (cx + r sin t, cy - r cos t)). A span of 2 pi or more is the
// whole circle.
void RAS_Arc(RAS_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
             RAS_Pixel color, float alpha, int mode, bool aa);

// Rectangle outline with corners (x, y) and (x + w, y + h), both included; each pixel once.
void RAS_DrawRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_Pixel color, float alpha,
                  int mode);
// Outline with rounded corners of radius min(cornerradius, w / 2, h / 2); below 2 a plain
// rectangle.
void RAS_RoundRect(RAS_IBitmap* dest, int x, int y, int w, int h, int cornerradius, RAS_Pixel color,
                   float alpha, int mode, bool aa);

// Fills the convex hull's rows: n points in any order, edges included. Fewer than 3 points
// draw nothing; points on one row fill one span.
void RAS_FillConvexPolygon(RAS_IBitmap* dest, const int* xs, const int* ys, int n, RAS_Pixel color,
                           float alpha, int mode);
void RAS_FillTriangle(RAS_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                      RAS_Pixel color, float alpha, int mode);

// One coverage byte per pixel, glyph_w x glyph_h, row by row, top-left at (x, y). Each
// pixel with coverage c > 0 combines color (all four bytes) at weight w * c / 256.
void RAS_DrawGlyph(RAS_IBitmap* dest, int x, int y, RAS_Pixel color, const uint8_t* alphas,
                   int glyph_w, int glyph_h, float alpha, int mode);
