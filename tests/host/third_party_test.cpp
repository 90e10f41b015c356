// Our host code against a plug-in nobody here built: if the record layout or the
// calling convention in vst2_interface.h were wrong, this plug-in would crash or
// answer nonsense.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/render/VstHost.h"

namespace
{
const char* kThirdParty = "/usr/lib/vst/3BandEQ-vst.so";
}

TEST(ThirdPartyPlugin, LoadsThroughMainProcessesAndCloses)
{
  VstPlugin p;
  ASSERT_TRUE(p.Load(kThirdParty)) << p.Error();
  EXPECT_EQ(p.EntryPointName(), "main"); // this plug-in exports only the legacy name
  AEffect* e = p.Effect();
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_GT(e->numParams, 2);
  EXPECT_TRUE(e->flags & effFlagsCanReplacing);
  EXPECT_NE(e->processReplacing, nullptr);

  p.Start(48000.0, 256);
  EXPECT_FALSE(p.EffectName().empty());
  EXPECT_FALSE(p.ParamName(0).empty());
  EXPECT_GE(p.FindParam(p.ParamName(1)), 0);

  // A 1 kHz sine through the equaliser at its defaults: finite, and audible at the output.
  const int n = 256;
  std::vector<float> l(n), r(n), ol(n, 7.0f), orr(n, 7.0f);
  for (int i = 0; i < n; ++i)
    l[i] = r[i] = 0.5f * float(std::sin(2.0 * M_PI * 1000.0 * i / 48000.0));
  float* in[2] = {l.data(), r.data()};
  float* out[2] = {ol.data(), orr.data()};
  for (int block = 0; block < 4; ++block)
    p.ProcessReplacing(in, out, n);
  double energy = 0.0;
  for (int i = 0; i < n; ++i)
  {
    ASSERT_TRUE(std::isfinite(ol[i]) && std::isfinite(orr[i]));
    energy += double(ol[i]) * ol[i];
  }
  EXPECT_GT(energy / n, 0.01); // the input's mean square is 0.125
  p.Suspend();
  p.Unload();
  EXPECT_EQ(p.Effect(), nullptr);
}

TEST(VstHostLoad, RejectsWhatIsNotAPlugin)
{
  struct Case
  {
    const char* path;
    const char* errorHas;
  };
  const Case cases[] = {
      {"/nonexistent/Nope.so", "cannot load"},
      // libz has no entry point; the test program's own main must not be taken for one.
      {"libz.so.1", "exports neither"},
  };
  for (const Case& c : cases)
  {
    VstPlugin p;
    EXPECT_FALSE(p.Load(c.path)) << c.path;
    EXPECT_NE(p.Error().find(c.errorHas), std::string::npos) << p.Error();
    EXPECT_EQ(p.Effect(), nullptr);
  }
}
