// quenchbox-rz: the effect as an application, in a window with the panel
// or headless (--no-gui, for a pedalboard computer): on JACK when a server
// runs (PipeWire's included), else straight on an ALSA device. Closing the
// window, Ctrl-C or SIGTERM stops it cleanly: the audio first, then the
// settings are saved.

#include "app/AlsaAudio.h"
#include "app/AppRun.h"
#include "app/JackAudio.h"
#include "app/x11/AppWindow.h"

#include <csignal>
#include <ctime>

#include <pthread.h>

namespace {

using namespace quenchbox;

class LinuxPlatform final : public app::AppPlatform {
public:
    LinuxPlatform()
    {
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
    }

    std::vector<std::string> deviceList() override
    {
        std::vector<std::string> lines;
        for (const app::AlsaAudio::Device& device : app::AlsaAudio::deviceList())
            lines.push_back(device.description.empty() ? device.name : device.name + ": " + device.description);
        return lines;
    }

    std::vector<std::string> deviceNames() override
    {
        std::vector<std::string> names;
        for (const app::AlsaAudio::Device& device : app::AlsaAudio::deviceList())
            names.push_back(device.name);
        return names;
    }

    // SIGINT and SIGTERM wait for the main loop; blocked before JACK makes
    // its threads, so that none of them takes the signal.
    void prepare() override { pthread_sigmask(SIG_BLOCK, &signals, nullptr); }

    // JACK when a server runs (or the one named), else ALSA's device straight.
    std::unique_ptr<app::AudioBackend> openAudio(app::AppEngine& engine, const app::AppSettings& settings,
                                                 const app::AppOptions& options, std::string& error) override
    {
        if (!options.forceAlsa) {
            app::JackAudio::Options server;
            server.server = options.serverName;
            server.connections = settings.jackConnections;
            auto jack = std::make_unique<app::JackAudio>(engine, server);
            if (jack->open(error))
                return jack;
            if (error != app::JackAudio::kNoServer || !options.serverName.empty())
                return nullptr;
        }
        const app::AlsaAudio::Options device{settings.device, static_cast<unsigned>(settings.sampleRate),
                                             static_cast<unsigned>(settings.bufferFrames)};
        auto alsa = std::make_unique<app::AlsaAudio>(engine, device);
        if (alsa->open(error))
            return alsa;
        return nullptr;
    }

    bool stopRequested(int milliseconds) override
    {
        const timespec wait{milliseconds / 1000, (milliseconds % 1000) * 1000L * 1000L};
        return sigtimedwait(&signals, nullptr, &wait) >= 0;
    }

    std::unique_ptr<app::AppWindowLayer> makeWindow(AEffEditor& panel, app::AppController& controller) override
    {
        return std::make_unique<app::AppWindow>(panel, controller);
    }

private:
    sigset_t signals;
};

}  // namespace

int main(int argc, char** argv)
{
    LinuxPlatform platform;
    return app::runApplication("quenchbox-rz", argc, argv, platform);
}
