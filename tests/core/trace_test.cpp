#include "core/Trace.h"
#include "util/UTL_CopyTruncated.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

TEST(Trace, CompileTimestampDropsPaddingAndSeconds)
{
  const struct
  {
    const char* date;
    const char* time;
    const char* stamp;
  } cases[] = {
      {"Dec  7 2026", "14:03:59", "[Dec 7 14:03]"},
      {"Dec 27 2026", "14:03:59", "[Dec27 14:03]"},
      {"Jan  1 2000", "00:00:00", "[Jan 1 00:00]"},
      {"Ab", "1", "[Ab 1]"}, // too short to lose a character
  };
  for (const auto& c : cases)
  {
    UTL_String out;
    CompileTimestamp(c.date, c.time, &out);
    EXPECT_STREQ(out.Get(), c.stamp) << c.date;
  }
  EXPECT_STREQ(AppendTimestamp("Dec 27 2026", "14:03:59", "Quorvane"), "Quorvane [Dec27 14:03]");
}

namespace
{
// '#' matches a digit, '?' a sign; anything else itself.
bool MatchesForm(const std::string& text, const char* form)
{
  if (text.size() != strlen(form)) return false;
  for (size_t i = 0; i < text.size(); ++i)
  {
    const char c = text[i];
    const bool ok = form[i] == '#'   ? (c >= '0' && c <= '9')
                    : form[i] == '?' ? (c == '+' || c == '-')
                                     : c == form[i];
    if (!ok) return false;
  }
  return true;
}

// Sets TZ for one test and restores it afterwards.
class ScopedTZ
{
public:
  explicit ScopedTZ(const char* tz)
  {
    const char* old = getenv("TZ");
    mHad = old != nullptr;
    if (old) mOld = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTZ()
  {
    if (mHad)
      setenv("TZ", mOld.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

private:
  bool mHad = false;
  std::string mOld;
};
} // namespace

TEST(Trace, CurrentTimeCarriesTheUtcOffset)
{
  // POSIX TZ offsets are west-positive: "ABC-05:30" is five and a half hours east.
  const struct
  {
    const char* tz;
    const char* suffix;
  } cases[] = {{"UTC0", "+0000"},
               {"ABC-05:30", "+0530"},
               {"XYZ+03", "-0300"},
               {"FAR-14", "+1400"},
               {"WST+11", "-1100"}};
  for (const auto& c : cases)
  {
    ScopedTZ tz(c.tz);
    const std::string now = CurrentTime();
    EXPECT_TRUE(MatchesForm(now, "######## ##:## ?####")) << now;
    EXPECT_EQ(now.substr(now.size() - 5), c.suffix) << c.tz;

    // The date and time part agree with an independent formatting of local time.
    const time_t t = time(nullptr);
    struct tm local;
    localtime_r(&t, &local);
    char expect[32];
    strftime(expect, sizeof(expect), "%Y%m%d", &local);
    EXPECT_EQ(now.substr(0, 8), expect) << c.tz;
  }
}

TEST(Trace, CharacterHelpers)
{
  for (int c = -128; c < 128; ++c)
  {
    const bool expect = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    EXPECT_EQ(IsWhitespace(char(c)), expect) << c;
  }

  char out[64];
  memset(out, 'X', sizeof(out));
  ToLower(out, "");
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[1], 'X');
  ToLower(out, "REAPER v6.1 Cubase\xC4");
  EXPECT_STREQ(out, "reaper v6.1 cubase\xC4"); // bytes above 127 pass through

  memset(out, 'X', sizeof(out));
  ToLower(out, 5, "ABCDEFGH");
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(out[5], 'X');

  char field[8];
  EXPECT_STREQ(CopyTruncated(field, "short"), "short");
  EXPECT_STREQ(CopyTruncated(field, "exactly7"), "exactly");
  EXPECT_STREQ(CopyTruncated(field, nullptr), "");
  EXPECT_STREQ(CopyTruncated(field, 1, "abc"), "");
}

TEST(Trace, SilentParts)
{
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  Trace("Tag", __LINE__, "%d %s %f", 1, "two", 3.0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  for (int op : {-1, 0, 1, 45, 1000})
  {
    EXPECT_STREQ(VSTOpcodeStr(op), "");
    EXPECT_STREQ(AUSelectStr(op), "");
    EXPECT_STREQ(AUPropertyStr(op), "");
    EXPECT_STREQ(AUScopeStr(op), "");
  }
}

TEST(Trace, TimerFiresOncePerIntervalOfProcessorTime)
{
  Timer timer;
  EXPECT_FALSE(timer.Every(0.05));
  // Burn processor time until it fires (bounded, in case the clock misbehaves).
  volatile double sink = 0.0;
  bool fired = false;
  const clock_t giveUp = clock() + 5 * CLOCKS_PER_SEC;
  while (!fired && clock() < giveUp)
  {
    for (int i = 0; i < 10000; ++i)
      sink = sink + 1.0;
    fired = timer.Every(0.05);
  }
  EXPECT_TRUE(fired);
  EXPECT_FALSE(timer.Every(0.05)); // restarted
}
