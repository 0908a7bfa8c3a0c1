// quenchbox-soak: a long run of the built plug-in at 96 kHz through every
// factory program in turn, with random automation of every parameter each
// block, oversampling switched on and off, blocks of changing size in both
// sample formats. Every output sample must be finite and bounded, and the
// resident memory must stay flat. Prints its figures; exits 1 on a fault.
//
//   quenchbox-soak [--seconds N] [PLUGIN]      (default 600 s of audio)

#include "effect/Programs.h"
#include "host/DemoPhrase.h"
#include "host/ResidentMemory.h"
#include "host/VstPlugin.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace quenchbox::host;

namespace {

constexpr double kSampleRate = 96000.0;
constexpr int kMaxBlock = 2048;
using namespace quenchbox::effect;  // the parameters' and programs' names
constexpr double kOversampleToggleSeconds = 0.5;
// The circuit's rails are at most +-15 V and the dry path adds the input,
// held here within +-2.
constexpr double kOutputBound = 50.0;
constexpr double kMemoryBaselineSeconds = 2.0;

struct Figures {
    double audioSeconds = 0.0;
    double peak = 0.0;
    long nonFinite = 0;
    long outOfBounds = 0;
    long blocks = 0;
    long residentAtBaseline = 0;
    long residentAtEnd = 0;
};

class Soak {
public:
    Soak(VstPlugin& p, double totalSeconds) : plugin(p), seconds(totalSeconds), phrase(demoPhrase(kSampleRate).channels[0])
    {
        for (auto& c : floats) c.resize(kMaxBlock);
        for (auto& c : doubles) c.resize(kMaxBlock);
    }

    Figures run()
    {
        plugin.setSampleRate(kSampleRate);
        plugin.setBlockSize(kMaxBlock);
        plugin.announceChannels(2);
        plugin.resume();
        const auto totalFrames = static_cast<long>(seconds * kSampleRate);
        const long framesPerProgram = totalFrames / kProgramCount + 1;
        const auto toggleFrames = static_cast<long>(kOversampleToggleSeconds * kSampleRate);
        long frame = 0;
        bool oversample = false;
        while (frame < totalFrames) {
            const int program = static_cast<int>(frame / framesPerProgram);
            if (program != plugin.program())
                plugin.setProgram(program);
            if (frame / toggleFrames % 2 != static_cast<long>(oversample))
                oversample = !oversample;
            automate(oversample);
            const int frames = static_cast<int>(std::min<long>(blockSize(), totalFrames - frame));
            if (figures.blocks % 2)
                processBlock(doubles, frame, frames);
            else
                processBlock(floats, frame, frames);
            frame += frames;
            ++figures.blocks;
            if (figures.residentAtBaseline == 0 && frame >= kMemoryBaselineSeconds * kSampleRate)
                figures.residentAtBaseline = residentBytes();
        }
        figures.audioSeconds = static_cast<double>(frame) / kSampleRate;
        figures.residentAtEnd = residentBytes();
        return figures;
    }

private:
    // Mostly the host's usual block sizes, now and then any size at all.
    int blockSize()
    {
        static const int kUsual[] = {32, 64, 128, 256, 512, 1024, 2048};
        if (random() % 8 == 0)
            return 1 + static_cast<int>(random() % kMaxBlock);
        return kUsual[random() % 7];
    }

    // One to four parameters to random values; Enable mostly on, so that the
    // circuit is what runs; Oversample as the toggle has it.
    void automate(bool oversample)
    {
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const int count = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < count; ++k) {
            const int index = static_cast<int>(random() % kParameterCount);
            if (index != kEnable && index != kOversample)
                plugin.setParameter(index, unit(random));
        }
        plugin.setParameter(kEnable, random() % 64 == 0 ? 0.0f : 1.0f);
        plugin.setParameter(kOversample, oversample ? 1.0f : 0.0f);
    }

    template <typename Sample>
    void processBlock(std::vector<Sample> (&buffers)[4], long frame, int frames)
    {
        const double gain = 0.25 + 1.75 * static_cast<double>(frame / 96000 % 8) / 7.0;
        for (int n = 0; n < frames; ++n) {
            const auto at = static_cast<std::size_t>(frame + n);
            buffers[0][n] = static_cast<Sample>(gain * phrase[at % phrase.size()]);
            buffers[1][n] = static_cast<Sample>(gain * phrase[(at + 12345) % phrase.size()]);
        }
        Sample* inputs[2] = {buffers[0].data(), buffers[1].data()};
        Sample* outputs[2] = {buffers[2].data(), buffers[3].data()};
        plugin.process(inputs, outputs, frames);
        for (int c = 2; c < 4; ++c)
            for (int n = 0; n < frames; ++n)
                check(static_cast<double>(buffers[c][n]));
    }

    void check(double y)
    {
        if (!std::isfinite(y)) {
            ++figures.nonFinite;
            return;
        }
        figures.peak = std::max(figures.peak, std::fabs(y));
        if (std::fabs(y) > kOutputBound)
            ++figures.outOfBounds;
    }

    VstPlugin& plugin;
    double seconds;
    std::vector<double> phrase;
    std::vector<float> floats[4];
    std::vector<double> doubles[4];
    std::mt19937 random{20240601};
    Figures figures;
};

std::string pluginBesideExecutable()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : executable.parent_path()) / "QuenchboxRZ.so";
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 600.0;
    std::string pluginPath = pluginBesideExecutable();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else
            pluginPath = argv[i];
    }
    if (!(seconds > kMemoryBaselineSeconds)) {
        std::fprintf(stderr, "quenchbox-soak: --seconds must exceed %.0f\n", kMemoryBaselineSeconds);
        return 2;
    }
    try {
        const auto plugin = VstPlugin::load(pluginPath);
        const auto start = std::chrono::steady_clock::now();
        const Figures f = Soak(*plugin, seconds).run();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long growth = f.residentAtEnd - f.residentAtBaseline;
        std::printf("soak: %.0f s of audio at 96 kHz in %ld blocks, %.1f s wall (%.1f x real time)\n",
                    f.audioSeconds, f.blocks, wall, f.audioSeconds / wall);
        std::printf("soak: output peak %.3f, %ld non-finite, %ld beyond +-%.0f\n", f.peak, f.nonFinite,
                    f.outOfBounds, kOutputBound);
        std::printf("soak: resident memory %.1f MiB after %.0f s, %.1f MiB at the end (%+ld KiB)\n",
                    f.residentAtBaseline / 1048576.0, kMemoryBaselineSeconds, f.residentAtEnd / 1048576.0,
                    growth / 1024);
        const bool healthy = f.nonFinite == 0 && f.outOfBounds == 0 && growth < 1024 * 1024;
        std::printf("soak: %s\n", healthy ? "passed" : "FAILED");
        return healthy ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quenchbox-soak: %s\n", error.what());
        return 1;
    }
}
