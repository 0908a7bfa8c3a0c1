#include "app/AppSession.h"

#include "app/PresetFile.h"
#include "effect/Parameters.h"

#include <stdexcept>

namespace quenchbox::app {

namespace {

void loadPreset(formats::EffectAdapter& effect, const std::string& path, std::vector<std::string>& skipped)
{
    float values[effect::kParameterCount];
    for (int i = 0; i < effect::kParameterCount; ++i)
        values[i] = static_cast<float>(effect.parameter(i));
    const PresetFileResult loaded = loadPresetFile(path, values);
    if (!loaded)
        throw std::invalid_argument(loaded.error);
    for (const SkippedLine& line : loaded.skipped)
        skipped.push_back(path + ", line " + std::to_string(line.line) + ": " + line.reason);
    for (int i = 0; i < effect::kParameterCount; ++i)
        effect.setParameter(i, values[i]);
}

}  // namespace

void applyStartState(AppEngine& engine, const AppSettings& settings, const AppOptions& options,
                     std::vector<std::string>& skipped)
{
    formats::EffectAdapter& effect = engine.effect();
    effect.selectProgram(settings.program);
    if (settings.hasValues)
        for (int i = 0; i < effect::kParameterCount; ++i)
            effect.setParameter(i, settings.values[i]);
    if (options.program)
        effect.selectProgram(*options.program);
    if (!options.presetPath.empty())
        loadPreset(effect, options.presetPath, skipped);
    for (const auto& [index, value] : options.parameterSettings)
        effect.setParameter(index, value);
    engine.setMidiMap(settings.midiMap);
    engine.setMonitor(options.monitor.value_or(settings.monitor));
    engine.setInput(options.input.value_or(settings.input));
}

AppSettings withCommandLine(AppSettings settings, const AppOptions& options)
{
    settings.device = options.device.value_or(settings.device);
    settings.sampleRate = options.sampleRate.value_or(settings.sampleRate);
    settings.bufferFrames = options.bufferFrames.value_or(settings.bufferFrames);
    return settings;
}

AppSettings stateToRemember(AppEngine& engine, AppSettings settings)
{
    settings.monitor = engine.monitoring();
    settings.input = engine.inputChoice();
    settings.midiMap = engine.midiMapping();
    settings.program = engine.effect().program();
    settings.hasValues = true;
    for (int i = 0; i < effect::kParameterCount; ++i)
        settings.values[i] = static_cast<float>(engine.effect().parameter(i));
    return settings;
}

}  // namespace quenchbox::app
