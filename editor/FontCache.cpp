#include "editor/FontCache.h"

#include "raster/RAS_CachedFont.h"
#include "util/UTL_CopyTruncated.h"

#include <cstring>

FontStorage s_fontCache;

FontStorage::~FontStorage()
{
  Clear();
}

RAS_IFont* FontStorage::Find(int size, int orientation, int style, const char* face)
{
  if (!face) face = "";
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < mFonts.GetSize(); ++i)
  {
    const FontKey* key = mFonts.Get(i);
    if (key->size == size && key->orientation == orientation && key->style == style &&
        std::strncmp(key->face, face, sizeof(key->face) - 1) == 0)
      return key->font;
  }
  return nullptr;
}

void FontStorage::Add(RAS_IFont* font, int size, int orientation, int style, const char* face)
{
  if (!font) return;
  FontKey* key = new FontKey{size, orientation, style, {}, font};
  CopyTruncated(key->face, face);
  UTL_MutexLock lock(mMutex);
  mFonts.Add(key);
}

int FontStorage::GetSize()
{
  UTL_MutexLock lock(mMutex);
  return mFonts.GetSize();
}

void FontStorage::Clear()
{
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < mFonts.GetSize(); ++i)
    delete mFonts.Get(i)->font;
  mFonts.Empty(true);
}
