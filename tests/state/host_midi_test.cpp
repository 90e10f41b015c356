#include "core/Hosts.h"
#include "core/IMidiMsg.h"
#include "core/Version.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

TEST(Version, PartsDecimalAndText)
{
  const struct
  {
    int packed, major, minor, patch, decimal;
    const char* text;
  } cases[] = {
      {0x00020300, 2, 3, 0, 20300, "v2.3.0"},
      {0x00016400, 1, 100, 0, 20000, "v1.100.0"}, // minor above 99 carries
      {0x000000FF, 0, 0, 255, 255, "v0.0.255"},
      {int(0x80000000u), 32768, 0, 0, 327680000, "v32768.0.0"}, // unsigned major
  };
  for (const auto& tc : cases)
  {
    int ma = -1, mi = -1, pa = -1;
    GetVersionParts(tc.packed, &ma, &mi, &pa);
    EXPECT_EQ(ma, tc.major) << tc.text;
    EXPECT_EQ(mi, tc.minor) << tc.text;
    EXPECT_EQ(pa, tc.patch) << tc.text;
    EXPECT_EQ(GetDecimalVersion(tc.packed), tc.decimal) << tc.text;
    char s[32];
    GetVersionStr(tc.packed, s);
    EXPECT_STREQ(s, tc.text);
  }
}

TEST(Hosts, LookUpFollowsTheFixedOrderAndIgnoresCase)
{
  const std::string pad(254, 'x');
  const struct
  {
    std::string name;
    EHost code;
  } cases[] = {
      {"REAPER", kHostReaper},
      {"Cubase 12 Pro", kHostCubase},
      {"Cubase via Reaper", kHostCubase}, // cubase is tested first
      {"Live and Logic", kHostLive},
      {"logic alive", kHostLive}, // substring anywhere
      {"Digital Reaper", kHostReaper},
      {"Some Digital Thing", kHostDigitalPerformer},
      {"Pro Tools", kHostUnknown}, // only without the space
      {"ProTools", kHostProTools},
      {"Melodyne", kHostMelodyne},
      {"Cakewalk", kHostSonar},
      {"PreSonus Studio One", kHostStudioOne},
      {"VST3PluginTestHost", kHostVST3TestHost},
      {"Standalone", kHostStandalone},
      {"Bitwig", kHostUnknown},
      {"", kHostUnknown},
      {pad.substr(0, 249) + "ardour", kHostArdour},
      {pad + "ardour", kHostUnknown}, // beyond the 255 characters kept
      {std::string(100000, 'a'), kHostUnknown},
  };
  for (const auto& tc : cases)
    EXPECT_EQ(LookUpHost(tc.name.c_str()), tc.code) << tc.name;
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);

  const struct
  {
    int code;
    const char* name;
  } names[] = {{0, "Unknown"},
               {5, "Sonar"},
               {6, "Vegas"},
               {12, "Unknown"},
               {23, "DigitalPerformer"},
               {27, "VST3PluginTestHost"},
               {28, "Ardour"},
               {29, "Unknown"},
               {-1, "Unknown"}};
  for (const auto& tc : names)
  {
    char out[19];
    GetHostNameStr(EHost(tc.code), out);
    EXPECT_STREQ(out, tc.name) << tc.code;
  }
}

TEST(MidiMsg, BuildersWriteStatusAndDataBytes)
{
  const auto cc = [](int idx, double v, int ch)
  {
    IMidiMsg m;
    m.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(idx), v, ch);
    return m;
  };
  const auto pw = [](double v, int ch)
  {
    IMidiMsg m;
    m.mOffset = 99; // builders clear the record
    m.MakePitchWheelMsg(v, ch);
    return m;
  };
  IMidiMsg on, off;
  on.MakeNoteOnMsg(60, 100, 17, 3);
  off.MakeNoteOffMsg(61, 5, 15);
  const struct
  {
    const char* what;
    IMidiMsg m;
    int offset, status, d1, d2;
  } cases[] = {
      {"note on", on, 17, 0x93, 60, 100},
      {"note off", off, 5, 0x8F, 61, 0},
      {"pitch 0.5", pw(0.5, 2), 0, 0xE2, 0, 96}, // 12288 = 96 * 128
      {"pitch 0", pw(0.0, 0), 0, 0xE0, 0, 64},
      {"pitch -2 clamps", pw(-2.0, 0), 0, 0xE0, 0, 0},
      {"pitch +1 clamps", pw(1.0, 0), 0, 0xE0, 0x7F, 0x7F},
      {"pitch huge", pw(1e300, 0), 0, 0xE0, 0x7F, 0x7F},
      {"pitch NaN", pw(std::nan(""), 0), 0, 0xE0, 0, 0},
      {"pitch small", pw(-0.0001, 1), 0, 0xE1, 0, 64}, // -0.8192 truncates to 0
      {"cc full", cc(7, 1.0, 0), 0, 0xB0, 7, 127},
      {"cc half", cc(10, 0.5, 9), 0, 0xB9, 10, 63},
      {"cc above range keeps low bits", cc(1, 2.0, 0), 0, 0xB0, 1, 254},
  };
  for (const auto& tc : cases)
  {
    EXPECT_EQ(tc.m.mOffset, tc.offset) << tc.what;
    EXPECT_EQ(tc.m.mStatus, tc.status) << tc.what;
    EXPECT_EQ(tc.m.mData1, tc.d1) << tc.what;
    EXPECT_EQ(tc.m.mData2, tc.d2) << tc.what;
  }
}

TEST(MidiMsg, ReadersAnswerOnlyForTheirKind)
{
  const struct
  {
    uint8_t status, d1, d2;
    int kind, channel, note, velocity, poly, chanAt, program;
    double pitch, cc5;
  } cases[] = {
      {0x93, 60, 100, 9, 3, 60, 100, -1, -1, -1, 0.0, -1.0},
      {0x80, 61, 7, 8, 0, 61, 7, -1, -1, -1, 0.0, -1.0},
      {0xA1, 62, 33, 10, 1, 62, -1, 33, -1, -1, 0.0, -1.0},
      {0xB2, 5, 127, 11, 2, -1, -1, -1, -1, -1, 0.0, 1.0},
      {0xB2, 6, 127, 11, 2, -1, -1, -1, -1, -1, 0.0, -1.0},
      {0xC4, 12, 0, 12, 4, -1, -1, -1, -1, 12, 0.0, -1.0},
      {0xDF, 77, 0, 13, 15, -1, -1, -1, 77, -1, 0.0, -1.0},
      {0xE0, 0, 96, 14, 0, -1, -1, -1, -1, -1, 0.5, -1.0},
      {0xE0, 0, 0, 14, 0, -1, -1, -1, -1, -1, -1.0, -1.0},
      {0xE0, 0x7F, 0x7F, 14, 0, -1, -1, -1, -1, -1, 8191.0 / 8192.0, -1.0},
      {0xF8, 60, 100, 0, 8, -1, -1, -1, -1, -1, 0.0, -1.0}, // real-time byte
      {0x45, 5, 100, 0, 5, -1, -1, -1, -1, -1, 0.0, -1.0},  // top bit clear
  };
  for (const auto& tc : cases)
  {
    IMidiMsg m(0, tc.status, tc.d1, tc.d2);
    SCOPED_TRACE(testing::Message() << std::hex << int(tc.status));
    EXPECT_EQ(int(m.StatusMsg()), tc.kind);
    EXPECT_EQ(m.Channel(), tc.channel);
    EXPECT_EQ(m.NoteNumber(), tc.note);
    EXPECT_EQ(m.Velocity(), tc.velocity);
    EXPECT_EQ(m.PolyAfterTouch(), tc.poly);
    EXPECT_EQ(m.ChannelAfterTouch(), tc.chanAt);
    EXPECT_EQ(m.Program(), tc.program);
    EXPECT_EQ(m.PitchWheel(), tc.pitch);
    EXPECT_EQ(m.ControlChange(IMidiMsg::EControlChangeMsg(5)), tc.cc5);
    EXPECT_EQ(int(m.ControlChangeIdx()), tc.d1);
  }
}

TEST(MidiMsg, StatusTextsAndSysExDump)
{
  const char* names[16] = {
      "none",          "unknown",           "unknown",    "unknown", "unknown",    "unknown",
      "unknown",       "unknown",           "noteoff",    "noteon",  "aftertouch", "controlchange",
      "programchange", "channelaftertouch", "pitchwheel", "unknown"};
  for (int k = 0; k < 16; ++k)
    EXPECT_STREQ(StatusMsgStr(IMidiMsg::EStatusMsg(k)), names[k]) << k;

  const uint8_t bytes[] = {0xF0, 0x7E, 0x7F};
  const struct
  {
    int maxLen;
    const uint8_t* data;
    int size;
    const char* text;
  } cases[] = {{64, bytes, 3, "F0 7E 7F"}, {9, bytes, 3, "F0 7E 7F"}, {8, bytes, 3, "F0 7E"},
               {7, bytes, 3, "F0 7E"},     {3, bytes, 3, "F0"},       {2, bytes, 3, ""},
               {64, bytes, 0, ""},         {64, nullptr, 3, ""},      {64, bytes, -5, ""}};
  for (const auto& tc : cases)
  {
    char out[64];
    memset(out, '#', sizeof(out));
    EXPECT_EQ(SysExStr(out, tc.maxLen, tc.data, tc.size), out);
    EXPECT_STREQ(out, tc.text) << tc.maxLen;
    EXPECT_EQ(out[tc.maxLen < 64 ? tc.maxLen : 63], '#') << "wrote past maxLen";
  }
}
