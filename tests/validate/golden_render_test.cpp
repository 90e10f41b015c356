// The whole signal chain pinned by its exact output: a fixed riff through six
// settings that exercise every branch, the equaliser's extremes, the cabinet and the
// bypass, at 44.1 and 48 kHz in both precisions. Each setting's output is held as an
// FNV-1a hash of the sample bytes the host receives, plus a few exact samples, so any
// change to the chain's arithmetic (an order of operations, a coefficient, a
// compiler flag that fuses or reorders) fails here.
#include <dlfcn.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "tests/validate/ValidationHost.h"

using namespace validation;

namespace
{
constexpr int kBlock = 512;
constexpr size_t kSegment = 4096;
constexpr int kSettings = 6;

// Normalised values of Level, Drive, Low, Mid, High, Effect per setting.
constexpr float kSettingValues[kSettings][6] = {
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f},   // the "Init" preset
    {1.0f, 1.0f, 0.5f, 0.5f, 0.5f, 1.0f},   // loudest, most drive
    {0.8f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f},   // no drive, equaliser at its corners
    {0.2f, 0.3f, 0.0f, 1.0f, 0.0f, 1.0f},   // the opposite corners
    {0.2f, 0.3f, 0.0f, 1.0f, 0.0f, 0.0f},   // bypassed: the mono sum
    {0.6f, 0.7f, 0.25f, 0.75f, 0.6f, 1.0f}, // back on: the filters resume
};

// Positions of the exact samples (one in each of four settings).
constexpr size_t kSamplePos[4] = {1000, kSegment * 2 + 77, kSegment * 4 + 3000,
                                  kSegment * 5 + 4095};

// A plucked two-note riff on both channels, in plain arithmetic so that the input
// does not depend on the maths library: two detuned triangle waves under an envelope
// that decays by one multiplication per sample.
double Triangle(size_t i, size_t period)
{
  const double phase = double(i % period) / double(period);
  return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
}

Signal Riff()
{
  const size_t frames = kSegment * kSettings;
  Signal s{std::vector<double>(frames), std::vector<double>(frames)};
  double envelope = 0.0;
  for (size_t i = 0; i < frames; ++i)
  {
    if (i % 3000 == 0) envelope = 0.45;
    envelope *= 0.9995;
    const size_t period = (i / 3000) % 2 ? 300 : 401;
    const double v = envelope * (Triangle(i, period) + 0.5 * Triangle(i, period / 2 + 1));
    s.left[i] = v;
    s.right[i] = 0.5 * v + 0.01 * Triangle(i, 14700);
  }
  return s;
}

uint64_t Fnv1a(const void* data, size_t n, uint64_t h = 14695981039346656037ull)
{
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < n; ++i)
    h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

// The hash of a setting's samples in the precision the host received them.
uint64_t HashSamples(const std::vector<double>& out, size_t from, size_t n, Callback cb)
{
  uint64_t h = 14695981039346656037ull;
  for (size_t i = from; i < from + n; ++i)
  {
    if (cb == Callback::kDouble)
      h = Fnv1a(&out[i], sizeof(double), h);
    else
    {
      const float f = float(out[i]);
      h = Fnv1a(&f, sizeof(float), h);
    }
  }
  return h;
}

struct Golden
{
  double rate;
  Callback cb;
  uint64_t hash[kSettings];
  double sample[4];
};

const Golden kGolden[] = {
    {44100.0,
     Callback::kReplacing,
     {0xb117738e8b497750ull, 0x7d2c330009ab195aull, 0x9cfb117e2935b18cull, 0x8e16492e5d4e5c7cull,
      0x6589ede049e1edddull, 0xb16c2fa18c3286bdull},
     {0x1.5c99e6p-7, 0x1.d2329ap-3, 0x1.fffb04p-3, 0x1.460656p-3}},
    {44100.0,
     Callback::kDouble,
     {0x9f6e5acb684c13f9ull, 0x3d8b57ae79b27a05ull, 0x6678db6d44854ef5ull, 0x0c7d51ce9ddd4d1dull,
      0x9f06a7cf016968b1ull, 0xa9ad19cdf39d4a74ull},
     {0x1.5c99b800287adp-7, 0x1.d2329beafadf2p-3, 0x1.fffb0414fd7aep-3, 0x1.460651576ae37p-3}},
    {48000.0,
     Callback::kReplacing,
     {0xd6b0c517cb40e24bull, 0xb52fc2957fa8e797ull, 0x87f5c58e13f42831ull, 0x77a8e1c230608080ull,
      0x6589ede049e1edddull, 0x8d940d207d067584ull},
     {0x1.140a6ep-4, 0x1.e3daf2p-5, 0x1.fffb04p-3, 0x1.b53098p-3}},
    {48000.0,
     Callback::kDouble,
     {0xfab235a9db86b949ull, 0xc578865606212eb1ull, 0xf45bd6df039daae8ull, 0xabf7bb750e5d615bull,
      0x9f06a7cf016968b1ull, 0x9e98a3305d0d824aull},
     {0x1.140a74468252ap-4, 0x1.e3db04ee6ecc5p-5, 0x1.fffb0414fd7aep-3, 0x1.b5309ab557dep-3}},
};

void PrintTo(const Golden& g, std::ostream* os)
{
  *os << g.rate << " Hz, " << CallbackName(g.cb);
}

class GoldenRender : public ::testing::TestWithParam<Golden>
{
};
} // namespace

TEST_P(GoldenRender, ChainOutputIsBitExact)
{
  const Golden& g = GetParam();
  // The noise table comes from a generator shared by the library's instances, so the
  // render is exact only from a freshly loaded library: this test is its first user.
  ASSERT_EQ(dlopen(QUORVANE_SO, RTLD_NOW | RTLD_NOLOAD), nullptr) << "Quorvane.so already loaded";
  Host host;
  ASSERT_TRUE(host.Start(g.rate, kBlock));
  AEffect* e = host.Effect();
  const Signal riff = Riff();
  std::vector<double> out;
  for (int s = 0; s < kSettings; ++s)
  {
    for (int p = 0; p < 6; ++p)
      e->setParameter(e, p, kSettingValues[s][p]);
    const auto block = host.Process(g.cb, riff, size_t(s) * kSegment, kSegment, kBlock);
    ASSERT_EQ(block[0], block[1]);
    out.insert(out.end(), block[0].begin(), block[0].end());
  }

  uint64_t hash[kSettings];
  for (int s = 0; s < kSettings; ++s)
    hash[s] = HashSamples(out, size_t(s) * kSegment, kSegment, g.cb);
  for (int s = 0; s < kSettings; ++s)
    EXPECT_EQ(hash[s], g.hash[s]) << "setting " << s;
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(out[kSamplePos[k]], g.sample[k]) << "sample " << kSamplePos[k];

  // Bypassed, the output is the plain sum of the two inputs.
  for (size_t i = kSegment * 4; i < kSegment * 5; ++i)
  {
    const double sum = g.cb == Callback::kDouble
                           ? riff.left[i] + riff.right[i]
                           : double(float(riff.left[i])) + double(float(riff.right[i]));
    ASSERT_EQ(out[i], g.cb == Callback::kDouble ? sum : double(float(sum))) << i;
  }

  if (HasFailure())
  {
    // The table entry for today's output, for when a change to the chain is meant.
    std::printf("    {%.1f, Callback::%s, {", g.rate,
                g.cb == Callback::kDouble ? "kDouble" : "kReplacing");
    for (int s = 0; s < kSettings; ++s)
      std::printf("0x%016" PRIx64 "ull%s", hash[s], s + 1 < kSettings ? ", " : "}, {");
    for (int k = 0; k < 4; ++k)
      std::printf("%a%s", out[kSamplePos[k]], k < 3 ? ", " : "}},\n");
  }
}

INSTANTIATE_TEST_SUITE_P(RatesAndPrecisions, GoldenRender, ::testing::ValuesIn(kGolden),
                         [](const ::testing::TestParamInfo<Golden>& info)
                         {
                           return std::to_string(int(info.param.rate)) + "Hz_" +
                                  (info.param.cb == Callback::kDouble ? "double" : "float");
                         });
