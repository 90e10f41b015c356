#pragma once
// An editor without a window for tests: DrawScreen records the region, images load
// from PNG files under an image folder or from bitmaps registered in memory, and every
// dialog (menu, text entry, file, colour, message box, URL) answers from a script and
// records what it was asked.
#include "editor/IGraphics.h"
#include "util/UTL_String.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class HeadlessGraphics : public IGraphics
{
public:
  HeadlessGraphics(IEffectBase* plug, int width, int height, int fps = 0);
  ~HeadlessGraphics() override;

  // ---- Scripts and records -------------------------------------------------------------
  // Folder that image names are relative to (PNG files).
  std::string mImageDir;
  // In-memory images by name, used before the folder: w x h pixels, row by row.
  struct MemoryImage
  {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
  };
  std::map<std::string, MemoryImage> mMemoryImages;
  // Registers an image of one colour per frame (vertical strip of frameH rows each).
  void AddStripImage(const char* name, int w, int frameH, const std::vector<uint32_t>& frameColors);
  struct LoadCall
  {
    int id;
    std::string name;
  };
  std::vector<LoadCall> mLoads;

  std::vector<IRECT> mScreenRects; // DrawScreen regions, in call order
  bool mRecordScreen = true;       // benchmarks turn the record off

  // Menu: the item chosen (-1 dismisses); what the menu held when shown.
  int mMenuChoice = -1;
  struct MenuShown
  {
    std::vector<std::string> texts;
    std::vector<bool> checked;
    IRECT rect;
  };
  std::vector<MenuShown> mMenus;

  // Text entry: when mCommitText is set the entry commits it at once (through
  // SetFromStringAfterPrompt with a parameter, else the control's TextFromTextEntry).
  bool mCommitText = false;
  std::string mTextReply;
  struct TextEntryShown
  {
    IControl* control;
    IRECT rect;
    std::string text;
    IParam* param;
    IText style;
  };
  std::vector<TextEntryShown> mTextEntries;
  int mEndEditCalls = 0;

  // File dialog: the reply (empty cancels); the actions asked for.
  std::string mFileReply, mDirReply;
  std::vector<EFileAction> mFileActions;
  std::vector<std::string> mFileExtensions;

  bool mColorReply = false;
  IColor mColorToGive;

  // OpenURL answers from this list in turn (false once it runs out).
  std::vector<bool> mURLResults;
  std::vector<std::string> mURLsOpened;

  int mMessageBoxResult = 0;
  std::vector<std::string> mMessages;
  int mTooltipUpdates = 0;

  // ---- IGraphics -------------------------------------------------------------------------
  bool DrawScreen(IRECT* rect) override;
  void ForceEndUserEdit() override { ++mEndEditCalls; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void HostPath(UTL_String* path) override
  {
    if (path) path->Set("/headless/host");
  }
  void PluginPath(UTL_String* path) override
  {
    if (path) path->Set("/headless/plugin");
  }
  void DesktopPath(UTL_String* path) override
  {
    if (path) path->Set("/headless/desktop");
  }
  void AppSupportPath(UTL_String* path) override
  {
    if (path) path->Set("/headless/support");
  }
  void PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                     const char* extensions) override;
  bool PromptForColor(IColor* color, const char* prompt) override;
  bool OpenURL(const char* url, const char* windowTitle, const char* confirmText,
               const char* failureText) override;
  // Like a platform window, the calling thread becomes the editor's UI thread until
  // CloseWindow.
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  void CloseWindow() override;
  void* GetWindow() override { return mWindow; }
  void UpdateTooltips() override { ++mTooltipUpdates; }
  RAS_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // One timer tick of a platform window: applies what other threads pushed, then
  // redraws the dirty region. True when something was drawn.
  bool PumpOnce();

  // The draw bitmap's pixel at (x, y), 0 outside it.
  uint32_t Pixel(int x, int y);

private:
  void* mWindow = nullptr;
  size_t mNextURLResult = 0;
};
