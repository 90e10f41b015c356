#pragma once
// Transport snapshot from the host. Positions are in quarter notes unless noted;
// fields the host does not report keep the values the caller put in.

struct ITimeInfo
{
  double mTempo = 120.0;   // beats per minute
  double mSamplePos = 0.0; // samples since the start of the timeline
  double mPPQPos = 0.0;
  double mLastBar = 0.0; // start of the current bar
  double mCycleStart = 0.0;
  double mCycleEnd = 0.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
