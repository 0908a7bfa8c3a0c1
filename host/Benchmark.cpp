// quenchbox-bench: times the built plug-in through its process entry, the
// way a host's audio thread drives it, beside a peer plug-in and beside the
// floor (the least work a circuit-rate sample can cost, timed in the same
// run), and prints the figures as a table and as JSON. The CLAP, VST3 and
// LV2 builds beside the VST2 one are timed on the same cases;
// `quenchbox-bench --formats` times only those.

#include "effect/Programs.h"
#include "host/BuiltInPlugin.h"
#include "host/ChangeFigures.h"
#include "host/CircuitFloor.h"
#include "host/DemoPhrase.h"
#include "host/Plugin.h"
#include "host/Renderer.h"
#include "host/SignalAnalysis.h"
#include "host/VstPlugin.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace quenchbox::host;

namespace {

constexpr double kSampleRate = 44100.0;
constexpr int kBlockSize = 256;
constexpr double kSecondsPerRun = 2.0;
constexpr int kRuns = 3;
constexpr int kOversampling = 8;
constexpr double kTwelveDb = 3.9810717055349722;  // +12 dB as a gain
// The right channel plays the phrase this much later, so that the two
// channels of a stereo case differ as a real stereo source does.
constexpr double kRightChannelOffset = 0.37;
constexpr const char* kPeerPath = "/usr/lib/vst/ZamTube-vst.so";

using namespace quenchbox::effect;  // the parameters' and programs' names
constexpr double kPi = 3.14159265358979323846;

using Settings = std::vector<std::pair<int, float>>;

// The worst case for the LED solve: the highest supply lets the op-amps
// drive the tone network furthest beyond the guess table.
const Settings kWorstSettings = {{kVoltage, 1.0f}, {kDrive, 1.0f}, {kOpAmpGain, 1.0f}};

struct Setup {
    int program = 0;
    Settings settings;
    bool stereo = false;
    bool oversample = false;
    bool doubles = false;
    double inputGain = 1.0;
};

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
    std::size_t frames() const { return left.size() / kBlockSize * kBlockSize; }
};

struct Figure {
    std::string group;
    std::string name;
    Setup setup;
    double nsPerFrame = 0.0;
    double meanPasses = 0.0;
    int mostPasses = 0;

    double realTime() const { return 1e9 / kSampleRate / nsPerFrame; }
    // One channel's work on one circuit-rate sample: what the floor costs.
    double nsPerChannelSample() const
    {
        return nsPerFrame / ((setup.stereo ? 2 : 1) * (setup.oversample ? kOversampling : 1));
    }
};

// --- Signals ----------------------------------------------------------------

Stereo phraseSignal(double gain, double seconds)
{
    const std::vector<double> phrase = demoPhrase(kSampleRate).channels[0];
    const auto frames = static_cast<std::size_t>(seconds * kSampleRate);
    const auto offset = static_cast<std::size_t>(kRightChannelOffset * kSampleRate);
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t n = 0; n < frames; ++n) {
        s.left[n] = static_cast<float>(gain * phrase[n % phrase.size()]);
        s.right[n] = static_cast<float>(gain * phrase[(n + offset) % phrase.size()]);
    }
    return s;
}

// The loud phrase, then as long again of digital silence.
Stereo loudThenSilent(double gain)
{
    Stereo s = phraseSignal(gain, kSecondsPerRun);
    s.left.resize(2 * s.left.size(), 0.0f);
    s.right.resize(2 * s.right.size(), 0.0f);
    return s;
}

// --- Running a plug-in --------------------------------------------------------

void configure(Plugin& plugin, const Setup& s)
{
    plugin.setSampleRate(kSampleRate);
    plugin.setBlockSize(kBlockSize);
    plugin.setProgram(s.program);
    for (const auto& [index, value] : s.settings)
        plugin.setParameter(index, value);
    plugin.setParameter(kChannels, s.stereo ? 1.0f : 0.0f);
    plugin.setParameter(kOversample, s.oversample ? 1.0f : 0.0f);
    plugin.announceChannels(s.stereo ? 2 : 1);
    plugin.resume();
}

// Feeds frames [from, to) of the signal block by block in the given sample
// format and returns the seconds the process calls took.
template <typename Sample>
double secondsToProcess(Plugin& plugin, const Stereo& signal, std::size_t from, std::size_t to)
{
    std::vector<Sample> in[2] = {std::vector<Sample>(kBlockSize), std::vector<Sample>(kBlockSize)};
    std::vector<Sample> out[2] = {std::vector<Sample>(kBlockSize), std::vector<Sample>(kBlockSize)};
    Sample* inputs[2] = {in[0].data(), in[1].data()};
    Sample* outputs[2] = {out[0].data(), out[1].data()};
    double seconds = 0.0;
    for (std::size_t offset = from; offset + kBlockSize <= to; offset += kBlockSize) {
        std::copy_n(signal.left.begin() + offset, kBlockSize, in[0].begin());
        std::copy_n(signal.right.begin() + offset, kBlockSize, in[1].begin());
        const auto start = std::chrono::steady_clock::now();
        plugin.process(inputs, outputs, kBlockSize);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return seconds;
}

double secondsToProcess(Plugin& plugin, const Stereo& signal, bool doubles, std::size_t from, std::size_t to)
{
    return doubles ? secondsToProcess<double>(plugin, signal, from, to)
                   : secondsToProcess<float>(plugin, signal, from, to);
}

// The best of a few runs after a warm-up: the least disturbed by the rest
// of the machine.
double bestNsPerFrame(Plugin& plugin, const Stereo& signal, bool doubles)
{
    secondsToProcess(plugin, signal, doubles, 0, signal.frames());
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run)
        best = std::min(best, secondsToProcess(plugin, signal, doubles, 0, signal.frames()));
    return best / static_cast<double>(signal.frames()) * 1e9;
}

// Newton passes of the LED solve per circuit-rate sample, counted by the
// same effect linked into this program on the same signal.
void countPasses(Figure& f, const Stereo& signal)
{
    const auto plugin = createBuiltInPlugin();
    configure(*plugin, f.setup);
    secondsToProcess(*plugin, signal, false, 0, signal.frames());
    const auto& counts = builtInEffect(*plugin).driveEngine().solveCounts();
    f.meanPasses = static_cast<double>(counts.passes) / static_cast<double>(counts.samples);
    f.mostPasses = counts.mostPasses;
}

Figure measure(const std::string& pluginPath, const std::string& group, const std::string& name, const Setup& s)
{
    Figure f{group, name, s};
    const Stereo signal = phraseSignal(s.inputGain, kSecondsPerRun);
    const auto plugin = loadPlugin(pluginPath);
    configure(*plugin, s);
    f.nsPerFrame = bestNsPerFrame(*plugin, signal, s.doubles);
    countPasses(f, signal);
    return f;
}

// --- The floor and the peer -----------------------------------------------------

// The floor's circuit-rate samples, timed on the same phrase with the tone
// network of the default program.
double floorNsPerSample()
{
    const auto plugin = createBuiltInPlugin();
    configure(*plugin, Setup{});
    secondsToProcess(*plugin, phraseSignal(1.0, 0.1), false, 0, kBlockSize);
    const auto& model = builtInEffect(*plugin).driveEngine().solverSection().discrete();
    const Stereo signal = phraseSignal(1.0, kSecondsPerRun);
    double best = 1e30;
    for (int run = 0; run <= 2 * kRuns; ++run) {
        CircuitFloor floor(model);
        const auto start = std::chrono::steady_clock::now();
        volatile double sink = floor.run(signal.left.data(), signal.left.size());
        (void)sink;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best / static_cast<double>(signal.left.size()) * 1e9;
}

// The peer plug-in with its own defaults on the left channel of the phrase.
bool measurePeer(Figure& f)
{
    if (!std::filesystem::exists(kPeerPath))
        return false;
    const auto plugin = VstPlugin::load(kPeerPath);
    plugin->setSampleRate(kSampleRate);
    plugin->setBlockSize(kBlockSize);
    plugin->resume();
    f = Figure{"peer", plugin->effectName() + " (" + kPeerPath + "), mono", Setup{}};
    f.nsPerFrame = bestNsPerFrame(*plugin, phraseSignal(1.0, kSecondsPerRun), false);
    return true;
}

// --- Cases ----------------------------------------------------------------------

std::string layoutName(const Setup& s)
{
    return std::string(s.stereo ? "stereo" : "mono") + (s.oversample ? ", oversampled" : "")
           + (s.doubles ? ", 64-bit" : ", 32-bit");
}

std::vector<Figure> measurePrograms(const std::string& pluginPath)
{
    std::vector<Figure> figures;
    const auto names = createBuiltInPlugin();
    for (int program = 0; program < kProgramCount; ++program) {
        names->setProgram(program);
        const std::string name = std::to_string(program) + " " + names->programName();
        for (bool oversample : {false, true})
            for (bool stereo : {false, true})
                for (bool doubles : {false, true}) {
                    const Setup s{program, {}, stereo, oversample, doubles, 1.0};
                    figures.push_back(measure(pluginPath, "program", name + ", " + layoutName(s), s));
                }
    }
    return figures;
}

// The same cases through the VST2 library and the CLAP library, VST3 bundle
// and LV2 bundle beside it, side by side: what each wrapper costs.
std::vector<Figure> measureFormats(const std::string& vstPath)
{
    const std::string clapPath = std::filesystem::path(vstPath).replace_extension(".clap").string();
    const std::string vst3Path = std::filesystem::path(vstPath).replace_extension(".vst3").string();
    const std::string lv2Path = (std::filesystem::path(vstPath).parent_path() / "QuenchboxRZ.lv2").string();
    std::vector<Figure> figures;
    for (bool oversample : {false, true})
        for (bool stereo : {false, true}) {
            const Setup s{0, {}, stereo, oversample, false, 1.0};
            figures.push_back(measure(vstPath, "format", "VST2, program 0, " + layoutName(s), s));
            figures.push_back(measure(clapPath, "format", "CLAP, program 0, " + layoutName(s), s));
            figures.push_back(measure(vst3Path, "format", "VST3, program 0, " + layoutName(s), s));
            figures.push_back(measure(lv2Path, "format", "LV2, program 0, " + layoutName(s), s));
        }
    return figures;
}

std::vector<Figure> measureWorstCases(const std::string& pluginPath)
{
    std::vector<Figure> figures;
    for (bool oversample : {false, true})
        for (bool stereo : {false, true}) {
            const Setup s{0, kWorstSettings, stereo, oversample, false, kTwelveDb};
            figures.push_back(
                measure(pluginPath, "worst", "Voltage 1, Drive 1, OA Gain 1, +12 dBFS, " + layoutName(s), s));
        }
    return figures;
}

// Silence straight after the worst case's loud phrase, timed apart from it.
std::vector<Figure> measureSilenceAfterLoud(const std::string& pluginPath)
{
    std::vector<Figure> figures;
    const Stereo signal = loudThenSilent(kTwelveDb);
    const std::size_t half = signal.frames() / 2;
    for (bool oversample : {false, true}) {
        const Setup s{0, kWorstSettings, false, oversample, false, kTwelveDb};
        const auto plugin = VstPlugin::load(pluginPath);
        configure(*plugin, s);
        double loud = 1e30;
        double silent = 1e30;
        for (int run = 0; run <= kRuns; ++run) {
            loud = std::min(loud, secondsToProcess(*plugin, signal, false, 0, half));
            silent = std::min(silent, secondsToProcess(*plugin, signal, false, half, signal.frames()));
        }
        Figure passage{"silence", "loud passage (worst case), " + layoutName(s), s};
        passage.nsPerFrame = loud / static_cast<double>(half) * 1e9;
        Figure after{"silence", "silence right after it, " + layoutName(s), s};
        after.nsPerFrame = silent / static_cast<double>(half) * 1e9;
        figures.push_back(passage);
        figures.push_back(after);
    }
    return figures;
}

// --- Reports ----------------------------------------------------------------------

const Figure* findProgram(const std::vector<Figure>& figures, const Setup& like)
{
    for (const Figure& f : figures)
        if (f.group == "program" && f.setup.program == like.program && f.setup.stereo == like.stereo
            && f.setup.oversample == like.oversample && f.setup.doubles == like.doubles)
            return &f;
    return nullptr;
}

void printTable(const std::vector<Figure>& figures, double floorNs)
{
    std::printf("%-66s %9s %9s %8s %7s %6s %5s\n", "case (44.1 kHz, blocks of 256)", "ns/frame", "x RT",
                "ns/ch-s", "/floor", "passes", "most");
    std::string group;
    for (const Figure& f : figures) {
        if (f.group != group) {
            group = f.group;
            std::printf("-- %s\n", group.c_str());
        }
        std::printf("%-66s %9.1f %9.1f", f.name.c_str(), f.nsPerFrame, f.realTime());
        if (f.group == "peer") {
            std::printf(" %8.1f %7.2f\n", f.nsPerFrame, f.nsPerFrame / floorNs);
            continue;
        }
        std::printf(" %8.1f %7.2f", f.nsPerChannelSample(), f.nsPerChannelSample() / floorNs);
        if (f.mostPasses > 0)
            std::printf(" %6.2f %5d", f.meanPasses, f.mostPasses);
        std::printf("\n");
    }
    std::printf("-- floor: one circuit-rate sample of one channel, tight scalar code: %.1f ns\n", floorNs);
}

// The targets, each read from figures measured side by side in this run.
void printTargets(const std::vector<Figure>& figures, double floorNs)
{
    double worstRatio = 0.0;
    for (const Figure& f : figures)
        if (f.group == "program")
            worstRatio = std::max(worstRatio, f.nsPerChannelSample() / floorNs);
    std::printf("\nlargest ns per circuit-rate channel-sample over all programs and layouts: %.2f x the floor\n",
                worstRatio);
    for (const Figure& f : figures) {
        if (f.group != "worst")
            continue;
        Setup like = f.setup;
        like.settings.clear();
        if (const Figure* base = findProgram(figures, like))
            std::printf("worst case / default program, %-30s %.2f\n", layoutName(f.setup).c_str(),
                        f.nsPerFrame / base->nsPerFrame);
    }
}

std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text)
        quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

std::string toJson(const std::vector<Figure>& figures, double floorNs)
{
    std::ostringstream json;
    json << "{\n  \"sampleRate\": " << kSampleRate << ",\n  \"blockSize\": " << kBlockSize
         << ",\n  \"floorNsPerSample\": " << floorNs << ",\n  \"cases\": [\n";
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const Figure& f = figures[i];
        json << "    {\"group\": " << jsonString(f.group) << ", \"name\": " << jsonString(f.name)
             << ", \"program\": " << f.setup.program << ", \"stereo\": " << (f.setup.stereo ? "true" : "false")
             << ", \"oversample\": " << (f.setup.oversample ? "true" : "false")
             << ", \"doublePrecision\": " << (f.setup.doubles ? "true" : "false")
             << ", \"nsPerFrame\": " << f.nsPerFrame << ", \"realTimeFactor\": " << f.realTime()
             << ", \"nsPerChannelSample\": " << f.nsPerChannelSample()
             << ", \"floorRatio\": " << f.nsPerChannelSample() / floorNs << ", \"meanNewtonPasses\": " << f.meanPasses
             << ", \"mostNewtonPasses\": " << f.mostPasses << "}" << (i + 1 < figures.size() ? "," : "") << "\n";
    }
    json << "  ]\n}\n";
    return json.str();
}

// --- Signal figures of the README ------------------------------------------------

std::vector<double> toneAt(double frequency, double amplitude, double seconds)
{
    std::vector<double> x(static_cast<std::size_t>(seconds * kSampleRate));
    for (std::size_t n = 0; n < x.size(); ++n)
        x[n] = amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / kSampleRate);
    return x;
}

// The last second of the mono output of a fresh instance for the given input.
std::vector<double> renderLastSecond(const std::string& pluginPath, const Setup& s, const std::vector<double>& x)
{
    const auto plugin = VstPlugin::load(pluginPath);
    configure(*plugin, s);
    AudioData input;
    input.sampleRate = kSampleRate;
    input.channels.push_back(x);
    RenderSettings settings;
    settings.blockSize = kBlockSize;
    const std::vector<double> y = renderThrough(*plugin, input, settings, nullptr).channels[0];
    return {y.end() - static_cast<long>(kSampleRate), y.end()};
}

std::vector<double> lastSecond(const std::vector<double>& x)
{
    return {x.end() - static_cast<long>(kSampleRate), x.end()};
}

// Energy of the components that are no harmonics of a 5 kHz tone through the
// high-gain program: what the clipping folds back below the host's Nyquist
// frequency.
void printAliasing(const std::string& pluginPath)
{
    constexpr double kTone = 5000.0;
    constexpr int kGrunge = 3;
    const std::vector<double> tone = toneAt(kTone, 0.5, 2.0);
    std::printf("\naliasing: 5 kHz sine at -6 dBFS through Grunge, non-harmonic energy re the fundamental\n");
    for (bool oversample : {false, true}) {
        const Setup s{kGrunge, {}, false, oversample, false, 1.0};
        const double db = nonHarmonicDb(renderLastSecond(pluginPath, s, tone), kTone, kSampleRate);
        std::printf("  oversampling %-3s %8.1f dB\n", oversample ? "on" : "off", db);
    }
}

// The delay the resamplers add: bypassed with oversampling on, only they remain.
void printResamplerLatency(const std::string& pluginPath)
{
    std::printf("\nresampler latency (bypassed, oversampling on):\n");
    for (double frequency : {100.0, 1000.0}) {
        const std::vector<double> tone = toneAt(frequency, 0.5, 2.0);
        const Setup s{0, {{kEnable, 0.0f}}, false, true, false, 1.0};
        const double delay =
            phaseDelay(lastSecond(tone), renderLastSecond(pluginPath, s, tone), frequency, kSampleRate);
        std::printf("  at %5.0f Hz %6.2f samples (%.3f ms at 44.1 kHz)\n", frequency, delay,
                    delay / kSampleRate * 1e3);
    }
}

std::string pluginBesideExecutable()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : executable.parent_path()) / "QuenchboxRZ.so";
}

struct Options {
    std::string pluginPath;
    std::string jsonPath;  // empty: the JSON follows the table on stdout
    bool formatsOnly = false;  // only the VST2, CLAP, VST3 and LV2 builds side by side
    bool changesOnly = false;  // only the knob turns and the zipper figure
    bool zipperOnly = false;
};

Options parseOptions(int argc, char** argv)
{
    Options options{pluginBesideExecutable(), "", false, false, false};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 && i + 1 < argc)
            options.jsonPath = argv[++i];
        else if (std::strcmp(argv[i], "--formats") == 0)
            options.formatsOnly = true;
        else if (std::strcmp(argv[i], "--changes") == 0)
            options.changesOnly = true;
        else if (std::strcmp(argv[i], "--zipper") == 0)
            options.zipperOnly = true;
        else
            options.pluginPath = argv[i];
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
    try {
        if (options.changesOnly || options.zipperOnly) {
            if (options.changesOnly)
                printKnobTurnFigures(options.pluginPath);
            printZipperFigures(options.pluginPath);
            return 0;
        }
        const double floorBefore = floorNsPerSample();
        if (options.formatsOnly) {
            printTable(measureFormats(options.pluginPath), floorBefore);
            return 0;
        }
        std::vector<Figure> figures = measurePrograms(options.pluginPath);
        for (auto group : {measureFormats(options.pluginPath), measureWorstCases(options.pluginPath),
                           measureSilenceAfterLoud(options.pluginPath)})
            figures.insert(figures.end(), group.begin(), group.end());
        Figure peer;
        if (measurePeer(peer))
            figures.push_back(peer);
        else
            std::printf("peer plug-in %s not installed (apt-get install zam-plugins)\n", kPeerPath);
        // The floor timed before and after the cases: the better of the two
        // is the one least disturbed by the rest of the machine.
        const double floorNs = std::min(floorBefore, floorNsPerSample());

        printTable(figures, floorNs);
        printTargets(figures, floorNs);
        printAliasing(options.pluginPath);
        printResamplerLatency(options.pluginPath);
        printKnobTurnFigures(options.pluginPath);
        printZipperFigures(options.pluginPath);

        const std::string json = toJson(figures, floorNs);
        if (options.jsonPath.empty()) {
            std::printf("\n%s", json.c_str());
        } else {
            std::ofstream(options.jsonPath) << json;
            std::printf("\nJSON written to %s\n", options.jsonPath.c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quenchbox-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
