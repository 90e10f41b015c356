#pragma once
// A plug-in base with the host-facing pure virtuals implemented as recorders, for
// tests of the base and of everything built on it. Include as "core/TestEffect.h".
#include "core/IEffectBase.h"
#include "core/IMidiMsg.h"
#include "core/ITimeInfo.h"

#include <vector>

class TestEffect : public IEffectBase
{
public:
  struct ParamCall
  {
    int idx;
    double value;
  };

  static constexpr int kUniqueID = 0x71767473; // "qvts"
  static constexpr int kMfrID = 0x54657374;    // "Test"

  explicit TestEffect(const char* channelIO = "1-1 2-2", int nParams = 0, int nPresets = 1,
                      const char* name = "TestEffect")
      : IEffectBase(nParams, channelIO, nPresets, name, "Test Product", "Test Maker", 0x00010203,
                    kUniqueID, kMfrID, 0, false, false, false, kAPIVST2)
  {
  }

  // Host side, recorded.
  void BeginInformHostOfParamChange(int idx) override { mBegun.push_back(idx); }
  void InformHostOfParamChange(int idx, double normalized) override
  {
    mInformed.push_back({idx, normalized});
    mLog.push_back('I');
  }
  void EndInformHostOfParamChange(int idx) override { mEnded.push_back(idx); }
  void InformHostOfProgramChange() override { ++mProgramChanges; }
  int GetSamplePos() override { return mSamplePos; }
  double GetTempo() override { return mTempo; }
  void GetTimeSig(int* num, int* denom) override
  {
    if (num) *num = 4;
    if (denom) *denom = 4;
  }
  void GetTime(ITimeInfo* info) override
  {
    if (info) info->mTempo = mTempo;
  }
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg* msg) override
  {
    mSentMidi.push_back(*msg);
    return mMidiAccepted.empty() ? true
                                 : mMidiAccepted[(mSentMidi.size() - 1) % mMidiAccepted.size()];
  }

  // Effect side, recorded.
  void OnParamChange(int idx) override
  {
    IEffectBase::OnParamChange(idx);
    mParamChanges.push_back(idx);
    mLockedInParamChange.push_back(GetMutex().IsHeldByThisThread());
    mLog.push_back('C');
  }
  void ProcessDoubleReplacing(double** in, double** out, int nFrames) override
  {
    mLastFrames = nFrames;
    IEffectBase::ProcessDoubleReplacing(in, out, nFrames);
  }

  // Exposed for routing tests.
  double* InputSlot(int ch) const { return mInData.Get()[ch]; }
  double* OutputSlot(int ch) const { return mOutData.Get()[ch]; }
  const double* InputScratch(int ch) const { return mInChannels.Get(ch)->mScratchBuf.Get(); }
  double* OutputScratch(int ch) const { return mOutChannels.Get(ch)->mScratchBuf.Get(); }
  int ScratchSize(int ch, bool input) const
  {
    return input ? mInChannels.Get(ch)->mScratchBuf.GetSize()
                 : mOutChannels.Get(ch)->mScratchBuf.GetSize();
  }

  double mTempo = 0.0;
  int mSamplePos = 0;
  int mLastFrames = -1;
  int mProgramChanges = 0;
  std::vector<bool> mMidiAccepted; // cycled; empty accepts everything
  std::vector<IMidiMsg> mSentMidi;
  std::vector<int> mBegun, mEnded, mParamChanges;
  std::vector<bool> mLockedInParamChange;
  std::vector<ParamCall> mInformed;
  std::vector<char> mLog; // 'I' host informed, 'C' OnParamChange, in call order
};
