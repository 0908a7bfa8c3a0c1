// quenchbox-render: an offline host that loads a plug-in binary (VST 2.4, or
// CLAP when its name ends in ".clap") the way a DAW does and renders an audio
// file (or the built-in demo phrase) through it.

#include "host/AudioFile.h"
#include "host/DemoPhrase.h"
#include "host/RenderOptions.h"
#include "host/Renderer.h"
#include "host/ResponseReport.h"
#include "host/Plugin.h"
#include "host/VstPlugin.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quenchbox::host;

namespace {

constexpr double kDemoSampleRate = 44100.0;

std::string lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The VST2 library beside this program (a build tree), else where the
// install rules put it for this program's prefix (/usr/bin and /usr/lib/vst),
// else in the per-user folder; the first of these when none exists, for the
// error message.
std::string defaultPluginPath()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = error ? std::filesystem::path(".") : executable.parent_path();
    std::vector<std::filesystem::path> candidates{folder / "QuenchboxRZ.so", folder / "../lib/vst/QuenchboxRZ.so"};
    if (const char* home = std::getenv("HOME"))
        candidates.push_back(std::filesystem::path(home) / ".vst/QuenchboxRZ.so");
    for (const auto& candidate : candidates)
        if (std::filesystem::exists(candidate, error))
            return candidate.lexically_normal().string();
    return candidates.front().string();
}

// VST2 hosts see parameter names cut to 8 characters ("Oversamp"), CLAP
// hosts the full ones; a user may type either, so names are compared cut,
// without regard to case.
int findParameter(Plugin& plugin, const std::string& name)
{
    const std::string wanted = lowercase(name.substr(0, kVstMaxParamStrLen));
    for (int i = 0; i < plugin.parameterCount(); ++i)
        if (lowercase(plugin.parameterName(i).substr(0, kVstMaxParamStrLen)) == wanted)
            return i;
    throw std::invalid_argument("the plug-in has no parameter named '" + name + "' (see --list)");
}

// The names are read by selecting each program in turn (what a VST2 host
// can do with any plug-in), and only for a name: a number selects nothing
// but the program it names.
int findProgram(Plugin& plugin, const std::string& text)
{
    std::vector<std::string> names(static_cast<std::size_t>(plugin.programCount()));
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        const int current = plugin.program();
        for (int p = 0; p < plugin.programCount(); ++p) {
            plugin.setProgram(p);
            names[static_cast<std::size_t>(p)] = plugin.programName();
        }
        plugin.setProgram(current);
    }
    return findProgramNumber(text, names);
}

void printListing(Plugin& plugin)
{
    std::fputs(plugin.description().c_str(), stdout);
    std::printf("parameters:\n");
    for (int i = 0; i < plugin.parameterCount(); ++i)
        std::printf("  %2d  %-10s  %-8s (%.3f)\n", i, plugin.parameterName(i).c_str(),
                    plugin.parameterDisplay(i).c_str(), plugin.parameter(i));
    std::printf("programs:\n");
    const int current = plugin.program();
    for (int p = 0; p < plugin.programCount(); ++p) {
        plugin.setProgram(p);
        std::printf("  %2d  %s\n", p, plugin.programName().c_str());
    }
    plugin.setProgram(current);
    if (const std::string presets = plugin.discoveredPresets(); !presets.empty())
        std::printf("presets found by discovery (load key, name):\n%s", presets.c_str());
}

void configure(Plugin& plugin, const RenderOptions& options, double sampleRate)
{
    plugin.setSampleRate(sampleRate);
    plugin.setBlockSize(options.blockSize);
    if (!options.program.empty())
        plugin.setProgram(findProgram(plugin, options.program));
    for (const auto& [name, value] : options.settings)
        plugin.setParameter(findParameter(plugin, name), value);
    if (options.stereo)
        plugin.setParameter(findParameter(plugin, "Channels"), 1.0f);
    plugin.announceChannels(options.stereo ? 2 : 1);
    plugin.resume();
}

RenderProgress terminalProgress()
{
    if (!isatty(STDERR_FILENO))
        return nullptr;
    return [](double fraction) { std::fprintf(stderr, "\rrendering %3.0f%%", fraction * 100.0); };
}

void printSummary(Plugin& plugin, const std::string& inputName, const AudioData& input, const AudioData& output,
                  const std::string& outputPath, double seconds)
{
    const LevelSummary in = measureLevels(input);
    const LevelSummary out = measureLevels(output);
    const double audioSeconds = static_cast<double>(input.frames()) / input.sampleRate;
    std::printf("program: %s\n", plugin.programName().c_str());
    std::printf("input:   %s, %.2f s at %.0f Hz, peak %.1f dBFS, RMS %.1f dBFS\n", inputName.c_str(),
                audioSeconds, input.sampleRate, in.peakDb, in.rmsDb);
    std::printf("output:  %s, peak %.1f dBFS, RMS %.1f dBFS\n", outputPath.c_str(), out.peakDb, out.rmsDb);
    std::printf("time:    %.3f s, %.1f x real time\n", seconds, seconds > 0.0 ? audioSeconds / seconds : 0.0);
}

// The curves come from the circuit model linked into this program, set up
// exactly as the rendered plug-in was.
void writeResponse(const RenderOptions& options, const std::string& programName, const AudioData& input,
                   const AudioData& output)
{
    const ResponseTable table =
        modelResponse([&](VstPlugin& model) { configure(model, options, input.sampleRate); }, input.sampleRate);
    if (!options.responsePath.empty()) {
        writeResponseCsv(options.responsePath, table);
        std::printf("curves:  %s\n", options.responsePath.c_str());
    }
    if (!options.plotPath.empty()) {
        plotResponse(options.plotPath, "Quenchbox RZ, program " + programName, table, &input, &output);
        std::printf("plot:    %s\n", options.plotPath.c_str());
    }
}

int run(const RenderOptions& options)
{
    const auto plugin = loadPlugin(options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath);
    if (options.list) {
        printListing(*plugin);
        return 0;
    }
    if (options.doublePrecision && !plugin->canProcessDouble())
        throw std::invalid_argument("the plug-in cannot process 64-bit samples; leave out --double");

    const AudioData input = options.inputPath.empty() ? demoPhrase(kDemoSampleRate) : readAudioFile(options.inputPath);
    configure(*plugin, options, input.sampleRate);

    RenderSettings settings;
    settings.blockSize = options.blockSize;
    settings.doublePrecision = options.doublePrecision;
    settings.outputChannels = options.stereo ? 2 : static_cast<int>(input.channels.size());

    const RenderProgress progress = terminalProgress();
    const auto start = std::chrono::steady_clock::now();
    const AudioData output = renderThrough(*plugin, input, settings, progress);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (progress)
        std::fprintf(stderr, "\r              \r");

    const std::string outputPath =
        options.outputPath.empty() ? defaultOutputPath(options.inputPath) : options.outputPath;
    writeFloatWav(outputPath, output);
    printSummary(*plugin, options.inputPath.empty() ? "built-in demo phrase" : options.inputPath, input, output,
                 outputPath, seconds);
    if (!options.responsePath.empty() || !options.plotPath.empty())
        writeResponse(options, plugin->programName(), input, output);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const RenderOptions options = parseRenderOptions(argc, argv);
        if (options.help) {
            std::fputs(kRenderUsage, stdout);
            return 0;
        }
        return run(options);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "quenchbox-render: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quenchbox-render: %s\n", error.what());
        return 1;
    }
}
