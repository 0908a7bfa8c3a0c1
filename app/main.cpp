// quenchbox-rz: the effect as an application. This build runs headless
// (--no-gui), for a pedalboard computer or any machine: on JACK when a
// server runs (PipeWire's included), else straight on an ALSA device.
// Ctrl-C or SIGTERM stops it cleanly.

#include "app/AlsaAudio.h"
#include "app/AppRun.h"
#include "app/JackAudio.h"

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

    std::vector<std::string> deviceList() override { return app::AlsaAudio::deviceList(); }

    // SIGINT and SIGTERM wait for the main loop; blocked before JACK makes
    // its threads, so that none of them takes the signal.
    void prepare() override { pthread_sigmask(SIG_BLOCK, &signals, nullptr); }

    // JACK when a server runs (or the one named), else ALSA's device straight.
    std::unique_ptr<app::AudioBackend> openAudio(app::AppEngine& engine, const app::AppSettings& settings,
                                                 const app::AppOptions& options, std::string& error) override
    {
        if (!options.forceAlsa) {
            auto jack = std::make_unique<app::JackAudio>(engine, app::JackAudio::Options{options.serverName});
            if (jack->open(error))
                return jack;
            if (error != app::JackAudio::kNoServer || !options.serverName.empty())
                return nullptr;
        }
        const app::AlsaAudio::Options device{
            options.device.value_or(settings.device),
            static_cast<unsigned>(options.sampleRate.value_or(settings.sampleRate)),
            static_cast<unsigned>(options.bufferFrames.value_or(settings.bufferFrames))};
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

private:
    sigset_t signals;
};

}  // namespace

int main(int argc, char** argv)
{
    LinuxPlatform platform;
    return app::runApplication("quenchbox-rz", argc, argv, platform);
}
