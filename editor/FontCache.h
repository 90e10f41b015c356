#pragma once
// Process-wide store of fonts, shared by every editor of the module and keyed by text
// style (size, orientation, style and face; colour and quality are not part of the key).
// It owns the fonts: they live until the module unloads.
#include "util/UTL_Mutex.h"
#include "util/UTL_PtrList.h"

class RAS_IFont;

class FontStorage
{
public:
  struct FontKey
  {
    int size;
    int orientation;
    int style;
    char face[32];
    RAS_IFont* font;
  };

  FontStorage() = default;
  ~FontStorage();
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The font stored for the style, or null.
  RAS_IFont* Find(int size, int orientation, int style, const char* face);
  void Add(RAS_IFont* font, int size, int orientation, int style, const char* face);
  int GetSize();
  // Deletes every font and key.
  void Clear();

private:
  UTL_PtrList<FontKey> mFonts;
  UTL_Mutex mMutex;
};

extern FontStorage s_fontCache;
