// Context records: the pixel block, the text state and every accessor of SHIM.h that
// needs no platform. Released records are pooled for reuse.
#include "platform/common/SHIM_ContextRecord.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "util/UTL_Mutex.h"

namespace
{
const int kMaxPooledRecords = 100;
// Keeps a context's block and its row byte count inside int range everywhere.
const int64_t kMaxContextBytes = int64_t(1) << 30;

struct RecordPool
{
  UTL_Mutex mutex;
  SHIM_GfxContext* head = nullptr;
  int count = 0;
  bool closing = false; // set at unload: records handed back later are freed at once
};

// Never destroyed, and not on the heap: bitmaps owned by other statics (the editor's
// bitmap cache) may hand their contexts back while the process exits or the library
// unloads, after every destructor of this file has run.
RecordPool& Pool()
{
  alignas(RecordPool) static unsigned char storage[sizeof(RecordPool)];
  static RecordPool* pool = new (storage) RecordPool;
  return *pool;
}

// Frees the pooled records when the library unloads, so a host that loads and unloads
// the plug-in keeps no memory of it.
struct PoolDrain
{
  ~PoolDrain()
  {
    RecordPool& p = Pool();
    UTL_MutexLock lock(p.mutex);
    p.closing = true;
    while (p.head)
    {
      SHIM_GfxContext* rec = p.head;
      p.head = rec->nextFree;
      std::free(rec);
    }
    p.count = 0;
  }
} gPoolDrain;

SHIM_GfxContext* TakeRecord()
{
  RecordPool& p = Pool();
  {
    UTL_MutexLock lock(p.mutex);
    if (p.head)
    {
      SHIM_GfxContext* rec = p.head;
      p.head = rec->nextFree;
      --p.count;
      return rec;
    }
  }
  return static_cast<SHIM_GfxContext*>(std::malloc(sizeof(SHIM_GfxContext)));
}

void GiveRecord(SHIM_GfxContext* rec)
{
  RecordPool& p = Pool();
  {
    UTL_MutexLock lock(p.mutex);
    if (!p.closing && p.count < kMaxPooledRecords)
    {
      rec->nextFree = p.head;
      p.head = rec;
      ++p.count;
      return;
    }
  }
  std::free(rec);
}
} // namespace

SHIM_GfxContext* SHIM_NewContextRecord(int w, int h)
{
  if (w <= 0 || h <= 0) return nullptr;
  const int64_t bytes = int64_t(w) * h * 4;
  if (bytes > kMaxContextBytes) return nullptr;

  void* block = std::calloc(size_t(bytes) + 63, 1);
  if (!block) return nullptr;
  SHIM_GfxContext* ctx = TakeRecord();
  if (!ctx)
  {
    std::free(block);
    return nullptr;
  }
  ctx->block = block;
  ctx->pixels =
      reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(block) + 63) & ~uintptr_t(63));
  ctx->width = w;
  ctx->height = h;
  ctx->font = nullptr;
  ctx->textColor = 0;
  ctx->bkMode = SHIM_OPAQUE;
  ctx->bkColor = 0xFFFFFF;
  ctx->native = nullptr;
  ctx->nextFree = nullptr;
  return ctx;
}

void SHIM_FreeContextRecord(SHIM_GfxContext* ctx)
{
  if (!ctx) return;
  std::free(ctx->block);
  ctx->block = nullptr;
  ctx->pixels = nullptr;
  ctx->native = nullptr;
  GiveRecord(ctx);
}

void* SHIM_GetCtxFrameBuffer(SHIM_GfxContext* ctx)
{
  return ctx ? ctx->pixels : nullptr;
}
int SHIM_GetCtxWidth(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->width : 0;
}
int SHIM_GetCtxHeight(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->height : 0;
}
int SHIM_GetCtxRowBytes(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->width * 4 : 0;
}

SHIM_Font* SHIM_SelectFont(SHIM_GfxContext* ctx, SHIM_Font* font)
{
  if (!ctx) return nullptr;
  SHIM_Font* old = ctx->font;
  ctx->font = font;
  return old;
}
SHIM_Font* SHIM_GetCtxFont(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->font : nullptr;
}

int SHIM_SetTextColor(SHIM_GfxContext* ctx, int rgb)
{
  if (!ctx) return 0;
  const int old = ctx->textColor;
  ctx->textColor = rgb & 0xFFFFFF;
  return old;
}
int SHIM_GetTextColor(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->textColor : 0;
}

int SHIM_SetBkMode(SHIM_GfxContext* ctx, int mode)
{
  if (!ctx) return 0;
  const int old = ctx->bkMode;
  ctx->bkMode = mode;
  return old;
}
int SHIM_GetBkMode(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->bkMode : 0;
}

int SHIM_SetBkColor(SHIM_GfxContext* ctx, int rgb)
{
  if (!ctx) return 0;
  const int old = ctx->bkColor;
  ctx->bkColor = rgb & 0xFFFFFF;
  return old;
}
int SHIM_GetBkColor(const SHIM_GfxContext* ctx)
{
  return ctx ? ctx->bkColor : 0;
}
