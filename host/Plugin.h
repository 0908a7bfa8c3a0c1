#ifndef QUENCHBOX_HOST_PLUGIN_H
#define QUENCHBOX_HOST_PLUGIN_H

#include <memory>
#include <optional>
#include <string>

namespace quenchbox::host {

// What a format tells its host about one parameter; what the format has no
// way to say (or the build deliberately leaves out) stays empty.
struct ParameterListing {
    std::string name;
    std::optional<std::string> unit;
    std::optional<int> steps;  // 0 for a continuous one, else positions - 1
    std::optional<float> defaultValue;
    std::optional<std::string> symbol;  // LV2's port symbol
};

// What the offline host needs of a plug-in, whatever its format: the
// renderer, the listing and the settings go through this.
class Plugin {
public:
    virtual ~Plugin() = default;

    // The lines that introduce the plug-in in a listing.
    virtual std::string description() = 0;

    virtual int parameterCount() = 0;
    virtual std::string parameterName(int index) = 0;
    virtual std::string parameterDisplay(int index) = 0;
    virtual ParameterListing parameterListing(int index) = 0;
    virtual float parameter(int index) = 0;
    virtual void setParameter(int index, float value) = 0;

    virtual int programCount() = 0;
    virtual int program() = 0;
    virtual void setProgram(int program) = 0;
    virtual std::string programName() = 0;
    // The lines a host's preset browser would show; none for a format
    // without preset discovery.
    virtual std::string discoveredPresets() { return {}; }

    virtual bool canProcessDouble() = 0;
    virtual void setSampleRate(double rate) = 0;
    virtual void setBlockSize(int frames) = 0;
    virtual void announceChannels(int channels) = 0;
    virtual void resume() = 0;
    virtual void suspend() = 0;

    // Two channels in and out; frames at most the announced block size.
    virtual void process(float** inputs, float** outputs, int frames) = 0;
    virtual void process(double** inputs, double** outputs, int frames) = 0;
};

// An LV2 bundle when the path ends in ".lv2" (or ".lv2/"), a CLAP plug-in
// when the file name ends in ".clap", a VST3 bundle when the folder's name
// ends in ".vst3", else a VST 2.4 one.
// Throws std::runtime_error with a message a user can act on.
std::unique_ptr<Plugin> loadPlugin(const std::string& path);

}  // namespace quenchbox::host

#endif
