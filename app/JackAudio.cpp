#include "app/JackAudio.h"

#include <jack/jack.h>
#include <jack/midiport.h>

namespace quenchbox::app {

namespace {

// Connects our two ports of one direction (`flags`: the system's outputs
// are its capture ports) to the ports the settings name, and each one not
// named to the system's physical port of its number.
void connectPorts(jack_client_t* client, unsigned long flags, jack_port_t* const* ours, const std::string* named)
{
    const char** physical = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | flags);
    bool physicalLeft = physical != nullptr;
    for (int i = 0; i < 2; ++i) {
        physicalLeft = physicalLeft && physical[i] != nullptr;
        const char* theirs = !named[i].empty() ? named[i].c_str() : physicalLeft ? physical[i] : nullptr;
        const char* mine = jack_port_name(ours[i]);
        if (theirs != nullptr)
            (flags & JackPortIsOutput) != 0 ? jack_connect(client, theirs, mine) : jack_connect(client, mine, theirs);
    }
    if (physical != nullptr)
        jack_free(physical);
}

}  // namespace

bool JackAudio::open(std::string& error)
{
    close();
    gone.store(false);
    processed.store(false);
    if (!engine.created()) {
        error = "the effect could not be made (out of memory)";
        return false;
    }
    jack_status_t status{};
    const auto openOptions = static_cast<jack_options_t>(JackNoStartServer | (options.server.empty() ? 0 : JackServerName));
    client = options.server.empty() ? jack_client_open(options.clientName.c_str(), openOptions, &status)
                                    : jack_client_open(options.clientName.c_str(), openOptions, &status,
                                                       options.server.c_str());
    if (client == nullptr) {
        error = (status & JackServerFailed) ? kNoServer : "JACK refused the client";
        return false;
    }
    for (int direction = 0; direction < 2; ++direction)
        for (int channel = 0; channel < 2; ++channel) {
            jack_port_t* port = jack_port_register(client, kJackPortNames[direction * 2 + channel], JACK_DEFAULT_AUDIO_TYPE,
                                                   direction == 0 ? JackPortIsInput : JackPortIsOutput, 0);
            (direction == 0 ? inputs : outputs)[channel] = port;
        }
    midiInput = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (inputs[0] == nullptr || inputs[1] == nullptr || outputs[0] == nullptr || outputs[1] == nullptr ||
        midiInput == nullptr) {
        error = "JACK refused the application's ports";
        close();
        return false;
    }
    jack_set_process_callback(client, processCallback, this);
    jack_set_sample_rate_callback(client, rateCallback, this);
    jack_set_buffer_size_callback(client, periodCallback, this);
    jack_set_xrun_callback(client, xrunCallback, this);
    jack_on_shutdown(client, shutdownCallback, this);
    jack_set_latency_callback(client, latencyCallback, this);
    reportedLatency = engine.effect().latency();
    rate = jack_get_sample_rate(client);
    period = jack_get_buffer_size(client);
    engine.start(rate.load());
    if (jack_activate(client) != 0) {
        error = "JACK would not start the client";
        close();
        return false;
    }
    if (options.connectToSystem)
        connectToSystem();
    // Once a server answered, the tries while it is away would print
    // libjack's complaints again and again.
    jack_set_error_function([](const char*) {});
    return true;
}

void JackAudio::close()
{
    if (client == nullptr)
        return;
    if (!gone.load())
        jack_deactivate(client);
    jack_client_close(client);
    client = nullptr;
    engine.stop();
}

// The inputs from the system's first two capture ports, so that a guitar
// on either is one click away, and the outputs to its first two playback
// ports, unless the settings name others.
void JackAudio::connectToSystem()
{
    connectPorts(client, JackPortIsOutput, inputs, &options.connections[0]);
    connectPorts(client, JackPortIsInput, outputs, &options.connections[2]);
}

int JackAudio::processCallback(std::uint32_t frames, void* self)
{
    static_cast<JackAudio*>(self)->process(frames);
    return 0;
}

void JackAudio::process(std::uint32_t frames)
{
    if (!processed.load(std::memory_order_relaxed)) {
        first.store(jack_last_frame_time(client));
        processed.store(true);
    }
    readMidi(frames);
    auto* in1 = static_cast<const float*>(jack_port_get_buffer(inputs[0], frames));
    auto* in2 = static_cast<const float*>(jack_port_get_buffer(inputs[1], frames));
    auto* out1 = static_cast<float*>(jack_port_get_buffer(outputs[0], frames));
    auto* out2 = static_cast<float*>(jack_port_get_buffer(outputs[1], frames));
    engine.process(in1, in2, out1, out2, frames);
}

void JackAudio::readMidi(std::uint32_t frames)
{
    void* buffer = jack_port_get_buffer(midiInput, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size < 2)
            continue;
        engine.queueMidi({event.buffer[0], event.buffer[1], event.size > 2 ? event.buffer[2] : std::uint8_t(0)});
    }
}

// A new rate restarts the engine for it; JACK calls this between periods.
int JackAudio::rateCallback(std::uint32_t newRate, void* self)
{
    auto* audio = static_cast<JackAudio*>(self);
    if (audio->rate.exchange(newRate) != newRate)
        audio->engine.start(newRate);
    return 0;
}

// Any period up to AppEngine::kMaxFrames is processed as it comes.
int JackAudio::periodCallback(std::uint32_t frames, void* self)
{
    static_cast<JackAudio*>(self)->period.store(frames);
    return 0;
}

int JackAudio::xrunCallback(void* self)
{
    ++static_cast<JackAudio*>(self)->xruns;
    return 0;
}

void JackAudio::shutdownCallback(void* self) { static_cast<JackAudio*>(self)->gone.store(true); }

// The outputs lag the inputs by the effect's latency: what reaches the
// capture side downstream and what the playback side asks upstream.
void JackAudio::latencyCallback(jack_latency_callback_mode_t mode, void* self)
{
    auto* audio = static_cast<JackAudio*>(self);
    const std::uint32_t added = audio->engine.effect().latency();
    jack_latency_range_t range{};
    if (mode == JackCaptureLatency) {
        jack_port_get_latency_range(audio->inputs[0], JackCaptureLatency, &range);
        range.min += added;
        range.max += added;
        for (jack_port_t* port : audio->outputs)
            jack_port_set_latency_range(port, JackCaptureLatency, &range);
    } else {
        jack_port_get_latency_range(audio->outputs[0], JackPlaybackLatency, &range);
        range.min += added;
        range.max += added;
        for (jack_port_t* port : audio->inputs)
            jack_port_set_latency_range(port, JackPlaybackLatency, &range);
    }
}

void JackAudio::followLatency()
{
    const std::uint32_t latency = engine.effect().latency();
    if (client == nullptr || latency == reportedLatency)
        return;
    reportedLatency = latency;
    jack_recompute_total_latencies(client);
}

std::uint32_t JackAudio::serverLatency() const
{
    jack_latency_range_t in{};
    jack_latency_range_t out{};
    jack_port_get_latency_range(inputs[0], JackCaptureLatency, &in);
    jack_port_get_latency_range(outputs[0], JackPlaybackLatency, &out);
    return in.max + out.max;
}

std::string JackAudio::route() const
{
    if (client == nullptr)
        return "JACK, not connected";
    return engine.route("JACK", rate.load(), period.load(), serverLatency());
}

}  // namespace quenchbox::app
