#include "tools/render/HostProgramFiles.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
intptr_t Call(AEffect* e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
              void* ptr = nullptr)
{
  return e->dispatcher(e, opcode, index, value, ptr, 0.0f);
}

// Plug-ins overrun the nominal 24 characters; give them room and cut afterwards.
std::string ProgramName(AEffect* e)
{
  char buf[256] = {};
  Call(e, effGetProgramName, 0, 0, buf);
  buf[sizeof(buf) - 1] = '\0';
  return buf;
}

void SetProgramName(AEffect* e, const std::string& name)
{
  if (name.empty()) return; // an unnamed program keeps the plug-in's name for it
  // Plug-ins copy the name into a field of kVstMaxProgNameLen characters.
  size_t n = std::min(name.size(), size_t(kVstMaxProgNameLen));
  while (n < name.size() && n > 0 && (uint8_t(name[n]) & 0xC0) == 0x80)
    --n; // whole characters
  char buf[kVstMaxProgNameLen + 1] = {};
  std::memcpy(buf, name.data(), n);
  Call(e, effSetProgramName, 0, 0, buf);
}

void SelectProgram(AEffect* e, int index)
{
  Call(e, effBeginSetProgram);
  Call(e, effSetProgram, 0, index);
  Call(e, effEndSetProgram);
}

bool Fail(std::string* error, const std::string& why)
{
  if (error) *error = why;
  return false;
}

bool DoesChunks(AEffect* e)
{
  return (e->flags & effFlagsProgramChunks) != 0;
}

bool CheckPluginID(AEffect* e, int32_t fileID, std::string* error)
{
  if (fileID == e->uniqueID) return true;
  return Fail(error, "the file is for plug-in id " + PluginIDText(fileID) + ", this plug-in is " +
                         PluginIDText(e->uniqueID));
}

bool CheckPlainProgram(AEffect* e, const FxProgram& p, std::string* error)
{
  if (p.isChunk) return Fail(error, "a bank program holds a chunk");
  if (p.numParams == e->numParams && int(p.values.size()) == e->numParams) return true;
  return Fail(error, "the file holds " + std::to_string(p.numParams) +
                         " parameters, the plug-in has " + std::to_string(e->numParams));
}

void SetValues(AEffect* e, const FxProgram& p)
{
  for (int i = 0; i < e->numParams; ++i)
  {
    // Files from other hosts may stray outside 0..1.
    const float v = p.values[size_t(i)];
    e->setParameter(e, i, v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v);
  }
}

void GetValues(AEffect* e, FxProgram* p)
{
  p->values.clear();
  for (int i = 0; i < e->numParams; ++i)
  {
    const float v = e->getParameter(e, i);
    p->values.push_back(std::isfinite(v) ? v : 0.0f);
  }
}

bool GetChunk(AEffect* e, bool program, std::vector<uint8_t>* out, std::string* error)
{
  void* data = nullptr;
  const intptr_t n = Call(e, effGetChunk, program ? 1 : 0, 0, &data);
  if (n <= 0 || !data) return Fail(error, "the plug-in handed over no state chunk");
  if (size_t(n) > kMaxProgramFileSize) return Fail(error, "the plug-in's state chunk is too large");
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  out->assign(bytes, bytes + n);
  return true;
}

bool SetChunk(AEffect* e, bool program, const std::vector<uint8_t>& chunk, std::string* error)
{
  if (!DoesChunks(e))
    return Fail(error, "the file holds a state chunk, but the plug-in takes none");
  std::vector<uint8_t> copy = chunk; // the plug-in may keep or touch the bytes while reading
  if (Call(e, effSetChunk, program ? 1 : 0, intptr_t(copy.size()), copy.data()) == 0)
    return Fail(error, "the plug-in refused the file's state chunk");
  return true;
}
} // namespace

bool ApplyProgramToPlugin(AEffect* e, const FxProgram& p, std::string* error)
{
  if (!e) return Fail(error, "no plug-in");
  if (!CheckPluginID(e, p.pluginID, error)) return false;
  if (p.isChunk)
  {
    if (!SetChunk(e, true, p.chunk, error)) return false;
  }
  else
  {
    if (!CheckPlainProgram(e, p, error)) return false;
    SetValues(e, p);
  }
  SetProgramName(e, p.name);
  return true;
}

bool ApplyBankToPlugin(AEffect* e, const FxBank& b, std::string* error)
{
  if (!e) return Fail(error, "no plug-in");
  if (!CheckPluginID(e, b.pluginID, error)) return false;
  if (b.isChunk) return SetChunk(e, false, b.chunk, error);

  for (size_t i = 0; i < b.programs.size(); ++i)
  {
    std::string why;
    if (!CheckPlainProgram(e, b.programs[i], &why))
      return Fail(error, "program " + std::to_string(i) + ": " + why);
  }
  // Programs beyond the plug-in's own are skipped.
  const int n = std::min(int(b.programs.size()), std::max(e->numPrograms, 0));
  if (n == 0 && !b.programs.empty()) return Fail(error, "the plug-in has no programs to load into");
  const int before = PluginCurrentProgram(e);
  for (int i = 0; i < n; ++i)
  {
    SelectProgram(e, i);
    SetValues(e, b.programs[size_t(i)]);
    SetProgramName(e, b.programs[size_t(i)].name);
  }
  if (n == 0) return true;
  // The file's current program, unless it is one that was skipped. Its values are set
  // again after selecting it: some plug-ins reload their own values on a program
  // change and keep no edits.
  const int current = b.currentProgram >= 0 && b.currentProgram < n ? b.currentProgram : before;
  SelectProgram(e, current);
  if (current < n) SetValues(e, b.programs[size_t(current)]);
  return true;
}

bool CaptureProgramFromPlugin(AEffect* e, FxProgram* out, std::string* error)
{
  if (!e || !out) return Fail(error, "no plug-in");
  FxProgram p;
  p.pluginID = e->uniqueID;
  p.pluginVersion = e->version;
  p.numParams = e->numParams;
  p.name = ProgramName(e);
  p.isChunk = DoesChunks(e);
  if (p.isChunk)
  {
    if (!GetChunk(e, true, &p.chunk, error)) return false;
  }
  else
    GetValues(e, &p);
  *out = std::move(p);
  return true;
}

bool CaptureBankFromPlugin(AEffect* e, FxBank* out, std::string* error)
{
  if (!e || !out) return Fail(error, "no plug-in");
  FxBank b;
  b.pluginID = e->uniqueID;
  b.pluginVersion = e->version;
  b.numPrograms = std::max(e->numPrograms, 0);
  b.currentProgram = PluginCurrentProgram(e);
  b.isChunk = DoesChunks(e);
  if (b.isChunk)
  {
    if (!GetChunk(e, false, &b.chunk, error)) return false;
  }
  else
  {
    // The current program is read as it stands, the others by selecting them (the
    // plug-in holds only the current one's values). Selecting may make a plug-in
    // reload its own values, so the live ones are set back at the end.
    FxProgram current;
    if (!CaptureProgramFromPlugin(e, &current, error)) return false;
    for (int i = 0; i < b.numPrograms; ++i)
    {
      if (i == b.currentProgram)
      {
        b.programs.push_back(current);
        continue;
      }
      SelectProgram(e, i);
      FxProgram p;
      if (!CaptureProgramFromPlugin(e, &p, error)) return false;
      b.programs.push_back(std::move(p));
    }
    if (b.numPrograms > 1)
    {
      SelectProgram(e, b.currentProgram);
      SetValues(e, current);
    }
  }
  *out = std::move(b);
  return true;
}

std::vector<std::string> PluginProgramNames(AEffect* e)
{
  std::vector<std::string> names;
  if (!e) return names;
  for (int i = 0; i < e->numPrograms; ++i)
  {
    char buf[256] = {};
    Call(e, effGetProgramNameIndexed, i, 0, buf);
    buf[sizeof(buf) - 1] = '\0';
    names.push_back(buf);
  }
  return names;
}

int PluginCurrentProgram(AEffect* e)
{
  if (!e) return 0;
  const intptr_t cur = Call(e, effGetProgram);
  return cur >= 0 && cur < e->numPrograms ? int(cur) : 0;
}

FxFileKind ProgramFileKindOfPath(const std::string& path)
{
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
    return FxFileKind::kUnknown;
  const char* ext = path.c_str() + dot + 1;
  if (strcasecmp(ext, "fxp") == 0) return FxFileKind::kProgram;
  if (strcasecmp(ext, "fxb") == 0) return FxFileKind::kBank;
  return FxFileKind::kUnknown;
}

bool LoadProgramFileIntoPlugin(AEffect* e, const std::string& path, std::string* error)
{
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path.c_str(), &bytes, error)) return false;
  std::string why;
  bool ok = false;
  switch (ProbeProgramFileKind(bytes.data(), bytes.size()))
  {
  case FxFileKind::kProgram:
  {
    FxProgram p;
    ok = ParseProgramFile(bytes.data(), bytes.size(), &p, &why) && ApplyProgramToPlugin(e, p, &why);
    break;
  }
  case FxFileKind::kBank:
  {
    FxBank b;
    ok = ParseBankFile(bytes.data(), bytes.size(), &b, &why) && ApplyBankToPlugin(e, b, &why);
    break;
  }
  case FxFileKind::kUnknown:
    why = "not a program (.fxp) or bank (.fxb) file";
    break;
  }
  return ok || Fail(error, "cannot load " + path + ": " + why);
}

bool SaveProgramFileFromPlugin(AEffect* e, const std::string& path, std::string* error)
{
  std::vector<uint8_t> bytes;
  std::string why;
  bool ok = false;
  switch (ProgramFileKindOfPath(path))
  {
  case FxFileKind::kProgram:
  {
    FxProgram p;
    ok = CaptureProgramFromPlugin(e, &p, &why);
    if (ok) bytes = WriteProgramFile(p);
    break;
  }
  case FxFileKind::kBank:
  {
    FxBank b;
    ok = CaptureBankFromPlugin(e, &b, &why);
    if (ok) bytes = WriteBankFile(b);
    break;
  }
  case FxFileKind::kUnknown:
    why = "the file name must end in .fxp or .fxb";
    break;
  }
  if (!ok) return Fail(error, "cannot save " + path + ": " + why);
  return WriteFileReplacing(path.c_str(), bytes, error);
}
