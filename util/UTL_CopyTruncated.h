#pragma once
// The one way texts enter fixed-size fields: cut to fit, always terminated.
#include <cstddef>
#include <cstring>

// Copies src into dst of size bytes, cutting it to size - 1 characters. A null src
// copies the empty text; a zero size writes nothing. Returns dst.
inline char* CopyTruncated(char* dst, size_t size, const char* src)
{
  if (!dst || size == 0) return dst;
  size_t n = 0;
  if (src)
  {
    n = strnlen(src, size - 1);
    memmove(dst, src, n);
  }
  dst[n] = '\0';
  return dst;
}

// The same for a char array, sized by the compiler.
template <size_t N> inline char* CopyTruncated(char (&dst)[N], const char* src)
{
  return CopyTruncated(dst, N, src);
}
