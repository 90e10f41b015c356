#include "standalone/JackHost.h"

#include <jack/midiport.h>

#include <cstdio>
#include <cstring>

#include "core/IMidiMsg.h"
#include "standalone/IEffectStandalone.h"
#include "util/UTL_CopyTruncated.h"

namespace
{
constexpr const char* kClientName = "Quorvane";

// Physical audio ports of one direction, in the server's order.
std::vector<std::string> PhysicalPorts(jack_client_t* client, unsigned long flags)
{
  std::vector<std::string> names;
  const char** ports =
      jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, flags | JackPortIsPhysical);
  if (!ports) return names;
  for (int i = 0; ports[i]; ++i)
    names.push_back(ports[i]);
  jack_free(ports);
  return names;
}
} // namespace

JackHost::JackHost(IEffectStandalone* effect) : mEffect(effect) {}

JackHost::~JackHost()
{
  Close();
}

bool JackHost::Open(const std::string& serverName, bool stereo, std::string* error)
{
  error->clear();
  jack_status_t status = jack_status_t(0);
  int options = JackNoStartServer | JackUseExactName;
  if (!serverName.empty()) options |= JackServerName;
  mClient = serverName.empty() ? jack_client_open(kClientName, jack_options_t(options), &status)
                               : jack_client_open(kClientName, jack_options_t(options), &status,
                                                  serverName.c_str());
  if (!mClient)
  {
    if (status & JackNameNotUnique)
      *error = "another client is already called \"Quorvane\" on this JACK server";
    else if (status & JackServerFailed)
      *error = "no JACK server is running" +
               (serverName.empty() ? std::string() : " under the name \"" + serverName + "\"") +
               " (start one, or use PipeWire's JACK layer)";
    else
      *error = "the JACK server refused the client (status " + std::to_string(int(status)) + ")";
    return false;
  }

  const int nIn = stereo ? 2 : 1;
  for (int i = 0; i < nIn; ++i)
    mIn.push_back(jack_port_register(mClient, ("in_" + std::to_string(i + 1)).c_str(),
                                     JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
  for (int i = 0; i < 2; ++i)
    mOut.push_back(jack_port_register(mClient, ("out_" + std::to_string(i + 1)).c_str(),
                                      JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0));
  mMidiIn = jack_port_register(mClient, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  for (jack_port_t* p : mIn)
    if (!p) *error = "cannot register the input ports";
  for (jack_port_t* p : mOut)
    if (!p) *error = "cannot register the output ports";
  if (!mMidiIn) *error = "cannot register the MIDI input port";
  if (!error->empty())
  {
    Close();
    return false;
  }
  // The effect has at least as many channels as ports: missing inputs read silence.
  mInBuf.assign(size_t(mEffect->NInChannels() > 2 ? mEffect->NInChannels() : 2), nullptr);
  mOutBuf.assign(size_t(mEffect->NOutChannels() > 2 ? mEffect->NOutChannels() : 2), nullptr);

  jack_set_process_callback(mClient, Process, this);
  jack_set_buffer_size_callback(mClient, BufferSizeChanged, this);
  jack_set_sample_rate_callback(mClient, SampleRateChanged, this);
  jack_set_xrun_callback(mClient, Xrun, this);
  jack_on_info_shutdown(mClient, Shutdown, this);

  mEffect->SetHostSampleRate(double(jack_get_sample_rate(mClient)));
  mEffect->SetHostBlockSize(int(jack_get_buffer_size(mClient)));
  return true;
}

bool JackHost::Activate(std::string* error)
{
  if (!mClient || jack_activate(mClient) != 0)
  {
    *error = "the JACK server did not start the client";
    return false;
  }
  mActive = true;
  return true;
}

void JackHost::Connect(const std::vector<std::string>& inputs,
                       const std::vector<std::string>& outputs, bool autoConnect,
                       std::vector<std::string>* warnings)
{
  if (!mClient) return;
  std::vector<std::string> from = inputs, to = outputs;
  if (autoConnect)
  {
    const std::vector<std::string> capture = PhysicalPorts(mClient, JackPortIsOutput);
    const std::vector<std::string> playback = PhysicalPorts(mClient, JackPortIsInput);
    // A mono guitar: the first capture port; stereo takes the second as well.
    for (size_t i = from.size(); i < mIn.size() && i < capture.size(); ++i)
      from.push_back(capture[i]);
    for (size_t i = to.size(); i < mOut.size() && i < playback.size(); ++i)
      to.push_back(playback[i]);
  }
  for (size_t i = 0; i < from.size() && i < mIn.size(); ++i)
    if (jack_connect(mClient, from[i].c_str(), jack_port_name(mIn[i])) != 0)
      warnings->push_back("cannot connect " + from[i] + " to " + jack_port_name(mIn[i]));
  for (size_t i = 0; i < to.size() && i < mOut.size(); ++i)
    if (jack_connect(mClient, jack_port_name(mOut[i]), to[i].c_str()) != 0)
      warnings->push_back("cannot connect " + std::string(jack_port_name(mOut[i])) + " to " +
                          to[i]);
}

void JackHost::Close()
{
  if (!mClient) return;
  if (mActive && !ServerGone()) jack_deactivate(mClient);
  mActive = false;
  jack_client_close(mClient);
  mClient = nullptr;
}

float JackHost::CpuLoad() const
{
  return mClient ? jack_cpu_load(mClient) : 0.0f;
}

// ---- Server threads ----

int JackHost::Process(jack_nframes_t nFrames, void* arg)
{
  JackHost* self = static_cast<JackHost*>(arg);
  // MIDI first: a control change of this cycle already shapes its audio.
  void* midi = jack_port_get_buffer(self->mMidiIn, nFrames);
  const uint32_t nEvents = midi ? jack_midi_get_event_count(midi) : 0;
  for (uint32_t i = 0; i < nEvents; ++i)
  {
    jack_midi_event_t ev;
    if (jack_midi_event_get(&ev, midi, i) != 0 || ev.size < 2 || ev.size > 3) continue;
    IMidiMsg msg(int(ev.time), ev.buffer[0], ev.buffer[1], ev.size > 2 ? ev.buffer[2] : 0);
    self->mEffect->ProcessMidiFromHost(&msg);
  }
  for (size_t c = 0; c < self->mInBuf.size(); ++c)
    self->mInBuf[c] = c < self->mIn.size()
                          ? static_cast<float*>(jack_port_get_buffer(self->mIn[c], nFrames))
                          : nullptr;
  for (size_t c = 0; c < self->mOutBuf.size(); ++c)
    self->mOutBuf[c] = c < self->mOut.size()
                           ? static_cast<float*>(jack_port_get_buffer(self->mOut[c], nFrames))
                           : nullptr;
  self->mEffect->ProcessAudio(self->mInBuf.data(), self->mOutBuf.data(), int(nFrames));
  return 0;
}

int JackHost::BufferSizeChanged(jack_nframes_t nFrames, void* arg)
{
  static_cast<JackHost*>(arg)->mEffect->SetHostBlockSize(int(nFrames));
  return 0;
}

int JackHost::SampleRateChanged(jack_nframes_t rate, void* arg)
{
  return static_cast<JackHost*>(arg)->mEffect->SetHostSampleRate(double(rate)) ? 0 : 1;
}

int JackHost::Xrun(void* arg)
{
  static_cast<JackHost*>(arg)->mXruns.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

void JackHost::Shutdown(jack_status_t, const char* reason, void* arg)
{
  JackHost* self = static_cast<JackHost*>(arg);
  CopyTruncated(self->mShutdownReason, reason ? reason : "");
  self->mServerGone.store(true, std::memory_order_release);
}
