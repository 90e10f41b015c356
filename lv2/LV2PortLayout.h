#pragma once
// The port order every LV2 build of an effect shares, plug-in and UI alike: audio
// inputs, audio outputs, then one control input per parameter in index order.

inline int LV2ParamPort(int nInputs, int nOutputs, int paramIdx)
{
  return nInputs + nOutputs + paramIdx;
}

// The parameter index of a port, or -1 for an audio port or one past the parameters.
inline int LV2PortParam(int nInputs, int nOutputs, int nParams, long port)
{
  const long idx = port - nInputs - nOutputs;
  return idx >= 0 && idx < nParams ? int(idx) : -1;
}
