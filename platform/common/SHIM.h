#pragma once
// Drawing shim: platform drawing contexts over memory pixel blocks. The raster library's
// system bitmap (RAS_SysBitmap) lives in one; the font services (SHIM_Font.h) draw text
// into one, using the text state the context keeps. The interface is platform-neutral: on
// Linux a context is a plain aligned heap block, on macOS a bitmap graphics context.
//
// Pixel layout of a memory context: 32 bits per pixel, bytes A, R, G, B in memory (alpha
// first and ignored by the platform), 4 x span bytes per row, row 0 at the top.

struct SHIM_GfxContext; // opaque
struct SHIM_Font;       // opaque; made and destroyed by the font services (SHIM_Font.h)

// Background modes for text drawing.
enum
{
  SHIM_TRANSPARENT = 1,
  SHIM_OPAQUE = 2
};

// A memory context of w x h pixels (w is also the row span) over a zero-filled block that
// starts on a 64-byte boundary. reference may be null (it only picks the platform device
// on platforms that have several). Null when w or h is not positive, the size is
// unreasonable, or memory runs out.
SHIM_GfxContext* SHIM_CreateMemContext(SHIM_GfxContext* reference, int w, int h);
// Releases the context and its pixel block; null is ignored.
void SHIM_DeleteGfxContext(SHIM_GfxContext* ctx);

// The pixel block (row 0 first), or null for a null context.
void* SHIM_GetCtxFrameBuffer(SHIM_GfxContext* ctx);
int SHIM_GetCtxWidth(const SHIM_GfxContext* ctx);
int SHIM_GetCtxHeight(const SHIM_GfxContext* ctx);
// Bytes per row (4 x the width).
int SHIM_GetCtxRowBytes(const SHIM_GfxContext* ctx);

// Text state. Colours are 0xRRGGBB. Each setter returns the previous value (0 or null for a
// null context). A new context has no font, text colour black, background mode opaque and
// background colour white.
SHIM_Font* SHIM_SelectFont(SHIM_GfxContext* ctx, SHIM_Font* font);
SHIM_Font* SHIM_GetCtxFont(const SHIM_GfxContext* ctx);
int SHIM_SetTextColor(SHIM_GfxContext* ctx, int rgb);
int SHIM_GetTextColor(const SHIM_GfxContext* ctx);
int SHIM_SetBkMode(SHIM_GfxContext* ctx, int mode);
int SHIM_GetBkMode(const SHIM_GfxContext* ctx);
int SHIM_SetBkColor(SHIM_GfxContext* ctx, int rgb);
int SHIM_GetBkColor(const SHIM_GfxContext* ctx);
