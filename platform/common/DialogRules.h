#pragma once
// What the editor's file dialogs, message boxes and URL opening do around the platform's
// own dialog: defaults, file types, the directory remembered after a choice, button sets
// and result codes. Every window layer calls these and supplies only the dialog itself.
#include <string>
#include <vector>

class UTL_String;

// The directory a file dialog opens at when the caller gives none. The tilde is kept as
// written; a layer whose dialog does not expand it does so itself.
constexpr const char* kDefaultDialogDirectory = "~/Desktop";

// What the dialog is shown with.
struct FileDialogStart
{
  std::string defaultName;            // the file-name argument; "" when it is empty
  std::string directory;              // never empty
  std::vector<std::string> fileTypes; // extensions without a dot, in the given order
};

// Reads the defaults and prepares the arguments before the dialog runs: an empty
// directory becomes kDefaultDialogDirectory (and stays so when the user cancels), the
// file name is emptied so that a cancelled dialog leaves it empty. Either argument may
// be null.
FileDialogStart BeginFileDialog(UTL_String* fileName, UTL_String* directory,
                                const char* extensions);

// The extension list split at single spaces ("fxp", "fxp fxb"). Empty pieces (leading,
// trailing or doubled spaces) name no type and are dropped.
std::vector<std::string> SplitFileTypes(const char* extensions);

// After the user chose `chosenPath` (a full path): the file name becomes it, and the
// directory becomes the path without its last component, followed by "/". A path with
// no folder part leaves the directory as it was.
void FinishFileDialog(const char* chosenPath, UTL_String* fileName, UTL_String* directory);

// The buttons of a message box by its type. Null means no such button, except for the
// default button, where null means the system's own default button (OK).
struct MessageBoxButtons
{
  const char* defaultButton;
  const char* alternateButton;
  const char* otherButton;
};

enum : int
{
  kMessageBoxOK = 0,          // OK alone; also every type not listed below
  kMessageBoxOKCancel = 1,    // OK, "Cancel"
  kMessageBoxYesNoCancel = 3, // "Yes", "No", "Cancel"
  kMessageBoxYesNo = 4,       // "Yes", "No"
};

MessageBoxButtons MessageBoxButtonsFor(int type);

// Which button closed the box; None covers a box closed any other way.
enum class MessageBoxResponse
{
  Default,
  Alternate,
  Other,
  None
};

// The editor's result code, the same for every type: default 1, alternate 7, other 2,
// anything else 0.
int MessageBoxResult(MessageBoxResponse response);

// A text containing "http" anywhere is opened as a web address; anything else (also a
// bare host name) is a local file path.
bool IsWebURL(const char* text);
