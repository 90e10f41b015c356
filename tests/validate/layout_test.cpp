// Bus layouts switched between blocks, as hosts do when a track changes from stereo
// to mono: every block's output equals that of an instance that had the block's
// layout from the start.
#include "tests/validate/ValidationHost.h"

using namespace validation;

namespace
{
constexpr Layout kStereo{2, 2}, kMonoToStereo{1, 2}, kMono{1, 1};

// A signal kept well away from zero (0.25 to 0.75), so that the effect's tiny noise
// table, which differs from instance to instance, never changes a sum's rounding;
// every value is a multiple of 2^-12, so halves and sums are exact in float too.
std::vector<double> Program(size_t frames)
{
  std::vector<double> s(frames);
  Noise noise(777);
  for (size_t i = 0; i < frames; ++i)
    s[i] = std::round((0.5 + 0.25 * noise.Next()) * 4096.0) / 4096.0;
  return s;
}

// The host's input for a layout: stereo carries the program split in two halves
// (the effect sums its inputs), mono carries it on the left and, on the right
// where nothing is connected, a loud signal the plug-in must not hear.
Signal Input(const std::vector<double>& program, Layout layout)
{
  Signal s{program, std::vector<double>(program.size(), 0.9)};
  if (layout.nIn == 2)
    for (size_t i = 0; i < program.size(); ++i)
      s.left[i] = s.right[i] = program[i] / 2.0;
  return s;
}
} // namespace

TEST(BusLayouts, SwitchedBetweenBlocksMatchAFreshInstanceWithThatLayout)
{
  constexpr int kBlock = 256;
  // Stereo to mono is the switch that used to replay the last right-channel block.
  const Layout sequence[] = {kStereo, kMono,         kStereo, kMonoToStereo,
                             kMono,   kMonoToStereo, kStereo, kMono};
  const size_t frames = kBlock * std::size(sequence);
  const std::vector<double> program = Program(frames);

  for (Callback cb : kCallbacks)
  {
    SCOPED_TRACE(CallbackName(cb));
    // One reference per layout, each set once before processing anything.
    std::vector<std::vector<std::vector<double>>> reference;
    for (Layout layout : {kStereo, kMonoToStereo, kMono})
    {
      Host fresh;
      ASSERT_TRUE(fresh.Start(48000.0, kBlock));
      fresh.SetLayout(layout);
      reference.push_back(fresh.Process(cb, Input(program, layout), 0, frames, kBlock));
    }
    auto referenceOf = [&](Layout l) -> const std::vector<std::vector<double>>& {
      return reference[l.nIn == 2 ? 0 : l.nOut == 2 ? 1 : 2];
    };

    Host host;
    ASSERT_TRUE(host.Start(48000.0, kBlock));
    for (size_t b = 0; b < std::size(sequence); ++b)
    {
      const Layout layout = sequence[b];
      SCOPED_TRACE(testing::Message()
                   << "block " << b << ": " << layout.nIn << " in, " << layout.nOut << " out");
      host.SetLayout(layout);
      const auto out = host.Process(cb, Input(program, layout), b * kBlock, kBlock, kBlock);
      ASSERT_EQ(int(out.size()), layout.nOut);
      for (int c = 0; c < layout.nOut; ++c)
      {
        const std::vector<double>& ref = referenceOf(layout)[size_t(c)];
        EXPECT_EQ(out[size_t(c)], std::vector<double>(ref.begin() + long(b * kBlock),
                                                      ref.begin() + long((b + 1) * kBlock)))
            << "output " << c;
      }
    }
  }
}

TEST(BusLayouts, MissingChannelArraysReadSilenceAndWriteNothing)
{
  // A host that hands no input or output array for a block gives silence in and
  // takes nothing out: the plug-in must neither read nor write the buffers of the
  // block before, which the host may have freed or reused.
  constexpr int kBlock = 256;
  const std::vector<double> program = Program(kBlock);
  for (Callback cb : kCallbacks)
  {
    SCOPED_TRACE(CallbackName(cb));
    for (bool blockLonger : {false, true}) // host blocks within and beyond the block size
    {
      const int announced = blockLonger ? kBlock / 4 : kBlock;
      Host host, reference;
      ASSERT_TRUE(host.Start(48000.0, announced));
      ASSERT_TRUE(reference.Start(48000.0, announced));
      AEffect* e = host.Effect();

      const Signal stereo = Input(program, kStereo); // both channels carry half
      std::vector<float> fIn(stereo.left.begin(), stereo.left.end()), fOut(kBlock), fRight(kBlock);
      std::vector<double> dIn(stereo.left), dOut(kBlock), dRight(kBlock);
      float* fi[2] = {fIn.data(), fIn.data()};
      float* fo[2] = {fOut.data(), fRight.data()};
      double* di[2] = {dIn.data(), dIn.data()};
      double* dout[2] = {dOut.data(), dRight.data()};
      auto run = [&](bool withIn, bool withOut)
      {
        if (cb == Callback::kDouble)
          e->processDoubleReplacing(e, withIn ? di : nullptr, withOut ? dout : nullptr, kBlock);
        else if (cb == Callback::kReplacing)
          e->processReplacing(e, withIn ? fi : nullptr, withOut ? fo : nullptr, kBlock);
        else
          e->process(e, withIn ? fi : nullptr, withOut ? fo : nullptr, kBlock);
      };
      run(true, true);
      reference.Process(cb, stereo, 0, kBlock, kBlock);

      // No outputs: the last block's output buffers stay untouched.
      std::fill(fOut.begin(), fOut.end(), 7.0f);
      std::fill(dOut.begin(), dOut.end(), 7.0);
      run(true, false);
      EXPECT_EQ(fOut, std::vector<float>(kBlock, 7.0f));
      EXPECT_EQ(dOut, std::vector<double>(kBlock, 7.0));
      reference.Process(cb, stereo, 0, kBlock, kBlock);

      // No inputs: the block sounds like silence, not like the last input again.
      std::fill(fOut.begin(), fOut.end(), 0.0f);
      run(false, true);
      const auto silent =
          reference.Process(cb, Mono(std::vector<double>(kBlock, 0.0)), 0, kBlock, kBlock);
      for (int i = 0; i < kBlock; ++i)
      {
        const double got = cb == Callback::kDouble ? dOut[size_t(i)] : double(fOut[size_t(i)]);
        // The two instances' noise tables differ by parts in 1e-18, which may move a
        // float output by an ulp; the last input again differs by a whole signal.
        ASSERT_NEAR(got, silent[0][size_t(i)], 1e-6) << "frame " << i;
      }
    }
  }
}
