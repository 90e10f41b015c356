// Vector row loops of the source-alpha copies: SSE2 everywhere on x86-64, AVX2 and AVX-512
// where the processor has them (chosen once at run time, so the library runs on any x86-64).
//
// The full-weight copy, the editor's default bitmap drawing, also has an AVX-512 loop.
// All compute exactly what the scalar operators compute:
//   full weight: a = 0 keeps D; else RGB = S + (D - S) * (255 - a) / 256, A = min(255, D + a)
//   weight w:    w' = w (a + 1) / 256; a = 0 keeps D; else RGB = S + (D - S) * (256 - w') / 256,
//                A = min(255, D + w')
// The divisions truncate toward zero. Splitting D - S into its positive and negative parts
// keeps each product |D - S| * k (k <= 256) below 65536, so unsigned 16-bit multiplies are
// exact and a right shift of the magnitude truncates toward zero.
#include "raster/RAS_BlitRows.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define RAS_HAVE_X86 1
#endif

namespace
{
void FullRowScalar(RAS_Pixel* d, const RAS_Pixel* s, int n)
{
  for (int i = 0; i < n; ++i)
    RAS_CombinePixel<RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d + i, s[i], 256);
}

void WeightedRowScalar(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  for (int i = 0; i < n; ++i)
    RAS_CombinePixel<RAS_CombinePixelsCopySourceAlphaNoClamp>(d + i, s[i], w);
}

#if RAS_HAVE_X86
inline __m128i Lerp16(__m128i d16, __m128i s16, __m128i k16)
{
  const __m128i up = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(d16, s16), k16), 8);
  const __m128i down = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s16, d16), k16), 8);
  return _mm_sub_epi16(_mm_add_epi16(s16, up), down);
}

// Copies 16-bit lane 0 (the A lane) of each pixel to its four lanes.
inline __m128i SpreadA16(__m128i v)
{
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0), 0);
}

void FullRowSse2(RAS_Pixel* d, const RAS_Pixel* s, int n)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i amask = _mm_set1_epi32(0xFF);
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i a8 = _mm_and_si128(sv, amask);
    const __m128i none = _mm_cmpeq_epi32(a8, zero);
    if (_mm_movemask_epi8(none) == 0xFFFF) continue; // all transparent
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a8, amask)) == 0xFFFF)
    {
      _mm_storeu_si128(dp, _mm_or_si128(sv, amask)); // all opaque
      continue;
    }
    const __m128i dv = _mm_loadu_si128(dp);
    const __m128i ia8 = _mm_sub_epi32(amask, a8);
    const __m128i lo = Lerp16(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero),
                              SpreadA16(_mm_unpacklo_epi8(ia8, zero)));
    const __m128i hi = Lerp16(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero),
                              SpreadA16(_mm_unpackhi_epi8(ia8, zero)));
    const __m128i rgb = _mm_packus_epi16(lo, hi);
    const __m128i alpha = _mm_adds_epu8(dv, a8);
    __m128i res = _mm_or_si128(_mm_andnot_si128(amask, rgb), _mm_and_si128(amask, alpha));
    res = _mm_or_si128(_mm_and_si128(none, dv), _mm_andnot_si128(none, res));
    _mm_storeu_si128(dp, res);
  }
  FullRowScalar(d + i, s + i, n - i);
}

void WeightedRowSse2(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i amask = _mm_set1_epi32(0xFF);
  const __m128i alane = _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);
  const __m128i one = _mm_set1_epi16(1), full = _mm_set1_epi16(256), w16 = _mm_set1_epi16(short(w));
  auto half = [&](__m128i d16, __m128i s16, __m128i a16)
  {
    const __m128i wp = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(a16, one), w16), 8);
    const __m128i rgb = Lerp16(d16, s16, _mm_sub_epi16(full, wp));
    const __m128i alpha = _mm_add_epi16(d16, wp); // packing saturates it at 255
    return _mm_or_si128(_mm_andnot_si128(alane, rgb), _mm_and_si128(alane, alpha));
  };
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i a8 = _mm_and_si128(sv, amask);
    const __m128i none = _mm_cmpeq_epi32(a8, zero);
    if (_mm_movemask_epi8(none) == 0xFFFF) continue;
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    const __m128i dv = _mm_loadu_si128(dp);
    const __m128i lo = half(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero),
                            SpreadA16(_mm_unpacklo_epi8(a8, zero)));
    const __m128i hi = half(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero),
                            SpreadA16(_mm_unpackhi_epi8(a8, zero)));
    const __m128i res = _mm_packus_epi16(lo, hi);
    _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(none, dv), _mm_andnot_si128(none, res)));
  }
  WeightedRowScalar(d + i, s + i, n - i, w);
}

#define RAS_AVX2 __attribute__((target("avx2")))

RAS_AVX2 inline __m256i Lerp16x2(__m256i d16, __m256i s16, __m256i k16)
{
  const __m256i up = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_subs_epu16(d16, s16), k16), 8);
  const __m256i down = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_subs_epu16(s16, d16), k16), 8);
  return _mm256_sub_epi16(_mm256_add_epi16(s16, up), down);
}

RAS_AVX2 inline __m256i SpreadA16x2(__m256i v)
{
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, 0), 0);
}

RAS_AVX2 void FullRowAvx2(RAS_Pixel* d, const RAS_Pixel* s, int n)
{
  const __m256i zero = _mm256_setzero_si256();
  const __m256i amask = _mm256_set1_epi32(0xFF);
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i a8 = _mm256_and_si256(sv, amask);
    const __m256i none = _mm256_cmpeq_epi32(a8, zero);
    if (_mm256_movemask_epi8(none) == -1) continue;
    __m256i* dp = reinterpret_cast<__m256i*>(d + i);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a8, amask)) == -1)
    {
      _mm256_storeu_si256(dp, _mm256_or_si256(sv, amask));
      continue;
    }
    const __m256i dv = _mm256_loadu_si256(dp);
    const __m256i ia8 = _mm256_sub_epi32(amask, a8);
    const __m256i lo = Lerp16x2(_mm256_unpacklo_epi8(dv, zero), _mm256_unpacklo_epi8(sv, zero),
                                SpreadA16x2(_mm256_unpacklo_epi8(ia8, zero)));
    const __m256i hi = Lerp16x2(_mm256_unpackhi_epi8(dv, zero), _mm256_unpackhi_epi8(sv, zero),
                                SpreadA16x2(_mm256_unpackhi_epi8(ia8, zero)));
    const __m256i rgb = _mm256_packus_epi16(lo, hi); // per 128-bit lane, matching the unpacks
    const __m256i alpha = _mm256_adds_epu8(dv, a8);
    __m256i res = _mm256_or_si256(_mm256_andnot_si256(amask, rgb), _mm256_and_si256(amask, alpha));
    res = _mm256_blendv_epi8(res, dv, none);
    _mm256_storeu_si256(dp, res);
  }
  FullRowSse2(d + i, s + i, n - i);
}

RAS_AVX2 void WeightedRowAvx2(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  const __m256i zero = _mm256_setzero_si256();
  const __m256i amask = _mm256_set1_epi32(0xFF);
  const __m256i alane = _mm256_set1_epi64x(0xFFFF);
  const __m256i one = _mm256_set1_epi16(1), full = _mm256_set1_epi16(256),
                w16 = _mm256_set1_epi16(short(w));
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i a8 = _mm256_and_si256(sv, amask);
    const __m256i none = _mm256_cmpeq_epi32(a8, zero);
    if (_mm256_movemask_epi8(none) == -1) continue;
    __m256i* dp = reinterpret_cast<__m256i*>(d + i);
    const __m256i dv = _mm256_loadu_si256(dp);
    __m256i halves[2];
    for (int h = 0; h < 2; ++h)
    {
      const __m256i d16 = h ? _mm256_unpackhi_epi8(dv, zero) : _mm256_unpacklo_epi8(dv, zero);
      const __m256i s16 = h ? _mm256_unpackhi_epi8(sv, zero) : _mm256_unpacklo_epi8(sv, zero);
      const __m256i a16 =
          SpreadA16x2(h ? _mm256_unpackhi_epi8(a8, zero) : _mm256_unpacklo_epi8(a8, zero));
      const __m256i wp = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_add_epi16(a16, one), w16), 8);
      const __m256i rgb = Lerp16x2(d16, s16, _mm256_sub_epi16(full, wp));
      const __m256i alpha = _mm256_add_epi16(d16, wp);
      halves[h] = _mm256_blendv_epi8(rgb, alpha, alane);
    }
    const __m256i res = _mm256_packus_epi16(halves[0], halves[1]);
    _mm256_storeu_si256(dp, _mm256_blendv_epi8(res, dv, none));
  }
  WeightedRowSse2(d + i, s + i, n - i, w);
}

#define RAS_AVX512 __attribute__((target("avx512f,avx512bw")))

RAS_AVX512 inline __m512i Lerp16x4(__m512i d16, __m512i s16, __m512i k16)
{
  const __m512i up = _mm512_srli_epi16(_mm512_mullo_epi16(_mm512_subs_epu16(d16, s16), k16), 8);
  const __m512i down = _mm512_srli_epi16(_mm512_mullo_epi16(_mm512_subs_epu16(s16, d16), k16), 8);
  return _mm512_sub_epi16(_mm512_add_epi16(s16, up), down);
}

RAS_AVX512 inline __m512i SpreadA16x4(__m512i v)
{
  return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(v, 0), 0);
}

// Sixteen pixels a step; the editor's default bitmap drawing.
RAS_AVX512 void FullRowAvx512(RAS_Pixel* d, const RAS_Pixel* s, int n)
{
  const __m512i zero = _mm512_setzero_si512();
  const __m512i amask = _mm512_set1_epi32(0xFF);
  int i = 0;
  for (; i + 16 <= n; i += 16)
  {
    const __m512i sv = _mm512_loadu_si512(s + i);
    const __m512i a8 = _mm512_and_si512(sv, amask);
    const __mmask16 some = _mm512_test_epi32_mask(sv, amask); // pixels with a != 0
    if (some == 0) continue;
    RAS_Pixel* dp = d + i;
    if (_mm512_cmpeq_epi32_mask(a8, amask) == 0xFFFF)
    {
      _mm512_storeu_si512(dp, _mm512_or_si512(sv, amask));
      continue;
    }
    const __m512i dv = _mm512_loadu_si512(dp);
    const __m512i ia8 = _mm512_sub_epi32(amask, a8);
    const __m512i lo = Lerp16x4(_mm512_unpacklo_epi8(dv, zero), _mm512_unpacklo_epi8(sv, zero),
                                SpreadA16x4(_mm512_unpacklo_epi8(ia8, zero)));
    const __m512i hi = Lerp16x4(_mm512_unpackhi_epi8(dv, zero), _mm512_unpackhi_epi8(sv, zero),
                                SpreadA16x4(_mm512_unpackhi_epi8(ia8, zero)));
    const __m512i rgb = _mm512_packus_epi16(lo, hi); // per 128-bit lane, matching the unpacks
    const __m512i alpha = _mm512_adds_epu8(dv, a8);
    const __m512i res = _mm512_mask_blend_epi8(0x1111111111111111ull, rgb, alpha);
    _mm512_mask_storeu_epi32(dp, some, res); // transparent pixels keep D
  }
  FullRowAvx2(d + i, s + i, n - i);
}

bool HasAvx2()
{
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

bool HasAvx512()
{
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
}
#endif
} // namespace

namespace
{
// The widest vector level this processor runs.
int MaxLevel()
{
#if RAS_HAVE_X86
  static const int level = HasAvx512() ? 3 : (HasAvx2() ? 2 : 1);
  return level;
#else
  return 0;
#endif
}
} // namespace

void RAS_CopySourceAlphaFullRowAt(int level, RAS_Pixel* d, const RAS_Pixel* s, int n)
{
  if (level > MaxLevel()) level = MaxLevel();
  switch (level)
  {
#if RAS_HAVE_X86
  case 3:
    FullRowAvx512(d, s, n);
    return;
  case 2:
    FullRowAvx2(d, s, n);
    return;
  case 1:
    FullRowSse2(d, s, n);
    return;
#endif
  default:
    FullRowScalar(d, s, n);
    return;
  }
}

void RAS_CopySourceAlphaFullRow(RAS_Pixel* d, const RAS_Pixel* s, int n)
{
  RAS_CopySourceAlphaFullRowAt(3, d, s, n);
}

void RAS_CopyColorRow(RAS_Pixel* d, int n, int r, int g, int b, int a, int w)
{
  if (w > 256) w = 256;
  int i = 0;
#if RAS_HAVE_X86
  if (w >= 0 && a >= 0 && a <= 255)
  {
    const __m128i zero = _mm_setzero_si128();
    const __m128i s16 = _mm_set_epi16(short(b), short(g), short(r), short(a), short(b), short(g),
                                      short(r), short(a));
    const __m128i k16 = _mm_set1_epi16(short(256 - w));
    for (; i + 4 <= n; i += 4)
    {
      __m128i* dp = reinterpret_cast<__m128i*>(d + i);
      const __m128i dv = _mm_loadu_si128(dp);
      const __m128i lo = Lerp16(_mm_unpacklo_epi8(dv, zero), s16, k16);
      const __m128i hi = Lerp16(_mm_unpackhi_epi8(dv, zero), s16, k16);
      _mm_storeu_si128(dp, _mm_packus_epi16(lo, hi));
    }
  }
#endif
  for (; i < n; ++i)
    RAS_CombinePixelsCopyNoClamp::Combine(reinterpret_cast<uint8_t*>(d + i), r, g, b, a, w);
}

void RAS_CopySourceAlphaRowAt(int level, RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  // Up to 255 every product fits 16 bits; other weights (clamped by the operator) stay scalar.
  if (w < 1 || w > 255) level = 0;
  if (level > MaxLevel()) level = MaxLevel();
  switch (level)
  {
#if RAS_HAVE_X86
  case 3:
  case 2:
    WeightedRowAvx2(d, s, n, w);
    return;
  case 1:
    WeightedRowSse2(d, s, n, w);
    return;
#endif
  default:
    WeightedRowScalar(d, s, n, w);
    return;
  }
}

void RAS_CopySourceAlphaRow(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  RAS_CopySourceAlphaRowAt(3, d, s, n, w);
}
