#include "editor/BitmapCache.h"

#include "raster/RAS_Bitmap.h"

BitmapStorage s_bitmapCache;

BitmapStorage::~BitmapStorage()
{
  Clear();
}

RAS_IBitmap* BitmapStorage::Find(int id)
{
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i)
  {
    BitmapKey* key = mBitmaps.Get(i);
    if (key->id == id) return key->bitmap;
  }
  return nullptr;
}

void BitmapStorage::Add(RAS_IBitmap* bitmap, int id)
{
  if (!bitmap) return;
  UTL_MutexLock lock(mMutex);
  mBitmaps.Add(new BitmapKey{id, bitmap});
}

bool BitmapStorage::Remove(RAS_IBitmap* bitmap)
{
  if (!bitmap) return false;
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i)
  {
    BitmapKey* key = mBitmaps.Get(i);
    if (key->bitmap == bitmap)
    {
      mBitmaps.Delete(i, true);
      delete bitmap;
      return true;
    }
  }
  return false;
}

int BitmapStorage::GetSize()
{
  UTL_MutexLock lock(mMutex);
  return mBitmaps.GetSize();
}

void BitmapStorage::Clear()
{
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i)
    delete mBitmaps.Get(i)->bitmap;
  mBitmaps.Empty(true);
}
