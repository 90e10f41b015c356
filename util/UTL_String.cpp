#include "util/UTL_String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
size_t BoundedLength(const char* text, int maxLen)
{
  if (!text) return 0;
  if (maxLen < 0) return strlen(text);
  const void* nul = memchr(text, 0, size_t(maxLen));
  return nul ? size_t(static_cast<const char*>(nul) - text) : size_t(maxLen);
}

void AppendV(std::string& out, int maxLen, const char* format, va_list args)
{
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return;
  std::string tmp(size_t(n) + 1, '\0');
  vsnprintf(&tmp[0], tmp.size(), format, args);
  tmp.resize(size_t(n));
  if (maxLen >= 0 && n > maxLen) tmp.resize(size_t(maxLen));
  out += tmp;
}
} // namespace

void UTL_String::Set(const char* text, int maxLen)
{
  mText.assign(text ? text : "", BoundedLength(text, maxLen));
}

void UTL_String::Append(const char* text, int maxLen)
{
  if (text) mText.append(text, BoundedLength(text, maxLen));
}

void UTL_String::AppendFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  AppendV(mText, maxLen, format, args);
  va_end(args);
}

void UTL_String::SetFormatted(int maxLen, const char* format, ...)
{
  mText.clear();
  va_list args;
  va_start(args, format);
  AppendV(mText, maxLen, format, args);
  va_end(args);
}

void UTL_String::SetLength(int n)
{
  if (n >= 0 && size_t(n) < mText.size()) mText.resize(size_t(n));
}

void UTL_String::DeleteSub(int pos, int count)
{
  if (pos < 0 || count <= 0 || size_t(pos) >= mText.size()) return;
  mText.erase(size_t(pos), size_t(count));
}
