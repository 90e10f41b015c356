#include "tools/render/VstHost.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
// The plug-in may call the host from inside its entry point, before the host
// has the record; the instance being created is found through this.
thread_local VstPlugin* tLoading = nullptr;

typedef AEffect* (*EntryProc)(audioMasterCallback);

bool InLibrary(void* library, void* symbol)
{
  link_map* map = nullptr;
  Dl_info info{};
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map) return false;
  if (dladdr(symbol, &info) == 0 || !info.dli_fname || !map->l_name) return false;
  return std::strcmp(info.dli_fname, map->l_name) == 0;
}

// Copies text into a plug-in-provided buffer of size bytes, always terminated.
void CopyBounded(void* dst, const std::string& text, size_t size)
{
  if (!dst || size == 0) return;
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(dst, text.data(), n);
  static_cast<char*>(dst)[n] = '\0';
}
} // namespace

int VstHostScript::Count(int32_t opcode) const
{
  int n = 0;
  for (const Call& c : calls)
    n += c.opcode == opcode;
  return n;
}

VstPlugin::~VstPlugin()
{
  Unload();
}

bool VstPlugin::Load(const std::string& path)
{
  Unload();
  mError.clear();
  mLibrary = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLibrary)
  {
    const char* why = dlerror();
    mError = "cannot load " + path + ": " + (why ? why : "unknown error");
    return false;
  }
  // dlsym also searches the library's dependencies; a "main" found there (or
  // anywhere but the plug-in itself) is no entry point of this plug-in.
  void* entry = nullptr;
  for (const char* name : {"VSTPluginMain", "main"})
  {
    void* sym = dlsym(mLibrary, name);
    if (sym && InLibrary(mLibrary, sym))
    {
      entry = sym;
      mEntryName = name;
      break;
    }
  }
  if (!entry)
  {
    mError = path + " exports neither VSTPluginMain nor main";
    Unload();
    return false;
  }
  mScript.calls.reserve(mScript.maxCalls);
  mScript.sentMidi.reserve(4 * 1024);
  tLoading = this;
  mEffect = reinterpret_cast<EntryProc>(entry)(&VstPlugin::HostCallback);
  tLoading = nullptr;
  if (!mEffect)
  {
    mError = path + ": the entry point returned no effect";
    Unload();
    return false;
  }
  if (mEffect->magic != kEffectMagic)
  {
    mError = path + ": the entry point returned a record without the VST magic";
    mEffect = nullptr; // not ours to close
    Unload();
    return false;
  }
  mEffect->resvd1 = reinterpret_cast<intptr_t>(this);
  mClosed = false;
  return true;
}

void VstPlugin::Close()
{
  if (mEffect && !mClosed)
  {
    mEffect->dispatcher(mEffect, effClose, 0, 0, nullptr, 0.0f);
    mClosed = true;
  }
  mEffect = nullptr;
}

void VstPlugin::Unload()
{
  Close();
  if (mLibrary) dlclose(mLibrary);
  mLibrary = nullptr;
}

intptr_t VstPlugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
  if (!mEffect) return 0;
  if (opcode == effClose)
  {
    Close();
    return 0;
  }
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

void VstPlugin::Start(double sampleRate, int blockSize)
{
  mScript.sampleRate = sampleRate;
  mScript.blockSize = blockSize;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, float(sampleRate));
  Dispatch(effSetBlockSize, 0, blockSize);
  Resume();
}

std::string VstPlugin::Text(int32_t opcode, int idx)
{
  // Plug-ins overrun the nominal limits; give them room and cut afterwards.
  char buf[256] = {};
  Dispatch(opcode, idx, 0, buf);
  buf[sizeof(buf) - 1] = '\0';
  return buf;
}

std::string VstPlugin::ParamName(int idx)
{
  return Text(effGetParamName, idx);
}
std::string VstPlugin::ParamDisplay(int idx)
{
  return Text(effGetParamDisplay, idx);
}
std::string VstPlugin::ParamLabel(int idx)
{
  return Text(effGetParamLabel, idx);
}
std::string VstPlugin::EffectName()
{
  return Text(effGetEffectName, 0);
}

int VstPlugin::FindParam(const std::string& name)
{
  if (!mEffect) return -1;
  for (int i = 0; i < mEffect->numParams; ++i)
    if (strcasecmp(ParamName(i).c_str(), name.c_str()) == 0) return i;
  return -1;
}

namespace
{
// A whole text that names a finite number, surrounding spaces allowed.
bool ParseNumber(const std::string& text, double* value)
{
  const char* s = text.c_str();
  char* end = nullptr;
  *value = std::strtod(s, &end);
  if (end == s) return false;
  while (*end == ' ' || *end == '\t')
    ++end;
  return *end == '\0' && std::isfinite(*value);
}

std::string Trimmed(const std::string& text)
{
  const size_t a = text.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  return text.substr(a, text.find_last_not_of(" \t") - a + 1);
}
} // namespace

bool VstPlugin::SetParamToDisplayText(int idx, const std::string& text)
{
  // Hosts cannot ask for a parameter's texts, so the range is swept for the first
  // value the plug-in shows as the text; the parameter is put back when none does.
  const std::string wanted = Trimmed(text);
  if (wanted.empty()) return false;
  const float before = mEffect->getParameter(mEffect, idx);
  const int kSteps = 1000;
  for (int k = 0; k <= kSteps; ++k)
  {
    const float normalized = float(k) / float(kSteps);
    mEffect->setParameter(mEffect, idx, normalized);
    if (strcasecmp(Trimmed(ParamDisplay(idx)).c_str(), wanted.c_str()) != 0) continue;
    // The plug-in's own reading of the text wins when it shows the same text.
    std::string copy = text;
    if (Dispatch(effString2Parameter, idx, 0, &copy[0]) == 0 ||
        strcasecmp(Trimmed(ParamDisplay(idx)).c_str(), wanted.c_str()) != 0)
      mEffect->setParameter(mEffect, idx, normalized);
    return true;
  }
  mEffect->setParameter(mEffect, idx, before);
  return false;
}

bool VstPlugin::SetParamText(int idx, const std::string& text)
{
  if (!mEffect || idx < 0 || idx >= mEffect->numParams) return false;
  // Plug-ins read any text as a number through effString2Parameter, "abc" as 0, so
  // a text that is not a number must be one the parameter displays.
  double target = 0.0;
  if (!ParseNumber(text, &target)) return SetParamToDisplayText(idx, text);
  std::string copy = text;
  if (Dispatch(effString2Parameter, idx, 0, &copy[0]) != 0) return true;

  auto shown = [&](float normalized, double* value)
  {
    mEffect->setParameter(mEffect, idx, normalized);
    const std::string d = ParamDisplay(idx);
    char* e = nullptr;
    *value = std::strtod(d.c_str(), &e);
    return e != d.c_str() && std::isfinite(*value);
  };
  double lo = 0.0, hi = 0.0;
  if (!shown(0.0f, &lo) || !shown(1.0f, &hi) || lo == hi) return false;
  const bool rising = hi > lo;
  float a = 0.0f, b = 1.0f;
  for (int i = 0; i < 32; ++i)
  {
    const float m = 0.5f * (a + b);
    double v = 0.0;
    if (!shown(m, &v)) return false;
    if ((v < target) == rising)
      a = m;
    else
      b = m;
  }
  mEffect->setParameter(mEffect, idx, 0.5f * (a + b));
  return true;
}

intptr_t VstPlugin::HostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt)
{
  VstPlugin* host = nullptr;
  if (effect && effect->resvd1)
    host = reinterpret_cast<VstPlugin*>(effect->resvd1);
  else
    host = tLoading;
  if (opcode == audioMasterVersion) return kVstVersion; // asked before anything else exists
  if (!host) return 0;
  return host->Answer(opcode, index, value, ptr, opt);
}

intptr_t VstPlugin::Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
  VstHostScript& s = mScript;
  if (s.calls.size() < s.maxCalls && s.calls.size() < s.calls.capacity())
    s.calls.push_back({opcode, index, value, opt});
  else
    ++s.droppedCalls;

  switch (opcode)
  {
  case audioMasterGetTime:
    if (!s.answerTime) return 0;
    s.time.sampleRate = s.sampleRate;
    return reinterpret_cast<intptr_t>(&s.time);
  case audioMasterGetSampleRate:
    return intptr_t(s.sampleRate);
  case audioMasterGetBlockSize:
    return s.blockSize;
  case audioMasterGetProductString:
    CopyBounded(ptr, s.productString, kVstMaxProductStrLen);
    return 1;
  case audioMasterGetVendorString:
    CopyBounded(ptr, s.vendorString, kVstMaxVendorStrLen);
    return 1;
  case audioMasterGetVendorVersion:
    return s.vendorVersion;
  case audioMasterGetCurrentProcessLevel:
    return s.processLevel;
  case audioMasterProcessEvents:
  {
    const VstEvents* evs = static_cast<const VstEvents*>(ptr);
    if (!evs) return 0;
    // Sized for numEvents entries, not the two the record declares.
    VstEvent* const* list = evs->events;
    for (int32_t i = 0; i < evs->numEvents; ++i)
    {
      const VstEvent* e = list[i];
      if (!e) continue;
      if (e->type == kVstMidiType && s.sentMidi.size() + 4 <= s.sentMidi.capacity())
      {
        const VstMidiEvent* m = reinterpret_cast<const VstMidiEvent*>(e);
        s.sentMidi.push_back(uint8_t(m->midiData[0]));
        s.sentMidi.push_back(uint8_t(m->midiData[1]));
        s.sentMidi.push_back(uint8_t(m->midiData[2]));
        s.sentMidi.push_back(m->deltaFrames);
      }
      else if (e->type == kVstSysExType)
        s.sentSysExBytes += reinterpret_cast<const VstMidiSysexEvent*>(e)->dumpBytes;
    }
    return s.processEventsAnswer;
  }
  case audioMasterCanDo:
  {
    const char* what = static_cast<const char*>(ptr);
    if (!what) return 0;
    static const char* const kCan[] = {"sendVstEvents",    "sendVstMidiEvent",    "sendVstTimeInfo",
                                       "receiveVstEvents", "receiveVstMidiEvent", "supplyIdle",
                                       "sizeWindow"};
    for (const char* c : kCan)
      if (std::strcmp(c, what) == 0) return 1;
    return 0;
  }
  case audioMasterAutomate:
  case audioMasterBeginEdit:
  case audioMasterEndEdit:
  case audioMasterUpdateDisplay:
  case audioMasterIdle:
  case audioMasterWantMidi:
  case audioMasterIOChanged:
    return 1;
  default:
    return 0;
  }
}
