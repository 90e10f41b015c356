#include "platform/linux/DesktopServices.h"

#include "platform/common/DialogRules.h"
#include "platform/linux/ChildProcess.h"
#include "util/UTL_String.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
// The dialog programs do not expand "~" themselves.
std::string ExpandHome(const char* path)
{
  std::string p = path ? path : "";
  const char* home = std::getenv("HOME");
  if (home && *home && !p.empty() && p[0] == '~' && (p.size() == 1 || p[1] == '/'))
    p = home + p.substr(1);
  return p;
}

// The folder with the default name in it, as both programs take their start location.
std::string StartLocation(const char* directory, const char* defaultName)
{
  std::string start = ExpandHome(directory);
  if (!start.empty() && start.back() != '/') start += '/';
  if (defaultName) start += defaultName;
  return start;
}

// "*.fxp *.fxb", or "" for no filter.
std::string GlobPatterns(const char* extensions)
{
  std::string patterns;
  for (const std::string& type : SplitFileTypes(extensions))
    patterns += (patterns.empty() ? "*." : " *.") + type;
  return patterns;
}

// One line of a program's answer, without its line end.
std::string FirstLine(const std::string& output)
{
  const size_t end = output.find_first_of("\r\n");
  return end == std::string::npos ? output : output.substr(0, end);
}

const char* OrEmpty(const char* text)
{
  return text ? text : "";
}
} // namespace

bool RunFileDialog(EFileAction action, const char* defaultName, const char* directory,
                   const char* extensions, UTL_String* chosen)
{
  if (chosen) chosen->Set("");
  const bool save = action == kFileSave;
  const std::string start = StartLocation(directory, defaultName);
  const std::string patterns = GlobPatterns(extensions);

  std::vector<std::string> zenity = {"zenity", "--file-selection",
                                     save ? "--title=Save" : "--title=Open"};
  if (save)
  {
    zenity.push_back("--save");
    zenity.push_back("--confirm-overwrite");
  }
  if (!start.empty()) zenity.push_back("--filename=" + start);
  if (!patterns.empty()) zenity.push_back("--file-filter=" + patterns + " | " + patterns);
  ChildProcessResult r = RunChildProcess(zenity, true);
  if (!r.started)
  {
    std::vector<std::string> kdialog = {"kdialog", save ? "--getsavefilename" : "--getopenfilename",
                                        start.empty() ? ExpandHome("~") : start};
    if (!patterns.empty()) kdialog.push_back(patterns);
    r = RunChildProcess(kdialog, true);
  }
  // Both print the path and exit 0 on OK; a cancel exits 1 with nothing printed.
  const std::string path = FirstLine(r.output);
  if (!r.started || (r.exited && r.exitCode != 0) || path.empty()) return false;
  if (chosen) chosen->Set(path.c_str());
  return true;
}

int RunMessageBox(const char* text, const char* caption, int type)
{
  const MessageBoxButtons buttons = MessageBoxButtonsFor(type);
  const std::string title = std::string("--title=") + OrEmpty(caption);
  const std::string message = std::string("--text=") + OrEmpty(text);

  // zenity --question answers 0 for its OK label and 1 for its Cancel label, for Escape
  // and for closing the window; an extra button prints its label and answers 1. Closing
  // a Yes-No-Cancel box must not mean "No", so there Cancel takes the Cancel label.
  std::vector<std::string> zenity = {"zenity", title, message, "--no-wrap"};
  MessageBoxResponse onOne = MessageBoxResponse::None;
  if (!buttons.alternateButton)
    zenity.insert(zenity.begin() + 1, "--info");
  else
  {
    zenity.insert(zenity.begin() + 1, "--question");
    zenity.push_back(std::string("--ok-label=") +
                     (buttons.defaultButton ? buttons.defaultButton : "OK"));
    if (buttons.otherButton)
    {
      zenity.push_back(std::string("--cancel-label=") + buttons.otherButton);
      zenity.push_back(std::string("--extra-button=") + buttons.alternateButton);
      onOne = MessageBoxResponse::Other;
    }
    else
    {
      zenity.push_back(std::string("--cancel-label=") + buttons.alternateButton);
      onOne = MessageBoxResponse::Alternate;
    }
  }
  ChildProcessResult r = RunChildProcess(zenity, true);
  if (r.started)
  {
    if (!r.exited) return MessageBoxResult(MessageBoxResponse::None);
    if (r.exitCode == 0) return MessageBoxResult(MessageBoxResponse::Default);
    if (r.exitCode != 1) return MessageBoxResult(MessageBoxResponse::None);
    if (buttons.otherButton && FirstLine(r.output) == buttons.alternateButton)
      return MessageBoxResult(MessageBoxResponse::Alternate);
    return MessageBoxResult(onOne);
  }

  // kdialog answers 0 yes, 1 no, 2 cancel.
  std::vector<std::string> kdialog = {"kdialog", "--title", OrEmpty(caption)};
  if (!buttons.alternateButton)
    kdialog.insert(kdialog.end(), {"--msgbox", OrEmpty(text)});
  else if (buttons.otherButton)
    kdialog.insert(kdialog.end(), {"--yesnocancel", OrEmpty(text)});
  else
    kdialog.insert(kdialog.end(), {"--yesno", OrEmpty(text), "--yes-label",
                                   buttons.defaultButton ? buttons.defaultButton : "OK",
                                   "--no-label", buttons.alternateButton});
  r = RunChildProcess(kdialog, false);
  if (!r.started || !r.exited) return MessageBoxResult(MessageBoxResponse::None);
  switch (r.exitCode)
  {
  case 0:
    return MessageBoxResult(MessageBoxResponse::Default);
  case 1:
    return MessageBoxResult(buttons.alternateButton ? MessageBoxResponse::Alternate
                                                    : MessageBoxResponse::None);
  case 2:
    return MessageBoxResult(buttons.otherButton ? MessageBoxResponse::Other
                                                : MessageBoxResponse::None);
  default:
    return MessageBoxResult(MessageBoxResponse::None);
  }
}

bool OpenWithDesktop(const char* urlOrPath)
{
  if (!urlOrPath || !*urlOrPath) return false;
  std::string target = urlOrPath;
  // A leading "-" would read as an option of the opener.
  if (target[0] == '-')
  {
    if (IsWebURL(urlOrPath)) return false;
    target = "./" + target;
  }
  // The opener may stay until the browser it started exits; a second is enough to see
  // it fail on a bad address, after that it is taken as opened.
  const ChildProcessResult r = StartChildProcess({"xdg-open", target}, 1000);
  return r.started && (!r.exited || r.exitCode == 0);
}
