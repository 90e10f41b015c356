// The binding's editor duties: the flag and rectangle, the editor opcodes, and the
// parameter values it pushes into an attached editor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestEffect.h"

namespace
{
// An editor without a platform: records what the plug-in pushes into it. The binding
// sees editors only through the interface, so this program links no editor library.
class FakeEditor : public IEditorConnection
{
public:
  FakeEditor(int w, int h) : mW(w), mH(h) {}
  struct Push
  {
    int idx;
    double value;
    bool normalized;
  };
  std::vector<Push> pushes;
  bool windowOpens = true;
  void* window = nullptr;
  int prepared = 0;

  void SetParameterFromPlug(int idx, double value, bool normalized) override
  {
    pushes.push_back({idx, value, normalized});
  }
  void SetControlFromPlug(int, double) override {}
  void PrepDraw() override { ++prepared; }
  int Width() const override { return mW; }
  int Height() const override { return mH; }
  void* OpenWindow(void* parent) override { return window = windowOpens ? parent : nullptr; }
  void CloseWindow() override { window = nullptr; }
  void OnHostIdle() override {}
  void PromptForFile(UTL_String*, EFileAction, UTL_String*, const char*) override {}

private:
  int mW, mH;
};

class EditorEffect : public TestEffect
{
public:
  using TestEffect::TestEffect;
  void OnGUIOpen() override { events += "open "; }
  void OnGUIClose() override { events += "close "; }
  void OnWindowResize() override { events += "resize "; }
  std::string events;
};
} // namespace

TEST(BindingEditor, OpcodesWithAndWithoutAnEditor)
{
  ScriptedHost host;
  ScriptedHost::current = &host;
  EditorEffect fx(&host, {});
  AEffect* e = fx.GetAEffect();
  ERect* rect = nullptr;
  int parent = 0;
  // No editor: every editor opcode declines.
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f), 0);
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &parent, 0.0f), 0);
  EXPECT_EQ(e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f), 0);
  fx.AttachGraphics(nullptr);
  EXPECT_EQ(e->flags & effFlagsHasEditor, 0);

  FakeEditor* ed = new FakeEditor(224, 333); // the plug-in owns it once attached
  fx.AttachGraphics(ed);
  EXPECT_EQ(e->flags, 0x1019);
  EXPECT_EQ(ed->prepared, 1);
  EXPECT_EQ(ed->pushes.size(), 3u); // every parameter, normalised
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, nullptr, 0.0f), 0);
  ASSERT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f), 1);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 333);
  EXPECT_EQ(rect->right, 224);

  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &parent, 0.0f), 1);
  EXPECT_EQ(e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f), 1);
  ed->windowOpens = false;
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &parent, 0.0f), 0);
  fx.ResizeGraphics(10, 10); // the rectangle follows the editor's own size
  EXPECT_EQ(rect->right, 224);
  EXPECT_EQ(fx.events, "open close resize ");
  ScriptedHost::current = nullptr;
}

TEST(BindingEditor, HostChangesReachTheEditor)
{
  ScriptedHost host;
  ScriptedHost::current = &host;
  EditorEffect fx(&host, {});
  AEffect* e = fx.GetAEffect();
  FakeEditor* ed = new FakeEditor(100, 50);
  fx.AttachGraphics(ed);
  ed->pushes.clear();

  e->setParameter(e, TestEffect::kGain, 0.25f);
  e->dispatcher(e, effString2Parameter, TestEffect::kMode, 0, const_cast<char*>("B"), 0.0f);
  e->setParameter(e, 7, 0.25f); // invalid index: nothing pushed
  ASSERT_EQ(ed->pushes.size(), 2u);
  EXPECT_EQ(ed->pushes[0].idx, TestEffect::kGain);
  EXPECT_EQ(ed->pushes[0].value, 0.25);
  EXPECT_TRUE(ed->pushes[0].normalized);
  EXPECT_EQ(ed->pushes[1].value, 1.0); // the plain value of "B"
  EXPECT_FALSE(ed->pushes[1].normalized);

  // A restored chunk redraws every control with plain values.
  void* data = nullptr;
  const intptr_t size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
  std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  ed->pushes.clear();
  EXPECT_EQ(e->dispatcher(e, effSetChunk, 1, intptr_t(copy.size()), copy.data(), 0.0f), 1);
  ASSERT_EQ(ed->pushes.size(), 3u);
  EXPECT_FALSE(ed->pushes[2].normalized);
  ScriptedHost::current = nullptr;
}
