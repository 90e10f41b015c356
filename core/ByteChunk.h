#pragma once
// Growable byte buffer with appends and positional reads. Every multi-byte scalar
// is stored little-endian whatever the machine, so chunks saved in a host project
// read back on any platform. Reads return the position after the value, or -1.
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

class UTL_String;

class ByteChunk
{
public:
  // Capacity grows in whole steps, so appending one value at a time stays cheap.
  static constexpr int kGrowth = 4096;

  ByteChunk() = default;
  ~ByteChunk();
  ByteChunk(const ByteChunk& other);
  ByteChunk& operator=(const ByteChunk& other);

  // Appends the value's bytes (bool: one byte 0 or 1). Returns the new size, or -1
  // when memory could not be obtained (the chunk is then unchanged).
  template <class T> int AppendScalar(const T& value)
  {
    uint8_t bytes[sizeof(T)];
    Encode(value, bytes);
    return AppendBytes(bytes, int(sizeof(T)));
  }

  // Reads a value at pos; -1 (value untouched) when it does not lie wholly inside.
  template <class T> int ReadScalar(T* value, int pos) const
  {
    if (!value || !Fits(pos, int(sizeof(T)))) return -1;
    Decode(mData + pos, value);
    return pos + int(sizeof(T));
  }

  int AppendBytes(const void* data, int n);
  // Copies n bytes at pos into out; -1 when they do not lie wholly inside.
  int ReadBytes(void* out, int n, int pos) const;

  // A 32-bit length, then the bytes without terminator. A null text appends length 0.
  int AppendString(const char* text);
  int AppendString(const UTL_String& text);
  // Reads a length-prefixed string. The position after it is returned even when it
  // lies beyond the end (the next read fails there); the string changes only when
  // the whole text is inside and not empty, and stops early at a zero byte.
  int ReadString(UTL_String* out, int pos) const;

  int AppendChunk(const ByteChunk* other);

  // Sets the size, zero-filling any growth. Returns the new size, or -1 (unchanged)
  // for a negative size or when memory could not be obtained.
  int Resize(int newSize);
  void Clear() { mSize = 0; }
  int Size() const { return mSize; }
  // Bytes the chunk holds without allocating.
  int Capacity() const { return mCapacity; }
  // Trades contents with other; never allocates.
  void Swap(ByteChunk& other)
  {
    std::swap(mData, other.mData);
    std::swap(mSize, other.mSize);
    std::swap(mCapacity, other.mCapacity);
  }
  uint8_t* GetBytes() { return mData; }
  const uint8_t* GetBytes() const { return mData; }
  bool IsEqual(const ByteChunk& other) const;

  // Short forms.
  template <class T> int Put(const T& value) { return AppendScalar(value); }
  template <class T> int Get(T* value, int pos) const { return ReadScalar(value, pos); }
  int PutStr(const char* text) { return AppendString(text); }
  int GetStr(UTL_String* out, int pos) const { return ReadString(out, pos); }
  int PutChunk(const ByteChunk* other) { return AppendChunk(other); }

private:
  bool Fits(int pos, int n) const { return pos >= 0 && n >= 0 && n <= mSize - pos; }
  bool Reserve(int64_t capacity);

  template <class T> static void Encode(const T& value, uint8_t* out)
  {
    static_assert(std::is_arithmetic<T>::value || std::is_enum<T>::value,
                  "chunks hold plain scalars");
    if constexpr (std::is_same<T, bool>::value)
      out[0] = value ? 1 : 0;
    else
    {
      using U = typename std::conditional<
          sizeof(T) == 1, uint8_t,
          typename std::conditional<
              sizeof(T) == 2, uint16_t,
              typename std::conditional<sizeof(T) == 4, uint32_t, uint64_t>::type>::type>::type;
      static_assert(sizeof(U) == sizeof(T), "unsupported scalar width");
      U bits;
      memcpy(&bits, &value, sizeof(T));
      for (size_t i = 0; i < sizeof(T); ++i)
        out[i] = uint8_t(bits >> (8 * i));
    }
  }

  template <class T> static void Decode(const uint8_t* in, T* value)
  {
    if constexpr (std::is_same<T, bool>::value)
      *value = in[0] != 0;
    else
    {
      using U = typename std::conditional<
          sizeof(T) == 1, uint8_t,
          typename std::conditional<
              sizeof(T) == 2, uint16_t,
              typename std::conditional<sizeof(T) == 4, uint32_t, uint64_t>::type>::type>::type;
      U bits = 0;
      for (size_t i = 0; i < sizeof(T); ++i)
        bits |= U(U(in[i]) << (8 * i));
      memcpy(value, &bits, sizeof(T));
    }
  }

  uint8_t* mData = nullptr;
  int mSize = 0;
  int mCapacity = 0;
};

// The 8-byte header that marks a chunk's format: the bytes "tffp", then the
// framework chunk version as an int (1.0.0 packed).
constexpr int kFrameworkChunkVersion = 0x00010000;
constexpr int kFrameworkHeaderSize = 8;

// Clears the chunk and writes the header.
void InitChunkWithFrameworkVer(ByteChunk* chunk);
// The version in a header at *pos, moving *pos past it. 0 with *pos unchanged when
// no header starts there (the chunk is read from where it starts); 0 with *pos = -1
// when the header is cut short.
int GetFrameworkVerFromChunk(const ByteChunk* chunk, int* pos);
