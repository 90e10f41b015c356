#pragma once
// Growable owned buffer of trivially copyable values. Resize keeps the leading values.
#include <type_traits>
#include <cstddef>
#include <vector>

template <class T> class UTL_TypedBuf
{
  static_assert(std::is_trivially_copyable<T>::value, "UTL_TypedBuf holds plain values");

public:
  int GetSize() const { return int(mItems.size()); }
  T* Get() { return mItems.empty() ? nullptr : mItems.data(); }
  const T* Get() const { return mItems.empty() ? nullptr : mItems.data(); }
  // Returns the buffer, or null for a negative size. New values are value-initialised.
  T* Resize(int n)
  {
    if (n < 0) return nullptr;
    mItems.resize(size_t(n));
    return Get();
  }
  T* Add(const T& item)
  {
    mItems.push_back(item);
    return &mItems.back();
  }

private:
  std::vector<T> mItems;
};
