#pragma once
// The overdrive's arithmetic written straight out, every coefficient and state in
// local variables, no slots and no calls: the practical speed floor of the
// algorithm, against which the processor is measured. It must produce the
// processor's output bit for bit (a test checks this), which also proves it is the
// same algorithm. Blocks are at most the noise table's length.
//
// It runs 128-frame chunks in the same five passes as the processor. The chain is
// latency-bound: one sample's path crosses some twenty biquads in series, and the
// single-loop form of this function measures 1.7 times slower than the passes.
#include "effect/FxDSP.h"

namespace effect_floor
{

struct Biquad
{
  double b0, b1, b2, a1, a2, x1, x2, y1, y2;

  double operator()(double x)
  {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y + 1e-20;
  }
};

struct OnePole
{
  double a0, b1, z;

  double Low(double x)
  {
    z = a0 * x - b1 * z;
    return z + 1e-20;
  }
  double High(double x)
  {
    z = a0 * x - b1 * z;
    return x - z + 1e-20;
  }
};

inline Biquad LoadBiquad(const FxDSP& d, int s)
{
  return {d.b0[s], d.b1[s], d.b2[s], d.a1[s], d.a2[s], d.x1[s], d.x2[s], d.y1[s], d.y2[s]};
}

inline void StoreBiquad(FxDSP& d, int s, const Biquad& q)
{
  d.x1[s] = q.x1;
  d.x2[s] = q.x2;
  d.y1[s] = q.y1;
  d.y2[s] = q.y2;
}

inline double Shape(double x, double drive)
{
  double out;
  FxDSP::distortion2(x, 0.5, drive, out);
  return out;
}

// Runs n frames (n <= 44100) through the chain whose design and state dsp holds,
// leaving the new state in dsp, like the processor's effect-on path.
inline void Process(FxDSP& dsp, const double* noise, double drive, double levelGain,
                    const double* in0, const double* in1, double* out0, double* out1, int n)
{
  Biquad q0 = LoadBiquad(dsp, 0), q1 = LoadBiquad(dsp, 1), q2 = LoadBiquad(dsp, 2),
         q3 = LoadBiquad(dsp, 3), q4 = LoadBiquad(dsp, 4), q5 = LoadBiquad(dsp, 5),
         q6 = LoadBiquad(dsp, 6), q7 = LoadBiquad(dsp, 7), q8 = LoadBiquad(dsp, 8),
         q9 = LoadBiquad(dsp, 9), q10 = LoadBiquad(dsp, 10), q11 = LoadBiquad(dsp, 11),
         q12 = LoadBiquad(dsp, 12), q13 = LoadBiquad(dsp, 13), q14 = LoadBiquad(dsp, 14),
         q15 = LoadBiquad(dsp, 15), q16 = LoadBiquad(dsp, 16), q17 = LoadBiquad(dsp, 17),
         q18 = LoadBiquad(dsp, 18), q19 = LoadBiquad(dsp, 19), q20 = LoadBiquad(dsp, 20),
         q21 = LoadBiquad(dsp, 21), q22 = LoadBiquad(dsp, 22), q23 = LoadBiquad(dsp, 23),
         q24 = LoadBiquad(dsp, 24), q25 = LoadBiquad(dsp, 25);
  OnePole lp0{dsp.lpA0[0], dsp.lpB1[0], dsp.lpZ[0]}, lp1{dsp.lpA0[1], dsp.lpB1[1], dsp.lpZ[1]},
      lp2{dsp.lpA0[2], dsp.lpB1[2], dsp.lpZ[2]}, lp3{dsp.lpA0[3], dsp.lpB1[3], dsp.lpZ[3]};
  OnePole hp0{dsp.hpA0[0], dsp.hpB1[0], dsp.hpZ[0]}, hp1{dsp.hpA0[1], dsp.hpB1[1], dsp.hpZ[1]},
      hp2{dsp.hpA0[2], dsp.hpB1[2], dsp.hpZ[2]};
  const double driveD = drive * 500.0, driveB = drive * 75.0 + 3.0;

  constexpr int kChunk = 128;
  double pre[kChunk], mid[kChunk];
  for (int start = 0; start < n; start += kChunk)
  {
    const int len = n - start < kChunk ? n - start : kChunk;
    for (int i = 0; i < len; ++i)
    {
      const double x = in0[start + i] + in1[start + i] + noise[start + i];
      pre[i] = q0(x);
      double t = Shape(q4(q3(x)), driveD);
      t = lp3.Low(t);
      mid[i] = q7(t) * 1.305 + (q5(t) * 1.017 + q6(t) * 2.1 * 1.593);
    }
    for (int i = 0; i < len; ++i)
    {
      const double p = pre[i];
      double q = q1(p);
      q = lp0.Low(q + Shape(hp0.High(q), 32.4));
      const double A = q2(q);
      double r = Shape(Shape(hp1.High(lp1.Low(p)), driveB), 1.0);
      const double B = (hp2.High(r) * -0.07 + lp2.Low(r)) * 0.6;
      mid[i] = (mid[i] + A + B) * levelGain;
    }
    for (int i = 0; i < len; ++i)
      mid[i] = q15(q14(q13(q12(q11(q10(q9(q8(mid[i]))))))));
    for (int i = 0; i < len; ++i)
      mid[i] = q20(q19(q18(q17(q16(mid[i])))));
    for (int i = 0; i < len; ++i)
    {
      const double y = q25(q24(q23(q22(q21(mid[i])))));
      out1[start + i] = y;
      out0[start + i] = y;
    }
  }

  StoreBiquad(dsp, 0, q0);
  StoreBiquad(dsp, 1, q1);
  StoreBiquad(dsp, 2, q2);
  StoreBiquad(dsp, 3, q3);
  StoreBiquad(dsp, 4, q4);
  StoreBiquad(dsp, 5, q5);
  StoreBiquad(dsp, 6, q6);
  StoreBiquad(dsp, 7, q7);
  StoreBiquad(dsp, 8, q8);
  StoreBiquad(dsp, 9, q9);
  StoreBiquad(dsp, 10, q10);
  StoreBiquad(dsp, 11, q11);
  StoreBiquad(dsp, 12, q12);
  StoreBiquad(dsp, 13, q13);
  StoreBiquad(dsp, 14, q14);
  StoreBiquad(dsp, 15, q15);
  StoreBiquad(dsp, 16, q16);
  StoreBiquad(dsp, 17, q17);
  StoreBiquad(dsp, 18, q18);
  StoreBiquad(dsp, 19, q19);
  StoreBiquad(dsp, 20, q20);
  StoreBiquad(dsp, 21, q21);
  StoreBiquad(dsp, 22, q22);
  StoreBiquad(dsp, 23, q23);
  StoreBiquad(dsp, 24, q24);
  StoreBiquad(dsp, 25, q25);
  dsp.lpZ[0] = lp0.z, dsp.lpZ[1] = lp1.z, dsp.lpZ[2] = lp2.z, dsp.lpZ[3] = lp3.z;
  dsp.hpZ[0] = hp0.z, dsp.hpZ[1] = hp1.z, dsp.hpZ[2] = hp2.z;
}

} // namespace effect_floor
