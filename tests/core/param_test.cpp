#include "core/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{
std::string Display(const IParam& p, double value, bool normalized, bool withTexts = true)
{
  char out[IParam::kDisplayLen + 8];
  memset(out, 'X', sizeof(out));
  p.GetDisplayForHost(value, normalized, out, withTexts);
  EXPECT_EQ(out[IParam::kDisplayLen], 'X') << "wrote past the display field";
  return out;
}
} // namespace

TEST(Param, DoublePrecisionFollowsTheStep)
{
  const struct
  {
    double step;
    int digits;
  } cases[] = {{1.0, 0}, {2.0, 0}, {0.5, 1}, {0.25, 2}, {0.01, 2}, {0.001, 3}, {1e-9, 6}, {0.0, 0}};
  for (const auto& c : cases)
  {
    IParam p;
    p.InitDouble("d", 0.0, 0.0, 10.0, c.step);
    EXPECT_EQ(p.GetPrecision(), c.digits) << "step " << c.step;
  }
}

TEST(Param, InitRulesForRangesShapesAndKinds)
{
  IParam e;
  e.InitEnum("e", 0, 1);
  EXPECT_EQ(e.GetMax(), 1.0);
  e.InitEnum("e", 0, 5);
  EXPECT_EQ(e.GetMax(), 4.0);

  IParam i;
  i.InitInt("i", 3, 3, 2);
  EXPECT_EQ(i.GetMin(), 3.0);
  EXPECT_EQ(i.GetMax(), 4.0);
  EXPECT_EQ(i.Value(), 3.0);
  EXPECT_EQ(i.GetDefault(), 3.0);

  IParam d;
  d.InitDouble("d", 0.5, 0.0, 1.0, 0.1, "", "", 0.0);
  EXPECT_EQ(d.GetShape(), 1.0);
  d.InitDouble("d", 0.5, 0.0, 1.0, 0.1, "", "", 3.0);
  EXPECT_EQ(d.GetShape(), 3.0);
  d.SetShape(0.0);
  EXPECT_EQ(d.GetShape(), 3.0);
  d.InitDouble("d", 2.0, 2.0, 1.0, 0.25);
  EXPECT_EQ(d.GetMax(), 2.25); // at least one step wide

  // The first Init fixes the kind.
  IParam twice;
  twice.InitInt("t", 0, 0, 10);
  twice.InitDouble("t", 0.5, 0.0, 1.0, 0.01);
  EXPECT_EQ(twice.Kind(), ParamKind::Int);
  EXPECT_EQ(twice.GetMax(), 1.0);

  IParam b;
  b.InitBool("b", true, "lbl", "grp");
  EXPECT_EQ(b.Kind(), ParamKind::Bool);
  EXPECT_EQ(b.Value(), 1.0);
  EXPECT_STREQ(b.GetNameForHost(), "b");
  EXPECT_STREQ(b.GetParamGroupForHost(), "grp");
  ASSERT_EQ(b.GetNDisplayTexts(), 2);
  int v = -1;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(0, &v), "off");
  EXPECT_EQ(v, 0);
  EXPECT_STREQ(b.GetDisplayTextAtIdx(1, &v), "on");
  EXPECT_EQ(v, 1);
}

TEST(Param, NormalisationFollowsShapeQuantisationAndUpperClamp)
{
  IParam sq;
  sq.InitDouble("sq", 0.0, 0.0, 100.0, 0.01, "", "", 2.0);
  IParam in;
  in.InitInt("in", 0, 0, 10);

  const struct
  {
    IParam* p;
    double n;
    double plain;
  } cases[] = {
      {&sq, 0.5, 25.0},                    // 100 * 0.5^2, no quantisation for Double
      {&sq, 0.1, 1.0},  {&sq, 1.5, 100.0}, // capped at the maximum
      {&in, 0.26, 3.0},                    // 2.6 rounds to 3
      {&in, 0.24, 2.0}, {&in, 1.2, 10.0},  {&in, -0.5, -5.0}, // no lower clamp
  };
  for (const auto& c : cases)
  {
    c.p->SetNormalized(c.n);
    EXPECT_DOUBLE_EQ(c.p->Value(), c.plain) << c.p->GetNameForHost() << " n=" << c.n;
  }

  sq.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(sq.GetNormalized(), 0.5);
  // Plain values outside the range normalise to the ends.
  EXPECT_EQ(sq.GetNormalized(-10.0), 0.0);
  EXPECT_EQ(sq.GetNormalized(1e9), 1.0);

  // The shape round-trips for Double parameters across the range.
  for (double shape : {0.25, 1.0, 3.0})
  {
    IParam p;
    p.InitDouble("p", -24.0, -24.0, 24.0, 0.1, "dB", "", shape);
    for (int k = 0; k <= 20; ++k)
    {
      p.SetNormalized(k / 20.0);
      EXPECT_NEAR(p.GetNormalized(), k / 20.0, 1e-12) << "shape " << shape;
    }
  }
}

TEST(Param, NonFiniteValuesNeverReachTheParameter)
{
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();

  IParam p;
  p.InitDouble("p", 0.3, 0.0, 1.0, 0.01, "", "", 0.5);
  for (double n : {nan, inf, -inf, -0.25 /* pow(-0.25, 0.5) is NaN */})
  {
    p.SetNormalized(n);
    EXPECT_EQ(p.Value(), 0.3) << "n=" << n;
  }
  for (double v : {nan, inf, -inf})
  {
    p.Set(v);
    EXPECT_EQ(p.Value(), 0.3) << "v=" << v;
  }
  p.Set(-3.0);
  EXPECT_EQ(p.Value(), 0.0);
  p.Set(7.0);
  EXPECT_EQ(p.Value(), 1.0);
}

TEST(Param, DisplayTextsAndNumbers)
{
  IParam fine;
  fine.InitDouble("fine", 0.5, 0.0, 1.0, 0.001);
  EXPECT_EQ(Display(fine, 0.5, true), "0.500");

  IParam sw;
  sw.InitEnum("sw", 0, 2, "units");
  sw.SetDisplayText(0, "Off");
  sw.SetDisplayText(1, "On");
  sw.SetDisplayText(1, "Duplicate");
  EXPECT_EQ(Display(sw, 1.0, false), "On");
  EXPECT_EQ(Display(sw, 1.0, false, false), "1");
  EXPECT_EQ(Display(sw, 1.0, true), "On");
  EXPECT_STREQ(sw.GetDisplayText(1), "On");
  EXPECT_STREQ(sw.GetDisplayText(7), "");
  sw.SetNormalized(1.0);
  EXPECT_STREQ(sw.GetLabelForHost(), "");

  IParam gain;
  gain.InitInt("gain", 0, -10, 10, "dB");
  gain.SetDisplayText(5, "");
  EXPECT_STREQ(gain.GetLabelForHost(), "dB");
  gain.Set(5.0);
  EXPECT_STREQ(gain.GetLabelForHost(), "dB"); // an empty text does not describe the value
  EXPECT_EQ(Display(gain, 5.0, false), "5");
  EXPECT_EQ(Display(gain, -2.7, false), "-2"); // truncation toward zero
  gain.SetDisplayNegated(true);
  EXPECT_EQ(Display(gain, 3.0, false), "-3");

  IParam huge;
  huge.InitDouble("huge", 0.0, -1e300, 1e300, 1.0);
  EXPECT_EQ(Display(huge, 1e300, false), "2147483647");
  EXPECT_EQ(Display(huge, -1e300, false), "-2147483648");
  IParam hugeFine;
  hugeFine.InitDouble("hugeFine", 0.0, -1e300, 1e300, 0.5);
  EXPECT_EQ(Display(hugeFine, 1e300, false).size(), size_t(IParam::kDisplayLen - 1));
}

TEST(Param, MapDisplayTextFindsTheFirstExactMatch)
{
  IParam b;
  b.InitBool("b", false);
  int v = -7;
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  v = -7;
  for (const char* miss : {"On", "o", "on ", ""})
  {
    EXPECT_FALSE(b.MapDisplayText(miss, &v)) << miss;
    EXPECT_EQ(v, -7);
  }
  EXPECT_FALSE(b.MapDisplayText(nullptr, &v));
  b.SetDisplayText(5, "on");
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
}

TEST(Param, LongTextsAreCutToTheirFields)
{
  const std::string longText(100, 'n');
  IParam p;
  p.InitDouble(longText.c_str(), 0.0, 0.0, 1.0, 0.1, longText.c_str(), longText.c_str());
  p.SetDisplayText(0, longText.c_str());
  const std::string cut(IParam::kTextLen - 1, 'n');
  EXPECT_EQ(p.GetNameForHost(), cut);
  EXPECT_EQ(p.GetParamGroupForHost(), cut);
  p.Set(1.0); // no display text for 1
  EXPECT_EQ(p.GetLabelForHost(), cut);
  EXPECT_EQ(p.GetDisplayText(0), cut);
  EXPECT_EQ(Display(p, 0.0, false), cut);
}

TEST(Param, DecibelsToGain)
{
  IParam p;
  p.InitDouble("gain", 0.0, -60.0, 12.0, 0.1);
  for (double db : {-60.0, -6.0, 0.0, 6.0, 12.0})
  {
    p.Set(db);
    EXPECT_NEAR(p.DBToAmp(), std::pow(10.0, db / 20.0), 1e-12) << db;
  }
}
