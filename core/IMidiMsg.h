#pragma once
// MIDI records passed between the host binding and the plug-in.
#include <cstdint>

struct IMidiMsg
{
  // Message kind: the status byte's high four bits.
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // Controller number (data 1 of a control change), 0..127.
  enum EControlChangeMsg
  {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123
  };

  int32_t mOffset = 0; // sample position within the block
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  void Clear();
  // Channels are 0..15 and are not masked.
  void MakeNoteOnMsg(int note, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int note, int offset, int channel = 0);
  // value in -1..1.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value in 0..1.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  int Channel();
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  double PitchWheel() const;
  EControlChangeMsg ControlChangeIdx() const;
  double ControlChange(EControlChangeMsg idx) const;

  void LogMsg() {}
};

// A system-exclusive message. The bytes belong to the sender and live only as long
// as its buffer.
struct ISysEx
{
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;

  ISysEx() = default;
  ISysEx(int offset, const uint8_t* data, int size) : mOffset(offset), mSize(size), mData(data) {}

  void Clear();
  void LogMsg() {}
};

const char* StatusMsgStr(IMidiMsg::EStatusMsg kind);
// Bytes as "F0 7E 7F": as many as fit in maxLen bytes with the terminator. Returns out.
char* SysExStr(char* out, int maxLen, const uint8_t* data, int size);
