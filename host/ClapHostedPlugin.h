#ifndef QUENCHBOX_HOST_CLAPHOSTEDPLUGIN_H
#define QUENCHBOX_HOST_CLAPHOSTEDPLUGIN_H

#include "host/ClapInstance.h"
#include "host/Plugin.h"

#include <memory>
#include <string>

namespace quenchbox::host {

// A CLAP library loaded the way a host does it: dlopen, clap_entry and its
// init with the library's path; deinit and dlclose when it goes.
class ClapLibrary {
public:
    // Throws std::runtime_error.
    explicit ClapLibrary(const std::string& path);
    ~ClapLibrary();

    ClapLibrary(const ClapLibrary&) = delete;
    ClapLibrary& operator=(const ClapLibrary&) = delete;

    const clap_plugin_entry_t& entry() const { return *entryRecord; }

private:
    void* handle;
    const clap_plugin_entry_t* entryRecord = nullptr;
};

// The first plug-in of a CLAP library as the offline host's Plugin. The
// programs of a plug-in whose state this host reads are presets inside it,
// loaded by their number; the port is stereo whatever is announced.
class ClapHostedPlugin : public Plugin {
public:
    explicit ClapHostedPlugin(const std::string& path);
    ~ClapHostedPlugin() override;

    ClapInstance& instance() { return *clap; }

    std::string description() override;
    int parameterCount() override;
    std::string parameterName(int index) override;
    std::string parameterDisplay(int index) override;
    ParameterListing parameterListing(int index) override;
    float parameter(int index) override;
    void setParameter(int index, float value) override;
    int programCount() override;
    int program() override;
    void setProgram(int program) override;
    std::string programName() override;
    std::string discoveredPresets() override;
    bool canProcessDouble() override { return true; }
    void setSampleRate(double rate) override { sampleRate = rate; }
    void setBlockSize(int frames) override { blockSize = frames; }
    void announceChannels(int /*channels*/) override {}
    void resume() override;
    void suspend() override;
    void process(float** inputs, float** outputs, int frames) override;
    void process(double** inputs, double** outputs, int frames) override;

private:
    template <typename Sample>
    void processBlock(Sample** inputs, Sample** outputs, int frames);

    ClapLibrary library;
    std::unique_ptr<ClapInstance> clap;
    ClapInputEvents pending;
    double sampleRate = 44100.0;
    int blockSize = 256;
};

}  // namespace quenchbox::host

#endif
