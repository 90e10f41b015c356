#include "util/UTL_Utf8.h"

int UTL_EncodeUtf8(uint32_t cp, char* out)
{
  if (cp < 0x80)
  {
    out[0] = char(cp);
    return 1;
  }
  if (cp < 0x800)
  {
    out[0] = char(0xC0 | (cp >> 6));
    out[1] = char(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000)
  {
    out[0] = char(0xE0 | (cp >> 12));
    out[1] = char(0x80 | ((cp >> 6) & 0x3F));
    out[2] = char(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | (cp >> 18));
  out[1] = char(0x80 | ((cp >> 12) & 0x3F));
  out[2] = char(0x80 | ((cp >> 6) & 0x3F));
  out[3] = char(0x80 | (cp & 0x3F));
  return 4;
}

uint32_t UTL_DecodeUtf8(const unsigned char* s, int len, int* i)
{
  const unsigned c = s[*i];
  int n;
  uint32_t cp, min;
  if (c < 0x80)
  {
    ++*i;
    return c;
  }
  if ((c & 0xE0) == 0xC0)
    n = 1, cp = c & 0x1F, min = 0x80;
  else if ((c & 0xF0) == 0xE0)
    n = 2, cp = c & 0x0F, min = 0x800;
  else if ((c & 0xF8) == 0xF0)
    n = 3, cp = c & 0x07, min = 0x10000;
  else
  {
    ++*i;
    return 0xFFFD;
  }
  if (*i + n >= len)
  {
    ++*i;
    return 0xFFFD;
  }
  for (int k = 1; k <= n; ++k)
  {
    const unsigned cc = s[*i + k];
    if ((cc & 0xC0) != 0x80)
    {
      ++*i;
      return 0xFFFD;
    }
    cp = cp << 6 | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
  {
    ++*i;
    return 0xFFFD;
  }
  *i += n + 1;
  return cp;
}
