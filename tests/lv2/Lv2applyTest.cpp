// Debian's lv2apply renders a file through the built bundle, with no
// feature at all and one frame a run: bit for bit what the VST2 build gives
// for the same settings.

#include "host/AudioFile.h"
#include "host/Renderer.h"
#include "host/VstPlugin.h"
#include "formats/lv2/Lv2Ports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using namespace quenchbox::host;
namespace effect = quenchbox::effect;

AudioData stereoInput()
{
    AudioData audio;
    audio.channels.assign(2, std::vector<double>(22050));
    for (std::size_t i = 0; i < audio.channels[0].size(); ++i) {
        const double t = static_cast<double>(i) / audio.sampleRate;
        audio.channels[0][i] = static_cast<float>(0.6 * std::sin(2 * M_PI * 110.0 * t) * std::exp(-2.0 * t));
        audio.channels[1][i] = static_cast<float>(0.4 * std::sin(2 * M_PI * 165.0 * t));
    }
    return audio;
}

TEST(Lv2apply, RendersBitForBitAsTheVst2Build)
{
    const std::filesystem::path dir = std::filesystem::path(QUENCHBOX_TEST_OUTPUT_DIR) / "lv2apply";
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.wav").string();
    const AudioData input = stereoInput();
    writeFloatWav(in, input);
    for (int program : {0, 3, 8}) {
        for (float oversample : {0.0f, 1.0f}) {
            SCOPED_TRACE("program " + std::to_string(program) + ", oversample " + std::to_string(oversample));
            const auto vst2 = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
            vst2->setSampleRate(input.sampleRate);
            vst2->setProgram(program);
            vst2->setParameter(effect::kChannels, 1.0f);
            vst2->setParameter(effect::kOversample, oversample);
            vst2->announceChannels(2);
            vst2->resume();
            RenderSettings settings;
            settings.outputChannels = 2;
            const AudioData expected = renderThrough(*vst2, input, settings, nullptr);

            const std::string name = "out-" + std::to_string(program) + "-" + std::to_string(oversample > 0) + ".wav";
            const std::string out = (dir / name).string();
            std::string command = "LV2_PATH=" QUENCHBOX_TEST_OUTPUT_DIR " lv2apply -i " + in + " -o " + out;
            for (int i = 0; i < effect::kParameterCount; ++i) {
                char value[32];
                std::snprintf(value, sizeof(value), "%.9g", static_cast<double>(vst2->parameter(i)));
                command += std::string(" -c ") + quenchbox::effect::kParameters[i].lv2Symbol + " " + value;
            }
            command += std::string(" ") + quenchbox::lv2::kPluginUri + " 2>/dev/null";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            const AudioData rendered = readAudioFile(out);
            ASSERT_EQ(rendered.channels.size(), 2u);
            for (int c = 0; c < 2; ++c)
                EXPECT_EQ(rendered.channels[c], expected.channels[c]) << "channel " << c;
        }
    }
}

}  // namespace
