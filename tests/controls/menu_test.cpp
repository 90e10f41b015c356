#include "editor/menu/IPopupMenu.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Texts(const IPopupMenu& menu)
{
  std::string s;
  for (int i = 0; i < menu.GetNItems(); ++i)
    s += std::string(menu.GetItemText(i)) + "|";
  return s;
}
} // namespace

TEST(PopupMenu, InsertionClampsIndexAndMinusOneAppends)
{
  struct Case
  {
    int index;
    const char* expect;
  } cases[] = {
      {-1, "a|b|X|"}, {100, "a|b|X|"}, {2, "a|b|X|"},  {1, "a|X|b|"},
      {0, "X|a|b|"},  {-5, "X|a|b|"},  {-2, "X|a|b|"},
  };
  for (const Case& c : cases)
  {
    IPopupMenu menu;
    menu.AddItem("a");
    menu.AddItem("b");
    IPopupMenuItem* item = menu.AddItem(new IPopupMenuItem("X"), c.index);
    EXPECT_EQ(Texts(menu), c.expect) << "index " << c.index;
    EXPECT_EQ(menu.GetItem(int(std::string(c.expect).find('X')) / 2), item);
  }
}

TEST(PopupMenu, AddVariantsSetTextFlagsAndSubmenu)
{
  IPopupMenu sub;
  IPopupMenu menu;
  IPopupMenuItem* a = menu.AddItem("plain", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
  IPopupMenuItem* b = menu.AddItem("sub-at-0", 0, &sub);
  IPopupMenuItem* c = menu.AddItem("sub-appended", &sub);
  IPopupMenuItem* sep = menu.AddSeparator(1);

  EXPECT_EQ(Texts(menu), "sub-at-0||plain|sub-appended|");
  EXPECT_FALSE(a->GetEnabled());
  EXPECT_TRUE(a->GetIsTitle());
  EXPECT_EQ(a->GetSubmenu(), nullptr);
  EXPECT_EQ(b->GetFlags(), 0);
  EXPECT_EQ(b->GetSubmenu(), &sub);
  EXPECT_EQ(c->GetSubmenu(), &sub);
  EXPECT_EQ(sep->GetFlags(), IPopupMenuItem::kSeparator);
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_EQ(menu.GetItem(1), sep);
}

TEST(PopupMenu, LookupsOutsideTheListAreNullOrEmpty)
{
  IPopupMenu menu;
  menu.AddItem(static_cast<const char*>(nullptr)); // null text reads back empty
  EXPECT_STREQ(menu.GetItemText(0), "");
  for (int idx : {-1, 1, 7})
  {
    EXPECT_EQ(menu.GetItem(idx), nullptr);
    EXPECT_STREQ(menu.GetItemText(idx), "");
    EXPECT_FALSE(menu.IsItemChecked(idx));
    EXPECT_FALSE(menu.CheckItem(idx, true));
  }
  EXPECT_EQ(menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)), nullptr);
  EXPECT_EQ(menu.GetNItems(), 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST(PopupMenu, PrefixAcceptsOnlyZeroToThree)
{
  IPopupMenu menu;
  EXPECT_EQ(menu.GetPrefix(), 0);
  for (int p : {3, 4, -1, 1000})
  {
    menu.SetPrefix(p);
    EXPECT_EQ(menu.GetPrefix(), 3) << p;
  }
  menu.SetPrefix(0);
  EXPECT_EQ(menu.GetPrefix(), 0);
}

TEST(PopupMenu, CheckRules)
{
  IPopupMenu menu;
  for (const char* t : {"a", "b", "c"})
    menu.AddItem(t, -1, IPopupMenuItem::kChecked | IPopupMenuItem::kDisabled);

  menu.CheckItemAlone(1);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_TRUE(menu.IsItemChecked(1));
  EXPECT_FALSE(menu.IsItemChecked(2));
  // Checking touches only the check bit.
  EXPECT_EQ(menu.GetItem(0)->GetFlags(), IPopupMenuItem::kDisabled);

  EXPECT_TRUE(menu.CheckItem(2, true));
  EXPECT_TRUE(menu.CheckItem(1, false));
  EXPECT_TRUE(menu.IsItemChecked(2));
  EXPECT_FALSE(menu.IsItemChecked(1));

  menu.CheckItemAlone(-1); // no such item: every mark is cleared
  for (int i = 0; i < 3; ++i)
    EXPECT_FALSE(menu.IsItemChecked(i));
}

TEST(PopupMenu, DestroyingAMenuLeavesItsSubmenusAlive)
{
  IPopupMenu* sub = new IPopupMenu;
  sub->AddItem("inner");
  {
    IPopupMenu menu;
    menu.AddItem("outer", sub);
    menu.AddItem("again", 0, sub);
  }
  EXPECT_STREQ(sub->GetItemText(0), "inner"); // the sanitizer build catches a double free
  delete sub;
}
