#pragma once
// Command line of the `quorvane` app, parsed apart from any audio or file work so
// that every rejection can be tested.
#include <string>
#include <utility>
#include <vector>

struct StandaloneArgs
{
  bool headless = false; // no window; runs until SIGINT or SIGTERM
  bool connect = true;   // connect to the first physical ports unless told where
  bool stereo = false;   // a second input port, in_2
  bool help = false;
  std::string server;               // empty: the default JACK server
  std::vector<std::string> inputs;  // ports to feed in_1, in_2 (in order)
  std::vector<std::string> outputs; // ports out_1, out_2 feed (in order)
  std::string load;                 // a program or bank file, or empty
  std::string statePath;            // empty: the default under the config folder
  std::vector<std::pair<std::string, std::string>> params; // name, plain value text
  std::vector<std::pair<std::string, int>> controllers;    // parameter name, CC number
};

// Parses argv[1..argc-1]. On failure returns false and sets error to a message that
// names the offending argument.
bool ParseStandaloneArgs(int argc, const char* const* argv, StandaloneArgs* args,
                         std::string* error);

const char* StandaloneUsage();
