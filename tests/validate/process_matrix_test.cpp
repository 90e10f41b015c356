// Every process callback at every common sample rate and block size, with host
// blocks shorter than, equal to and longer than the announced block size: the
// output is always finite, never subnormal, bounded for a full-scale input, and
// (near) silent for a silent input.
#include "tests/validate/ValidationHost.h"

using namespace validation;

namespace
{
constexpr int kBlockSizes[] = {1, 2, 17, 64, 512, 4096, 8192};

// +24 dBFS.
const double kCeiling = std::pow(10.0, 24.0 / 20.0);

// Full-scale noise with a full-scale square wave on the right, so both channels and
// their sum (up to +6 dBFS) reach the chain's clippers.
Signal FullScale(size_t frames, double rate)
{
  Signal s{std::vector<double>(frames), std::vector<double>(frames)};
  Noise noise(12345);
  const int halfPeriod = std::max(1, int(rate / 220.0 / 2.0));
  for (size_t i = 0; i < frames; ++i)
  {
    s.left[i] = noise.Next();
    s.right[i] = (i / size_t(halfPeriod)) % 2 ? -1.0 : 1.0;
  }
  return s;
}

class ProcessMatrix : public ::testing::TestWithParam<double>
{
};
} // namespace

TEST_P(ProcessMatrix, EveryCallbackAndBlockSizeGivesBoundedCleanOutput)
{
  const double rate = GetParam();
  for (Callback cb : kCallbacks)
    for (int block : kBlockSizes)
    {
      // Host blocks of a third of the block size, exactly the block size, and two
      // and a half block sizes (split by the binding); tiny blocks get a few hundred
      // frames so that the filters see more than their first samples.
      const int hostBlocks[] = {std::max(1, block / 3), block, block * 5 / 2};
      for (int hostBlock : hostBlocks)
      {
        SCOPED_TRACE(testing::Message()
                     << CallbackName(cb) << " block " << block << " host block " << hostBlock);
        const size_t frames = size_t(std::max(hostBlock * 2, 300));
        Host silent, loud;
        ASSERT_TRUE(silent.Start(rate, block));
        ASSERT_TRUE(loud.Start(rate, block));

        const auto quiet =
            silent.Process(cb, Mono(std::vector<double>(frames, 0.0)), 0, frames, hostBlock);
        const auto full = loud.Process(cb, FullScale(frames, rate), 0, frames, hostBlock);
        for (int c = 0; c < 2; ++c)
        {
          EXPECT_EQ(FirstBadSample(quiet[c], cb), -1) << "channel " << c;
          EXPECT_EQ(FirstBadSample(full[c], cb), -1) << "channel " << c;
          // The filters' 1e-20 offsets and the noise table are all a silent
          // input may leave: far below -200 dBFS.
          EXPECT_LT(Peak(quiet[c]), 1e-10) << "channel " << c;
          EXPECT_LE(Peak(full[c]), kCeiling) << "channel " << c;
        }
        // The chain really ran: a full-scale input is far from silent.
        EXPECT_GT(Peak(full[0]), 1e-3);
        EXPECT_EQ(full[0], full[1]);
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, ProcessMatrix,
                         ::testing::Values(8000.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0,
                                           192000.0, 384000.0),
                         [](const ::testing::TestParamInfo<double>& info)
                         { return std::to_string(int(info.param)) + "Hz"; });

TEST(HostileAutomation, OutOfRangeParameterValuesKeepTheOutputFinite)
{
  // Normalised values far outside 0..1, as a broken automation lane or a damaged
  // program file sends them; parameters are not clamped below their minimum, so
  // the chain itself must stay finite with whatever value arrives.
  const float values[] = {-3.0e38f, -1.0e8f, -1000.0f, -1.0f, -1.0e-40f, 2.0f, 1.0e8f, 3.0e38f};
  Noise noise(5);
  std::vector<double> signal(2048);
  for (double& s : signal)
    s = noise.Next();
  for (int param = 0; param < 6; ++param)
    for (float v : values)
    {
      SCOPED_TRACE(testing::Message() << "parameter " << param << " at " << v);
      Host host;
      ASSERT_TRUE(host.Start(44100.0, 512));
      AEffect* e = host.Effect();
      e->setParameter(e, param, v);
      const auto out = host.Process(Callback::kDouble, Mono(signal), 0, signal.size(), 512);
      EXPECT_EQ(FirstBadSample(out[0], Callback::kDouble), -1);
      // Back in range, the instance sounds as it should again.
      e->setParameter(e, param, 0.5f);
      const auto after = host.Process(Callback::kDouble, Mono(signal), 0, signal.size(), 512);
      EXPECT_EQ(FirstBadSample(after[0], Callback::kDouble), -1);
      EXPECT_LE(Peak(after[0]), kCeiling);
    }
}
