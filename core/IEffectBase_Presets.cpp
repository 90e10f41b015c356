// The preset list: making, restoring, renaming and dumping presets.
#include "core/IEffectBase.h"

#include "core/ByteChunk.h"
#include "core/IPreset.h"
#include "core/Trace.h"
#include "util/Base64.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
// Marks a parameter a named-parameter preset does not set.
constexpr double kUnsetValue = 9.999e-08;

// Variadic values arrive as int for stepped kinds and as double otherwise.
double ReadVariadicValue(const IParam* p, va_list& args)
{
  switch (p->Kind())
  {
  case ParamKind::Bool:
  case ParamKind::Int:
  case ParamKind::Enum:
    return double(va_arg(args, int));
  default:
    return va_arg(args, double);
  }
}

// Claims the first free slot for name; null when every slot is taken.
IPreset* ClaimPreset(UTL_PtrList<IPreset>* presets, const char* name)
{
  IPreset* preset = GetNextUninitializedPreset(presets);
  if (!preset) return nullptr;
  preset->mInitialized = true;
  preset->SetName(name ? name : "");
  preset->mChunk.Clear();
  return preset;
}
} // namespace

IPreset* GetNextUninitializedPreset(UTL_PtrList<IPreset>* presets)
{
  if (!presets) return nullptr;
  for (int i = 0; i < presets->GetSize(); ++i)
  {
    IPreset* preset = presets->Get(i);
    if (!preset->mInitialized) return preset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(UTL_PtrList<IPreset>* presets, char* out)
{
  if (!out) return;
  int n = 0;
  if (presets)
    for (int i = 0; i < presets->GetSize(); ++i)
      if (strstr(presets->Get(i)->mName, "user preset")) ++n;
  snprintf(out, IPreset::kNameLen, "%s %d", "user preset", n + 1);
}

void IEffectBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* preset = ClaimPreset(&mPresets, name ? name : "Empty");
    if (!preset) return;
    SerializeState(&preset->mChunk);
  }
}

// Values are stored as given: neither clamped nor applied to the parameters.
void IEffectBase::MakePreset(const char* name, ...)
{
  IPreset* preset = ClaimPreset(&mPresets, name);
  if (!preset) return;
  va_list args;
  va_start(args, name);
  for (int i = 0; i < NParams(); ++i)
    preset->mChunk.AppendScalar(ReadVariadicValue(mParams.Get(i), args));
  va_end(args);
}

void IEffectBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = ClaimPreset(&mPresets, name);
  if (!preset) return;

  std::vector<double> values(size_t(NParams()), kUnsetValue);
  va_list args;
  va_start(args, nParamsNamed);
  for (int n = 0; n < nParamsNamed; ++n)
  {
    const int idx = va_arg(args, int);
    const IParam* p = mParams.Get(idx);
    // The value's type depends on the parameter, so nothing after a bad index can be read.
    if (!p) break;
    values[size_t(idx)] = ReadVariadicValue(p, args);
  }
  va_end(args);

  for (int i = 0; i < NParams(); ++i)
  {
    if (values[size_t(i)] == kUnsetValue) values[size_t(i)] = mParams.Get(i)->Value();
    preset->mChunk.AppendScalar(values[size_t(i)]);
  }
}

void IEffectBase::MakePresetFromChunk(const char* name, ByteChunk* chunk)
{
  IPreset* preset = ClaimPreset(&mPresets, name);
  if (preset && chunk) preset->mChunk.AppendChunk(chunk);
}

// The text decodes into exactly chunkSize bytes: extra output is dropped, missing
// output stays zero.
void IEffectBase::MakePresetFromBlob(const char* name, const char* base64Blob, int chunkSize)
{
  if (chunkSize <= 0) return;
  ByteChunk decoded;
  if (decoded.Resize(chunkSize) < 0) return;
  Base64Decode(base64Blob, decoded.GetBytes(), chunkSize);
  IPreset* preset = ClaimPreset(&mPresets, name);
  if (preset) preset->mChunk.AppendChunk(&decoded);
}

// Slots the effect left free take its values at this moment.
void IEffectBase::EnsureDefaultPreset()
{
  MakeDefaultPreset("Empty", NPresets());
}

void IEffectBase::PruneUninitializedPresets()
{
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

bool IEffectBase::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;

  bool ok;
  if (preset->mInitialized)
  {
    ok = UnserializeState(&preset->mChunk, 0) > 0;
  }
  else
  {
    // Selecting an empty slot keeps the current sound under a new user name.
    preset->mInitialized = true;
    MakeDefaultUserPresetName(&mPresets, preset->mName);
    preset->mChunk.Clear();
    ok = SerializeState(&preset->mChunk);
  }

  if (ok)
  {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return ok;
}

bool IEffectBase::RestorePreset(const char* name)
{
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IEffectBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IEffectBase::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  Trace("ModifyCurrentPreset", __LINE__, "%d %s", mCurrentPresetIdx, preset->mName);
  SerializeState(&preset->mChunk);
  if (name && name[0]) preset->SetName(name);
}

// Writes the current values as a MakePresetFromNamedParams call for an effect's
// constructor. paramEnumNames names each parameter's index constant.
void IEffectBase::DumpPresetSrcCode(const char* fileName, const char* const* paramEnumNames)
{
  if (!fileName) return;
  FILE* f = fopen(fileName, "w");
  if (!f) return;
  fprintf(f, "  MakePresetFromNamedParams(\"name\", %d", NParams());
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam* p = mParams.Get(i);
    char value[64];
    switch (p->Kind())
    {
    case ParamKind::Bool:
      snprintf(value, sizeof(value), "%s", p->Value() >= 0.5 ? "true" : "false");
      break;
    case ParamKind::Int:
    case ParamKind::Enum:
      snprintf(value, sizeof(value), "%d", p->Int());
      break;
    default:
      snprintf(value, sizeof(value), "%.6f", p->Value());
      break;
    }
    const char* enumName = paramEnumNames ? paramEnumNames[i] : nullptr;
    if (enumName)
      fprintf(f, ",\n    %s, %s", enumName, value);
    else
      fprintf(f, ",\n    %d, %s", i, value);
  }
  fprintf(f, ");\n");
  fclose(f);
}

// Writes the current preset as a MakePresetFromBlob call; any chunk size fits.
void IEffectBase::DumpPresetBlob(const char* fileName)
{
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!fileName || !preset) return;
  FILE* f = fopen(fileName, "w");
  if (!f) return;
  UTL_String encoded;
  Base64Encode(preset->mChunk.GetBytes(), preset->mChunk.Size(), &encoded);
  fputs("MakePresetFromBlob(\"name\", \"", f);
  fprintf(f, "%s\", %i);\n", encoded.Get(), preset->mChunk.Size());
  fclose(f);
}
