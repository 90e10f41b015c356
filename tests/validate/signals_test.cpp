// Hostile signals: subnormal inputs, DC, full-scale square waves, and silence after
// a loud passage, whose tail must die away without leaving subnormals behind.
#include "tests/validate/ValidationHost.h"

using namespace validation;

namespace
{
constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

std::vector<double> Square(size_t frames, double hz, double amplitude)
{
  std::vector<double> s(frames);
  const size_t half = size_t(kRate / hz / 2.0);
  for (size_t i = 0; i < frames; ++i)
    s[i] = (i / half) % 2 ? -amplitude : amplitude;
  return s;
}

// Subnormal values of both precisions, alternating in sign.
std::vector<double> Subnormal(size_t frames, Callback cb)
{
  const double tiny = cb == Callback::kDouble ? 4.9e-324 * 1000.0 : double(1.0e-39f);
  std::vector<double> s(frames);
  for (size_t i = 0; i < frames; ++i)
    s[i] = (i % 3 ? tiny : -tiny) * double(1 + i % 7);
  return s;
}
} // namespace

TEST(HostileSignals, StayFiniteBoundedAndFreeOfSubnormals)
{
  const size_t frames = size_t(kRate); // one second each
  for (Callback cb : kCallbacks)
  {
    SCOPED_TRACE(CallbackName(cb));
    struct Case
    {
      const char* name;
      Signal input;
      double maxPeak;
    } cases[] = {
        {"subnormal", Mono(Subnormal(frames, cb)), 1e-10},
        {"DC +1", Mono(std::vector<double>(frames, 1.0)), 16.0},
        {"DC -1 both channels",
         Signal{std::vector<double>(frames, -1.0), std::vector<double>(frames, -1.0)}, 16.0},
        {"square 100 Hz", Mono(Square(frames, 100.0, 1.0)), 16.0},
        {"square 5 kHz both channels",
         Signal{Square(frames, 5000.0, 1.0), Square(frames, 5000.0, 1.0)}, 16.0},
    };
    for (const Case& c : cases)
    {
      SCOPED_TRACE(c.name);
      Host host;
      ASSERT_TRUE(host.Start(kRate, kBlock));
      const auto out = host.Process(cb, c.input, 0, frames, kBlock);
      EXPECT_EQ(FirstBadSample(out[0], cb), -1);
      EXPECT_LE(Peak(out[0]), c.maxPeak);
    }
  }
}

TEST(HostileSignals, TailAfterLoudInputDecaysToSilence)
{
  for (Callback cb : kCallbacks)
  {
    SCOPED_TRACE(CallbackName(cb));
    Host host;
    ASSERT_TRUE(host.Start(kRate, kBlock));
    const size_t loudFrames = size_t(kRate / 2), quietFrames = size_t(kRate * 2);
    std::vector<double> program = Square(loudFrames, 80.0, 1.0);
    program.resize(loudFrames + quietFrames, 0.0);
    const auto out = host.Process(cb, Mono(program), 0, program.size(), kBlock);

    EXPECT_EQ(FirstBadSample(out[0], cb), -1);
    EXPECT_GT(Peak(out[0], 0, loudFrames), 0.01);
    // Within half a second of silence the tail is below -120 dBFS, and it stays there.
    const size_t settled = loudFrames + size_t(kRate / 2);
    EXPECT_LT(Peak(out[0], settled), 1e-6);
    // The last second is as quiet as a freshly started instance's silence.
    EXPECT_LT(Peak(out[0], program.size() - size_t(kRate)), 1e-10);
  }
}
