#ifndef QUENCHBOX_APP_APPRUN_H
#define QUENCHBOX_APP_APPRUN_H

#include "app/AppEngine.h"
#include "app/AppOptions.h"
#include "app/AppSettings.h"
#include "app/AudioBackend.h"

#include <memory>
#include <string>
#include <vector>

class AEffEditor;

namespace quenchbox::app {

class AppController;

// The application's window as the run drives it, whatever the window
// system (app/x11, app/win32): the bar, the pages and the panel's editor.
class AppWindowLayer {
public:
    virtual ~AppWindowLayer() = default;

    // Shows the window; false, with `error` saying why in one line, when it
    // cannot (no display).
    virtual bool open(std::string& error) = 0;
    // Waits up to `milliseconds` for the window's events and handles them.
    virtual void waitForEvents(int milliseconds) = 0;
    // Follows the page and repaints what changed.
    virtual void update() = 0;
    // The window's close button was pressed.
    virtual bool closeRequested() const = 0;
    // Closes the editor, then the window.
    virtual void close() = 0;
};

// What one build of the program brings to the run every build shares: its
// audio back-ends, its device list, its window and its way of being told to
// stop (SIGINT and SIGTERM on Linux, Ctrl-C and the console closing on
// Windows).
class AppPlatform {
public:
    virtual ~AppPlatform() = default;

    // One line per device, for --list-devices.
    virtual std::vector<std::string> deviceList() = 0;
    // The names the settings page offers as the device (--device's).
    virtual std::vector<std::string> deviceNames() = 0;
    // Before the engine and any back-end thread exist.
    virtual void prepare() {}
    // Opens the back-end the settings and the command line choose; null
    // with a one-line `error` when there is none to play on.
    virtual std::unique_ptr<AudioBackend> openAudio(AppEngine& engine, const AppSettings& settings,
                                                    const AppOptions& options, std::string& error) = 0;
    // Waits up to `milliseconds` for the stop request; true once it came.
    virtual bool stopRequested(int milliseconds) = 0;
    // The window around the plug-in's editor `panel`.
    virtual std::unique_ptr<AppWindowLayer> makeWindow(AEffEditor& panel, AppController& controller) = 0;
    // After the audio closed and before the engine goes: whatever else
    // feeds the engine (MIDI) lets go of it.
    virtual void finished() {}
};

// The program from its command line to its exit status: help, version and
// device list, the start state, playing in the window or headless until
// stopped (waiting for audio that went away to come back), and the settings
// saved at the clean stop.
// `programName` begins every error line and the version line.
int runApplication(const char* programName, int argc, const char* const* argv, AppPlatform& platform);

}  // namespace quenchbox::app

#endif
