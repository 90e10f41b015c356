#include "standalone/StandaloneArgs.h"

#include <cstdlib>
#include <cstring>

namespace
{
// NAME=VALUE with both sides non-empty.
bool SplitPair(const char* v, std::string* name, std::string* value)
{
  const char* eq = std::strchr(v, '=');
  if (!eq || eq == v || !eq[1]) return false;
  *name = std::string(v, eq);
  *value = std::string(eq + 1);
  return true;
}
} // namespace

const char* StandaloneUsage()
{
  return "usage: quorvane [options]\n"
         "Plays the Quorvane overdrive live on the JACK server (JACK 2 or PipeWire).\n"
         "  --headless           run without a window; stop with Ctrl-C or SIGTERM\n"
         "  --no-connect         leave every connection to the user\n"
         "  --input PORT         connect PORT to in_1 (given twice: in_2 too)\n"
         "  --output PORT        connect out_1 to PORT (given twice: out_2 too)\n"
         "  --stereo             take a second input, in_2\n"
         "  --server NAME        the JACK server to use (default: the usual one)\n"
         "  --load FILE          start from a program (.fxp) or bank (.fxb) file\n"
         "  --param NAME=VALUE   set a parameter by name to a plain value or display text\n"
         "  --cc NAME=N          MIDI control change N (0-119) drives the parameter NAME\n"
         "  --state FILE         where the sound is kept between runs\n"
         "                       (default $XDG_CONFIG_HOME/quorvane/state)\n"
         "  -h, --help           this text\n"
         "MIDI on midi_in: program change selects a preset; CC 7 drives Level and\n"
         "CC 11 drives Drive unless --cc maps them elsewhere.\n";
}

bool ParseStandaloneArgs(int argc, const char* const* argv, StandaloneArgs* args,
                         std::string* error)
{
  *args = StandaloneArgs{};
  error->clear();
  auto value = [&](int& i, const char* opt) -> const char*
  {
    if (i + 1 >= argc || !argv[i + 1])
    {
      *error = std::string(opt) + " needs a value";
      return nullptr;
    }
    return argv[++i];
  };
  for (int i = 1; i < argc; ++i)
  {
    const std::string a = argv[i] ? argv[i] : "";
    if (a == "-h" || a == "--help")
    {
      args->help = true;
      return true;
    }
    else if (a == "--headless")
      args->headless = true;
    else if (a == "--no-connect")
      args->connect = false;
    else if (a == "--stereo")
      args->stereo = true;
    else if (a == "--input" || a == "--output" || a == "--server" || a == "--load" ||
             a == "--state")
    {
      const char* v = value(i, a.c_str());
      if (!v) return false;
      if (!*v)
      {
        *error = a + " needs a non-empty value";
        return false;
      }
      if (a == "--input")
        args->inputs.push_back(v);
      else if (a == "--output")
        args->outputs.push_back(v);
      else if (a == "--server")
        args->server = v;
      else if (a == "--load")
        args->load = v;
      else
        args->statePath = v;
    }
    else if (a == "--param")
    {
      const char* v = value(i, "--param");
      if (!v) return false;
      std::string name, text;
      if (!SplitPair(v, &name, &text))
      {
        *error = std::string("--param expects NAME=VALUE, got '") + v + "'";
        return false;
      }
      args->params.emplace_back(name, text);
    }
    else if (a == "--cc")
    {
      const char* v = value(i, "--cc");
      if (!v) return false;
      std::string name, number;
      char* end = nullptr;
      const long n = SplitPair(v, &name, &number) ? std::strtol(number.c_str(), &end, 10) : -1;
      if (!end || *end != '\0' || n < 0 || n > 119)
      {
        *error = std::string("--cc expects NAME=N with N from 0 to 119, got '") + v + "'";
        return false;
      }
      args->controllers.emplace_back(name, int(n));
    }
    else
    {
      *error = "unknown argument '" + a + "'";
      return false;
    }
  }
  const size_t maxIn = args->stereo ? 2 : 1;
  if (args->inputs.size() > maxIn)
  {
    *error = args->stereo ? "at most two --input ports" : "a second --input needs --stereo";
    return false;
  }
  if (args->outputs.size() > 2)
  {
    *error = "at most two --output ports";
    return false;
  }
  return true;
}
