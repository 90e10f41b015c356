// Quorvane.lv2 as LV2 hosts see it: validated against the LV2 schemas, discovered by
// lilv's tools, and run through lilv next to the VST 2 build of the same effect.
#include <gtest/gtest.h>

#include "effect/alloc_counter.h"

#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "LilvHost.h"

#include "tools/render/VstHost.h"

namespace
{
const char* kURI = "urn:halvercombe:quorvane";
const char* kSymbols[] = {"level", "drive", "low", "mid", "high", "effect"};
constexpr int kNumParams = 6;

// Both libraries stay loaded for the whole run: each keeps a process-wide noise
// generator, and the two builds draw alike only while creation goes in pairs
// (a VST 2 instance, then an LV2 one, at the same rate) from the first load on.
struct KeepLoaded
{
  void* vst = dlopen(QUORVANE_SO, RTLD_NOW | RTLD_LOCAL);
  void* lv2 = dlopen(QUORVANE_LV2_BUNDLE "/Quorvane_dsp.so", RTLD_NOW | RTLD_LOCAL);
} gKeepLoaded;

std::string RunCommand(const std::string& command, int* status)
{
  std::string out;
  FILE* f = popen((command + " 2>&1").c_str(), "r");
  if (!f) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
    out.append(buf, n);
  *status = pclose(f);
  return out;
}

// A directory whose only entry is the bundle, for LV2_PATH.
std::string LonelyBundleDir()
{
  char tmpl[] = "/tmp/quorvane-lv2-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir) return "";
  const std::string link = std::string(dir) + "/Quorvane.lv2";
  if (symlink(QUORVANE_LV2_BUNDLE, link.c_str()) != 0) return "";
  return dir;
}

struct Vst
{
  VstPlugin p;
  bool Start(double rate, int block)
  {
    if (!p.Load(QUORVANE_SO)) return false;
    p.Start(rate, block);
    return true;
  }
  void Set(int idx, float v) { p.Effect()->setParameter(p.Effect(), idx, v); }
  float Get(int idx) { return p.Effect()->getParameter(p.Effect(), idx); }
  std::vector<uint8_t> Chunk()
  {
    void* data = nullptr;
    const intptr_t n = p.Dispatch(effGetChunk, 1, 0, &data);
    return n > 0 && data ? std::vector<uint8_t>((uint8_t*)data, (uint8_t*)data + n)
                         : std::vector<uint8_t>();
  }
  bool SetChunk(std::vector<uint8_t> bytes)
  {
    return p.Dispatch(effSetChunk, 1, intptr_t(bytes.size()), bytes.data()) == 1;
  }
};

// A guitar-like test signal: a decaying chord plus a little noise, different per channel.
std::vector<float> Signal(int n, double rate, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> noise(-0.02f, 0.02f);
  std::vector<float> s(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
  {
    const double t = i / rate;
    s[size_t(i)] =
        float(0.4 * std::exp(-3.0 * t) *
              (std::sin(2 * M_PI * 82.4 * t) + 0.5 * std::sin(2 * M_PI * 196.0 * t + seed))) +
        noise(rng);
  }
  return s;
}

// One normalised value per parameter, in index order.
struct Settings
{
  float values[kNumParams];
};

// State property callbacks over one byte vector.
struct StateBox
{
  std::vector<uint8_t> bytes;
  uint32_t key = 0, type = 0;
  int stores = 0;
};

LV2_State_Status Store(LV2_State_Handle h, uint32_t key, const void* value, size_t size,
                       uint32_t type, uint32_t flags)
{
  StateBox* box = static_cast<StateBox*>(h);
  EXPECT_TRUE(flags & LV2_STATE_IS_POD);
  EXPECT_TRUE(flags & LV2_STATE_IS_PORTABLE);
  box->key = key;
  box->type = type;
  box->bytes.assign((const uint8_t*)value, (const uint8_t*)value + size);
  ++box->stores;
  return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                     uint32_t* flags)
{
  StateBox* box = static_cast<StateBox*>(h);
  if (key != box->key) return nullptr;
  *size = box->bytes.size();
  *type = box->type;
  *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
  return box->bytes.data();
}

std::vector<uint8_t> Save(LilvRun& run, LilvHost& host)
{
  StateBox box{{}, 0, 0, 0};
  EXPECT_EQ(run.State()->save(lilv_instance_get_handle(run.Instance()), Store, &box, 0, nullptr),
            LV2_STATE_SUCCESS);
  EXPECT_EQ(box.stores, 1);
  EXPECT_STREQ(host.Unmap(box.type), LV2_ATOM__Chunk);
  return box.bytes;
}

LV2_State_Status Restore(LilvRun& run, LilvHost& host, const std::vector<uint8_t>& bytes,
                         const char* type = LV2_ATOM__Chunk,
                         const char* key = "urn:quorvane:lv2#programChunk")
{
  StateBox box{bytes, host.Map(key), host.Map(type), 0};
  // The plug-in asks for its own key; a box under another key answers nothing.
  return run.State()->restore(lilv_instance_get_handle(run.Instance()), Retrieve, &box, 0, nullptr);
}
} // namespace

TEST(QuorvaneLV2Bundle, ValidatesAgainstTheSchemasAndIsDiscovered)
{
  int status = -1;
  const std::string validate = RunCommand(
      "sord_validate $(find /usr/lib/lv2 -name '*.ttl') " QUORVANE_LV2_BUNDLE "/*.ttl", &status);
  EXPECT_EQ(status, 0) << validate;
  EXPECT_NE(validate.find("Found 0 errors"), std::string::npos) << validate;

  const std::string dir = LonelyBundleDir();
  ASSERT_FALSE(dir.empty());
  const std::string env = "LV2_PATH=" + dir + " ";
  EXPECT_EQ(RunCommand(env + "lv2ls", &status), std::string(kURI) + "\n");
  EXPECT_EQ(status, 0);
  const std::string info = RunCommand(env + "lv2info " + kURI, &status);
  EXPECT_EQ(status, 0) << info;
  for (const char* text :
       {"Name:              Quorvane", "Author:            halvercombe", "Has latency:       no",
        "Init", "lv2core#hardRTCapable", "state#interface", "lv2core#connectionOptional",
        "lv2core#toggled", "Symbol:      effect"})
    EXPECT_NE(info.find(text), std::string::npos) << text << "\n" << info;
  RunCommand("rm -rf " + dir, &status);

  const std::string exports =
      RunCommand("nm -D --defined-only " QUORVANE_LV2_BUNDLE "/Quorvane_dsp.so", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(exports.find(" T lv2_descriptor\n"), std::string::npos) << exports;
  EXPECT_EQ(std::count(exports.begin(), exports.end(), '\n'), 1) << exports;
}

// Port names, ranges, defaults and the Init preset agree with the VST 2 build's
// parameters; the same knob position is the same normalised value in both.
TEST(QuorvaneLV2Host, PortsAndPresetMirrorTheVstParameters)
{
  Vst vst;
  ASSERT_TRUE(vst.Start(44100.0, 512)) << vst.p.Error();
  LilvHost host(QUORVANE_LV2_BUNDLE);
  const LilvPlugin* plugin = host.Plugin(kURI);
  ASSERT_NE(plugin, nullptr);
  LilvRun lv2(host, plugin, 44100.0, 512);
  ASSERT_TRUE(lv2.Ok());
  ASSERT_NE(lv2.State(), nullptr);
  // Rates no filter can be designed for are refused.
  for (double rate : {0.0, -44100.0, std::nan(""), HUGE_VAL})
    EXPECT_EQ(lilv_plugin_instantiate(plugin, rate, host.Features(512)), nullptr) << rate;

  // A fresh instance holds the Init program.
  float init[kNumParams];
  for (int i = 0; i < kNumParams; ++i)
    init[i] = vst.Get(i);
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 4u + kNumParams);
  std::vector<float> mins(10), maxs(10), defs(10);
  lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defs.data());
  for (int i = 0; i < kNumParams; ++i)
  {
    const int port = lv2.Port(kSymbols[i]);
    ASSERT_EQ(port, 4 + i) << kSymbols[i];
    LilvNode* name = lilv_port_get_name(plugin, lilv_plugin_get_port_by_index(plugin, port));
    EXPECT_EQ(lilv_node_as_string(name), vst.p.ParamName(i));
    lilv_node_free(name);
    EXPECT_EQ(mins[port], 0.0f);
    EXPECT_EQ(maxs[port], 1.0f);
    EXPECT_EQ(defs[port], init[i]) << kSymbols[i];
  }
  // "Effect": a toggle whose scale points name the VST display texts.
  LilvScalePoints* points =
      lilv_port_get_scale_points(plugin, lilv_plugin_get_port_by_index(plugin, lv2.Port("effect")));
  ASSERT_NE(points, nullptr);
  std::string labels;
  LILV_FOREACH(scale_points, it, points)
  {
    const LilvScalePoint* sp = lilv_scale_points_get(points, it);
    const float v = lilv_node_as_float(lilv_scale_point_get_value(sp));
    vst.Set(5, v);
    EXPECT_EQ(vst.p.ParamDisplay(5), lilv_node_as_string(lilv_scale_point_get_label(sp)));
    labels += std::string(lilv_node_as_string(lilv_scale_point_get_label(sp))) + ";";
  }
  lilv_scale_points_free(points);
  EXPECT_TRUE(labels == "Off;On;" || labels == "On;Off;") << labels;

  // The Init preset, applied as a host applies it, sets the ports to the VST program.
  LilvNode* presetClass = lilv_new_uri(host.World(), LV2_PRESETS__Preset);
  LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
  ASSERT_EQ(lilv_nodes_size(presets), 1u);
  const LilvNode* preset = lilv_nodes_get(presets, lilv_nodes_begin(presets));
  lilv_world_load_resource(host.World(), preset);
  LilvState* state = lilv_state_new_from_world(host.World(), host.MapFeature(), preset);
  ASSERT_NE(state, nullptr);
  EXPECT_STREQ(lilv_state_get_label(state), "Init");
  for (int i = 0; i < kNumParams; ++i)
    lv2.Control(kSymbols[i]) = -1.0f;
  lilv_state_restore(
      state, lv2.Instance(),
      [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t)
      {
        ASSERT_EQ(size, sizeof(float));
        std::memcpy(&static_cast<LilvRun*>(user)->Control(symbol), value, sizeof(float));
      },
      &lv2, 0, nullptr);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(lv2.Control(kSymbols[i]), init[i]) << kSymbols[i];
  lilv_state_free(state);
  lilv_nodes_free(presets);
  lilv_node_free(presetClass);
}

// The same input, settings and run lengths give the same output, sample for sample,
// at several rates and block sizes, with a setting change halfway through; the mono
// configuration (second input and output unconnected) too. The plug-in allocates
// nothing while running.
TEST(QuorvaneLV2Host, OutputEqualsTheVstBuildSampleForSample)
{
  struct Case
  {
    double rate;
    int block;
    bool mono;
    Settings start, later;
  };
  const Case cases[] = {
      {44100, 512, false, {{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1}}, {{0.8f, 0.9f, 0.2f, 0.7f, 0.3f, 1}}},
      {48000, 64, false, {{0.3f, 1.0f, 0.0f, 1.0f, 0.1f, 1}}, {{0.3f, 1.0f, 0.0f, 1.0f, 0.1f, 0}}},
      {96000, 1, false, {{1.0f, 0.0f, 0.6f, 0.4f, 0.9f, 0}}, {{1.0f, 0.25f, 0.6f, 0.4f, 0.9f, 1}}},
      {22050,
       4096,
       false,
       {{0.7f, 0.65f, 1.0f, 0.0f, 0.5f, 1}},
       {{0.2f, 0.15f, 0.5f, 0.5f, 1.0f, 1}}},
      {88200, 37, true, {{0.6f, 0.8f, 0.4f, 0.6f, 0.6f, 1}}, {{0.6f, 0.3f, 0.4f, 0.6f, 0.6f, 1}}},
  };
  LilvHost host(QUORVANE_LV2_BUNDLE);
  const LilvPlugin* plugin = host.Plugin(kURI);
  ASSERT_NE(plugin, nullptr);
  long compared = 0, differing = 0, allocations = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message()
                 << c.rate << " Hz, block " << c.block << (c.mono ? ", mono" : ""));
    Vst vst;
    ASSERT_TRUE(vst.Start(c.rate, c.block)) << vst.p.Error();
    LilvRun lv2(host, plugin, c.rate, c.block);
    ASSERT_TRUE(lv2.Ok());

    const int n = std::max(8192, 3 * c.block + 100);
    std::vector<float> in[2] = {Signal(n, c.rate, 1), c.mono ? std::vector<float>(size_t(n), 0.0f)
                                                             : Signal(n, c.rate, 2)};
    std::vector<float> vOut[2] = {std::vector<float>(size_t(n)), std::vector<float>(size_t(n))};
    std::vector<float> lOut[2] = {std::vector<float>(size_t(n), -9.0f),
                                  std::vector<float>(size_t(n), -9.0f)};
    for (int start = 0; start < n; start += c.block)
    {
      const Settings& s = start < n / 2 ? c.start : c.later;
      for (int i = 0; i < kNumParams; ++i)
      {
        vst.Set(i, s.values[i]);
        lv2.Control(kSymbols[i]) = s.values[i];
      }
      const int len = std::min(c.block, n - start);
      float* vi[2] = {in[0].data() + start, in[1].data() + start};
      float* vo[2] = {vOut[0].data() + start, vOut[1].data() + start};
      vst.p.ProcessReplacing(vi, vo, len);
      const float* li[2] = {in[0].data() + start, c.mono ? nullptr : in[1].data() + start};
      float* lo[2] = {lOut[0].data() + start, c.mono ? nullptr : lOut[1].data() + start};
      lv2.ConnectAudio(li, lo, 2, 2);
      const long before = AllocationCount();
      lv2.RunConnected(len);
      allocations += AllocationCount() - before;
    }
    for (int ch = 0; ch < (c.mono ? 1 : 2); ++ch)
    {
      compared += n;
      for (int i = 0; i < n; ++i)
        if (std::memcmp(&vOut[ch][size_t(i)], &lOut[ch][size_t(i)], sizeof(float)) != 0)
          ++differing;
    }
    // Not silence: the comparison means something.
    float peak = 0.0f;
    for (float v : lOut[0])
      peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.01f);
  }
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(allocations, 0); // setting changes included
  std::printf("LV2 against VST 2: %ld output samples compared, %ld differ\n", compared, differing);
}

// LV2 state stores exactly the VST 2 program chunk: a sound saved in one format loads
// in the other. Restored state holds against ports the host has not moved since.
TEST(QuorvaneLV2Host, StateIsTheVstProgramChunkBothWays)
{
  const Settings sound = {{0.25f, 0.875f, 0.125f, 0.75f, 0.375f, 0}};
  LilvHost host(QUORVANE_LV2_BUNDLE);
  const LilvPlugin* plugin = host.Plugin(kURI);
  ASSERT_NE(plugin, nullptr);
  const int n = 2048, block = 256;
  std::vector<float> in = Signal(n, 44100, 3);
  auto render = [&](auto&& process)
  {
    std::vector<float> out(static_cast<size_t>(n));
    for (int s = 0; s < n; s += block)
      process(in.data() + s, out.data() + s, block);
    return out;
  };

  // VST 2 to LV2: the chunk restored into an instance whose ports sit at their defaults.
  Vst vst;
  ASSERT_TRUE(vst.Start(44100, block));
  for (int i = 0; i < kNumParams; ++i)
    vst.Set(i, sound.values[i]);
  const std::vector<uint8_t> vstChunk = vst.Chunk();
  ASSERT_EQ(vstChunk.size(), 8u + 8u * kNumParams);
  LilvRun lv2(host, plugin, 44100, block);
  ASSERT_TRUE(lv2.Ok());
  std::vector<float> dummy(static_cast<size_t>(block));
  {
    const float* li[2] = {in.data(), in.data()};
    float* lo[2] = {dummy.data(), dummy.data()};
    lv2.Run(li, lo, 2, 2, block); // the default ports applied first, as in a fresh session
  }
  const std::vector<uint8_t> defaults = Save(lv2, host);
  EXPECT_EQ(Restore(lv2, host, vstChunk), LV2_STATE_SUCCESS);
  EXPECT_EQ(Save(lv2, host), vstChunk);
  const std::vector<float> vOut = render(
      [&](float* i, float* o, int len)
      {
        float* vi[2] = {i, i};
        float* vo[2] = {o, dummy.data()};
        vst.p.ProcessReplacing(vi, vo, len);
      });
  const std::vector<float> lOut = render(
      [&](float* i, float* o, int len)
      {
        const float* li[2] = {i, i};
        float* lo[2] = {o, dummy.data()};
        lv2.Run(li, lo, 2, 2, len);
      });
  EXPECT_TRUE(vOut == lOut);

  // A port the host moves afterwards wins for that parameter only.
  lv2.Control("drive") = 0.625f;
  {
    const float* li[2] = {in.data(), in.data()};
    float* lo[2] = {dummy.data(), dummy.data()};
    lv2.Run(li, lo, 2, 2, block);
  }
  std::vector<uint8_t> moved = vstChunk;
  const uint8_t drive[8] = {0, 0, 0, 0, 0, 0, 0xE4, 0x3F}; // 0.625, little-endian, after the header
  std::memcpy(moved.data() + 8 + 8 * 1, drive, 8);
  EXPECT_EQ(Save(lv2, host), moved);

  // LV2 to VST 2: ports set to the sound, saved, loaded by a fresh VST 2 instance.
  Vst vst2;
  ASSERT_TRUE(vst2.Start(44100, block));
  LilvRun lv2b(host, plugin, 44100, block);
  ASSERT_TRUE(lv2b.Ok());
  for (int i = 0; i < kNumParams; ++i)
    lv2b.Control(kSymbols[i]) = sound.values[i];
  {
    const float* li[2] = {in.data(), in.data()};
    float* lo[2] = {dummy.data(), dummy.data()};
    lv2b.Run(li, lo, 2, 2, block);
  }
  const std::vector<uint8_t> lv2Chunk = Save(lv2b, host);
  EXPECT_EQ(lv2Chunk, vstChunk);
  ASSERT_TRUE(vst2.SetChunk(lv2Chunk));
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(vst2.Get(i), sound.values[i]) << kSymbols[i];

  // What is no program chunk is refused and changes nothing.
  struct Bad
  {
    std::vector<uint8_t> bytes;
    const char* type;
    const char* key;
    LV2_State_Status expected;
  };
  std::vector<uint8_t> cut(vstChunk.begin(), vstChunk.begin() + 8 + 8 * 3);
  std::vector<uint8_t> headerOnly(vstChunk.begin(), vstChunk.begin() + 8);
  const Bad bad[] = {
      {cut, LV2_ATOM__Chunk, "urn:quorvane:lv2#programChunk", LV2_STATE_ERR_UNKNOWN},
      {headerOnly, LV2_ATOM__Chunk, "urn:quorvane:lv2#programChunk", LV2_STATE_ERR_UNKNOWN},
      {{0}, LV2_ATOM__Chunk, "urn:quorvane:lv2#programChunk", LV2_STATE_ERR_UNKNOWN},
      {defaults, LV2_ATOM__String, "urn:quorvane:lv2#programChunk", LV2_STATE_ERR_BAD_TYPE},
      {defaults, LV2_ATOM__Chunk, "urn:other#state", LV2_STATE_ERR_NO_PROPERTY},
  };
  const std::vector<uint8_t> before = Save(lv2b, host);
  for (const Bad& b : bad)
  {
    EXPECT_EQ(Restore(lv2b, host, b.bytes, b.type, b.key), b.expected)
        << b.bytes.size() << " " << b.type;
    EXPECT_EQ(Save(lv2b, host), before);
  }
}
