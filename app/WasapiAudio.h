#ifndef QUENCHBOX_APP_WASAPIAUDIO_H
#define QUENCHBOX_APP_WASAPIAUDIO_H

#include "app/AppEngine.h"
#include "app/AudioBackend.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quenchbox::app {

class EndpointWatch;

// The application on Windows' own audio, WASAPI: the capture and render
// endpoints the settings or the command line name (the system's defaults
// when none is named), event-driven, run by an audio thread of its own in
// MMCSS's "Pro Audio" class. In shared mode Windows mixes, and the rate is
// its mixer's; in exclusive mode the device is the program's alone, at the
// rate and the period asked for (or the shortest the device allows). The
// input is the capture endpoint's first one or two channels, the output the
// render endpoint's first two; samples are converted to and from whatever
// the device takes (32-bit float, 16, 24 or 32-bit integers).
//
// Every call but the audio thread's comes from a thread in COM's
// multithreaded apartment.
class WasapiAudio final : public AudioBackend {
public:
    struct Options {
        std::string device;  // empty: the default endpoints
        unsigned rate = 48000;
        unsigned bufferFrames = 256;
        bool exclusive = false;
    };

    // What open() answers when the system has no audio output at all.
    static constexpr const char* kNoDevice = "no audio output device is present (WASAPI lists none)";

    WasapiAudio(AppEngine& engine, const Options& options);
    ~WasapiAudio() override;
    WasapiAudio(const WasapiAudio&) = delete;
    WasapiAudio& operator=(const WasapiAudio&) = delete;

    bool open(std::string& error) override;
    void close() override;
    // "WASAPI shared, 48 kHz, 480 frames, in 1 to out 1+2, 21.3 ms"
    std::string route() const override;
    std::string name() const override { return "audio device"; }
    bool playing() const override { return processed.load(); }
    // The device was unplugged, disabled or taken by another program.
    bool lost() const override { return gone.load(); }
    // Periods the device played without a new one from the program, and
    // input the device lost.
    int dropouts() const override { return glitches.load(); }

    // An active endpoint, as --list-devices and the settings page show it.
    struct Endpoint {
        bool output;
        std::string name;  // what --device takes
        bool isDefault;
    };
    // The active endpoints, outputs first; kept between calls and read again
    // once an endpoint came, went or changed its default.
    static std::vector<Endpoint> endpoints();
    // One line each: "output: Speakers (USB Audio)", "input: Microphone (USB
    // Audio)", the defaults marked " (default)".
    static std::vector<std::string> deviceList();
    // The outputs' names, for the settings page.
    static std::vector<std::string> deviceNames();

    // How the device's samples are stored.
    enum class SampleFormat { float32, int16, int24, int32 };

private:
    struct Stream {
        IMMDevice* device = nullptr;
        IAudioClient* client = nullptr;
        IAudioRenderClient* render = nullptr;
        IAudioCaptureClient* capture = nullptr;
        HANDLE event = nullptr;
        std::wstring id;
        SampleFormat format = SampleFormat::float32;
        unsigned channels = 0;
        unsigned bytesPerFrame = 0;
        UINT32 bufferFrames = 0;
    };

    bool findDevices(std::string& error);
    bool initialize(Stream& stream, bool isCapture, std::string& error);
    bool initializeShared(Stream& stream, bool isCapture, std::string& error);
    bool initializeExclusive(Stream& stream, bool isCapture, std::string& error);
    bool startStreams(std::string& error);
    void release(Stream& stream);
    void run();
    HRESULT readCapture();
    HRESULT writeRender();
    void processPeriod(bool haveInput);

    AppEngine& engine;
    const Options options;
    IMMDeviceEnumerator* enumerator = nullptr;
    std::unique_ptr<EndpointWatch> watch;
    Stream input;
    Stream output;
    unsigned rate = 0;
    unsigned period = 0;
    bool mixerRate = false;  // shared mode at another rate than the one asked for
    // The captured frames not processed yet, both channels, as a ring.
    std::vector<float> pending[2];
    std::size_t pendingRead = 0;
    std::size_t pendingCount = 0;
    std::vector<float> channels[4];  // a period: two inputs, two outputs
    std::thread audioThread;
    std::atomic<bool> running{false};
    std::atomic<bool> processed{false};
    std::atomic<bool> gone{false};
    std::atomic<int> glitches{0};
};

}  // namespace quenchbox::app

#endif
