#ifndef QUENCHBOX_HOST_LV2HOSTEDPLUGIN_H
#define QUENCHBOX_HOST_LV2HOSTEDPLUGIN_H

#include "host/Plugin.h"

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <memory>
#include <string>
#include <vector>

namespace quenchbox::host {

// URIs to numbers, as a host maps them for its plug-ins.
class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid) const;
    const LV2_Feature* mapFeature() const { return &mapFeatureRecord; }
    const LV2_Feature* unmapFeature() const { return &unmapFeatureRecord; }

private:
    std::vector<std::string> uris;  // URID n is uris[n - 1]
    LV2_URID_Map mapRecord;
    LV2_URID_Unmap unmapRecord;
    LV2_Feature mapFeatureRecord;
    LV2_Feature unmapFeatureRecord;
};

// The first plug-in of an LV2 bundle, loaded through lilv as a host does:
// its control inputs are the parameters (held by the host, connected to the
// instance), its presets the programs (in the order of their URIs), its
// audio ports the first two inputs and outputs. The instance is made when
// the host resumes at a new rate; a selected preset's state goes into it.
class Lv2HostedPlugin : public Plugin {
public:
    // Throws std::runtime_error.
    explicit Lv2HostedPlugin(const std::string& bundlePath);
    ~Lv2HostedPlugin() override;

    // True when the path names an LV2 bundle ("….lv2" or "….lv2/").
    static bool isBundlePath(const std::string& path);

    LilvWorld* world() const { return lilvWorld; }
    const LilvPlugin* plugin() const { return lilvPlugin; }
    // Null until the host first resumes.
    LilvInstance* instance() const { return lilvInstance; }
    UridMap& urids() { return uridMap; }
    // The latency the plug-in reports on its latency port, 0 without one.
    float reportedLatency() const;

    std::string description() override;
    int parameterCount() override { return static_cast<int>(controlPorts.size()); }
    std::string parameterName(int index) override;
    std::string parameterDisplay(int index) override;
    ParameterListing parameterListing(int index) override;
    float parameter(int index) override { return controlValues[static_cast<std::size_t>(index)]; }
    void setParameter(int index, float value) override { controlValues[static_cast<std::size_t>(index)] = value; }
    int programCount() override { return static_cast<int>(presets.size()); }
    int program() override { return currentProgram; }
    void setProgram(int program) override;
    std::string programName() override;
    bool canProcessDouble() override { return false; }
    void setSampleRate(double rate) override { sampleRate = rate; }
    void setBlockSize(int frames) override { blockSize = frames; }
    void announceChannels(int /*channels*/) override {}
    void resume() override;
    void suspend() override;
    void process(float** inputs, float** outputs, int frames) override;
    void process(double** inputs, double** outputs, int frames) override;

private:
    void findPorts();
    void findPresets();
    void instantiate();
    LilvState* presetState(int program);

    UridMap uridMap;
    LilvWorld* lilvWorld = nullptr;
    const LilvPlugin* lilvPlugin = nullptr;
    LilvInstance* lilvInstance = nullptr;
    double instanceRate = 0.0;
    bool active = false;

    std::vector<std::uint32_t> controlPorts;  // the control inputs' port indices
    std::vector<float> controlValues;
    std::vector<std::uint32_t> audioInputs;
    std::vector<std::uint32_t> audioOutputs;
    std::vector<std::uint32_t> controlOutputs;
    std::vector<float> controlOutputValues;
    long latencyOutput = -1;  // index into controlOutputs

    std::vector<std::string> presets;  // URIs
    int currentProgram = 0;
    double sampleRate = 44100.0;
    int blockSize = 256;
    std::vector<float> scratch;
};

}  // namespace quenchbox::host

#endif
