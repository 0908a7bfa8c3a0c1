#ifndef QUENCHBOX_APP_APPSESSION_H
#define QUENCHBOX_APP_APPSESSION_H

#include "app/AppEngine.h"
#include "app/AppOptions.h"
#include "app/AppSettings.h"

#include <string>
#include <vector>

namespace quenchbox::app {

// What every build of the program does at its start and at its clean stop,
// whatever the window system and the audio back-end.

// The effect as the user left it last time, then as the command line says.
// Throws std::invalid_argument with a one-line message for a preset file
// that is not one; what it skipped in a damaged one goes to `skipped`, one
// line each.
void applyStartState(AppEngine& engine, const AppSettings& settings, const AppOptions& options,
                     std::vector<std::string>& skipped);

// The saved settings with the command line's device, rate and buffer in
// their place: what this run opens, and remembers for the next.
AppSettings withCommandLine(AppSettings settings, const AppOptions& options);

// What the next start begins from: the settings this run played with, and
// the monitor, the input, the MIDI map, the program and every value as they
// are now.
AppSettings stateToRemember(AppEngine& engine, AppSettings settings);

}  // namespace quenchbox::app

#endif
