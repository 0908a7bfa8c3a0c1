#ifndef QUENCHBOX_APP_APPOPTIONS_H
#define QUENCHBOX_APP_APPOPTIONS_H

#include "app/AppSettings.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenchbox::app {

// The command line of quenchbox-rz. What it does not name comes from the
// saved settings, so every setting is optional here.
struct AppOptions {
    bool listDevices = false;
    std::optional<std::string> device;
    std::optional<int> sampleRate;
    std::optional<int> bufferFrames;
    std::optional<InputChoice> input;
    std::optional<int> program;  // resolved against the program table
    std::string presetPath;      // empty: none
    std::vector<std::pair<int, float>> parameterSettings;  // parameter index, normalized value; in order
    std::optional<bool> monitor;
    bool noGui = false;
    std::string serverName;  // JACK server; empty: the default one
    bool forceAlsa = false;
    bool exclusive = false;  // WASAPI exclusive mode
    bool help = false;
    bool version = false;
};

// Throws std::invalid_argument with a one-line message on a bad command line.
AppOptions parseAppOptions(int argc, const char* const* argv);

extern const char* const kAppUsage;

}  // namespace quenchbox::app

#endif
