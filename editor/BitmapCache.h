#pragma once
// Process-wide store of decoded bitmaps, shared by every editor of the module and keyed
// by resource id (-1 for bitmaps made at run time). It owns the bitmaps: they live until
// released or until the module unloads.
#include "util/UTL_Mutex.h"
#include "util/UTL_PtrList.h"

class RAS_IBitmap;

class BitmapStorage
{
public:
  struct BitmapKey
  {
    int id;
    RAS_IBitmap* bitmap;
  };

  BitmapStorage() = default;
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The first bitmap stored under id, or null.
  RAS_IBitmap* Find(int id);
  void Add(RAS_IBitmap* bitmap, int id = -1);
  // Removes the first key holding the bitmap and deletes the bitmap; false when absent.
  bool Remove(RAS_IBitmap* bitmap);
  int GetSize();
  // Deletes every bitmap and key.
  void Clear();

private:
  UTL_PtrList<BitmapKey> mBitmaps;
  UTL_Mutex mMutex;
};

extern BitmapStorage s_bitmapCache;
