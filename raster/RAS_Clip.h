#pragma once
// Clipping of one axis of a transfer, shared by the plain, scaled and rotated blits.
// Works in 64 bits so that extreme positions cannot overflow.
#include <cstdint>

// Cuts the span [pos, pos + len) to [0, size). Returns how much was cut from its start,
// so that a paired position (the other bitmap's, or a sampling walk) can move with it;
// len is what is left and may end up 0 or negative.
inline int64_t RAS_ClipSpan(int64_t& pos, int64_t& len, int64_t size)
{
  int64_t cut = 0;
  if (pos < 0)
  {
    cut = -pos;
    len += pos;
    pos = 0;
  }
  if (pos + len > size) len = size - pos;
  return cut;
}
