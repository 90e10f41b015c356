#include "platform/linux/DesktopServices.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A folder of fake desktop programs, put alone on PATH for the test's lifetime. Each
// fake writes its arguments, one a line, to <name>.args and then runs the given body.
class FakePrograms
{
public:
  FakePrograms()
  {
    char pattern[] = "/tmp/quorvane-fakes-XXXXXX";
    mDir = mkdtemp(pattern);
    mOldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", mDir.c_str(), 1);
  }
  ~FakePrograms()
  {
    setenv("PATH", mOldPath.c_str(), 1);
    std::string rm = "rm -rf '" + mDir + "'";
    EXPECT_EQ(0, std::system(rm.c_str()));
  }
  void Install(const std::string& name, const std::string& body)
  {
    const std::string path = mDir + "/" + name;
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << mDir
                        << "/" << name << ".args'\n"
                        << body << "\n";
    chmod(path.c_str(), 0755);
  }
  void Remove(const std::string& name) { unlink((mDir + "/" + name).c_str()); }
  std::string Args(const std::string& name) const
  {
    std::ifstream in(mDir + "/" + name + ".args");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

private:
  std::string mDir, mOldPath;
};
} // namespace

TEST(DesktopServices, FileDialogThroughZenityOrKdialog)
{
  FakePrograms fakes;
  UTL_String chosen("stale");
  // Nothing installed: the failure result at once.
  EXPECT_FALSE(RunFileDialog(kFileOpen, "", "~/Desktop", "fxp", &chosen));
  EXPECT_STREQ("", chosen.Get());

  fakes.Install("zenity", "echo '/home/a/my presets/it'\\''s.fxp'");
  ASSERT_TRUE(RunFileDialog(kFileSave, "preset.fxp", "~/Desktop", "fxp fxb", &chosen));
  EXPECT_STREQ("/home/a/my presets/it's.fxp", chosen.Get());
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const std::string args = fakes.Args("zenity");
  EXPECT_NE(std::string::npos, args.find("--save\n"));
  EXPECT_NE(std::string::npos, args.find("--filename=" + home + "/Desktop/preset.fxp\n"));
  EXPECT_NE(std::string::npos, args.find("--file-filter=*.fxp *.fxb | *.fxp *.fxb\n"));

  fakes.Install("zenity", "exit 1"); // cancelled
  EXPECT_FALSE(RunFileDialog(kFileOpen, "", "/tmp", "fxb", &chosen));
  EXPECT_STREQ("", chosen.Get());

  fakes.Remove("zenity");
  fakes.Install("kdialog", "echo /tmp/bank.fxb");
  ASSERT_TRUE(RunFileDialog(kFileOpen, "", "/tmp", "fxb", &chosen));
  EXPECT_STREQ("/tmp/bank.fxb", chosen.Get());
  EXPECT_EQ("--getopenfilename\n/tmp/\n*.fxb\n", fakes.Args("kdialog"));
}

TEST(DesktopServices, MessageBoxAnswersAndOpener)
{
  FakePrograms fakes;
  EXPECT_EQ(0, RunMessageBox("text", "caption", 4));
  EXPECT_FALSE(OpenWithDesktop("https://example.org"));

  // (type, what the fake zenity does, expected result)
  struct Case
  {
    int type;
    const char* body;
    int result;
  } cases[] = {
      {0, "exit 0", 1}, {1, "exit 0", 1},          {1, "exit 1", 7}, {4, "exit 0", 1},
      {4, "exit 1", 7}, {3, "echo No; exit 1", 7}, {3, "exit 1", 2}, {3, "exit 0", 1},
      {4, "exit 5", 0}, {4, "kill -9 $$", 0},
  };
  for (const Case& c : cases)
  {
    fakes.Install("zenity", c.body);
    EXPECT_EQ(c.result, RunMessageBox("Save changes?", "Quorvane", c.type))
        << c.type << " " << c.body;
  }
  fakes.Install("zenity", "exit 0");
  RunMessageBox("Line \"one\"; $HOME", "Cap", 3);
  EXPECT_EQ("--question\n--title=Cap\n--text=Line \"one\"; $HOME\n--no-wrap\n--ok-label=Yes\n"
            "--cancel-label=Cancel\n--extra-button=No\n",
            fakes.Args("zenity"));

  fakes.Remove("zenity");
  fakes.Install("kdialog", "exit 2");
  EXPECT_EQ(2, RunMessageBox("t", "c", 3));
  EXPECT_EQ(0, RunMessageBox("t", "c", 4)); // 2 is no answer of a Yes/No box

  fakes.Install("xdg-open", "exit 0");
  EXPECT_TRUE(OpenWithDesktop("-rf"));
  EXPECT_EQ("./-rf\n", fakes.Args("xdg-open")); // never read as an option
  EXPECT_FALSE(OpenWithDesktop("--http"));
  EXPECT_FALSE(OpenWithDesktop(""));
  fakes.Install("xdg-open", "exit 4");
  EXPECT_FALSE(OpenWithDesktop("https://example.org"));
  fakes.Install("xdg-open", "/bin/sleep 2");
  EXPECT_TRUE(OpenWithDesktop("https://example.org")); // still running: taken as opened
}
