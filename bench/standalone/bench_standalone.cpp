// The quorvane app playing live: the cost of one JACK block through the standalone
// binding, and a run of the app on a private dummy JACK server (48 kHz, 256 frames)
// that counts the server's xruns and samples its DSP load. The run lasts
// QUORVANE_LIVE_SECONDS (default 60).
#include <benchmark/benchmark.h>
#include <jack/jack.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "effect/Quorvane.h"
#include "tests/standalone/SpawnChild.h"

namespace
{
constexpr int kBlock = 256;
constexpr double kRate = 48000.0;

// One JACK cycle's work in the app: a mono guitar in, two outputs.
void BM_ProcessAudioBlock(benchmark::State& state)
{
  Quorvane fx{IEffectInstanceInfo{}};
  fx.SetHostSampleRate(kRate);
  fx.SetHostBlockSize(kBlock);
  std::vector<float> in(kBlock), out0(kBlock), out1(kBlock);
  for (int i = 0; i < kBlock; ++i)
    in[size_t(i)] = float(0.4 * std::sin(i * 0.0144));
  float* ins[2] = {in.data(), nullptr};
  float* outs[2] = {out0.data(), out1.data()};
  for (auto _ : state)
  {
    fx.ProcessAudio(ins, outs, kBlock);
    benchmark::DoNotOptimize(out0.data());
  }
  // Seconds of audio per second of processor time: its inverse is the DSP load one
  // instance puts on a core.
  state.counters["x_realtime"] =
      benchmark::Counter(double(state.iterations()) * kBlock / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessAudioBlock);

pid_t Spawn(const std::vector<std::string>& argv)
{
  return SpawnChild(argv, {}, "/dev/null");
}

// Stops a child started here, by its id.
void Stop(pid_t pid)
{
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i)
  {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

jack_client_t* OpenWhenUp(const std::string& server, const char* name)
{
  for (int i = 0; i < 200; ++i)
  {
    jack_status_t status;
    jack_client_t* c = jack_client_open(name, jack_options_t(JackNoStartServer | JackServerName),
                                        &status, server.c_str());
    if (c) return c;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

int CountXrun(void* arg)
{
  static_cast<std::atomic<int>*>(arg)->fetch_add(1);
  return 0;
}

void BM_LiveRunOnDummyServer(benchmark::State& state)
{
  const char* env = std::getenv("QUORVANE_LIVE_SECONDS");
  const int seconds = env && std::atoi(env) > 0 ? std::atoi(env) : 60;
  const std::string server = "qbench-" + std::to_string(getpid());
  for (auto _ : state)
  {
    // Real-time scheduling where the system grants it, as on a pedalboard computer.
    const pid_t jackd = Spawn({"jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"});
    jack_client_t* watch = OpenWhenUp(server, "qbench_watch");
    if (!watch)
    {
      Stop(jackd);
      state.SkipWithError("jackd did not start");
      return;
    }
    const pid_t app = Spawn(
        {QUORVANE_APP, "--headless", "--server", server, "--state", "/tmp/" + server + "-state"});
    bool up = false;
    for (int i = 0; i < 200 && !up; ++i)
    {
      up = jack_port_by_name(watch, "Quorvane:out_1") != nullptr &&
           jack_port_connected(jack_port_by_name(watch, "Quorvane:out_1")) > 0;
      if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::atomic<int> xruns{0};
    jack_set_xrun_callback(watch, CountXrun, &xruns);
    jack_activate(watch);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    xruns.store(0);
    double loadSum = 0.0, loadMax = 0.0;
    int samples = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds))
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      const double load = jack_cpu_load(watch);
      loadSum += load;
      loadMax = std::max(loadMax, load);
      ++samples;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(elapsed);
    state.counters["connected"] = up ? 1 : 0;
    state.counters["xruns"] = xruns.load();
    state.counters["dsp_load_avg_pct"] = samples ? loadSum / samples : 0.0;
    state.counters["dsp_load_max_pct"] = loadMax;
    jack_client_close(watch);
    Stop(app);
    Stop(jackd);
    std::remove(("/tmp/" + server + "-state").c_str());
  }
}
BENCHMARK(BM_LiveRunOnDummyServer)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
} // namespace

BENCHMARK_MAIN();
