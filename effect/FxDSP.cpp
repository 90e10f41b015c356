#include "effect/FxDSP.h"

#include <cstring>
#include <type_traits>

// dspFullReset zero-fills the object, and the processor copies it per block.
static_assert(std::is_trivially_copyable<FxDSP>::value && std::is_standard_layout<FxDSP>::value,
              "FxDSP must stay plain arrays of doubles");

void FxDSP::biquadFilterInit(int slot, int type, double freq, double bandwidth, double gainDb,
                             double sampleRate)
{
  const double w0 = freq * 6.283185307179586 / sampleRate;
  const double sn = std::sin(w0);
  const double cs = std::cos(w0);
  // Bandwidth in octaves; the constant is ln 2 / 2.
  const double alpha = sn * std::sinh(0.34657359027997264 * bandwidth * w0 / sn);
  // Amplitude at the shelf or peak is A², so A carries half the gain.
  const double A = std::pow(10.0, gainDb / 40.0);

  double rb0, rb1, rb2, ra0, ra1, ra2;
  switch (type)
  {
  case kHighPass:
    rb0 = (1.0 + cs) / 2.0;
    rb1 = -(1.0 + cs);
    rb2 = (1.0 + cs) / 2.0;
    ra0 = 1.0 + alpha;
    ra1 = -2.0 * cs;
    ra2 = 1.0 - alpha;
    break;
  case kBandPass:
    rb0 = alpha;
    rb1 = 0.0;
    rb2 = -alpha;
    ra0 = 1.0 + alpha;
    ra1 = -2.0 * cs;
    ra2 = 1.0 - alpha;
    break;
  case kNotch:
    rb0 = 1.0;
    rb1 = -2.0 * cs;
    rb2 = 1.0;
    ra0 = 1.0 + alpha;
    ra1 = -2.0 * cs;
    ra2 = 1.0 - alpha;
    break;
  case kPeaking:
    rb0 = 1.0 + alpha * A;
    rb1 = -2.0 * cs;
    rb2 = 1.0 - alpha * A;
    ra0 = 1.0 + alpha / A;
    ra1 = -2.0 * cs;
    ra2 = 1.0 - alpha / A;
    break;
  case kLowShelf:
  {
    // A deliberately skewed shelf: the cosine is of 0.41·w0 (not w0) and the slope
    // term divides by 1.41, both constants being the single-precision values.
    const double c = std::cos(w0 * 0.4099999964237213);
    const double bsn = std::sqrt(A) / 1.409999966621399 * sn;
    rb0 = A * ((A + 1.0) - (A - 1.0) * c + bsn);
    rb1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * c);
    rb2 = A * ((A + 1.0) - (A - 1.0) * c - bsn);
    ra0 = (A + 1.0) + (A - 1.0) * c + bsn;
    ra1 = -2.0 * ((A - 1.0) + (A + 1.0) * c);
    ra2 = (A + 1.0) + (A - 1.0) * c - bsn;
    break;
  }
  case kHighShelf:
  {
    const double beta = std::sqrt(A + A);
    rb0 = A * ((A + 1.0) + (A - 1.0) * cs + beta * sn);
    rb1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * cs);
    rb2 = A * ((A + 1.0) + (A - 1.0) * cs - beta * sn);
    ra0 = (A + 1.0) - (A - 1.0) * cs + beta * sn;
    ra1 = 2.0 * ((A - 1.0) - (A + 1.0) * cs);
    ra2 = (A + 1.0) - (A - 1.0) * cs - beta * sn;
    break;
  }
  default: // kLowPass and every unknown type
    rb0 = (1.0 - cs) / 2.0;
    rb1 = 1.0 - cs;
    rb2 = (1.0 - cs) / 2.0;
    ra0 = 1.0 + alpha;
    ra1 = -2.0 * cs;
    ra2 = 1.0 - alpha;
    break;
  }

  b0[slot] = rb0 / ra0;
  b1[slot] = rb1 / ra0;
  b2[slot] = rb2 / ra0;
  a1[slot] = ra1 / ra0;
  a2[slot] = ra2 / ra0;
}

void FxDSP::biquadFilterReset()
{
  std::memset(x1, 0, sizeof x1);
  std::memset(x2, 0, sizeof x2);
  std::memset(y1, 0, sizeof y1);
  std::memset(y2, 0, sizeof y2);
}

// c is the pole: exp(-2π f / rate).
void FxDSP::OnePoleLPFilterInit(int slot, double freq, double sampleRate)
{
  const double c = std::exp(freq * -6.283185307179586 / sampleRate);
  lpA0[slot] = 1.0 - c;
  lpB1[slot] = -c;
}

void FxDSP::OnePoleHPFilterInit(int slot, double freq, double sampleRate)
{
  const double c = std::exp(freq * -6.283185307179586 / sampleRate);
  hpA0[slot] = 1.0 - c;
  hpB1[slot] = -c;
}

void FxDSP::dspFullReset()
{
  std::memset(static_cast<void*>(this), 0, sizeof *this);
}
