// The plug-in base with an editor of its own making: this program links the core
// library alone, so everything the base asks of an editor goes through the interface.
#include "core/TestEffect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// Records every call the plug-in makes, with whether the instance mutex was held.
class RecordingEditor : public IEditorConnection
{
public:
  struct Call
  {
    char kind; // 'P' parameter, 'C' control, 'D' PrepDraw, 'F' file prompt
    int idx;
    double value;
    bool normalized;
    bool locked;
  };

  RecordingEditor(IEffectBase* plug, int* deleted) : mPlug(plug), mDeleted(deleted) {}
  ~RecordingEditor() override { ++*mDeleted; }

  void SetParameterFromPlug(int idx, double value, bool normalized) override
  {
    mCalls.push_back({'P', idx, value, normalized, Locked()});
  }
  void SetControlFromPlug(int idx, double value) override
  {
    mCalls.push_back({'C', idx, value, true, Locked()});
  }
  void PrepDraw() override { mCalls.push_back({'D', -1, 0.0, false, Locked()}); }
  int Width() const override { return 0; }
  int Height() const override { return 0; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void OnHostIdle() override {}
  void PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                     const char* extensions) override
  {
    mCalls.push_back({'F', int(action), 0.0, false, Locked()});
    mProposed = file->Get();
    mExtensions = extensions;
    file->Set(mReply.c_str());
    dir->Set(mReplyDir.c_str());
  }

  std::vector<Call> mCalls;
  std::string mReply, mReplyDir; // what the "user" picks; an empty reply cancels
  std::string mProposed, mExtensions;

private:
  bool Locked() const { return mPlug->GetMutex().IsHeldByThisThread(); }
  IEffectBase* mPlug;
  int* mDeleted;
};

void InitParams(TestEffect* fx)
{
  fx->GetParam(0)->InitDouble("Gain", 0.5, 0.0, 2.0, 0.01);
  fx->GetParam(1)->InitInt("Steps", 3, 0, 10);
  fx->GetParam(2)->InitBool("On", true);
}
} // namespace

TEST(EditorConnection, PushesPreparesAndOwnsTheEditorThroughTheInterface)
{
  int deleted = 0;
  {
    TestEffect fx("1-1", 3);
    InitParams(&fx);
    fx.AttachGraphics(nullptr);
    EXPECT_EQ(fx.GetGUI(), nullptr);

    auto* first = new RecordingEditor(&fx, &deleted);
    fx.AttachGraphics(first);
    ASSERT_EQ(fx.GetGUI(), first);
    // Every parameter normalised, in index order, then prepare to draw; all locked.
    const RecordingEditor::Call attach[] = {{'P', 0, 0.25, true, true},
                                            {'P', 1, 0.3, true, true},
                                            {'P', 2, 1.0, true, true},
                                            {'D', -1, 0.0, false, true}};
    ASSERT_EQ(first->mCalls.size(), std::size(attach));
    for (size_t i = 0; i < std::size(attach); ++i)
    {
      const RecordingEditor::Call& c = first->mCalls[i];
      EXPECT_EQ(c.kind, attach[i].kind) << i;
      EXPECT_EQ(c.idx, attach[i].idx) << i;
      EXPECT_NEAR(c.value, attach[i].value, 1e-12) << i;
      EXPECT_EQ(c.normalized, attach[i].normalized) << i;
      EXPECT_TRUE(c.locked) << i;
    }

    // A redraw pushes plain values; an effect author's GetGUI() reaches the controls.
    first->mCalls.clear();
    fx.RedrawParamControls();
    fx.GetGUI()->SetControlFromPlug(7, 1.0);
    ASSERT_EQ(first->mCalls.size(), 4u);
    EXPECT_EQ(first->mCalls[1].value, 3.0);
    EXPECT_FALSE(first->mCalls[1].normalized);
    EXPECT_EQ(first->mCalls[3].kind, 'C');

    // A replaced editor is deleted; attaching the same one again keeps it.
    auto* second = new RecordingEditor(&fx, &deleted);
    fx.AttachGraphics(second);
    EXPECT_EQ(deleted, 1);
    fx.AttachGraphics(second);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(fx.GetGUI(), second);
  }
  EXPECT_EQ(deleted, 2); // the plug-in deletes the editor it holds
}

TEST(EditorConnection, ProgramFilesGoThroughTheEditorsFileDialog)
{
  const std::string dir = ::testing::TempDir();
  const std::string path = dir + "editor_connection_" + std::to_string(getpid()) + ".fxp";
  int deleted = 0;
  TestEffect src("1-1", 3), dst("1-1", 3);
  InitParams(&src);
  InitParams(&dst);
  EXPECT_FALSE(src.SaveProgramAsFXP("x.fxp")); // no editor: no dialog

  auto* srcGui = new RecordingEditor(&src, &deleted);
  auto* dstGui = new RecordingEditor(&dst, &deleted);
  src.AttachGraphics(srcGui);
  dst.AttachGraphics(dstGui);
  srcGui->mCalls.clear();
  dstGui->mCalls.clear();

  // Cancelled dialogs write and load nothing.
  EXPECT_FALSE(src.SaveBankAsFXB("x.fxb"));
  EXPECT_FALSE(dst.LoadProgramFromFXP());

  src.GetParam(0)->SetNormalized(0.75);
  srcGui->mReply = path;
  srcGui->mReplyDir = dir;
  ASSERT_TRUE(src.SaveProgramAsFXP("x.fxp"));
  EXPECT_EQ(srcGui->mProposed, "x.fxp");
  EXPECT_EQ(srcGui->mExtensions, "fxp");
  EXPECT_STREQ(src.GetPreviousPath().Get(), dir.c_str());

  dstGui->mReply = path;
  ASSERT_TRUE(dst.LoadProgramFromFXP());
  EXPECT_NEAR(dst.GetParam(0)->Value(), 1.5, 1e-6);

  // The dialog is modal: it must run without the instance mutex held.
  for (const RecordingEditor* gui : {srcGui, dstGui})
    for (const RecordingEditor::Call& c : gui->mCalls)
      if (c.kind == 'F')
      {
        EXPECT_FALSE(c.locked);
      }
  ASSERT_EQ(srcGui->mCalls.size(), 2u);
  EXPECT_EQ(srcGui->mCalls[0].idx, int(kFileSave));
  EXPECT_EQ(dstGui->mCalls.front().idx, int(kFileOpen));
  std::remove(path.c_str());
}
