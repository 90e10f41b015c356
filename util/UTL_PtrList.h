#pragma once
// Ordered list of pointers. It owns nothing unless told so by the deleting calls.
#include <cstddef>
#include <vector>

template <class T> class UTL_PtrList
{
public:
  UTL_PtrList() = default;
  UTL_PtrList(const UTL_PtrList&) = delete;
  UTL_PtrList& operator=(const UTL_PtrList&) = delete;

  int GetSize() const { return int(mList.size()); }
  // Null for an index outside the list.
  T* Get(int idx) const { return idx >= 0 && idx < GetSize() ? mList[size_t(idx)] : nullptr; }
  T* const* GetList() const { return mList.data(); }
  T* GetLast() const { return mList.empty() ? nullptr : mList.back(); }

  T* Add(T* item)
  {
    mList.push_back(item);
    return item;
  }
  // Inserts at idx, clamped to [0, size].
  T* Insert(int idx, T* item)
  {
    if (idx < 0) idx = 0;
    if (idx > GetSize()) idx = GetSize();
    mList.insert(mList.begin() + idx, item);
    return item;
  }
  int Find(const T* item) const
  {
    for (size_t i = 0; i < mList.size(); ++i)
      if (mList[i] == item) return int(i);
    return -1;
  }
  void Delete(int idx, bool deleteItem = false)
  {
    if (idx < 0 || idx >= GetSize()) return;
    T* item = mList[size_t(idx)];
    mList.erase(mList.begin() + idx);
    if (deleteItem) delete item;
  }
  void Empty(bool deleteItems = false)
  {
    if (deleteItems)
      for (T* item : mList)
        delete item;
    mList.clear();
  }

private:
  std::vector<T*> mList;
};
