#pragma once
// One program slot: a name and the state stored for it.
#include "core/ByteChunk.h"
#include "util/UTL_CopyTruncated.h"

struct IPreset
{
  // 255 characters and a terminator; longer names are cut.
  static constexpr int kNameLen = 256;

  bool mInitialized = false;
  char mName[kNameLen] = "empty";
  ByteChunk mChunk; // in the format SerializeState writes

  // Copies name, cutting it to fit; a null name leaves the current one.
  void SetName(const char* name)
  {
    if (name) CopyTruncated(mName, name);
  }
};
