// Parameter state and preset list as chunks, and their comparison with the live values.
#include "core/IEffectBase.h"

#include "core/ByteChunk.h"
#include "core/IPreset.h"
#include "core/Trace.h"

#include <cmath>
#include <cstring>
#include <vector>

bool IEffectBase::SerializeState(ByteChunk* chunk)
{
  return SerializeParams(chunk);
}

int IEffectBase::UnserializeState(ByteChunk* chunk, int startPos)
{
  return UnserializeParams(chunk, startPos);
}

// One 8-byte double per parameter, in index order: no count, no names.
bool IEffectBase::SerializeParams(ByteChunk* chunk)
{
  if (!chunk) return false;
  UTL_MutexLock lock(mMutex);
  bool ok = true;
  for (int i = 0; i < NParams(); ++i)
  {
    IParam* p = mParams.Get(i);
    Trace("SerializeParams", __LINE__, "%d %s %f", i, p->GetNameForHost(), p->Value());
    ok &= chunk->AppendScalar(p->Value()) > 0;
  }
  return ok;
}

// A chunk that ends early sets the parameters before the break, the first missing one
// to 0 clamped to its range, and leaves the rest. A value that is not finite keeps the
// parameter's current value. Every parameter is announced afterwards in either case.
int IEffectBase::UnserializeParams(ByteChunk* chunk, int startPos)
{
  if (!chunk) return -1;
  UTL_MutexLock lock(mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    IParam* p = mParams.Get(i);
    Trace("UnserializeParams", __LINE__, "%d %s %f", i, p->GetNameForHost(), p->Value());
    double v = 0.0;
    pos = chunk->ReadScalar(&v, pos);
    if (pos < 0) v = 0.0;
    if (std::isfinite(v)) p->Set(v);
  }
  OnParamReset();
  return pos;
}

// Per preset: the name as a length-prefixed string, one initialised byte, and when
// initialised the preset's stored chunk as is (its length is found by parsing it).
bool IEffectBase::SerializePresets(ByteChunk* chunk)
{
  if (!chunk) return false;
  bool ok = true;
  for (int i = 0; i < NPresets(); ++i)
  {
    IPreset* preset = mPresets.Get(i);
    ok &= chunk->AppendString(preset->mName) > 0;
    Trace("SerializePresets", __LINE__, "%d %s", i, preset->mName);
    ok &= chunk->AppendScalar(preset->mInitialized) > 0;
    if (preset->mInitialized) ok &= chunk->AppendChunk(&preset->mChunk) >= 0;
  }
  return ok;
}

int IEffectBase::UnserializePresets(ByteChunk* chunk, int startPos)
{
  if (!chunk) return -1;
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    UTL_String name;
    pos = chunk->ReadString(&name, pos);
    // A name cut off by the end of the data leaves the old one; names are cut to 255.
    if (pos >= 0 && pos <= chunk->Size()) preset->SetName(name.Get());
    Trace("UnserializePresets", __LINE__, "%d %s", i, preset->mName);

    const bool wasInitialized = preset->mInitialized;
    pos = chunk->ReadScalar(&preset->mInitialized, pos);
    if (pos < 0 || !preset->mInitialized) continue;

    pos = UnserializeState(chunk, pos);
    if (pos > 0)
    {
      // Stored again in today's state format.
      preset->mChunk.Clear();
      SerializeState(&preset->mChunk);
    }
    else if (!wasInitialized)
    {
      // Values cut short: an empty slot stays empty rather than claiming a state it
      // does not hold.
      preset->mInitialized = false;
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IEffectBase::CompareState(const unsigned char* data, int startPos)
{
  if (NParams() == 0) return true;
  if (!data || startPos < 0) return false;
  const unsigned char* at = data + 8 * size_t(startPos);
  for (int i = 0; i < NParams(); ++i, at += 8)
  {
    // The stored doubles are little-endian like every chunk scalar.
    uint64_t bits = 0;
    for (int b = 0; b < 8; ++b)
      bits |= uint64_t(at[b]) << (8 * b);
    double stored;
    memcpy(&stored, &bits, sizeof(stored));
    // Compared in single precision, as hosts that store floats would see them.
    const float diff = std::fabs(float(mParams.Get(i)->Value()) - float(stored));
    if (!(diff < 1e-5f)) return false;
  }
  return true;
}

void IEffectBase::DirtyParameters()
{
  UTL_MutexLock lock(mMutex);
  for (int i = 0; i < NParams(); ++i)
    InformHostOfParamChange(i, mParams.Get(i)->GetNormalized());
}

int IEffectBase::RestoreStateWhole(ByteChunk* chunk, int startPos)
{
  ByteChunk before;
  SerializeState(&before);
  const int pos = UnserializeState(chunk, startPos);
  if (pos < 0) UnserializeState(&before, 0);
  return pos;
}

int IEffectBase::RestorePresetsWhole(ByteChunk* chunk, int startPos)
{
  ByteChunk stateBefore;
  SerializeState(&stateBefore);
  std::vector<IPreset> presetsBefore;
  presetsBefore.reserve(size_t(NPresets()));
  for (int i = 0; i < NPresets(); ++i)
    presetsBefore.push_back(*mPresets.Get(i));
  const int currentBefore = mCurrentPresetIdx;
  const int pos = UnserializePresets(chunk, startPos);
  if (pos < 0)
  {
    for (int i = 0; i < NPresets(); ++i)
      *mPresets.Get(i) = presetsBefore[size_t(i)];
    mCurrentPresetIdx = currentBefore;
    UnserializeState(&stateBefore, 0);
    RedrawParamControls();
  }
  return pos;
}
