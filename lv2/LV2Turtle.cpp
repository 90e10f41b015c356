#include "lv2/LV2Turtle.h"

#include <cctype>
#include <cstdio>
#include <set>

#include "core/IEffectBase.h"
#include "core/IPreset.h"
#include "lv2/LV2Uris.h"

namespace
{
const char* kPrefixes = "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                        "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                        "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                        "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                        "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                        "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                        "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                        "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                        "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// A Turtle string literal: quotes, backslashes and control characters escaped.
std::string Literal(const char* text)
{
  std::string out = "\"";
  for (const char* c = text; *c; ++c)
  {
    if (*c == '"' || *c == '\\')
      out += std::string("\\") + *c;
    else if (*c == '\n')
      out += "\\n";
    else if (static_cast<unsigned char>(*c) >= 0x20)
      out += *c;
  }
  return out + "\"";
}

// A decimal or double literal of the float the host will hold.
std::string Number(double v)
{
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.9g", double(float(v)));
  std::string s = buf;
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::string ParamSymbol(IEffectBase& effect, int idx)
{
  // Unique among the parameters and apart from the audio ports' "in_N" / "out_N".
  std::set<std::string> taken;
  for (int i = 0; i < idx; ++i)
    taken.insert(ParamSymbol(effect, i));
  std::string base = LV2PortSymbol(effect.GetParam(idx)->GetNameForHost());
  if (base.rfind("in_", 0) == 0 || base.rfind("out_", 0) == 0) base = "p_" + base;
  std::string s = base;
  for (int n = 2; taken.count(s); ++n)
    s = base + "_" + std::to_string(n);
  return s;
}

std::string AudioPort(int index, bool input, int channel, const char* label, bool optional)
{
  const char* dir = input ? "in" : "out";
  std::string name = label && label[0] ? label : "";
  if (name.empty()) name = std::string(input ? "Input " : "Output ") + std::to_string(channel + 1);
  std::string s = "  [\n    a lv2:AudioPort , " +
                  std::string(input ? "lv2:InputPort" : "lv2:OutputPort") + " ;\n    lv2:index " +
                  std::to_string(index) + " ;\n    lv2:symbol \"" + dir + "_" +
                  std::to_string(channel + 1) + "\" ;\n    lv2:name " + Literal(name.c_str());
  if (optional) s += " ;\n    lv2:portProperty lv2:connectionOptional";
  return s + "\n  ]";
}

std::string ControlPort(IEffectBase& effect, int index, int paramIdx)
{
  IParam* p = effect.GetParam(paramIdx);
  std::string s = "  [\n    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " +
                  std::to_string(index) + " ;\n    lv2:symbol \"" + ParamSymbol(effect, paramIdx) +
                  "\" ;\n    lv2:name " + Literal(p->GetNameForHost()) + " ;\n    lv2:default " +
                  Number(p->GetNormalized(p->GetDefault())) +
                  " ;\n    lv2:minimum 0.0 ;\n    lv2:maximum 1.0";
  // The port holds the normalised value; a switch of two settings is a toggle, more
  // settings are an enumeration of their normalised positions.
  const bool stepped =
      p->Kind() == ParamKind::Bool || p->Kind() == ParamKind::Enum || p->Kind() == ParamKind::Int;
  const bool toggle = stepped && p->GetRange() == 1.0;
  if (toggle)
    s += " ;\n    lv2:portProperty lv2:toggled";
  else if (stepped && p->GetNDisplayTexts() > 0)
    s += " ;\n    lv2:portProperty lv2:enumeration";
  const int nTexts = p->GetNDisplayTexts();
  for (int i = 0; i < nTexts; ++i)
  {
    int value = 0;
    const char* text = p->GetDisplayTextAtIdx(i, &value);
    s += std::string(i ? " , " : " ;\n    lv2:scalePoint ") + "[\n      rdfs:label " +
         Literal(text) + " ;\n      rdf:value " + Number(p->GetNormalized(value)) + "\n    ]";
  }
  return s + "\n  ]";
}

bool WriteFile(const std::string& path, const std::string& text)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

std::string PluginFile(IEffectBase& effect)
{
  return std::string(effect.GetEffectName()) + ".ttl";
}
} // namespace

std::string LV2PortSymbol(const char* name)
{
  std::string s;
  for (const char* c = name; c && *c; ++c)
  {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (std::isalnum(u) && u < 0x80)
      s += char(std::tolower(u));
    else if (!s.empty() && s.back() != '_')
      s += '_';
  }
  while (!s.empty() && s.back() == '_')
    s.pop_back();
  if (s.empty()) return "param";
  if (std::isdigit(static_cast<unsigned char>(s[0]))) s = "p" + s;
  return s;
}

std::string LV2ManifestTurtle(IEffectBase& effect, const LV2BundleInfo& info)
{
  std::string s = kPrefixes;
  s += "<" + info.mURI + ">\n  a lv2:Plugin ;\n  lv2:binary <" + info.mBinary +
       "> ;\n  rdfs:seeAlso <" + PluginFile(effect) + "> .\n";
  if (!info.mUIBinary.empty())
    s += "\n<" + info.mURI + kLV2UISuffix + ">\n  a ui:X11UI ;\n  ui:binary <" + info.mUIBinary +
         "> ;\n  rdfs:seeAlso <" + PluginFile(effect) + "> .\n";
  for (int i = 0; i < effect.NPresets(); ++i)
    if (effect.GetPreset(i)->mInitialized)
      s += "\n<" + info.mURI + kLV2PresetSuffix + std::to_string(i + 1) +
           ">\n  a pset:Preset ;\n  lv2:appliesTo <" + info.mURI +
           "> ;\n  rdfs:seeAlso <presets.ttl> .\n";
  return s;
}

std::string LV2PluginTurtle(IEffectBase& effect, const LV2BundleInfo& info)
{
  const int version = effect.GetEffectVersion(false);
  std::string s = kPrefixes;
  s += "<" + info.mURI + ">\n  a lv2:Plugin , doap:Project";
  if (info.mCategory != "Plugin") s += " , lv2:" + info.mCategory;
  s += " ;\n  doap:name " + Literal(effect.GetEffectName()) +
       " ;\n  doap:maintainer [\n    foaf:name " + Literal(effect.GetMfrName()) +
       "\n  ] ;\n  lv2:minorVersion " + std::to_string((version >> 8) & 0xFF) +
       " ;\n  lv2:microVersion " + std::to_string(version & 0xFF) +
       " ;\n  lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
       "  lv2:extensionData state:interface ;\n";
  if (!info.mUIBinary.empty()) s += "  ui:ui <" + info.mURI + kLV2UISuffix + "> ;\n";
  // No port reports latency: the effect adds no delay.
  s += "  lv2:port\n";
  const int nIn = effect.NInChannels(), nOut = effect.NOutChannels();
  // A mono configuration leaves the second input and output unconnected.
  const bool mono = effect.LegalIO(1, 1);
  int index = 0;
  std::string ports;
  for (int c = 0; c < nIn; ++c, ++index)
    ports +=
        (index ? " ,\n" : "") + AudioPort(index, true, c, effect.GetInputLabel(c), mono && c > 0);
  for (int c = 0; c < nOut; ++c, ++index)
    ports +=
        (index ? " ,\n" : "") + AudioPort(index, false, c, effect.GetOutputLabel(c), mono && c > 0);
  for (int p = 0; p < effect.NParams(); ++p, ++index)
    ports += (index ? " ,\n" : "") + ControlPort(effect, index, p);
  s += ports + " .\n";

  if (!info.mUIBinary.empty())
  {
    s += "\n<" + info.mURI + kLV2UISuffix + ">\n  a ui:X11UI ;\n  ui:binary <" + info.mUIBinary +
         "> ;\n  lv2:requiredFeature ui:parent ;\n"
         "  lv2:optionalFeature ui:resize , ui:noUserResize , ui:touch ;\n"
         "  lv2:extensionData ui:idleInterface";
    s += " .\n";
  }
  return s;
}

std::string LV2PresetsTurtle(IEffectBase& effect, const LV2BundleInfo& info)
{
  std::string s = kPrefixes;
  for (int i = 0; i < effect.NPresets(); ++i)
  {
    if (!effect.GetPreset(i)->mInitialized || !effect.RestorePreset(i)) continue;
    s += "<" + info.mURI + kLV2PresetSuffix + std::to_string(i + 1) +
         ">\n  a pset:Preset ;\n  lv2:appliesTo <" + info.mURI + "> ;\n  rdfs:label " +
         Literal(effect.GetPresetName(i)) + " ;\n  lv2:port";
    for (int p = 0; p < effect.NParams(); ++p)
      s += std::string(p ? " ," : "") + " [\n    lv2:symbol \"" + ParamSymbol(effect, p) +
           "\" ;\n    pset:value " + Number(effect.GetParam(p)->GetNormalized()) + "\n  ]";
    s += " .\n\n";
  }
  return s;
}

bool WriteLV2BundleFiles(IEffectBase& effect, const LV2BundleInfo& info, const std::string& dir)
{
  return WriteFile(dir + "/manifest.ttl", LV2ManifestTurtle(effect, info)) &&
         WriteFile(dir + "/" + PluginFile(effect), LV2PluginTurtle(effect, info)) &&
         WriteFile(dir + "/presets.ttl", LV2PresetsTurtle(effect, info));
}
