#include "platform/common/DialogRules.h"

#include "util/UTL_String.h"

#include <cstring>

FileDialogStart BeginFileDialog(UTL_String* fileName, UTL_String* directory, const char* extensions)
{
  FileDialogStart start;
  if (fileName) start.defaultName = fileName->Get();
  if (directory && directory->GetLength() > 0)
    start.directory = directory->Get();
  else
  {
    start.directory = kDefaultDialogDirectory;
    if (directory) directory->Set(kDefaultDialogDirectory);
  }
  if (fileName) fileName->Set("");
  start.fileTypes = SplitFileTypes(extensions);
  return start;
}

std::vector<std::string> SplitFileTypes(const char* extensions)
{
  std::vector<std::string> types;
  if (!extensions) return types;
  const char* piece = extensions;
  for (const char* p = extensions;; ++p)
  {
    if (*p == ' ' || *p == '\0')
    {
      if (p > piece) types.emplace_back(piece, size_t(p - piece));
      if (*p == '\0') break;
      piece = p + 1;
    }
  }
  return types;
}

void FinishFileDialog(const char* chosenPath, UTL_String* fileName, UTL_String* directory)
{
  if (!chosenPath) chosenPath = "";
  if (fileName) fileName->Set(chosenPath);
  // Trailing slashes belong to the last component ("/a/b/" is in "/a").
  size_t end = std::strlen(chosenPath);
  while (end > 1 && chosenPath[end - 1] == '/')
    --end;
  size_t slash = end;
  while (slash > 0 && chosenPath[slash - 1] != '/')
    --slash;
  if (slash == 0 || !directory) return;
  // slash is one past the separator: "/a/b/preset.fxp" keeps "/a/b/", "/x" keeps "/".
  directory->Set(chosenPath, int(slash));
}

MessageBoxButtons MessageBoxButtonsFor(int type)
{
  switch (type)
  {
  case kMessageBoxOKCancel:
    return {nullptr, "Cancel", nullptr};
  case kMessageBoxYesNoCancel:
    return {"Yes", "No", "Cancel"};
  case kMessageBoxYesNo:
    return {"Yes", "No", nullptr};
  default:
    return {nullptr, nullptr, nullptr};
  }
}

int MessageBoxResult(MessageBoxResponse response)
{
  switch (response)
  {
  case MessageBoxResponse::Default:
    return 1;
  case MessageBoxResponse::Alternate:
    return 7;
  case MessageBoxResponse::Other:
    return 2;
  default:
    return 0;
  }
}

bool IsWebURL(const char* text)
{
  return text && std::strstr(text, "http");
}
