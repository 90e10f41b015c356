#pragma once
// Growable owned byte buffer. Resize keeps the leading bytes; new bytes are zero.
#include <cstdint>
#include <cstddef>
#include <vector>

class UTL_HeapBuf
{
public:
  int GetSize() const { return int(mBytes.size()); }
  void* Get() { return mBytes.empty() ? nullptr : mBytes.data(); }
  const void* Get() const { return mBytes.empty() ? nullptr : mBytes.data(); }
  // Returns the buffer, or null for a negative size.
  void* Resize(int newSize)
  {
    if (newSize < 0) return nullptr;
    mBytes.resize(size_t(newSize));
    return Get();
  }
  // Reserves room so that later resizes up to n bytes do not allocate.
  void Reserve(int n)
  {
    if (n > 0) mBytes.reserve(size_t(n));
  }

private:
  std::vector<uint8_t> mBytes;
};
