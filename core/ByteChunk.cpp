#include "core/ByteChunk.h"

#include "util/UTL_String.h"

#include <climits>
#include <cstdlib>

ByteChunk::~ByteChunk()
{
  free(mData);
}

ByteChunk::ByteChunk(const ByteChunk& other)
{
  AppendChunk(&other);
}

ByteChunk& ByteChunk::operator=(const ByteChunk& other)
{
  if (this != &other)
  {
    Clear();
    AppendChunk(&other);
  }
  return *this;
}

bool ByteChunk::Reserve(int64_t capacity)
{
  if (capacity <= mCapacity) return true;
  const int64_t rounded = (capacity + kGrowth - 1) / kGrowth * kGrowth;
  if (rounded > INT_MAX) return false;
  void* grown = realloc(mData, size_t(rounded));
  if (!grown) return false;
  mData = static_cast<uint8_t*>(grown);
  mCapacity = int(rounded);
  return true;
}

int ByteChunk::AppendBytes(const void* data, int n)
{
  if (n < 0 || (n > 0 && !data)) return -1;
  if (!Reserve(int64_t(mSize) + n)) return -1;
  if (n > 0) memcpy(mData + mSize, data, size_t(n));
  mSize += n;
  return mSize;
}

int ByteChunk::ReadBytes(void* out, int n, int pos) const
{
  if (!Fits(pos, n) || (n > 0 && !out)) return -1;
  if (n > 0) memcpy(out, mData + pos, size_t(n));
  return pos + n;
}

int ByteChunk::AppendString(const char* text)
{
  const size_t len = text ? strlen(text) : 0;
  if (len > size_t(INT_MAX - 4)) return -1;
  if (!Reserve(int64_t(mSize) + 4 + int64_t(len))) return -1;
  AppendScalar(int32_t(len));
  return AppendBytes(text, int(len));
}

int ByteChunk::AppendString(const UTL_String& text)
{
  return AppendString(text.Get());
}

int ByteChunk::ReadString(UTL_String* out, int pos) const
{
  int32_t len;
  pos = ReadScalar(&len, pos);
  // A negative length would send the next read backwards into data already read.
  if (pos < 0 || len < 0) return -1;
  const int64_t end = int64_t(pos) + len;
  if (end > INT_MAX) return -1;
  if (end <= mSize && len > 0 && out)
  {
    const void* nul = memchr(mData + pos, 0, size_t(len));
    const int n = nul ? int(static_cast<const uint8_t*>(nul) - (mData + pos)) : len;
    out->Set(reinterpret_cast<const char*>(mData + pos), n);
  }
  return int(end);
}

int ByteChunk::AppendChunk(const ByteChunk* other)
{
  if (!other) return -1;
  if (other == this)
  {
    // Appending to itself: the source moves when the buffer grows.
    if (!Reserve(int64_t(mSize) * 2)) return -1;
    return AppendBytes(mData, mSize);
  }
  return AppendBytes(other->mData, other->mSize);
}

int ByteChunk::Resize(int newSize)
{
  if (newSize < 0 || !Reserve(newSize)) return -1;
  if (newSize > mSize) memset(mData + mSize, 0, size_t(newSize - mSize));
  mSize = newSize;
  return mSize;
}

bool ByteChunk::IsEqual(const ByteChunk& other) const
{
  return mSize == other.mSize && (mSize == 0 || memcmp(mData, other.mData, size_t(mSize)) == 0);
}

namespace
{
const uint8_t kFrameworkMagic[4] = {'t', 'f', 'f', 'p'};
}

void InitChunkWithFrameworkVer(ByteChunk* chunk)
{
  if (!chunk) return;
  chunk->Clear();
  chunk->AppendBytes(kFrameworkMagic, 4);
  chunk->AppendScalar(int32_t(kFrameworkChunkVersion));
}

int GetFrameworkVerFromChunk(const ByteChunk* chunk, int* pos)
{
  if (!chunk || !pos) return 0;
  uint8_t magic[4];
  if (chunk->ReadBytes(magic, 4, *pos) < 0 || memcmp(magic, kFrameworkMagic, 4) != 0) return 0;
  int32_t version = 0;
  const int next = chunk->ReadScalar(&version, *pos + 4);
  if (next < 0)
  {
    *pos = -1;
    return 0;
  }
  *pos = next;
  return version;
}
