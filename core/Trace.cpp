#include "core/Trace.h"

#include "util/UTL_CopyTruncated.h"
#include "util/UTL_String.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

void Trace(const char*, int, const char*, ...) {}

const char* CurrentTime()
{
  // One buffer per thread: effects are constructed on several threads at once.
  thread_local char sTime[32];
  char buf[32] = "";
  const time_t now = time(nullptr);
  struct tm local = {};
  struct tm utc = {};
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
  strftime(buf, sizeof(buf), "%Y%m%d %H:%M ", &local);

  // Offset from UTC in minutes; the day-of-year difference wraps at a year change.
  int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  const int days = local.tm_yday - utc.tm_yday;
  if (days > 1)
    offset -= 1440;
  else if (days < -1)
    offset += 1440;
  else
    offset += days * 1440;

  const int a = abs(offset);
  const size_t len = strlen(buf);
  snprintf(buf + len, sizeof(buf) - len, "%c%02d%02d", offset < 0 ? '-' : '+', a / 60, a % 60);
  return CopyTruncated(sTime, buf);
}

void CompileTimestamp(const char* date, const char* time, UTL_String* out)
{
  if (!out) return;
  out->Set("[");
  out->Append(date);
  out->SetLength(7);
  // "Dec  7" loses the padding space: "[Dec 7"; "Dec 27" becomes "[Dec27".
  if (out->GetLength() >= 6) out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time);
  out->SetLength(12); // drops the seconds
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  thread_local UTL_String sStamped;
  UTL_String stamp;
  CompileTimestamp(date, time, &stamp);
  sStamped.Set(text);
  sStamped.Append(" ");
  sStamped.Append(stamp.Get());
  return sStamped.Get();
}

Timer::Timer() : mStartTick(long(clock())) {}

bool Timer::Every(double seconds)
{
  const long now = long(clock());
  if (double(now - mStartTick) > seconds * double(CLOCKS_PER_SEC))
  {
    mStartTick = now;
    return true;
  }
  return false;
}

bool IsWhitespace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void ToLower(char* out, const char* in)
{
  if (!out) return;
  if (!in) in = "";
  size_t i = 0;
  for (; in[i]; ++i)
    out[i] = char(tolower(static_cast<unsigned char>(in[i])));
  out[i] = '\0';
}

void ToLower(char* out, int outSize, const char* in)
{
  if (!out || outSize <= 0) return;
  CopyTruncated(out, size_t(outSize), in);
  for (char* p = out; *p; ++p)
    *p = char(tolower(static_cast<unsigned char>(*p)));
}

const char* VSTOpcodeStr(int)
{
  return "";
}
const char* AUSelectStr(int)
{
  return "";
}
const char* AUPropertyStr(int)
{
  return "";
}
const char* AUScopeStr(int)
{
  return "";
}
