#include "core/IMidiMsg.h"

#include <cstdio>

namespace
{
// Kind of a channel message: top bit set and not a system message (kind 15).
int ChannelKind(uint8_t status)
{
  const int kind = status >> 4;
  return (status & 0x80) && kind != 15 ? kind : IMidiMsg::kNone;
}
} // namespace

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int note, int velocity, int offset, int channel)
{
  Clear();
  mStatus = uint8_t(channel | (kNoteOn << 4));
  mData1 = uint8_t(note);
  mData2 = uint8_t(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int note, int offset, int channel)
{
  Clear();
  mStatus = uint8_t(channel | (kNoteOff << 4));
  mData1 = uint8_t(note);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  mStatus = uint8_t(channel | (kPitchWheel << 4));
  // 14 bits centred on 8192, low seven bits first. Clamped before the int
  // conversion too, so a huge or non-finite value cannot overflow it.
  const double scaled = value * 8192.0;
  int i = scaled >= -8192.0 ? (scaled < 8192.0 ? int(scaled) + 8192 : 16383) : 0;
  if (i > 0x3FFF) i = 0x3FFF;
  mData1 = uint8_t(i & 0x7F);
  mData2 = uint8_t(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  mStatus = uint8_t(channel | (kControlChange << 4));
  mData1 = uint8_t(idx);
  // Low eight bits of value * 127 truncated; only the range 0..1 is meaningful, and
  // anything the int cannot hold stores 0 rather than overflowing.
  const double scaled = value * 127.0;
  const int v = scaled > -2147483648.0 && scaled < 2147483648.0 ? int(scaled) : 0;
  mData2 = uint8_t(v);
}

int IMidiMsg::Channel()
{
  return mStatus & 0x0F;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  return EStatusMsg(ChannelKind(mStatus));
}

int IMidiMsg::NoteNumber() const
{
  const int k = ChannelKind(mStatus);
  return k == kNoteOff || k == kNoteOn || k == kPolyAftertouch ? mData1 : -1;
}

int IMidiMsg::Velocity() const
{
  const int k = ChannelKind(mStatus);
  return k == kNoteOff || k == kNoteOn ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const
{
  return ChannelKind(mStatus) == kPolyAftertouch ? mData2 : -1;
}

int IMidiMsg::ChannelAfterTouch() const
{
  return ChannelKind(mStatus) == kChannelAftertouch ? mData1 : -1;
}

int IMidiMsg::Program() const
{
  return ChannelKind(mStatus) == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (ChannelKind(mStatus) != kPitchWheel) return 0.0;
  return double(mData1 + mData2 * 128 - 8192) / 8192.0;
}

IMidiMsg::EControlChangeMsg IMidiMsg::ControlChangeIdx() const
{
  return EControlChangeMsg(mData1);
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (ChannelKind(mStatus) == kControlChange && mData1 == int(idx)) return mData2 / 127.0;
  return -1.0;
}

void ISysEx::Clear()
{
  mOffset = mSize = 0;
  mData = nullptr;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg kind)
{
  switch (int(kind))
  {
  case IMidiMsg::kNone:
    return "none";
  case IMidiMsg::kNoteOff:
    return "noteoff";
  case IMidiMsg::kNoteOn:
    return "noteon";
  case IMidiMsg::kPolyAftertouch:
    return "aftertouch";
  case IMidiMsg::kControlChange:
    return "controlchange";
  case IMidiMsg::kProgramChange:
    return "programchange";
  case IMidiMsg::kChannelAftertouch:
    return "channelaftertouch";
  case IMidiMsg::kPitchWheel:
    return "pitchwheel";
  default:
    return "unknown";
  }
}

char* SysExStr(char* out, int maxLen, const uint8_t* data, int size)
{
  if (!out) return out;
  // Three characters per byte ("XX "); the last space becomes the terminator.
  int n = maxLen / 3;
  if (size < n) n = size;
  if (!data || n <= 0)
  {
    if (maxLen > 0) out[0] = '\0';
    return out;
  }
  static const char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < n; ++i)
  {
    out[3 * i] = kHex[data[i] >> 4];
    out[3 * i + 1] = kHex[data[i] & 0x0F];
    out[3 * i + 2] = ' ';
  }
  out[3 * n - 1] = '\0';
  return out;
}
