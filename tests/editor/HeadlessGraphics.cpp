#include "HeadlessGraphics.h"

#include "editor/controls/IControl.h"
#include "editor/menu/IPopupMenu.h"
#include "raster/RAS_Raster.h"

HeadlessGraphics::HeadlessGraphics(IEffectBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps)
{
}

HeadlessGraphics::~HeadlessGraphics() = default;

void HeadlessGraphics::AddStripImage(const char* name, int w, int frameH,
                                     const std::vector<uint32_t>& frameColors)
{
  MemoryImage image;
  image.w = w;
  image.h = frameH * int(frameColors.size());
  for (uint32_t color : frameColors)
    image.pixels.insert(image.pixels.end(), size_t(w) * size_t(frameH), color);
  mMemoryImages[name] = image;
}

bool HeadlessGraphics::DrawScreen(IRECT* rect)
{
  if (mRecordScreen) mScreenRects.push_back(rect ? *rect : IRECT());
  return true;
}

int HeadlessGraphics::ShowMessageBox(const char* text, const char*, int)
{
  mMessages.push_back(text ? text : "");
  return mMessageBoxResult;
}

IPopupMenu* HeadlessGraphics::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  if (!menu) return nullptr;
  MenuShown shown;
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    shown.texts.push_back(menu->GetItemText(i));
    shown.checked.push_back(menu->IsItemChecked(i));
  }
  shown.rect = rect ? *rect : IRECT();
  mMenus.push_back(shown);
  if (mMenuChoice < 0 || mMenuChoice >= menu->GetNItems()) return nullptr;
  menu->SetChosenItemIdx(mMenuChoice);
  return menu;
}

void HeadlessGraphics::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                       IParam* param)
{
  mTextEntries.push_back(
      {control, rect ? *rect : IRECT(), str ? str : "", param, text ? *text : IText()});
  if (!mCommitText || !control) return;
  if (param)
    SetFromStringAfterPrompt(control, param, mTextReply.c_str());
  else
    control->TextFromTextEntry(mTextReply.c_str());
}

void HeadlessGraphics::PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                                     const char* extensions)
{
  mFileActions.push_back(action);
  mFileExtensions.push_back(extensions ? extensions : "");
  if (file) file->Set(mFileReply.c_str());
  if (dir && !mFileReply.empty()) dir->Set(mDirReply.c_str());
}

bool HeadlessGraphics::PromptForColor(IColor* color, const char*)
{
  if (mColorReply && color) *color = mColorToGive;
  return mColorReply;
}

bool HeadlessGraphics::OpenURL(const char* url, const char*, const char*, const char*)
{
  mURLsOpened.push_back(url ? url : "");
  return mNextURLResult < mURLResults.size() ? mURLResults[mNextURLResult++] : false;
}

void* HeadlessGraphics::OpenWindow(void* parent)
{
  mWindow = parent ? parent : this;
  BeginUIThread();
  return mWindow;
}

void HeadlessGraphics::CloseWindow()
{
  if (!mWindow) return;
  EndUIThread();
  mWindow = nullptr;
}

bool HeadlessGraphics::PumpOnce()
{
  ApplyPendingFromPlug();
  IRECT dirty;
  if (!IsDirty(&dirty)) return false;
  return Draw(&dirty);
}

RAS_IBitmap* HeadlessGraphics::OSLoadBitmap(int id, const char* name)
{
  mLoads.push_back({id, name ? name : ""});
  if (!name) return nullptr;
  auto it = mMemoryImages.find(name);
  if (it != mMemoryImages.end())
  {
    const MemoryImage& image = it->second;
    RAS_MemBitmap* bitmap = new RAS_MemBitmap(image.w, image.h, 4);
    RAS_Pixel* bits = bitmap->getBits();
    if (!bits) return bitmap;
    for (int y = 0; y < image.h; ++y)
      for (int x = 0; x < image.w; ++x)
        bits[y * bitmap->getRowSpan() + x] = image.pixels[size_t(y) * size_t(image.w) + size_t(x)];
    return bitmap;
  }
  if (mImageDir.empty()) return nullptr;
  return RAS_LoadPNG((mImageDir + "/" + name).c_str());
}

uint32_t HeadlessGraphics::Pixel(int x, int y)
{
  return RAS_GetPixel(GetDrawBitmap(), x, y);
}
