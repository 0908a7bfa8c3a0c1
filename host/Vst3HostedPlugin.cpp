#include "host/Vst3HostedPlugin.h"

#include <cmath>
#include <stdexcept>

namespace quenchbox::host {

Vst3HostedPlugin::Vst3HostedPlugin(const std::string& bundlePath)
    : module(bundlePath), info(module.audioClass()), vst3(std::make_unique<Vst3Instance>(module.factory(), info.cid))
{
    hasPrograms = vst3->programParameter(programId, programSteps);
    IEditController& controller = vst3->controller();
    for (int32 i = 0; i < controller.getParameterCount(); ++i) {
        ParameterInfo parameter{};
        if (controller.getParameterInfo(i, parameter) == kResultOk && !(hasPrograms && parameter.id == programId))
            parameterIds.push_back(parameter.id);
    }
}

// The instance goes before its module.
Vst3HostedPlugin::~Vst3HostedPlugin() { vst3.reset(); }

std::string Vst3HostedPlugin::description()
{
    PFactoryInfo factory{};
    module.factory().getFactoryInfo(&factory);
    std::string programs;
    for (int p = 0; p < programCount(); ++p) {
        String128 name{};
        if (vst3->unitInfo() != nullptr && vst3->unitInfo()->getProgramName(1, p, name) == kResultOk)
            programs += "\n  " + std::to_string(p) + ": " + utf8(name);
    }
    return std::string("format:  VST3\nvendor:  ") + factory.vendor + "\nurl:     " + factory.url
           + "\nemail:   " + factory.email + "\nname:    " + info.name + "\ncategory: " + info.category + " ("
           + info.subCategories + ")\nversion: " + info.version + "\nsdk:     " + info.sdkVersion
           + "\nlatency: " + std::to_string(vst3->processor().getLatencySamples()) + " samples\nprogram list:"
           + programs + "\n";
}

std::string Vst3HostedPlugin::parameterName(int index)
{
    ParameterInfo parameter{};
    vst3->controller().getParameterInfo(index, parameter);
    return utf8(parameter.title);
}

ParameterListing Vst3HostedPlugin::parameterListing(int index)
{
    ParameterInfo parameter{};
    vst3->controller().getParameterInfo(index, parameter);
    return {utf8(parameter.title), utf8(parameter.units), static_cast<int>(parameter.stepCount),
            static_cast<float>(parameter.defaultNormalizedValue), {}};
}

std::string Vst3HostedPlugin::parameterDisplay(int index)
{
    const ParamID id = parameterIds.at(static_cast<std::size_t>(index));
    return vst3->parameterText(id, vst3->controller().getParamNormalized(id));
}

float Vst3HostedPlugin::parameter(int index)
{
    return static_cast<float>(vst3->controller().getParamNormalized(parameterIds.at(static_cast<std::size_t>(index))));
}

// As a host does: the controller learns the value, the processor gets it in
// the next block (or at once, in an empty block, while running).
void Vst3HostedPlugin::setParameter(int index, float value)
{
    const ParamID id = parameterIds.at(static_cast<std::size_t>(index));
    vst3->controller().setParamNormalized(id, value);
    pending.add(id, 0, value);
}

int Vst3HostedPlugin::program()
{
    return hasPrograms ? static_cast<int>(std::lround(vst3->controller().getParamNormalized(programId) * programSteps))
                       : 0;
}

void Vst3HostedPlugin::setProgram(int program)
{
    if (hasPrograms && programSteps > 0)
        vst3->controller().setParamNormalized(programId, static_cast<double>(program) / programSteps);
}

std::string Vst3HostedPlugin::programName()
{
    return hasPrograms ? vst3->parameterText(programId, vst3->controller().getParamNormalized(programId))
                       : std::string();
}

bool Vst3HostedPlugin::canProcessDouble() { return vst3->processor().canProcessSampleSize(kSample64) == kResultTrue; }

void Vst3HostedPlugin::resume()
{
    doubles = false;
    if (!vst3->start(sampleRate, blockSize, kSample32))
        throw std::runtime_error("the VST3 plug-in did not start at " + std::to_string(sampleRate) + " Hz");
}

template <typename Sample>
void Vst3HostedPlugin::processBlock(Sample** inputs, Sample** outputs, int frames)
{
    // The sample size is part of the setup: a change restarts processing.
    const bool wantDoubles = sizeof(Sample) == sizeof(double);
    if (wantDoubles != doubles) {
        vst3->stop();
        if (!vst3->start(sampleRate, blockSize, wantDoubles ? kSample64 : kSample32))
            throw std::runtime_error("the VST3 plug-in refused the sample size");
        doubles = wantDoubles;
    }
    vst3->process(inputs, outputs, frames, pending.empty() ? nullptr : &pending);
    pending.clear();
}

void Vst3HostedPlugin::process(float** inputs, float** outputs, int frames) { processBlock(inputs, outputs, frames); }

void Vst3HostedPlugin::process(double** inputs, double** outputs, int frames)
{
    processBlock(inputs, outputs, frames);
}

}  // namespace quenchbox::host
