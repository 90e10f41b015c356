#pragma once
// The small-signal magnitude response of a plug-in: a quiet impulse (-40 dBFS unless
// asked otherwise) through the plug-in at its current settings, its spectrum relative to
// the impulse, and a picture of it on a log frequency axis. Small-signal because a
// distortion is nonlinear: the quieter the impulse, the closer the curve to the
// plug-in's linear part; loud signals would measure the clipping too.
#include <functional>
#include <string>
#include <vector>

#include "raster/RAS_Bitmap.h"
#include "tools/render/VstHost.h"

// Peak of the measuring impulse unless asked otherwise, in dBFS.
constexpr double kDefaultResponseLevelDb = -40.0;

// Runs one block through the device measured: in feeds its first input, out receives its
// first output. Called with consecutive blocks, so state carries from one to the next.
using BlockProcessor = std::function<void(const float* in, float* out, int frames)>;

// The output to length frames that start with an impulse of peak level (linear, above 0),
// divided by that level (so a unit gain gives a unit impulse). settleFrames of silence go
// first so that start-up transients have died away. Blocks are block frames long.
std::vector<double> SmallSignalImpulseResponse(const BlockProcessor& process, int length, int block,
                                               int settleFrames, double level);

// Gain in dB of an impulse response at each frequency (Hz, ascending) for sample rate
// rate. With smoothingOctaves 0 the magnitude is read between the two nearest FFT bins;
// otherwise it is the power averaged over a band that wide about each frequency. A zero
// gain reads as -200 dB.
std::vector<double> MagnitudeDb(const std::vector<double>& impulseResponse, double rate,
                                const std::vector<double>& hz, double smoothingOctaves);

// count frequencies from lo to hi, evenly spaced on a log axis.
std::vector<double> LogFrequencies(double lo, double hi, int count);

struct ResponseSettings
{
  double rate = 48000.0; // the rate the plug-in was started at
  int block = 512;       // frames per process call
  double levelDb = kDefaultResponseLevelDb;
  double smoothingOctaves = 1.0 / 24.0; // see MagnitudeDb
};

// Measures a started plug-in at hz: effMainsChanged off and on for a fresh state, half a
// second of silence, then the impulse into input 1 (other inputs silent) and the response
// at output 1 over at least a second. Fails with a message when the plug-in has no audio
// input or output or no process callback this host can drive, or the settings are unusable.
bool MeasureSmallSignalResponse(VstPlugin& plugin, const ResponseSettings& settings,
                                const std::vector<double>& hz, std::vector<double>* db,
                                std::string* error);

// What the picture says beside the curve.
struct ResponseLabels
{
  std::string title;    // the plug-in's name
  std::string settings; // its parameter settings, wrapped to at most two lines
  double rate = 48000.0;
  double levelDb = kDefaultResponseLevelDb;
};

// Draws the curve (gains in dB at ascending frequencies from 20 Hz to 20 kHz) into bmp,
// resized to width x height: grid, axis labels, title, settings and the measuring level.
void DrawResponsePlot(const std::vector<double>& hz, const std::vector<double>& db,
                      const ResponseLabels& labels, int width, int height, RAS_MemBitmap* bmp);
