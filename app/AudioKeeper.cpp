#include "app/AudioKeeper.h"

namespace quenchbox::app {

void AudioKeeper::tick(long long nowMs, bool reopenAsked)
{
    if (audio && problem.empty() && audio->lost()) {
        audio->close();
        problem = "The " + audio->name() + " went away.";
        say("the " + audio->name() + " went away; waiting for it to come back");
        retryAt = nowMs + kRetryMs;
    }
    if (!tried || reopenAsked || (!problem.empty() && nowMs >= retryAt))
        reopen(nowMs);
    if (!audio || !problem.empty())
        return;
    audio->followLatency();
    if (!firstReported && audio->playing()) {
        say(audio->firstPeriodLine());
        firstReported = true;
    }
}

void AudioKeeper::reopen(long long nowMs)
{
    if (audio) {
        audio->close();
        earlierDropouts += audio->dropouts();
    }
    std::string error;
    audio = open(error);
    tried = true;
    retryAt = nowMs + kRetryMs;
    if (!audio) {
        problem = "No audio.";
        detail = error;
        return;
    }
    problem.clear();
    detail.clear();
    firstReported = false;  // each connection says when it first played
    say(audio->route());
}

AudioState AudioKeeper::state() const
{
    AudioState state;
    state.deviceChoicesApply = !audio || audio->usesDeviceChoices();
    state.dropouts = earlierDropouts;
    if (audio && problem.empty()) {
        state.route = audio->route();
        state.dropouts += audio->dropouts();
    } else {
        state.lostMessage = problem;
        state.lostDetail = detail;
    }
    return state;
}

void AudioKeeper::stop()
{
    if (!audio)
        return;
    audio->close();
    say("stopped after " + std::to_string(earlierDropouts + audio->dropouts()) + " dropouts");
    audio.reset();
}

}  // namespace quenchbox::app
