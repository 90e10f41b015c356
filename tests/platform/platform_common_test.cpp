#include "core/IParam.h"
#include "core/TestEffect.h"
#include "editor/controls/IPanelControl.h"
#include "editor/menu/IPopupMenu.h"
#include "platform/common/EditorCoordinates.h"
#include "platform/common/EditorKeys.h"
#include "platform/common/MacWindowRules.h"
#include "platform/common/MenuTitles.h"
#include "platform/common/TextEntryRules.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

TEST(EditorCoordinates, PointerAndRectangleRules)
{
  int x = 0, y = 0;
  ViewPointToEditorPoint(10.7, 300.2, 333, &x, &y);
  EXPECT_EQ(8, x);
  EXPECT_EQ(30, y);
  // Non-finite or huge platform coordinates stay inside int.
  ViewPointToEditorPoint(std::numeric_limits<double>::quiet_NaN(), 1e300, 333, &x, &y);
  EXPECT_EQ(-2, x);
  EXPECT_LE(y, 333);

  // The inverse lands on the same editor pixel.
  double vx = 0, vy = 0;
  EditorPointToViewPoint(97, 12, 333, &vx, &vy);
  ViewPointToEditorPoint(vx, vy, 333, &x, &y);
  EXPECT_EQ(97, x);
  EXPECT_EQ(12, y);

  // Editor rectangle to view: origin (L, H - B - 1), size (R - L + 1, B - T + 1).
  const ViewRect v = EditorRectToViewRect(IRECT(6, 106, 54, 154), 333);
  EXPECT_EQ(6.0, v.x);
  EXPECT_EQ(178.0, v.y);
  EXPECT_EQ(49.0, v.w);
  EXPECT_EQ(49.0, v.h);
  // View region to editor: L = int(x), R = L + int(w), B = H - int(y), T = B - int(h).
  const IRECT r = ViewRectToEditorRect(ViewRect{6.9, 178.5, 48.9, 48.2}, 333);
  EXPECT_EQ(6, r.L);
  EXPECT_EQ(54, r.R);
  EXPECT_EQ(155, r.B);
  EXPECT_EQ(107, r.T);

  EXPECT_EQ(0, WheelSteps(0.7));
  EXPECT_EQ(-2, WheelSteps(-2.9));
  EXPECT_EQ(3, WheelSteps(3.0));
}

TEST(EditorKeys, CodesAndModifiers)
{
  EXPECT_EQ(15, EditorKeyCode(NamedKey::None, U'a'));
  EXPECT_EQ(15, EditorKeyCode(NamedKey::None, U'A'));
  EXPECT_EQ(40, EditorKeyCode(NamedKey::None, U'z'));
  EXPECT_EQ(5, EditorKeyCode(NamedKey::None, U'0'));
  EXPECT_EQ(14, EditorKeyCode(NamedKey::None, U'9'));
  EXPECT_EQ(-1, EditorKeyCode(NamedKey::None, U'.'));
  EXPECT_EQ(-1, EditorKeyCode(NamedKey::None, U'\u00e9'));
  // Arrows and space by key code, whatever character they carry.
  EXPECT_EQ(1, EditorKeyCode(MacNamedKey(126), U'\uf700'));
  EXPECT_EQ(2, EditorKeyCode(MacNamedKey(125), U'x'));
  EXPECT_EQ(3, EditorKeyCode(MacNamedKey(123), 0));
  EXPECT_EQ(4, EditorKeyCode(MacNamedKey(124), 0));
  EXPECT_EQ(0, EditorKeyCode(MacNamedKey(49), U' '));
  EXPECT_EQ(-1, EditorKeyCode(MacNamedKey(122), U'\uf704')); // F1

  auto same = [](const IMouseMod& m, bool l, bool r, bool s, bool c, bool a)
  { return m.L == l && m.R == r && m.S == s && m.C == c && m.A == a; };
  // Option-Shift-click: left, shift, alt.
  EXPECT_TRUE(same(MouseModFromMacFlags(kMacAlternateKeyMask | kMacShiftKeyMask, false), true,
                   false, true, false, true));
  // Command-click is a right click that keeps the left flag.
  EXPECT_TRUE(
      same(MouseModFromMacFlags(kMacCommandKeyMask, false), true, true, false, false, false));
  EXPECT_TRUE(
      same(MouseModFromMacFlags(kMacControlKeyMask, true), false, true, false, true, false));
}

TEST(MenuTitles, NumberingAndItemLooks)
{
  IPopupMenu sub;
  IPopupMenu menu;
  menu.SetPrefix(IPopupMenu::kPrefixTwo);
  for (int i = 0; i < 12; ++i)
  {
    if (i == 3)
      menu.AddSeparator();
    else if (i == 5)
      menu.AddItem("More", &sub);
    else
      menu.AddItem("Item", -1,
                   i == 1   ? IPopupMenuItem::kChecked | IPopupMenuItem::kDisabled
                   : i == 2 ? IPopupMenuItem::kTitle
                            : IPopupMenuItem::kNoFlags);
  }
  UTL_String title;
  MenuItemTitle(menu, 0, &title);
  EXPECT_STREQ("01: Item", title.Get());
  MenuItemTitle(menu, 11, &title);
  EXPECT_STREQ("12: Item", title.Get()); // the separator counted
  MenuItemTitle(menu, 12, &title);
  EXPECT_STREQ("", title.Get());
  menu.SetPrefix(IPopupMenu::kPrefixThree);
  MenuItemTitle(menu, 4, &title);
  EXPECT_STREQ("005: Item", title.Get());
  menu.SetPrefix(IPopupMenu::kPrefixNone);
  MenuItemTitle(menu, 4, &title);
  EXPECT_STREQ("Item", title.Get());

  EXPECT_EQ(MenuItemLook::kSeparator, MenuItemLookOf(menu, 3).kind);
  EXPECT_EQ(MenuItemLook::kSubmenu, MenuItemLookOf(menu, 5).kind);
  const MenuItemLook checked = MenuItemLookOf(menu, 1);
  EXPECT_TRUE(checked.checked);
  EXPECT_FALSE(checked.enabled);
  EXPECT_EQ(1, MenuItemLookOf(menu, 2).indentation);
  EXPECT_EQ(0, MenuItemLookOf(menu, 0).indentation);
}

TEST(TextEntryRules, AcceptanceByParameterKind)
{
  IParam dbl, integer;
  dbl.InitDouble("Gain", 0.5, 0.0, 1.0, 0.01);
  integer.InitInt("Steps", 1, 0, 10);
  auto accepts = [](const TextEntryRules& r, const char* s)
  { return TextEntryAccepts(r, s, int(std::strlen(s))); };
  const TextEntryRules d = TextEntryRulesFor(&dbl, 32);
  const TextEntryRules n = TextEntryRulesFor(&integer, 32);
  EXPECT_TRUE(accepts(d, "-0.25"));
  EXPECT_FALSE(accepts(n, "0.25"));
  EXPECT_TRUE(accepts(n, "+7"));
  EXPECT_FALSE(accepts(d, "1e3"));
  EXPECT_FALSE(accepts(d, "0,5"));
  EXPECT_FALSE(accepts(d, "\xc2\xbd")); // a non-ASCII digit-like character
  EXPECT_TRUE(accepts(d, ""));
  EXPECT_TRUE(accepts(d, std::string(32, '1').c_str()));
  EXPECT_FALSE(accepts(d, std::string(33, '1').c_str()));
  // Without a parameter anything goes, however long.
  EXPECT_TRUE(accepts(TextEntryRulesFor(nullptr, 32), "Rock & Roll, take 2 \xe2\x99\xaa"));

  TextEntryRules limited = n;
  limited.maxValue = 127;
  EXPECT_TRUE(accepts(limited, "127"));
  EXPECT_FALSE(accepts(limited, "128"));
  EXPECT_TRUE(accepts(limited, "-99999999999")); // below the limit, held at INT_MIN
  EXPECT_EQ(2147483647, LeadingIntValue("99999999999", 11));
  EXPECT_EQ(-12, LeadingIntValue("  -12abc", 8));
  EXPECT_EQ(0, LeadingIntValue("abc", 3));
}

TEST(MacWindowRules, BundleImagesChildWindowAndTooltips)
{
  struct
  {
    const char* name;
    const char* base; // null: refused
  } images[] = {{"resources/img/knob.PNG", "knob"},
                {"background.png", "background"},
                {"knob.jpg", nullptr},
                {"png", "png"},
                {"a.png/knob", nullptr},
                {"img/.png", ".png"},
                {"img/", nullptr},
                {nullptr, nullptr}};
  for (const auto& c : images)
  {
    UTL_String base("kept");
    EXPECT_EQ(c.base != nullptr, BundleImageResource(c.name, &base)) << (c.name ? c.name : "null");
    EXPECT_STREQ(c.base ? c.base : "kept", base.Get()) << (c.name ? c.name : "null");
  }

  EXPECT_EQ(38, ChildWindowOffset(300.0, 224));
  EXPECT_EQ(38, ChildWindowOffset(301.0, 224)); // floor(38.5)
  EXPECT_EQ(0, ChildWindowOffset(224.0, 224));
  EXPECT_EQ(0, ChildWindowOffset(100.0, 224));
  EXPECT_EQ(0, ChildWindowOffset(std::numeric_limits<double>::quiet_NaN(), 224));

  TestEffect plug;
  IPanelControl c(&plug, IRECT(0, 0, 10, 10), &COLOR_RED);
  EXPECT_FALSE(ControlWantsTooltip(&c)); // no text
  c.SetTooltip("Drive");
  EXPECT_TRUE(ControlWantsTooltip(&c));
  c.Hide(true);
  EXPECT_FALSE(ControlWantsTooltip(&c));
  c.Hide(false);
  c.SetTargetArea(IRECT());
  EXPECT_FALSE(ControlWantsTooltip(&c));
  EXPECT_FALSE(ControlWantsTooltip(nullptr));
}
