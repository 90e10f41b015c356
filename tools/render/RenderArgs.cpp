#include "tools/render/RenderArgs.h"

#include "tools/render/HostProgramFiles.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
// A name ending in ".png" (any case) after something that is not a folder separator.
bool IsPngName(const std::string& path)
{
  if (path.size() < 5 || path[path.size() - 5] == '/') return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".png";
}

bool ParseNumber(const char* text, double* out)
{
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}
} // namespace

const char* RenderUsage()
{
  return "usage: quorvane-render [options] INPUT OUTPUT\n"
         "       quorvane-render [options] --demo OUTPUT\n"
         "       quorvane-render [options] (--snapshot FILE.png | --response FILE.png)...\n"
         "       quorvane-render [options] --save FILE | --list-programs   (no rendering)\n"
         "Renders an audio file (WAV, FLAC or AIFF; mono or stereo) through a VST 2 plug-in.\n"
         "  --plugin PATH        the plug-in .so (default: the built Quorvane.so)\n"
         "  --demo               use the built-in guitar riff (10 s, mono) as input\n"
         "  --param NAME=VALUE   set a parameter by name to a plain value or display text\n"
         "                       (for example Drive=0.8 or Effect=Off); repeatable\n"
         "  --rate HZ            sample rate of the demo riff (default 48000); a file's\n"
         "                       rate must match if given (no resampling)\n"
         "  --block N            frames per process call, 1 to 65536 (default 512)\n"
         "  --precision float|double   process callback to use (default float)\n"
         "  --bypass             write the input unchanged, without loading a plug-in\n"
         "  --snapshot FILE.png  open the plug-in's X11 editor and save a picture of it\n"
         "                       (needs a display; run under xvfb-run -a when there is none)\n"
         "  --response FILE.png  draw the plug-in's small-signal magnitude response\n"
         "                       (an impulse into input 1, 20 Hz to 20 kHz)\n"
         "  --response-level DB  the impulse's peak, -100 to -6 dBFS (default -40); lower\n"
         "                       keeps a distortion closer to linear\n"
         "  --load FILE          apply a program (.fxp) or bank (.fxb) file before the\n"
         "                       --param settings; refused when made for another plug-in\n"
         "  --save FILE          write the plug-in's state after the settings to FILE.fxp\n"
         "                       (current program) or FILE.fxb (every program)\n"
         "  --list-programs      print the plug-in's programs (* marks the current one)\n"
         "  -h, --help           this text\n"
         "The output format follows the output file's extension (.wav, .flac, .aif/.aiff).\n"
         "With --snapshot or --response no audio files are needed; given, they are rendered\n"
         "first and the pictures show the plug-in at the same settings.\n";
}

bool ParseRenderArgs(int argc, const char* const* argv, RenderArgs* args, std::string* error)
{
  *args = RenderArgs();
  std::vector<std::string> files;
  auto value = [&](int& i, const char* opt) -> const char*
  {
    if (i + 1 >= argc)
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
    else if (a == "--demo")
      args->demo = true;
    else if (a == "--bypass")
      args->bypass = true;
    else if (a == "--plugin")
    {
      const char* v = value(i, "--plugin");
      if (!v) return false;
      if (!*v)
      {
        *error = "--plugin needs a path";
        return false;
      }
      args->plugin = v;
    }
    else if (a == "--param")
    {
      const char* v = value(i, "--param");
      if (!v) return false;
      const char* eq = std::strchr(v, '=');
      if (!eq || eq == v || !eq[1])
      {
        *error = std::string("--param expects NAME=VALUE, got '") + v + "'";
        return false;
      }
      args->params.emplace_back(std::string(v, eq), std::string(eq + 1));
    }
    else if (a == "--load" || a == "--save")
    {
      const char* v = value(i, a.c_str());
      if (!v) return false;
      if (!*v)
      {
        *error = a + " needs a file";
        return false;
      }
      if (a == "--save" && ProgramFileKindOfPath(v) == FxFileKind::kUnknown)
      {
        *error = std::string("--save expects a .fxp or .fxb file, got '") + v + "'";
        return false;
      }
      (a == "--load" ? args->load : args->save) = v;
    }
    else if (a == "--list-programs")
      args->listPrograms = true;
    else if (a == "--rate")
    {
      const char* v = value(i, "--rate");
      if (!v) return false;
      double r = 0.0;
      if (!ParseNumber(v, &r) || r < 8000.0 || r > 768000.0)
      {
        *error =
            std::string("--rate expects a sample rate from 8000 to 768000 Hz, got '") + v + "'";
        return false;
      }
      args->rate = r;
    }
    else if (a == "--block")
    {
      const char* v = value(i, "--block");
      if (!v) return false;
      double b = 0.0;
      if (!ParseNumber(v, &b) || b != std::floor(b) || b < 1.0 || b > 65536.0)
      {
        *error = std::string("--block expects a whole number from 1 to 65536, got '") + v + "'";
        return false;
      }
      args->block = int(b);
    }
    else if (a == "--precision")
    {
      const char* v = value(i, "--precision");
      if (!v) return false;
      if (std::strcmp(v, "float") == 0)
        args->doublePrecision = false;
      else if (std::strcmp(v, "double") == 0)
        args->doublePrecision = true;
      else
      {
        *error = std::string("--precision expects float or double, got '") + v + "'";
        return false;
      }
    }
    else if (a == "--snapshot" || a == "--response")
    {
      const char* v = value(i, a.c_str());
      if (!v) return false;
      if (!IsPngName(v))
      {
        *error = a + " expects a .png file, got '" + v + "'";
        return false;
      }
      (a == "--snapshot" ? args->snapshot : args->response) = v;
    }
    else if (a == "--response-level")
    {
      const char* v = value(i, "--response-level");
      if (!v) return false;
      double db = 0.0;
      if (!ParseNumber(v, &db) || db < -100.0 || db > -6.0)
      {
        *error = std::string("--response-level expects -100 to -6 dBFS, got '") + v + "'";
        return false;
      }
      args->responseLevelDb = db;
    }
    else if (a.size() > 1 && a[0] == '-')
    {
      *error = "unknown option '" + a + "'";
      return false;
    }
    else
      files.push_back(a);
  }
  const bool pictures = !args->snapshot.empty() || !args->response.empty();
  const bool programWork = !args->load.empty() || !args->save.empty() || args->listPrograms;
  if (pictures && args->bypass)
  {
    *error = "--bypass loads no plug-in, so there is nothing to picture";
    return false;
  }
  if (!args->snapshot.empty() && args->snapshot == args->response)
  {
    *error = "--snapshot and --response name the same file";
    return false;
  }
  if (args->bypass && programWork)
  {
    *error = "--bypass loads no plug-in; it cannot take --load, --save or --list-programs";
    return false;
  }
  // Pictures, saving or listing alone need no audio.
  if (files.empty() && !args->demo && (pictures || !args->save.empty() || args->listPrograms))
  {
    args->render = false;
    return true;
  }
  const size_t want = args->demo ? 1 : 2;
  if (files.size() != want)
  {
    if (args->demo)
      *error = files.empty() ? "--demo needs an OUTPUT file"
                             : "--demo takes only an OUTPUT file, no INPUT";
    else
      *error = files.size() < 2 ? "need an INPUT and an OUTPUT file (or --demo OUTPUT)"
                                : "too many files given";
    return false;
  }
  if (!args->demo) args->input = files[0];
  args->output = files.back();
  if (!args->demo && args->input == args->output)
  {
    *error = "INPUT and OUTPUT are the same file";
    return false;
  }
  return true;
}
