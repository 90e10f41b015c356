// The quorvane app run as a process on a private JACK 2 server with the dummy
// backend: what a test client plays through it comes back exactly as an offline
// render of Quorvane.so gives it, and the app follows the server, outlives it,
// keeps its sound across runs and obeys a foot controller.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/ProgramFiles.h"
#include "effect/Quorvane.h"
#include "effect/QuorvaneIdentity.h"
#include "tools/render/VstHost.h"
#include "tests/standalone/SpawnChild.h"

#if QUORVANE_APP_HAS_WINDOW
// Last: Xlib's macros (None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace
{
using Clock = std::chrono::steady_clock;

// Polls until ok() or the timeout; true when ok() held.
template <class F> bool WaitFor(F ok, double seconds = 10.0)
{
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end)
  {
    if (ok()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return ok();
}

// A child process with its output in a file. Killed (by its own id) if still
// running when the test ends.
// Sanitizer builds run this harness without leak checking (LeakSanitizer's exit-time
// scan has crashed in it after the JACK library's threads came and went); the programs
// it starts are still checked.
std::vector<std::string> WithLeakChecking(std::vector<std::string> env)
{
#if defined(__SANITIZE_ADDRESS__)
  env.insert(env.begin(), "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1");
#endif
  return env;
}

struct Child
{
  pid_t pid = -1;
  std::string log;

  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& logPath)
  {
    log = logPath;
    // Emptied here, before the child runs: a reader never sees an earlier run's lines.
    std::ofstream(logPath, std::ios::trunc);
    pid = SpawnChild(argv, WithLeakChecking(env), logPath);
    return pid > 0;
  }
  // Exit status, -2 when it did not end within the timeout, -1 for a signal death.
  int Wait(double seconds = 10.0)
  {
    if (pid < 0) return -1;
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds);
    if (!ended) return -2;
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Signal(int sig)
  {
    if (pid > 0) kill(pid, sig);
  }
  std::string Output() const
  {
    std::ifstream f(log);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  ~Child()
  {
    if (pid > 0)
    {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

// A test client on the private server: plays a signal from "play", records "rec"
// and sends MIDI from "midi". Two clients, so that play -> app -> rec runs within
// one cycle instead of forming a loop.
struct Rig
{
  jack_client_t* src = nullptr;
  jack_client_t* rec = nullptr;
  jack_port_t* play = nullptr;
  jack_port_t* midi = nullptr;
  jack_port_t* recIn = nullptr;

  // Set by the test thread; read by the process callbacks.
  std::vector<float> signal;
  std::atomic<bool> go{false};
  std::vector<std::vector<uint8_t>> midiToSend;
  std::atomic<bool> sendMidi{false};

  // Written by the process callbacks.
  std::atomic<int64_t> playStart{-1};
  // Cycles whose frame time was not the previous one's plus its length: the server
  // skipped a cycle of this client, and the chord has a hole the render has not.
  std::atomic<int> glitches{0};
  int64_t lastSrc = -1, lastRec = -1;
  std::vector<float> recorded;
  std::atomic<size_t> recordedFrames{0};
  std::atomic<int64_t> recStart{-1};
  std::atomic<bool> midiSent{false};

  static jack_client_t* Open(const std::string& server, const char* name)
  {
    jack_status_t status;
    return jack_client_open(name, jack_options_t(JackNoStartServer | JackServerName), &status,
                            server.c_str());
  }

  bool Start(const std::string& server)
  {
    src = Open(server, "qtest_src");
    rec = Open(server, "qtest_rec");
    if (!src || !rec)
    {
      std::fprintf(stderr, "test clients could not open (%p %p)\n", (void*)src, (void*)rec);
      return false;
    }
    play = jack_port_register(src, "play", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    midi = jack_port_register(src, "midi", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    recIn = jack_port_register(rec, "rec", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    recorded.assign(size_t(10 * 48000), 0.0f);
    jack_set_process_callback(src, SrcProcess, this);
    jack_set_process_callback(rec, RecProcess, this);
    return play && midi && recIn && jack_activate(src) == 0 && jack_activate(rec) == 0;
  }

  static int SrcProcess(jack_nframes_t n, void* arg)
  {
    Rig* r = static_cast<Rig*>(arg);
    const int64_t now = jack_last_frame_time(r->src);
    if (r->lastSrc >= 0 && now != r->lastSrc + int64_t(n)) r->glitches.fetch_add(1);
    r->lastSrc = now;
    float* out = static_cast<float*>(jack_port_get_buffer(r->play, n));
    std::memset(out, 0, n * sizeof(float));
    if (r->go.load())
    {
      if (r->playStart.load() < 0) r->playStart.store(now);
      const int64_t at = now - r->playStart.load();
      for (jack_nframes_t i = 0; i < n && at + int64_t(i) < int64_t(r->signal.size()); ++i)
        out[i] = r->signal[size_t(at + int64_t(i))];
    }
    void* m = jack_port_get_buffer(r->midi, n);
    jack_midi_clear_buffer(m);
    if (r->sendMidi.load() && !r->midiSent.load())
    {
      jack_nframes_t t = 0;
      for (const auto& msg : r->midiToSend)
        jack_midi_event_write(m, t++, msg.data(), msg.size());
      r->midiSent.store(true);
    }
    return 0;
  }

  // Each cycle's block lands at its frame time's place from the first armed cycle,
  // so a cycle the server runs out of order or late cannot shift the recording.
  static int RecProcess(jack_nframes_t n, void* arg)
  {
    Rig* r = static_cast<Rig*>(arg);
    const int64_t now = jack_last_frame_time(r->rec);
    if (r->lastRec >= 0 && now != r->lastRec + int64_t(n)) r->glitches.fetch_add(1);
    r->lastRec = now;
    if (!r->go.load()) return 0;
    if (r->recStart.load() < 0) r->recStart.store(now);
    const int64_t at = now - r->recStart.load();
    if (at < 0 || at + int64_t(n) > int64_t(r->recorded.size())) return 0;
    const float* in = static_cast<const float*>(jack_port_get_buffer(r->recIn, n));
    std::memcpy(r->recorded.data() + at, in, n * sizeof(float));
    r->recordedFrames.store(size_t(at + n));
    return 0;
  }

  ~Rig()
  {
    if (src) jack_client_close(src);
    if (rec) jack_client_close(rec);
  }
};

// A plucked two-note chord with a decaying envelope: something like a guitar.
std::vector<float> Chord(double rate, int frames)
{
  std::vector<float> s(static_cast<size_t>(frames));
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < frames; ++i)
  {
    const double t = i / rate;
    s[size_t(i)] = float(0.5 * std::exp(-3.0 * t) *
                         (std::sin(2 * pi * 110.0 * t) + 0.6 * std::sin(2 * pi * 164.8 * t)));
  }
  return s;
}

// The input through Quorvane.so as a DAW renders it offline: single precision, the
// given block size, the second input silent, after leadIn silent blocks.
std::vector<float> Render(const std::vector<float>& input, double rate, int block, int leadIn = 0)
{
  VstPlugin p;
  if (!p.Load(QUORVANE_SO)) return {};
  p.Start(rate, block);
  std::vector<float> out(input.size()), other(input.size()), silent(size_t(block), 0.0f),
      scratch(static_cast<size_t>(block));
  for (int b = 0; b < leadIn; ++b)
  {
    float* in[2] = {silent.data(), silent.data()};
    float* o[2] = {scratch.data(), scratch.data()};
    p.ProcessReplacing(in, o, block);
  }
  for (size_t at = 0; at < input.size(); at += size_t(block))
  {
    const int n = int(std::min(size_t(block), input.size() - at));
    float* in[2] = {const_cast<float*>(input.data() + at), silent.data()};
    float* o[2] = {out.data() + at, other.data() + at};
    p.ProcessReplacing(in, o, n);
  }
  return out;
}

// A machine busy with other work can make the server skip cycles (an xrun, which a
// live player hears as a click): the chord then has a hole no offline render has.
// The test clients see it in their frame times, and such a run is played again
// with a fresh app, up to this many times. Only runs without a skipped cycle are
// judged; when every run had one, the machine was too busy to judge and the test
// is skipped.
constexpr int kAttempts = 4;

struct JackApp : ::testing::Test
{
  std::string server;
  std::string dir;
  Child jackd;
  Child app;
  int64_t appSeenFrame = -1; // server frame time when the app's ports appeared

  void SetUp() override
  {
    // Sanitizer builds: the app and this test share the JACK library's suppressions.
    setenv("LSAN_OPTIONS", "suppressions=" QUORVANE_LSAN_SUPPRESSIONS, 0);
    static int counter = 0;
    server = "qtest-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    char tmpl[] = "/tmp/quorvane-jack-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }

  void StartServer(int rate, int period)
  {
    // Real-time scheduling where the system grants it: without it, a busy machine
    // makes the server skip cycles often.
    ASSERT_TRUE(jackd.Start({"jackd", "-n", server, "-d", "dummy", "-r", std::to_string(rate), "-p",
                             std::to_string(period)},
                            {}, dir + "/jackd.log"));
    const bool up = WaitFor(
        [&]
        {
          jack_client_t* c = Rig::Open(server, "qtest_probe");
          if (c) jack_client_close(c);
          return c != nullptr;
        });
    ASSERT_TRUE(up) << jackd.Output();
  }

  // Starts quorvane --headless --no-connect with its config under the test folder
  // and waits for its ports.
  // display: empty runs --headless, else the app's window opens there.
  void StartApp(std::vector<std::string> extra = {}, const std::string& display = "")
  {
    std::vector<std::string> argv = {QUORVANE_APP, "--no-connect", "--server", server};
    if (display.empty()) argv.push_back("--headless");
    argv.insert(argv.end(), extra.begin(), extra.end());
    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir};
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    ASSERT_TRUE(app.Start(argv, env, dir + "/app.log"));
    jack_client_t* c = Rig::Open(server, "qtest_watch");
    ASSERT_NE(c, nullptr);
    const bool ports = WaitFor([&] { return jack_port_by_name(c, "Quorvane:midi_in") != nullptr; });
    appSeenFrame = jack_frame_time(c);
    jack_client_close(c);
    ASSERT_TRUE(ports) << app.Output();
    // Said once the client is active and connected.
    ASSERT_TRUE(WaitFor([&] { return app.Output().find("playing on JACK") != std::string::npos; }))
        << app.Output();
  }

  // Connects the rig around the app and plays the chord through it; returns what
  // came back. glitched tells whether the server skipped a cycle meanwhile.
  std::vector<float> PlayThrough(Rig& rig, const std::vector<float>& chord, bool* glitched)
  {
    rig.signal = chord;
    EXPECT_EQ(jack_connect(rig.src, "qtest_src:play", "Quorvane:in_1"), 0);
    EXPECT_EQ(jack_connect(rig.src, "Quorvane:out_1", "qtest_rec:rec"), 0);
    const int glitchesBefore = rig.glitches.load();
    rig.go.store(true);
    const bool done = WaitFor(
        [&]
        {
          const int64_t start = rig.playStart.load(), rec = rig.recStart.load();
          return start >= 0 && rec >= 0 &&
                 int64_t(rig.recordedFrames.load()) >= start - rec + int64_t(chord.size());
        },
        30.0);
    EXPECT_TRUE(done);
    *glitched = rig.glitches.load() != glitchesBefore;
    if (!done) return std::vector<float>(chord.size(), 0.0f);
    const long from = long(rig.playStart.load() - rig.recStart.load());
    return std::vector<float>(rig.recorded.begin() + from,
                              rig.recorded.begin() + from + long(chord.size()));
  }

  std::string StatePath() const { return dir + "/quorvane/state"; }

  // The parameters kept in the state file, read back through the effect itself.
  std::vector<double> KeptParams()
  {
    std::ifstream f(StatePath(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                               std::istreambuf_iterator<char>());
    Quorvane fx{IEffectInstanceInfo{}};
    if (!fx.SetStateBytes(bytes.data(), int(bytes.size()))) return {};
    std::vector<double> v;
    for (int i = 0; i < fx.NParams(); ++i)
      v.push_back(fx.GetParam(i)->Value());
    return v;
  }

  void StopApp()
  {
    app.Signal(SIGTERM);
    if (app.Wait() == -2) app.Signal(SIGKILL);
    app.Wait();
  }

  void TearDown() override
  {
    StopApp();
    // Stopped, not killed: the server leaves the user's JACK registry as it found it.
    jackd.Signal(SIGTERM);
    if (jackd.Wait() == -2) jackd.Signal(SIGKILL);
    jackd.Wait();
    // Semaphores of clients that outlived their server carry its unique name.
    std::system(("rm -f /dev/shm/jack_sem.*_" + server + "_*").c_str());
    std::system(("rm -rf '" + dir + "'").c_str());
  }
};

// How a recording agrees with a render, sample by sample.
struct Agreement
{
  size_t size = 0;
  size_t identical = 0; // the same bits
  size_t apart = 1;     // neither the same, nor one float step apart, nor both below 1e-15
  bool Holds() const { return size > 0 && apart == 0 && identical * 100 >= size * 99; }
};

Agreement Compare(const std::vector<float>& live, const std::vector<float>& render)
{
  Agreement a;
  if (live.size() != render.size() || live.empty()) return a;
  a.size = live.size();
  a.apart = 0;
  for (size_t i = 0; i < live.size(); ++i)
  {
    const float x = live[i], y = render[i];
    if (std::memcmp(&x, &y, sizeof x) == 0)
      ++a.identical;
    else if (!(std::nextafter(x, y) == y || (std::fabs(x) < 1e-15f && std::fabs(y) < 1e-15f)))
      ++a.apart;
  }
  return a;
}
} // namespace

// The app has played silence, with the effect's tiny denormal guard noise, from its
// start until the chord. That residue, some 1e-18, is all that differs from the
// offline render (which plays about as many silent blocks first), and it can tip the
// rounding of a sample to the neighbouring float: so every sample must be the
// render's to the last bit, or to one unit in the last place, or both lie below
// 1e-15; and nearly all must be the very same bits.
TEST_F(JackApp, PlaysExactlyAsAnOfflineRenderOfTheSamePlugin)
{
  constexpr int kBlock = 256;
  StartServer(48000, kBlock);
  const std::vector<float> chord = Chord(48000.0, 24000);
  Agreement best;
  bool judged = false;
  for (int attempt = 0; attempt < kAttempts && !judged; ++attempt)
  {
    if (attempt > 0) StopApp();
    StartApp();
    Rig rig;
    ASSERT_TRUE(rig.Start(server));
    bool glitched = false;
    const std::vector<float> live = PlayThrough(rig, chord, &glitched);
    if (glitched) continue;
    judged = true;
    const int leadIn = std::max(0, int((rig.playStart.load() - appSeenFrame) / kBlock));
    best = Compare(live, Render(chord, 48000.0, kBlock, leadIn));
    // Not a pass-through: the overdrive changed the sound.
    EXPECT_FALSE(Compare(live, chord).Holds());
  }
  if (!judged) GTEST_SKIP() << "the server skipped cycles in every run";
  EXPECT_TRUE(best.Holds()) << best.apart << " samples apart, " << best.identical << " of "
                            << chord.size() << " identical";
  app.Signal(SIGTERM);
  EXPECT_EQ(app.Wait(), 0) << app.Output();
}

// The server's rate at start and a block size changed while the app runs (its
// scratch memory grows fourfold) both reach the effect. The blocks of both sizes
// before the chord leave a different guard-noise residue than any one offline
// render, so here the match is to within -120 dB of full scale.
TEST_F(JackApp, FollowsTheServersRateAndABlockSizeChangedWhileRunning)
{
  StartServer(44100, 256);
  const std::vector<float> chord = Chord(44100.0, 22050);
  const std::vector<float> offline = Render(chord, 44100.0, 1024);
  const std::vector<float> wrongRate = Render(chord, 48000.0, 1024);
  ASSERT_EQ(offline.size(), chord.size());
  std::vector<float> live;
  double worst = 1.0;
  bool judged = false;
  for (int attempt = 0; attempt < kAttempts; ++attempt)
  {
    Rig rig;
    if (attempt > 0)
    {
      StopApp();
      jack_client_t* c = Rig::Open(server, "qtest_size");
      ASSERT_NE(c, nullptr);
      jack_set_buffer_size(c, 256);
      jack_client_close(c);
    }
    StartApp();
    ASSERT_TRUE(rig.Start(server));
    ASSERT_EQ(jack_set_buffer_size(rig.src, 1024), 0);
    ASSERT_TRUE(WaitFor([&] { return jack_get_buffer_size(rig.src) == 1024; }));
    bool glitched = false;
    live = PlayThrough(rig, chord, &glitched);
    if (glitched) continue;
    judged = true;
    worst = 0.0;
    for (size_t i = 0; i < live.size(); ++i)
      worst = std::max(worst, std::fabs(double(live[i]) - offline[i]));
    break;
  }
  if (!judged) GTEST_SKIP() << "the server skipped cycles in every run";
  EXPECT_LT(worst, 1e-6);
  // At 48 kHz the filters would differ by far more than that.
  double apart = 0.0;
  for (size_t i = 0; i < live.size(); ++i)
    apart = std::max(apart, std::fabs(double(live[i]) - wrongRate[i]));
  EXPECT_GT(apart, 1e-3);
  app.Signal(SIGINT);
  EXPECT_EQ(app.Wait(), 0) << app.Output();
}

TEST_F(JackApp, ServerKilledUnderItEndsTheAppWithAMessageAndKeepsTheSound)
{
  StartServer(48000, 256);
  StartApp({"--param", "Drive=0.75"});
  jackd.Signal(SIGKILL);
  ASSERT_EQ(jackd.Wait(), -1);
  EXPECT_EQ(app.Wait(), 3) << app.Output();
  EXPECT_NE(app.Output().find("the JACK server went away"), std::string::npos) << app.Output();
  const std::vector<double> kept = KeptParams();
  ASSERT_EQ(kept.size(), size_t(Quorvane::kNumParams));
  EXPECT_EQ(kept[Quorvane::kDrive], 0.75);
  // A killed server leaves its entry in the user's JACK registry, which holds only a
  // few; a server of the same name reclaims it and gives it back when stopped.
  StartServer(48000, 256);
}

TEST_F(JackApp, NoServerIsAClearFailure)
{
  std::vector<std::string> argv = {QUORVANE_APP, "--headless", "--server", server};
  ASSERT_TRUE(app.Start(argv, {"XDG_CONFIG_HOME=" + dir}, dir + "/app.log"));
  EXPECT_EQ(app.Wait(), 2);
  EXPECT_NE(app.Output().find("no JACK server is running"), std::string::npos) << app.Output();
}

// Run one sets the sound from the command line and a foot controller; run two
// starts from what run one kept and keeps it again untouched.
TEST_F(JackApp, KeepsTheSoundAcrossRunsAndObeysProgramAndControlChanges)
{
  StartServer(48000, 256);
  StartApp({"--param", "High=0.9", "--param", "Effect=Off", "--cc", "Mid=20"});
  {
    Rig rig;
    ASSERT_TRUE(rig.Start(server));
    // Program 0 ("Init") first: it undoes High and Effect; then the controllers.
    // Then what must change nothing: a program that does not exist, a note, an
    // unmapped controller.
    rig.midiToSend = {{0xC0, 0x00}, {0xB0, 7, 0},    {0xB3, 11, 127}, {0xB0, 20, 127},
                      {0xC0, 0x05}, {0x90, 60, 100}, {0xB0, 21, 5}};
    ASSERT_EQ(jack_connect(rig.src, "qtest_src:midi", "Quorvane:midi_in"), 0);
    rig.sendMidi.store(true);
    ASSERT_TRUE(WaitFor([&] { return rig.midiSent.load(); }));
    // A few cycles for the app to take the events.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  app.Signal(SIGTERM);
  ASSERT_EQ(app.Wait(), 0) << app.Output();
  const std::vector<double> expected = {0.0, 1.0, 0.5, 1.0, 0.5, 1.0};
  EXPECT_EQ(KeptParams(), expected);

  StartApp();
  app.Signal(SIGTERM);
  ASSERT_EQ(app.Wait(), 0) << app.Output();
  EXPECT_EQ(KeptParams(), expected);
  // Written by renaming a finished file: no temporary stays beside it.
  EXPECT_EQ(std::system(("ls '" + dir + "/quorvane' | grep -q tmp").c_str()) == 0, false);
}

#if QUORVANE_APP_HAS_WINDOW
namespace
{
// A private Xvfb; it picks a free display itself and names it through a pipe.
std::string StartXvfb(Child* xvfb, const std::string& dir)
{
  int fds[2];
  if (pipe(fds) != 0) return "";
  const std::string fd = std::to_string(fds[1]);
  if (!xvfb->Start({"Xvfb", "-displayfd", fd, "-screen", "0", "800x600x24", "-nolisten", "tcp"}, {},
                   dir + "/xvfb.log"))
    return "";
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n')
    number += c;
  close(fds[0]);
  return number.empty() ? "" : ":" + number;
}

// The top-level window called name, or 0.
Window FindWindowNamed(Display* d, const char* name)
{
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return 0;
  for (unsigned i = 0; i < n && !found; ++i)
  {
    char* title = nullptr;
    if (XFetchName(d, children[i], &title) && title && std::strcmp(title, name) == 0)
      found = children[i];
    if (title) XFree(title);
  }
  if (children) XFree(children);
  return found;
}
} // namespace

// The editor opens in a top-level window titled "Quorvane" at the editor's size and
// draws itself there; the window manager's close request quits the app, which keeps
// the sound on the way out.
TEST_F(JackApp, TheWindowShowsTheEditorAndClosingItQuits)
{
  Child xvfb;
  const std::string display = StartXvfb(&xvfb, dir);
  ASSERT_FALSE(display.empty()) << xvfb.Output();
  StartServer(48000, 256);
  StartApp({"--param", "Low=0.25"}, display);
  Display* d = XOpenDisplay(display.c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  ASSERT_TRUE(WaitFor([&] { return (w = FindWindowNamed(d, "Quorvane")) != 0; })) << app.Output();
  XWindowAttributes wa;
  ASSERT_TRUE(XGetWindowAttributes(d, w, &wa));
  EXPECT_EQ(wa.width, 224);
  EXPECT_EQ(wa.height, 333);
  // Something other than the window's black background: the editor drew its face.
  const bool drawn = WaitFor(
      [&]
      {
        XImage* img = XGetImage(d, w, 0, 0, 224, 333, AllPlanes, ZPixmap);
        long lit = 0;
        for (int y = 0; img && y < 333; y += 8)
          for (int x = 0; x < 224; x += 8)
            lit += (XGetPixel(img, x, y) & 0xFFFFFF) != 0;
        if (img) XDestroyImage(img);
        return lit > 100;
      });
  EXPECT_TRUE(drawn);

  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &ev);
  XFlush(d);
  EXPECT_EQ(app.Wait(), 0) << app.Output();
  XCloseDisplay(d);
  const std::vector<double> kept = KeptParams();
  ASSERT_EQ(kept.size(), size_t(Quorvane::kNumParams));
  EXPECT_EQ(kept[Quorvane::kLow], 0.25);
  xvfb.Signal(SIGTERM);
  xvfb.Wait();
}
#endif

// --load takes a program file made for Quorvane; anything else stops the app before
// it plays, with the file named, and leaves the kept sound alone.
TEST_F(JackApp, LoadsItsOwnProgramFilesAndRefusesOthers)
{
  FxProgram program;
  program.pluginID = QuorvaneIdentity::kUniqueID;
  program.numParams = Quorvane::kNumParams;
  program.name = "Stage";
  program.values = {0.25f, 0.75f, 0.5f, 0.5f, 0.5f, 0.0f};
  FxProgram foreign = program;
  foreign.pluginID = QuorvaneIdentity::kUniqueID + 1;
  struct Case
  {
    std::string file;
    std::vector<uint8_t> bytes;
  };
  const Case bad[] = {
      {dir + "/foreign.fxp", WriteProgramFile(foreign)},
      {dir + "/noise.fxp", {'C', 'c', 'n', 'K', 1, 2, 3}},
  };
  for (const Case& c : bad)
  {
    std::string error;
    ASSERT_TRUE(WriteFileReplacing(c.file.c_str(), c.bytes, &error)) << error;
    ASSERT_TRUE(app.Start({QUORVANE_APP, "--headless", "--server", server, "--load", c.file},
                          {"XDG_CONFIG_HOME=" + dir}, dir + "/app.log"));
    EXPECT_EQ(app.Wait(), 4) << app.Output();
    EXPECT_NE(app.Output().find(c.file), std::string::npos) << app.Output();
  }
  EXPECT_NE(access(StatePath().c_str(), F_OK), 0);

  StartServer(48000, 256);
  std::string error;
  ASSERT_TRUE(WriteFileReplacing((dir + "/stage.fxp").c_str(), WriteProgramFile(program), &error));
  StartApp({"--load", dir + "/stage.fxp"});
  app.Signal(SIGTERM);
  ASSERT_EQ(app.Wait(), 0) << app.Output();
  EXPECT_EQ(KeptParams(), (std::vector<double>{0.25, 0.75, 0.5, 0.5, 0.5, 0.0}));
}

// Without --no-connect the guitar comes from the first capture port and the outputs
// go to the first two playback ports, unless --input or --output name others.
TEST_F(JackApp, ConnectsToThePhysicalPortsUnlessToldOtherwise)
{
  StartServer(48000, 256);
  auto connections = [&](const char* port)
  {
    jack_client_t* c = Rig::Open(server, "qtest_look");
    std::vector<std::string> names;
    const char** list = c ? jack_port_get_all_connections(c, jack_port_by_name(c, port)) : nullptr;
    for (int i = 0; list && list[i]; ++i)
      names.push_back(list[i]);
    if (list) jack_free(list);
    if (c) jack_client_close(c);
    return names;
  };
  using Names = std::vector<std::string>;
  ASSERT_TRUE(app.Start({QUORVANE_APP, "--headless", "--server", server},
                        {"XDG_CONFIG_HOME=" + dir}, dir + "/app.log"));
  ASSERT_TRUE(WaitFor([&] { return app.Output().find("playing on JACK") != std::string::npos; }));
  EXPECT_EQ(connections("Quorvane:in_1"), Names{"system:capture_1"});
  EXPECT_EQ(connections("Quorvane:out_1"), Names{"system:playback_1"});
  EXPECT_EQ(connections("Quorvane:out_2"), Names{"system:playback_2"});
  StopApp();

  ASSERT_TRUE(
      app.Start({QUORVANE_APP, "--headless", "--server", server, "--stereo", "--input",
                 "system:capture_2", "--output", "system:playback_2", "--output", "nowhere:x"},
                {"XDG_CONFIG_HOME=" + dir}, dir + "/app2.log"));
  ASSERT_TRUE(WaitFor([&] { return app.Output().find("playing on JACK") != std::string::npos; }));
  EXPECT_EQ(connections("Quorvane:in_1"), Names{"system:capture_2"});
  EXPECT_EQ(connections("Quorvane:in_2"), Names{"system:capture_2"});
  EXPECT_EQ(connections("Quorvane:out_1"), Names{"system:playback_2"});
  EXPECT_TRUE(connections("Quorvane:out_2").empty());
  // A port that does not exist is said, and the app plays on.
  EXPECT_NE(app.Output().find("cannot connect Quorvane:out_2 to nowhere:x"), std::string::npos)
      << app.Output();
}
