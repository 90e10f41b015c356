#include "tools/render/DemoRiff.h"

#include <cmath>
#include <cstdint>

namespace
{
// One plucked string: a delay line one period long, filled with a burst of
// noise and fed back through a two-point average, which loses the highs first
// as a real string does. The decay factor sets how long the note rings.
class PluckedString
{
public:
  void Pluck(double sampleRate, double freq, float amplitude, double brightness, uint32_t& seed)
  {
    mPeriod = int(std::lround(sampleRate / freq));
    if (mPeriod < 2) mPeriod = 2;
    mLine.assign(size_t(mPeriod), 0.0f);
    // Low-passed noise: brightness 1 keeps the raw burst, lower values soften the pick.
    float smooth = 0.0f;
    for (float& s : mLine)
    {
      seed = seed * 1664525u + 1013904223u;
      const float white = float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 23);
      smooth += float(brightness) * (white - smooth);
      s = amplitude * smooth;
    }
    // A burst with a mean would leave a DC step that the string's loop keeps.
    float mean = 0.0f;
    for (float s : mLine)
      mean += s;
    mean /= float(mLine.size());
    for (float& s : mLine)
      s -= mean;
    mPos = 0;
    mDamp = 1.0f;
    mDampStep = 0.0f;
  }
  // Palm or fret-hand muting: fade out over the given number of samples.
  void Mute(int samples) { mDampStep = samples > 0 ? 1.0f / float(samples) : 1.0f; }

  float Next(float decay)
  {
    if (mLine.empty()) return 0.0f;
    const size_t next = (mPos + 1) % mLine.size();
    const float out = mLine[mPos];
    mLine[mPos] = decay * 0.5f * (mLine[mPos] + mLine[next]);
    mPos = next;
    if (mDampStep > 0.0f)
    {
      mDamp -= mDampStep;
      if (mDamp <= 0.0f)
      {
        mLine.clear();
        return 0.0f;
      }
    }
    return out * mDamp;
  }

private:
  std::vector<float> mLine;
  size_t mPos = 0;
  int mPeriod = 2;
  float mDamp = 1.0f;
  float mDampStep = 0.0f;
};

struct Hit
{
  int eighths;    // length in eighth notes
  int root;       // MIDI note; 0 is a rest
  bool chord;     // root, fifth and octave (a power chord) instead of a single note
  bool palmMuted; // short, dark note
};

// Two bars in E minor at 120 bpm, played twice, ending on a chord that rings out:
// 34 eighths and a 1.5 s tail make 10 s.
const Hit kRiff[] = {
    {1, 40, false, true}, {1, 40, false, true}, {1, 43, true, false}, {1, 40, false, true},
    {1, 45, true, false}, {1, 40, false, true}, {2, 47, true, false}, {1, 40, false, true},
    {1, 40, false, true}, {1, 43, true, false}, {1, 40, false, true}, {1, 50, true, false},
    {1, 48, true, false}, {2, 45, true, false},
};
} // namespace

double NoteFrequency(int note)
{
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

std::vector<float> SynthesizeDemoRiff(double sampleRate)
{
  if (!(sampleRate >= 8000.0 && sampleRate <= 768000.0)) return {};
  const double eighth = 0.25; // seconds at 120 bpm
  std::vector<Hit> hits;
  for (int rep = 0; rep < 2; ++rep)
    for (const Hit& h : kRiff)
      hits.push_back(h);
  hits.back() = {4, 40, true, false}; // end on a ringing E chord
  int totalEighths = 0;
  for (const Hit& h : hits)
    totalEighths += h.eighths;

  const size_t total = size_t(std::lround((totalEighths * eighth + 1.5) * sampleRate));
  std::vector<float> out(total, 0.0f);
  PluckedString strings[3];
  uint32_t seed = 0x5eed1234u;
  size_t at = 0;
  for (const Hit& h : hits)
  {
    const size_t len = size_t(std::lround(h.eighths * eighth * sampleRate));
    const int notes[3] = {h.root, h.root + 7, h.root + 12};
    const int voices = h.chord ? 3 : 1;
    for (int v = 0; v < 3; ++v)
    {
      if (v < voices && h.root > 0)
        strings[v].Pluck(sampleRate, NoteFrequency(notes[v]), h.palmMuted ? 0.9f : 0.6f,
                         h.palmMuted ? 0.35 : 0.8, seed);
      else
        strings[v].Mute(int(0.01 * sampleRate));
    }
    if (h.palmMuted) strings[0].Mute(int(0.18 * sampleRate));
    // Per-sample loss: palm-muted notes die fast, open ones ring for seconds.
    const float decay = h.palmMuted ? 0.985f : 0.9995f;
    for (size_t i = 0; i < len && at + i < total; ++i)
      out[at + i] = strings[0].Next(decay) + strings[1].Next(decay) + strings[2].Next(decay);
    at += len;
  }
  for (size_t i = at; i < total; ++i)
  {
    // The last chord rings on and fades out over the tail.
    const float fade = float(total - i) / float(total - at);
    out[i] =
        fade * (strings[0].Next(0.9998f) + strings[1].Next(0.9998f) + strings[2].Next(0.9998f));
  }

  float peak = 0.0f;
  for (float s : out)
    peak = std::fmax(peak, std::fabs(s));
  if (peak > 0.0f)
    for (float& s : out)
      s *= 0.5f / peak;
  return out;
}
