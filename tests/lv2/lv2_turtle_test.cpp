// The Turtle writer on an effect with awkward names: symbols stay valid and unique,
// texts are escaped, stepped parameters get their scale points, and the result
// validates against the LV2 schemas.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <string>

#include "lv2/IEffectLV2.h"
#include "lv2/LV2Turtle.h"

namespace
{
struct OddEffect : IEffectLV2
{
  OddEffect()
      : IEffectLV2(IEffectInstanceInfo{}, 6, "2-2", 1, "Odd", "", "maker \"q\"\\", 0x00010203, 1, 2,
                   0, false, false, false)
  {
    GetParam(0)->InitDouble("Gain", 0.25, 0.0, 1.0, 0.01);
    GetParam(1)->InitDouble("Gain", 0.5, -12.0, 12.0, 0.1);
    GetParam(2)->InitDouble("In 1", 0.5, 0.0, 1.0, 0.01);
    GetParam(3)->InitDouble("3 band EQ", 0.5, 0.0, 1.0, 0.01);
    GetParam(4)->InitEnum("Mode", 2, 3);
    GetParam(4)->SetDisplayText(0, "Soft");
    GetParam(4)->SetDisplayText(1, "Hard");
    GetParam(4)->SetDisplayText(2, "Fuzz");
    GetParam(5)->InitBool("\xC3\xA9\xC3\xA9", true);
    MakeDefaultPreset("First", 1);
  }
};
} // namespace

TEST(LV2Turtle, SymbolsEscapesAndScalePointsOfAnAwkwardEffect)
{
  OddEffect fx;
  LV2BundleInfo info;
  info.mURI = "urn:test:odd";
  info.mBinary = "odd.so";
  const std::string ttl = LV2PluginTurtle(fx, info);

  std::vector<std::string> symbols;
  const std::string key = "lv2:symbol \"";
  for (size_t at = ttl.find(key); at != std::string::npos; at = ttl.find(key, at))
  {
    at += key.size();
    symbols.push_back(ttl.substr(at, ttl.find('"', at) - at));
  }
  EXPECT_EQ(symbols, (std::vector<std::string>{"in_1", "in_2", "out_1", "out_2", "gain", "gain_2",
                                               "p_in_1", "p3_band_eq", "mode", "param"}));
  EXPECT_NE(ttl.find("foaf:name \"maker \\\"q\\\"\\\\\""), std::string::npos) << ttl;
  // -12..12 dB with default 0.5 is the normalised 0.520833.
  EXPECT_NE(ttl.find("lv2:default 0.520833"), std::string::npos) << ttl;
  // Three settings: an enumeration at their normalised positions; two: a toggle.
  EXPECT_NE(ttl.find("lv2:portProperty lv2:enumeration"), std::string::npos);
  EXPECT_NE(ttl.find("rdfs:label \"Hard\" ;\n      rdf:value 0.5"), std::string::npos) << ttl;
  EXPECT_NE(
      ttl.find("lv2:symbol \"param\" ;\n    lv2:name \"\xC3\xA9\xC3\xA9\" ;\n    lv2:default 1.0"),
      std::string::npos)
      << ttl;
  EXPECT_NE(ttl.find("lv2:portProperty lv2:toggled"), std::string::npos);
  EXPECT_NE(ttl.find("lv2:minorVersion 2 ;\n  lv2:microVersion 3"), std::string::npos);

  char dir[] = "/tmp/lv2-turtle-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  ASSERT_TRUE(WriteLV2BundleFiles(fx, info, dir));
  EXPECT_FALSE(WriteLV2BundleFiles(fx, info, std::string(dir) + "/missing"));
  const std::string cmd =
      "sord_validate $(find /usr/lib/lv2 -name '*.ttl') " + std::string(dir) + "/*.ttl 2>&1";
  FILE* f = popen(cmd.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, f))
    out += buf;
  EXPECT_EQ(pclose(f), 0) << out;
  EXPECT_NE(out.find("Found 0 errors"), std::string::npos) << out;
  std::system(("rm -rf " + std::string(dir)).c_str());
}
