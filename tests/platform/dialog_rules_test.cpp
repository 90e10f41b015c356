#include "platform/common/DialogRules.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

TEST(DialogRules, FileDialogDefaultsTypesAndRememberedDirectory)
{
  // An empty directory opens at the desktop and stays so, even when the user cancels.
  UTL_String name("preset.fxp"), dir;
  FileDialogStart start = BeginFileDialog(&name, &dir, "fxp");
  EXPECT_EQ("preset.fxp", start.defaultName);
  EXPECT_EQ("~/Desktop", start.directory);
  EXPECT_STREQ("~/Desktop", dir.Get());
  EXPECT_STREQ("", name.Get());
  EXPECT_EQ(std::vector<std::string>{"fxp"}, start.fileTypes);

  dir.Set("/home/a/presets/");
  start = BeginFileDialog(&name, &dir, " fxp  fxb ");
  EXPECT_EQ("", start.defaultName);
  EXPECT_EQ("/home/a/presets/", start.directory);
  EXPECT_EQ((std::vector<std::string>{"fxp", "fxb"}), start.fileTypes);
  EXPECT_TRUE(BeginFileDialog(nullptr, nullptr, nullptr).fileTypes.empty());

  // Chosen path -> (file name, directory).
  struct Case
  {
    const char* chosen;
    const char* directory;
  } cases[] = {
      {"/Users/a/b/preset.fxp", "/Users/a/b/"},
      {"/preset.fxp", "/"},
      {"/a/b/", "/a/"},
      {"preset.fxp", "/home/a/presets/"}, // no folder part: unchanged
  };
  for (const Case& c : cases)
  {
    dir.Set("/home/a/presets/");
    FinishFileDialog(c.chosen, &name, &dir);
    EXPECT_STREQ(c.chosen, name.Get());
    EXPECT_STREQ(c.directory, dir.Get()) << c.chosen;
  }
}

TEST(DialogRules, MessageBoxButtonsResultsAndURLKinds)
{
  struct Case
  {
    int type;
    const char *def, *alt, *other;
  } cases[] = {
      {0, nullptr, nullptr, nullptr}, {1, nullptr, "Cancel", nullptr},
      {2, nullptr, nullptr, nullptr}, {3, "Yes", "No", "Cancel"},
      {4, "Yes", "No", nullptr},      {-5, nullptr, nullptr, nullptr},
  };
  auto same = [](const char* a, const char* b)
  { return (!a && !b) || (a && b && std::string(a) == b); };
  for (const Case& c : cases)
  {
    const MessageBoxButtons b = MessageBoxButtonsFor(c.type);
    EXPECT_TRUE(same(c.def, b.defaultButton)) << c.type;
    EXPECT_TRUE(same(c.alt, b.alternateButton)) << c.type;
    EXPECT_TRUE(same(c.other, b.otherButton)) << c.type;
  }
  // Yes 1, No 7, Cancel of OK/Cancel 7, Cancel of Yes/No/Cancel 2, closed otherwise 0.
  EXPECT_EQ(1, MessageBoxResult(MessageBoxResponse::Default));
  EXPECT_EQ(7, MessageBoxResult(MessageBoxResponse::Alternate));
  EXPECT_EQ(2, MessageBoxResult(MessageBoxResponse::Other));
  EXPECT_EQ(0, MessageBoxResult(MessageBoxResponse::None));

  EXPECT_TRUE(IsWebURL("https://example.org/manual"));
  EXPECT_TRUE(IsWebURL("see http://x")); // anything may precede it
  EXPECT_FALSE(IsWebURL("example.org/manual"));
  EXPECT_FALSE(IsWebURL("/usr/share/doc/manual.pdf"));
  EXPECT_FALSE(IsWebURL(nullptr));
}
