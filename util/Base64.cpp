#include "util/Base64.h"

#include "util/UTL_String.h"

#include <string>

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
} // namespace

int Base64Decode(const char* text, uint8_t* out, int outSize)
{
  if (!text || !out) return 0;
  int written = 0;
  uint32_t bits = 0; // only the low `pending` bits matter
  int pending = 0;
  for (; written < outSize; ++text)
  {
    const int s = SextetOf(*text);
    if (s < 0) break;
    bits = (bits << 6) | uint32_t(s);
    pending += 6;
    if (pending >= 8)
    {
      pending -= 8;
      out[written++] = uint8_t(bits >> pending);
    }
  }
  return written;
}

void Base64Encode(const uint8_t* data, int size, UTL_String* out)
{
  if (!out) return;
  std::string text;
  if (data && size > 0)
  {
    text.reserve(size_t(size + 2) / 3 * 4);
    for (int i = 0; i < size; i += 3)
    {
      const int n = size - i < 3 ? size - i : 3;
      uint32_t group = uint32_t(data[i]) << 16;
      if (n > 1) group |= uint32_t(data[i + 1]) << 8;
      if (n > 2) group |= data[i + 2];
      text += kAlphabet[(group >> 18) & 63];
      text += kAlphabet[(group >> 12) & 63];
      text += n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
      text += n > 2 ? kAlphabet[group & 63] : '=';
    }
  }
  out->Set(text.c_str());
}
