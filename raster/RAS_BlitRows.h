#pragma once
// Row loops of the blits: one source pixel combined into each destination pixel.
// The source-alpha copies, which the editor draws every bitmap with, get SSE2 loops that
// give exactly the operators' results four pixels at a time.
#include "raster/RAS_Combine.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

template <class Op>
inline void RAS_CombineRow(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  for (int i = 0; i < n; ++i) RAS_CombinePixel<Op>(d + i, s[i], w);
}

#if defined(__SSE2__)
namespace RAS_Simd
{
// S + (D - S) * k / 256 in each 16-bit lane, truncated toward zero, for 0 <= k <= 256.
// Splitting D - S into its positive and negative parts keeps each product |D - S| * k
// below 65536, so unsigned 16-bit multiplies are exact and the shift truncates the
// magnitude, which is truncation toward zero.
inline __m128i LerpTrunc16(__m128i d16, __m128i s16, __m128i k16)
{
  const __m128i up = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(d16, s16), k16), 8);
  const __m128i down = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s16, d16), k16), 8);
  return _mm_sub_epi16(_mm_add_epi16(s16, up), down);
}

// Copies the 16-bit lane 0 (the A lane) of each pixel to its four lanes.
inline __m128i BroadcastA16(__m128i v)
{
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0), 0);
}
} // namespace RAS_Simd

// Source-alpha copy at full weight: A = 0 keeps D, otherwise
// RGB = S + (D - S) * (255 - a) / 256 (which is S itself at a = 255) and A = min(255, D + a).
template <>
inline void RAS_CombineRow<RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(
    RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  using namespace RAS_Simd;
  const __m128i zero = _mm_setzero_si128();
  const __m128i amask = _mm_set1_epi32(0xFF);
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i a8 = _mm_and_si128(sv, amask);
    const __m128i none = _mm_cmpeq_epi32(a8, zero);
    const int noneBits = _mm_movemask_epi8(none);
    if (noneBits == 0xFFFF) continue;  // all four transparent
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a8, amask)) == 0xFFFF)
    {
      _mm_storeu_si128(dp, _mm_or_si128(sv, amask));  // all four opaque
      continue;
    }
    const __m128i dv = _mm_loadu_si128(dp);
    const __m128i ia8 = _mm_sub_epi32(amask, a8);
    const __m128i lo = LerpTrunc16(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero),
                                   BroadcastA16(_mm_unpacklo_epi8(ia8, zero)));
    const __m128i hi = LerpTrunc16(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero),
                                   BroadcastA16(_mm_unpackhi_epi8(ia8, zero)));
    const __m128i rgb = _mm_packus_epi16(lo, hi);
    const __m128i alpha = _mm_adds_epu8(dv, a8);
    __m128i res = _mm_or_si128(_mm_andnot_si128(amask, rgb), _mm_and_si128(amask, alpha));
    res = _mm_or_si128(_mm_and_si128(none, dv), _mm_andnot_si128(none, res));
    _mm_storeu_si128(dp, res);
  }
  for (; i < n; ++i) RAS_CombinePixel<RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d + i, s[i], w);
}

// Source-alpha copy at weight w: with w' = w (a + 1) / 256, A = 0 keeps D, otherwise
// RGB = S + (D - S) * (256 - w') / 256 and A = min(255, D + w').
template <>
inline void RAS_CombineRow<RAS_CombinePixelsCopySourceAlphaNoClamp>(RAS_Pixel* d,
                                                                    const RAS_Pixel* s, int n,
                                                                    int w)
{
  using namespace RAS_Simd;
  int i = 0;
  // Up to 255 every product below fits 16 bits; full weight is the other operator's job.
  if (w >= 1 && w <= 255)
  {
    const __m128i zero = _mm_setzero_si128();
    const __m128i amask = _mm_set1_epi32(0xFF);
    const __m128i alane = _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    const __m128i one = _mm_set1_epi16(1), full = _mm_set1_epi16(256), w16 = _mm_set1_epi16(short(w));
    for (; i + 4 <= n; i += 4)
    {
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i a8 = _mm_and_si128(sv, amask);
      const __m128i none = _mm_cmpeq_epi32(a8, zero);
      if (_mm_movemask_epi8(none) == 0xFFFF) continue;
      __m128i* dp = reinterpret_cast<__m128i*>(d + i);
      const __m128i dv = _mm_loadu_si128(dp);
      auto half = [&](__m128i d16, __m128i s16, __m128i a16) {
        const __m128i wp = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(a16, one), w16), 8);
        const __m128i rgb = LerpTrunc16(d16, s16, _mm_sub_epi16(full, wp));
        const __m128i alpha = _mm_add_epi16(d16, wp);  // packing saturates it at 255
        return _mm_or_si128(_mm_andnot_si128(alane, rgb), _mm_and_si128(alane, alpha));
      };
      const __m128i lo = half(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero),
                              BroadcastA16(_mm_unpacklo_epi8(a8, zero)));
      const __m128i hi = half(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero),
                              BroadcastA16(_mm_unpackhi_epi8(a8, zero)));
      const __m128i res = _mm_packus_epi16(lo, hi);
      _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(none, dv), _mm_andnot_si128(none, res)));
    }
  }
  for (; i < n; ++i) RAS_CombinePixel<RAS_CombinePixelsCopySourceAlphaNoClamp>(d + i, s[i], w);
}
#endif
