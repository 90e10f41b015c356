#pragma once
// Growable owned text. Always terminated; Get() never returns null.
#include <cstddef>
#include <string>

class UTL_String
{
public:
  UTL_String() = default;
  explicit UTL_String(const char* text) { Set(text); }

  const char* Get() const { return mText.c_str(); }
  int GetLength() const { return int(mText.size()); }

  // A null text sets the empty string. maxLen < 0 means no limit.
  void Set(const char* text, int maxLen = -1);
  void Append(const char* text, int maxLen = -1);
  void AppendFormatted(int maxLen, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  void SetFormatted(int maxLen, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  // Keeps the first n characters (no-op when already shorter).
  void SetLength(int n);
  // Removes count characters at pos, clamped to the text.
  void DeleteSub(int pos, int count);

private:
  std::string mText;
};
