// Quorvane's LV2 UI as an X11 host runs it: no plug-in instance anywhere in the
// process, the editor inside the host's window, the push button clicked through XTest.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lilv/lilv.h>
#include <lv2/ui/ui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "linux_widgets/XServerFixture.h"

namespace
{
const char* kUIURI = "urn:halvercombe:quorvane#ui";
constexpr uint32_t kEffectPort = 9; // four audio ports, then Level ... High, Effect
// The push button's centre in the editor: a 38-pixel frame at (93, 228).
constexpr int kButtonX = 93 + 19, kButtonY = 228 + 19;

struct HostRecord
{
  std::vector<std::pair<uint32_t, float>> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  int width = 0, height = 0;
  int badWrites = 0;
};

void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
           const void* buffer)
{
  HostRecord* r = static_cast<HostRecord*>(controller);
  if (format != 0 || size != sizeof(float))
  {
    ++r->badWrites;
    return;
  }
  float v;
  std::memcpy(&v, buffer, sizeof(v));
  r->writes.push_back({port, v});
}

void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
{
  static_cast<HostRecord*>(handle)->touches.push_back({port, grabbed});
}

int Resize(LV2UI_Feature_Handle handle, int width, int height)
{
  static_cast<HostRecord*>(handle)->width = width;
  static_cast<HostRecord*>(handle)->height = height;
  return 0;
}
} // namespace

TEST(QuorvaneLV2UI, DescribedAsX11UIOfThePlugin)
{
  LilvWorld* world = lilv_world_new();
  LilvNode* bundle = lilv_new_file_uri(world, nullptr, QUORVANE_LV2_BUNDLE "/");
  lilv_world_load_bundle(world, bundle);
  LilvNode* uri = lilv_new_uri(world, "urn:halvercombe:quorvane");
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
  ASSERT_NE(plugin, nullptr);
  LilvUIs* uis = lilv_plugin_get_uis(plugin);
  ASSERT_EQ(lilv_uis_size(uis), 1u);
  const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
  EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), kUIURI);
  LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
  EXPECT_TRUE(lilv_ui_is_a(ui, x11));
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
  EXPECT_EQ(std::string(binary), std::string(QUORVANE_LV2_BUNDLE) + "/Quorvane_ui.so");
  lilv_free(binary);
  lilv_node_free(x11);
  lilv_uis_free(uis);
  lilv_node_free(uri);
  lilv_node_free(bundle);
  lilv_world_free(world);

  // The UI library exports its entry point and nothing else.
  FILE* nm = popen("nm -D --defined-only " QUORVANE_LV2_BUNDLE "/Quorvane_ui.so", "r");
  ASSERT_NE(nm, nullptr);
  std::string exports;
  char line[512];
  while (std::fgets(line, sizeof line, nm))
    exports += line;
  EXPECT_EQ(pclose(nm), 0);
  EXPECT_NE(exports.find(" T lv2ui_descriptor\n"), std::string::npos) << exports;
  EXPECT_EQ(std::count(exports.begin(), exports.end(), '\n'), 1) << exports;
}

TEST(QuorvaneLV2UI, OpensInTheParentAndTheButtonWritesTheEffectPort)
{
  Display* driver = OpenTestDisplay();
  ASSERT_NE(driver, nullptr);
  // The editor opens its own connection to the display the host runs on.
  setenv("DISPLAY", DisplayString(driver), 1);

  void* lib = dlopen(QUORVANE_LV2_BUNDLE "/Quorvane_ui.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  using DescriptorFn = const LV2UI_Descriptor* (*)(uint32_t);
  auto descriptorFn = reinterpret_cast<DescriptorFn>(dlsym(lib, "lv2ui_descriptor"));
  ASSERT_NE(descriptorFn, nullptr);
  const LV2UI_Descriptor* d = descriptorFn(0);
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->URI, kUIURI);
  EXPECT_EQ(descriptorFn(1), nullptr);
  const auto* idle =
      static_cast<const LV2UI_Idle_Interface*>(d->extension_data(LV2_UI__idleInterface));
  ASSERT_NE(idle, nullptr);

  const Window parent =
      XCreateSimpleWindow(driver, DefaultRootWindow(driver), 20, 30, 300, 400, 0, 0, 0);
  XMapWindow(driver, parent);
  XSync(driver, False);

  HostRecord record;
  LV2UI_Resize resize = {&record, Resize};
  LV2UI_Touch touch = {&record, Touch};
  const LV2_Feature parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
  const LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
  const LV2_Feature touchFeature = {LV2_UI__touch, &touch};
  const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &touchFeature, nullptr};
  const LV2_Feature* noParent[] = {&resizeFeature, nullptr};

  // An X11 UI needs the host's window.
  LV2UI_Widget widget = nullptr;
  EXPECT_EQ(d->instantiate(d, "urn:halvercombe:quorvane", QUORVANE_LV2_BUNDLE, Write, &record,
                           &widget, noParent),
            nullptr);

  LV2UI_Handle ui = d->instantiate(d, "urn:halvercombe:quorvane", QUORVANE_LV2_BUNDLE, Write,
                                   &record, &widget, features);
  ASSERT_NE(ui, nullptr);
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(record.width, 224);
  EXPECT_EQ(record.height, 333);
  Window root, parentOfEditor, *children = nullptr;
  unsigned nChildren = 0;
  ASSERT_TRUE(XQueryTree(driver, Window(reinterpret_cast<uintptr_t>(widget)), &root,
                         &parentOfEditor, &children, &nChildren));
  if (children) XFree(children);
  EXPECT_EQ(parentOfEditor, parent);

  auto turns = [&]
  {
    for (int i = 0; i < 10; ++i)
    {
      EXPECT_EQ(idle->idle(ui), 0);
      XSync(driver, False);
    }
  };
  // dx keeps two clicks in a row from counting as a double click.
  auto clickButton = [&](int dx)
  {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(driver, parent, DefaultRootWindow(driver), 0, 0, &x, &y, &child);
    ClickAt(driver, x + kButtonX + dx, y + kButtonY);
    turns();
  };
  turns();
  EXPECT_TRUE(record.writes.empty()); // opening the editor changes nothing

  // "Effect" starts on: the click switches it off, inside one touch gesture.
  clickButton(-8);
  // (The button reports its value as it goes down and again as it comes up.)
  ASSERT_FALSE(record.writes.empty());
  for (const auto& w : record.writes)
    EXPECT_EQ(w, std::make_pair(kEffectPort, 0.0f));
  EXPECT_EQ(record.touches,
            (std::vector<std::pair<uint32_t, bool>>{{kEffectPort, true}, {kEffectPort, false}}));

  // The host reports the port back on (automation, a preset): the next click switches
  // it off again rather than on. Reports for audio ports, other formats, sizes and
  // values that are no number are ignored.
  const float on = 1.0f, nan = std::nanf(""), off = 0.0f;
  d->port_event(ui, kEffectPort, sizeof(float), 0, &on);
  d->port_event(ui, kEffectPort, sizeof(float), 0, &nan);
  d->port_event(ui, kEffectPort, sizeof(float), 1, &off);
  d->port_event(ui, kEffectPort, 2, 0, &off);
  d->port_event(ui, 0, sizeof(float), 0, &off);
  d->port_event(ui, 99, sizeof(float), 0, &off);
  turns();
  const size_t before = record.writes.size();
  clickButton(8);
  ASSERT_GT(record.writes.size(), before);
  for (size_t i = before; i < record.writes.size(); ++i)
    EXPECT_EQ(record.writes[i], std::make_pair(kEffectPort, 0.0f));
  EXPECT_EQ(record.badWrites, 0);

  // The host destroys its window first: the next idle turn reports the UI closed.
  XDestroyWindow(driver, parent);
  XSync(driver, False);
  EXPECT_NE(idle->idle(ui), 0);
  d->cleanup(ui);
  XCloseDisplay(driver);
  // The library stays loaded to the end of the process, as most hosts keep UI
  // libraries they have opened.
  (void)lib;
}
