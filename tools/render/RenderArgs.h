#pragma once
// Command line of quorvane-render, parsed apart from any file or plug-in work so
// that every rejection can be tested.
#include <string>
#include <utility>
#include <vector>

struct RenderArgs
{
  std::string plugin;             // empty: the built Quorvane.so
  std::string input;              // empty with demo
  std::string output;             // empty when only pictures are asked for
  std::string snapshot;           // --snapshot: the editor as a PNG
  std::string response;           // --response: the small-signal response as a PNG
  double responseLevelDb = -40.0; // peak of the response's impulse, dBFS
  bool demo = false;
  bool bypass = false; // write the input unchanged, without loading a plug-in
  bool help = false;
  double rate = 0.0; // 0: the input's rate (48000 for the demo)
  int block = 512;
  bool doublePrecision = false;
  std::vector<std::pair<std::string, std::string>> params; // name, plain value text
  std::string load; // a program or bank file applied before the parameters
  std::string save; // .fxp or .fxb written after the parameters are set
  bool listPrograms = false;
  // False when only --save or --list-programs was asked for, without audio files.
  bool render = true;
};

// Parses argv[1..argc-1]. On failure returns false and sets error to a message
// that names the offending argument.
bool ParseRenderArgs(int argc, const char* const* argv, RenderArgs* args, std::string* error);

const char* RenderUsage();
