#ifndef QUENCHBOX_APP_AUDIOKEEPER_H
#define QUENCHBOX_APP_AUDIOKEEPER_H

#include "app/AppController.h"
#include "app/AudioBackend.h"

#include <functional>
#include <memory>
#include <string>

namespace quenchbox::app {

// Keeps the audio going, whatever the back-end, in the window and headless:
// audio that cannot open, or goes away while playing, leaves its reason (for
// the window) and is tried again every half second, and at once when the
// user asks (a click on the message, "Apply" on the settings page). On the
// application's thread.
class AudioKeeper {
public:
    // Opens the back-end the settings name, or answers null with the reason.
    using Opener = std::function<std::unique_ptr<AudioBackend>(std::string& error)>;
    // What the program says on its standard output: the route, the first
    // period, a loss, the dropouts at the end.
    using Say = std::function<void(const std::string& line)>;

    AudioKeeper(Opener opener, Say say) : open(std::move(opener)), say(std::move(say)) {}
    ~AudioKeeper() { stop(); }
    AudioKeeper(const AudioKeeper&) = delete;
    AudioKeeper& operator=(const AudioKeeper&) = delete;

    // About thirty times a second; `reopen` when the user asked for it.
    void tick(long long nowMs, bool reopen);
    AudioState state() const;
    // Stops the audio (before the settings are saved) and says how many
    // dropouts there were.
    void stop();

private:
    static constexpr long long kRetryMs = 500;

    void reopen(long long nowMs);

    Opener open;
    Say say;
    std::unique_ptr<AudioBackend> audio;
    std::string problem;  // what the window says while there is no audio
    std::string detail;   // and why
    bool tried = false;
    bool firstReported = false;
    int earlierDropouts = 0;  // of the back-ends before this one, since the start
    long long retryAt = 0;
};

}  // namespace quenchbox::app

#endif
