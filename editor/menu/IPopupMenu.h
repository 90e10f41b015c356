#pragma once
// Platform-independent model of a popup menu. The editor builds one; the platform
// layer shows it natively and writes the chosen index back.
#include "util/UTL_PtrList.h"
#include "util/UTL_String.h"

class IPopupMenu;

class IPopupMenuItem
{
public:
  enum Flags
  {
    kNoFlags = 0,
    kDisabled = 1 << 0,
    kTitle = 1 << 1,
    kChecked = 1 << 2,
    kSeparator = 1 << 3,
  };

  // The text is copied; a null text is the empty text. The submenu is not owned.
  explicit IPopupMenuItem(const char* text, int flags = kNoFlags, IPopupMenu* submenu = nullptr);

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  int GetFlags() const { return mFlags; }
  void SetFlags(int flags) { mFlags = flags; }

  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
  void SetChecked(bool checked);

private:
  UTL_String mText;
  IPopupMenu* mSubmenu;
  int mFlags;
};

class IPopupMenu
{
public:
  // Item label numbering, applied by the platform layer with the 1-based item number.
  enum EPrefix
  {
    kPrefixNone = 0,  // plain text
    kPrefixOne = 1,   // "%1d: "
    kPrefixTwo = 2,   // "%02d: "
    kPrefixThree = 3, // "%03d: "
  };

  IPopupMenu() = default;
  // Deletes every item; submenus belong to whoever made them.
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Index -1 appends; any other index is clamped to [0, count]. The menu takes the item.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  // Null when index is outside [0, count).
  IPopupMenuItem* GetItem(int index) const { return mItems.Get(index); }
  // Empty text when there is no such item.
  const char* GetItemText(int index) const;
  int GetNItems() const { return mItems.GetSize(); }

  int GetPrefix() const { return mPrefix; }
  // Only 0..3 are accepted; anything else keeps the current prefix.
  void SetPrefix(int prefix);

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

  // False, and nothing changes, when there is no item at index.
  bool CheckItem(int index, bool checked);
  // Checks the item at index and clears every other item's check mark.
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

private:
  int mPrefix = kPrefixNone;
  int mChosenItemIdx = -1;
  UTL_PtrList<IPopupMenuItem> mItems;
};
