#pragma once
// The render tool's built-in input: a guitar riff of about ten seconds made by
// plucked-string synthesis, so the demo needs no audio file.
#include <vector>

// Mono samples at sampleRate, peaking at 0.5 (-6 dBFS). The same rate always
// gives the same samples.
std::vector<float> SynthesizeDemoRiff(double sampleRate);

// MIDI note number to frequency in Hz (A4 = note 69 = 440 Hz).
double NoteFrequency(int note);
