#ifndef QUENCHBOX_HOST_VST3HOSTEDPLUGIN_H
#define QUENCHBOX_HOST_VST3HOSTEDPLUGIN_H

#include "host/Plugin.h"
#include "host/Vst3Instance.h"

#include <memory>
#include <string>

namespace quenchbox::host {

// The audio effect class of a VST3 bundle as the offline host's Plugin: the
// parameters the controller lists (the program change apart), the programs
// of its program-change parameter, stereo buses.
class Vst3HostedPlugin : public Plugin {
public:
    explicit Vst3HostedPlugin(const std::string& bundlePath);
    ~Vst3HostedPlugin() override;

    Vst3Instance& instance() { return *vst3; }

    std::string description() override;
    int parameterCount() override { return static_cast<int>(parameterIds.size()); }
    std::string parameterName(int index) override;
    std::string parameterDisplay(int index) override;
    ParameterListing parameterListing(int index) override;
    float parameter(int index) override;
    void setParameter(int index, float value) override;
    int programCount() override { return hasPrograms ? programSteps + 1 : 0; }
    int program() override;
    void setProgram(int program) override;
    std::string programName() override;
    bool canProcessDouble() override;
    void setSampleRate(double rate) override { sampleRate = rate; }
    void setBlockSize(int frames) override { blockSize = frames; }
    void announceChannels(int /*channels*/) override {}
    void resume() override;
    void suspend() override { vst3->stop(); }
    void process(float** inputs, float** outputs, int frames) override;
    void process(double** inputs, double** outputs, int frames) override;

private:
    template <typename Sample>
    void processBlock(Sample** inputs, Sample** outputs, int frames);

    Vst3Module module;
    PClassInfo2 info;
    std::unique_ptr<Vst3Instance> vst3;
    std::vector<ParamID> parameterIds;
    ParamID programId = 0;
    int32 programSteps = 0;
    bool hasPrograms = false;
    HostParameterChanges pending;
    double sampleRate = 44100.0;
    int blockSize = 256;
    bool doubles = false;
};

}  // namespace quenchbox::host

#endif
