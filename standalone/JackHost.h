#pragma once
// The app's JACK client: ports, callbacks and connections around one standalone
// plug-in instance. The server calls process on its real-time thread and the
// other callbacks on its notification thread; the main thread polls the flags.
#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

class IEffectStandalone;

class JackHost
{
public:
  explicit JackHost(IEffectStandalone* effect);
  ~JackHost();
  JackHost(const JackHost&) = delete;
  JackHost& operator=(const JackHost&) = delete;

  // ---- Main thread ----
  // Opens the client "Quorvane" on serverName (empty: the default server), without
  // starting a server, registers in_1 (in_2 with stereo), out_1, out_2 and midi_in
  // and hands the server's rate and block size to the effect. False with error set.
  bool Open(const std::string& serverName, bool stereo, std::string* error);
  bool Activate(std::string* error);
  // Connects the given ports, then, with autoConnect, the first physical ports to
  // every port still unconnected. Each failure is a line in warnings.
  void Connect(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
               bool autoConnect, std::vector<std::string>* warnings);
  // Deactivates and closes; safe to call twice and after the server went away.
  void Close();

  // Set by the server's notification thread when the server shuts down.
  bool ServerGone() const { return mServerGone.load(std::memory_order_acquire); }
  const char* ServerGoneReason() const { return mShutdownReason; }
  int XrunCount() const { return mXruns.load(std::memory_order_relaxed); }
  float CpuLoad() const;
  jack_client_t* Client() const { return mClient; }

private:
  static int Process(jack_nframes_t nFrames, void* arg);
  static int BufferSizeChanged(jack_nframes_t nFrames, void* arg);
  static int SampleRateChanged(jack_nframes_t rate, void* arg);
  static int Xrun(void* arg);
  static void Shutdown(jack_status_t code, const char* reason, void* arg);

  IEffectStandalone* mEffect;
  jack_client_t* mClient = nullptr;
  bool mActive = false;
  // Registered by the main thread before activation, then only read.
  std::vector<jack_port_t*> mIn, mOut;
  jack_port_t* mMidiIn = nullptr;
  // Port buffers of the current cycle; sized before activation, written by the
  // process callback only.
  std::vector<float*> mInBuf, mOutBuf;
  std::atomic<bool> mServerGone{false};
  std::atomic<int> mXruns{0};
  // Written once by the notification thread before mServerGone is set.
  char mShutdownReason[256] = "";
};
