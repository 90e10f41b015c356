// Program and bank files on the plug-in base: capturing the state into a file's
// contents, applying a parsed file, and the file dialogs around both.
#include "core/IEffectBase.h"

#include "core/ByteChunk.h"
#include "core/IPreset.h"
#include "core/ProgramFiles.h"

#include <cmath>
#include <vector>

namespace
{
std::vector<uint8_t> BytesOf(const ByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

// The chunk of a file with its framework header, if any, already read: *pos is where
// the state starts, or -1 when the header is cut short.
void ChunkFromFile(const std::vector<uint8_t>& bytes, ByteChunk* chunk, int* pos)
{
  chunk->Clear();
  chunk->AppendBytes(bytes.data(), int(bytes.size()));
  *pos = 0;
  GetFrameworkVerFromChunk(chunk, pos);
}

// Hosts may store values slightly outside 0..1; the parameters must not leave their range.
double Clamp01(float v)
{
  return v < 0.0f ? 0.0 : v > 1.0f ? 1.0 : double(v);
}

// Runs the editor's file dialog; false without an editor or when the user cancels.
bool PromptForProgramFile(IEditorConnection* gui, UTL_String* path, EFileAction action,
                          UTL_String* directory, const char* extension)
{
  if (!gui) return false;
  gui->PromptForFile(path, action, directory, extension);
  return path->GetLength() > 0;
}
} // namespace

bool IEffectBase::CaptureProgram(FxProgram* out)
{
  if (!out) return false;
  UTL_MutexLock lock(mMutex);
  FxProgram p;
  p.pluginID = mUniqueID;
  p.pluginVersion = GetEffectVersion(true);
  p.numParams = NParams();
  p.name = GetPresetName(mCurrentPresetIdx);
  p.isChunk = DoesStateChunks();
  if (p.isChunk)
  {
    ByteChunk chunk;
    InitChunkWithFrameworkVer(&chunk);
    if (!SerializeState(&chunk)) return false;
    p.chunk = BytesOf(chunk);
  }
  else
  {
    for (int i = 0; i < NParams(); ++i)
      p.values.push_back(float(mParams.Get(i)->GetNormalized()));
  }
  *out = std::move(p);
  return true;
}

bool IEffectBase::CaptureBank(FxBank* out)
{
  if (!out) return false;
  UTL_MutexLock lock(mMutex);
  FxBank b;
  b.pluginID = mUniqueID;
  b.pluginVersion = GetEffectVersion(true);
  b.numPrograms = NPresets();
  b.currentProgram = mCurrentPresetIdx;
  b.isChunk = DoesStateChunks();
  if (b.isChunk)
  {
    ByteChunk chunk;
    InitChunkWithFrameworkVer(&chunk);
    if (!SerializePresets(&chunk)) return false;
    b.chunk = BytesOf(chunk);
  }
  else
  {
    // Values come from what each preset stores, read as the parameter-state format;
    // a value the chunk lacks counts as plain 0.
    for (int i = 0; i < NPresets(); ++i)
    {
      const IPreset* preset = mPresets.Get(i);
      FxProgram p;
      p.pluginID = b.pluginID;
      p.pluginVersion = b.pluginVersion;
      p.numParams = NParams();
      p.name = preset->mName;
      for (int k = 0; k < NParams(); ++k)
      {
        double plain = 0.0;
        if (preset->mChunk.ReadScalar(&plain, 8 * k) < 0) plain = 0.0;
        const double normalized = mParams.Get(k)->GetNormalized(plain);
        p.values.push_back(std::isfinite(normalized) ? float(normalized) : 0.0f);
      }
      b.programs.push_back(std::move(p));
    }
  }
  *out = std::move(b);
  return true;
}

bool IEffectBase::ApplyProgram(const FxProgram& program)
{
  if (program.pluginID != mUniqueID || program.numParams != NParams()) return false;
  if (program.isChunk ? !DoesStateChunks() : int(program.values.size()) != NParams()) return false;

  UTL_MutexLock lock(mMutex);
  if (program.isChunk)
  {
    ByteChunk chunk;
    int pos;
    ChunkFromFile(program.chunk, &chunk, &pos);
    if (pos < 0 || RestoreStateWhole(&chunk, pos) < 0) return false;
  }
  else
  {
    for (int i = 0; i < NParams(); ++i)
      mParams.Get(i)->SetNormalized(Clamp01(program.values[size_t(i)]));
  }

  // An empty name keeps the preset's own.
  ModifyCurrentPreset(program.name.c_str());
  if (IPreset* preset = mPresets.Get(mCurrentPresetIdx)) preset->mInitialized = true;
  RestorePreset(mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IEffectBase::ApplyBank(const FxBank& bank)
{
  if (bank.pluginID != mUniqueID) return false;
  if (bank.isChunk && !DoesStateChunks()) return false;
  if (!bank.isChunk)
    for (const FxProgram& p : bank.programs)
      if (p.isChunk || p.numParams != NParams() || int(p.values.size()) != NParams()) return false;

  UTL_MutexLock lock(mMutex);
  if (bank.isChunk)
  {
    ByteChunk chunk;
    int pos;
    ChunkFromFile(bank.chunk, &chunk, &pos);
    if (pos < 0 || RestorePresetsWhole(&chunk, pos) < 0) return false;
    InformHostOfProgramChange();
    return true;
  }

  // Programs beyond the plug-in's presets are skipped.
  const int n = int(bank.programs.size()) < NPresets() ? int(bank.programs.size()) : NPresets();
  if (n == 0 && !bank.programs.empty()) return false;
  const int currentBefore = mCurrentPresetIdx;
  for (int i = 0; i < n; ++i)
  {
    const FxProgram& p = bank.programs[size_t(i)];
    mCurrentPresetIdx = i;
    for (int k = 0; k < NParams(); ++k)
      mParams.Get(k)->SetNormalized(Clamp01(p.values[size_t(k)]));
    ModifyCurrentPreset(p.name.c_str());
    mPresets.Get(i)->mInitialized = true;
  }
  // The file's current program, unless it names a program that was not loaded.
  const bool fileCurrentLoaded = bank.currentProgram >= 0 && bank.currentProgram < n;
  RestorePreset(fileCurrentLoaded ? bank.currentProgram : currentBefore);
  InformHostOfProgramChange();
  return true;
}

bool IEffectBase::SaveProgramAsFXP(const char* defaultFileName)
{
  UTL_String path(defaultFileName ? defaultFileName : "");
  if (!PromptForProgramFile(mGraphics, &path, kFileSave, &mPreviousPath, "fxp")) return false;
  FxProgram program;
  return CaptureProgram(&program) &&
         WriteFileReplacing(path.Get(), WriteProgramFile(program), nullptr);
}

bool IEffectBase::SaveBankAsFXB(const char* defaultFileName)
{
  UTL_String path(defaultFileName ? defaultFileName : "");
  if (!PromptForProgramFile(mGraphics, &path, kFileSave, &mPreviousPath, "fxb")) return false;
  FxBank bank;
  return CaptureBank(&bank) && WriteFileReplacing(path.Get(), WriteBankFile(bank), nullptr);
}

bool IEffectBase::LoadProgramFromFXP()
{
  UTL_String path;
  if (!PromptForProgramFile(mGraphics, &path, kFileOpen, &mPreviousPath, "fxp")) return false;
  std::vector<uint8_t> bytes;
  FxProgram program;
  return ReadWholeFile(path.Get(), &bytes, nullptr) &&
         ParseProgramFile(bytes.data(), bytes.size(), &program, nullptr) && ApplyProgram(program);
}

bool IEffectBase::LoadBankFromFXB()
{
  UTL_String path;
  if (!PromptForProgramFile(mGraphics, &path, kFileOpen, &mPreviousPath, "fxb")) return false;
  std::vector<uint8_t> bytes;
  FxBank bank;
  return ReadWholeFile(path.Get(), &bytes, nullptr) &&
         ParseBankFile(bytes.data(), bytes.size(), &bank, nullptr) && ApplyBank(bank);
}
