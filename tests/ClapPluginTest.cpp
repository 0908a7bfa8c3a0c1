// The CLAP build as a host sees it: the built QuenchboxRZ.clap loaded with
// dlopen, clap_entry, its factory, create, init, activate, start_processing
// and process. Where the VST2 build has the same notion, the two must agree
// to the bit.

#include "host/ClapHostedPlugin.h"
#include "host/ClapInstance.h"
#include "host/ClapPresetIndex.h"
#include "host/DemoPhrase.h"
#include "host/VstPlugin.h"
#include "tests/common/FormatRender.h"

#include "tests/common/SanitizerBuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using sanitizerbuild::kThreadSanitized;

using quenchbox::host::ClapInputEvents;
using quenchbox::host::ClapInstance;
using quenchbox::host::ClapLibrary;
using quenchbox::host::ClapIndexer;
using quenchbox::host::ClapOutputEvents;
using quenchbox::host::DiscoveredPreset;
using quenchbox::host::PresetIndex;
using quenchbox::host::VstPlugin;

using namespace formatrender;

constexpr std::uint32_t kMaxBlock = 4096;
constexpr clap_id kDrive = 1;
constexpr clap_id kBass = 3;
constexpr clap_id kChannels = 12;
constexpr clap_id kOversample = 13;

// A library loaded once for the whole test program, as a host keeps it.
const ClapLibrary& clapLibrary()
{
    static const ClapLibrary library(QUENCHBOX_CLAP_PATH);
    return library;
}

std::unique_ptr<ClapInstance> createClap(ClapInstance::HostExtensions extensions = ClapInstance::HostExtensions::all)
{
    return ClapInstance::create(clapLibrary().entry(), extensions);
}

void selectProgram(ClapInstance& clap, int program)
{
    const auto* presets = clap.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    ASSERT_NE(presets, nullptr);
    ASSERT_TRUE(presets->from_location(clap.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                       std::to_string(program).c_str()));
}

void setValues(ClapInstance& clap, const std::vector<std::pair<int, float>>& values)
{
    ClapInputEvents events;
    for (const auto& [index, value] : values)
        events.addValue(0, static_cast<clap_id>(index), value);
    clap.flush(events);
}

// Processes the phrase in place, block by block; events at their frame in
// the whole run go into the block that holds it.
template <typename Sample>
Stereo<Sample> runClap(ClapInstance& clap, int blockSize, const std::vector<TimedChange>& changes = {})
{
    Stereo<Sample> io = input<Sample>();
    EXPECT_TRUE(clap.activate(kRate, 1, kMaxBlock));
    EXPECT_TRUE(clap.startProcessing());
    for (std::size_t at = 0; at < kFrames; at += blockSize) {
        const auto frames = static_cast<std::uint32_t>(std::min<std::size_t>(blockSize, kFrames - at));
        ClapInputEvents events;
        for (const TimedChange& change : changes)
            if (change.frame >= at && change.frame < at + frames)
                events.addValue(static_cast<std::uint32_t>(change.frame - at), static_cast<clap_id>(change.index),
                                change.value);
        Sample* channels[2] = {io[0].data() + at, io[1].data() + at};
        EXPECT_EQ(clap.process(channels, channels, frames, &events), CLAP_PROCESS_CONTINUE);
    }
    clap.stopProcessing();
    clap.deactivate();
    return io;
}

template <typename Sample>
Stereo<Sample> renderClap(const Settings& s)
{
    const auto clap = createClap();
    selectProgram(*clap, s.program);
    setValues(*clap, s.values);
    return runClap<Sample>(*clap, s.blockSize);
}

// ---- Descriptor, ports and parameters ----

TEST(ClapBuild, DescribesItselfAndItsStereoPorts)
{
    const auto clap = createClap();
    const clap_plugin_descriptor_t& d = clap->descriptor();
    EXPECT_STREQ(d.id, "example.zuk.quenchbox-rz");
    EXPECT_STREQ(d.name, "Quenchbox RZ");
    EXPECT_STREQ(d.vendor, "ZUK");
    EXPECT_STREQ(d.version, QUENCHBOX_PROJECT_VERSION);
    EXPECT_GT(std::strlen(d.description), 10u);
    std::vector<std::string> features;
    for (const char* const* f = d.features; *f; ++f)
        features.emplace_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "distortion", "stereo", "mono"}));

    const auto* ports = clap->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(ports, nullptr);
    for (bool isInput : {true, false}) {
        EXPECT_EQ(ports->count(clap->plugin(), isInput), 1u);
        clap_audio_port_info_t info{};
        ASSERT_TRUE(ports->get(clap->plugin(), 0, isInput, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, CLAP_PORT_STEREO);
        EXPECT_TRUE(info.flags & CLAP_AUDIO_PORT_IS_MAIN);
        EXPECT_TRUE(info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS);
        EXPECT_EQ(info.in_place_pair, info.id);
        EXPECT_FALSE(ports->get(clap->plugin(), 1, isInput, &info));
    }
    // The editor embeds through the gui extension (x11), driven by the host's
    // timer and the X connection's descriptor.
    EXPECT_NE(clap->extension<void>(CLAP_EXT_GUI), nullptr);
    EXPECT_NE(clap->extension<void>(CLAP_EXT_TIMER_SUPPORT), nullptr);
    EXPECT_NE(clap->extension<void>(CLAP_EXT_POSIX_FD_SUPPORT), nullptr);
    EXPECT_EQ(clap->extension<void>("clap.no-such-extension"), nullptr);
}

TEST(ClapBuild, SixteenAutomatableParametersWithFullNamesAndTheVst2Defaults)
{
    const auto clap = createClap();
    const auto vst = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    const char* names[16] = {"Enable", "Drive", "Level", "Bass", "Middle", "Treble", "Deep", "Voltage",
                             "OA Gain", "LEDs", "Scale", "RZ Mode", "Channels", "Oversample", "Bright", "Mix"};
    const std::vector<int> stepped = {0, 9, 11, 12, 13, 14};
    ASSERT_EQ(clap->parameterCount(), 16u);
    for (std::uint32_t i = 0; i < 16; ++i) {
        const clap_param_info_t info = clap->parameterInfo(i);
        EXPECT_EQ(info.id, i);
        EXPECT_STREQ(info.name, names[i]);
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
        const bool isStepped = std::find(stepped.begin(), stepped.end(), static_cast<int>(i)) != stepped.end();
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, isStepped) << names[i];
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, 1.0);
        EXPECT_EQ(info.default_value, vst->parameter(static_cast<int>(i))) << names[i];
        EXPECT_EQ(clap->value(i), vst->parameter(static_cast<int>(i))) << names[i];
    }
    EXPECT_EQ(clap->parameterInfo(16).id, CLAP_INVALID_ID);
}

TEST(ClapBuild, TextsAreTheVst2DisplayTextsWithUnitsAndReadBack)
{
    const auto clap = createClap();
    const auto vst = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    for (int i = 0; i < 16; ++i) {
        const bool isStepped = clap->parameterInfo(i).flags & CLAP_PARAM_IS_STEPPED;
        const int steps = isStepped ? 1 : 200;
        for (int n = 0; n <= steps; ++n) {
            const float v = static_cast<float>(n) / steps;
            vst->setParameter(i, v);
            const std::string unit = i == 7 ? " V" : "";
            const std::string text = clap->text(i, v);
            EXPECT_EQ(text, vst->parameterDisplay(i) + unit) << i << " at " << v;
            double back = -1.0;
            ASSERT_TRUE(clap->fromText(i, text, back)) << text;
            EXPECT_EQ(clap->text(i, back), text);
        }
    }
    double v = 0.0;
    EXPECT_TRUE(clap->fromText(kDrive, "0.7", v));
    EXPECT_FLOAT_EQ(static_cast<float>(v), 0.7f);
    EXPECT_FALSE(clap->fromText(kDrive, "a lot", v));
    EXPECT_FALSE(clap->fromText(16, "0.5", v));
    EXPECT_EQ(clap->text(16, 0.5), "");
}

// ---- Output against the VST2 build ----

class ClapOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(ClapOutput, BitIdenticalToTheVst2BuildForEveryBlockSizeAndPrecision)
{
    for (int blockSize : kBlockSizes) {
        const Settings s = outputSettings(GetParam(), blockSize);
        EXPECT_TRUE(bitIdentical(renderClap<float>(s), renderVst<float>(s))) << "32-bit, block " << blockSize;
        EXPECT_TRUE(bitIdentical(renderClap<double>(s), renderVst<double>(s))) << "64-bit, block " << blockSize;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ClapOutput, ::testing::ValuesIn(kOutputCases));

TEST(ClapEvents, TakeEffectAtTheirSample)
{
    const std::vector<TimedChange> changes = {
        {1000, static_cast<int>(kDrive), 0.9}, {1001, static_cast<int>(kBass), 0.1}, {5000, static_cast<int>(kOversample), 1.0}};
    const Stereo<float> expected = renderVstWithChanges<float>({{kChannels, 1.0f}}, changes);

    const auto clap = createClap();
    setValues(*clap, {{kChannels, 1.0f}});
    EXPECT_TRUE(bitIdentical(runClap<float>(*clap, 4096, changes), expected));

    const auto unchanged = createClap();
    setValues(*unchanged, {{kChannels, 1.0f}});
    EXPECT_FALSE(bitIdentical(runClap<float>(*unchanged, 4096), expected));
}

// ---- Reset ----

// reset empties the circuit: what follows is what a fresh instance with the
// same settings plays, to the bit, resamplers and glides included. A mere
// deactivate and activate keeps the circuit's charge, as the VST2 build does.
TEST(ClapReset, ClearsEveryProcessingStateAsAFreshInstanceHasIt)
{
    const std::vector<std::pair<int, float>> settings = {{kChannels, 1.0f}, {kOversample, 1.0f}, {kDrive, 0.8f}};
    const auto fresh = createClap();
    setValues(*fresh, settings);
    const Stereo<double> expected = runClap<double>(*fresh, 256);

    const auto used = createClap();
    setValues(*used, settings);
    runClap<double>(*used, 256, {{300, static_cast<int>(kBass), 0.2}});
    setValues(*used, {{kBass, 0.5f}});
    Stereo<double> io = input<double>();
    ASSERT_TRUE(used->activate(kRate, 1, kMaxBlock));
    ASSERT_TRUE(used->startProcessing());
    used->plugin()->reset(used->plugin());
    for (std::size_t at = 0; at < kFrames; at += 256) {
        double* channels[2] = {io[0].data() + at, io[1].data() + at};
        ASSERT_EQ(used->process(channels, channels, static_cast<std::uint32_t>(std::min<std::size_t>(256, kFrames - at))),
                  CLAP_PROCESS_CONTINUE);
    }
    EXPECT_TRUE(bitIdentical(io, expected));

    const auto kept = createClap();
    setValues(*kept, settings);
    runClap<double>(*kept, 256);
    EXPECT_FALSE(bitIdentical(runClap<double>(*kept, 256), expected));
}

// ---- State ----

TEST(ClapState, RoundTripsIntoAFreshInstanceOneByteAtATime)
{
    const auto original = createClap();
    selectProgram(*original, 3);
    setValues(*original, {{kDrive, 0.61f}, {kOversample, 1.0f}, {kChannels, 1.0f}});
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(original->saveState(saved, 1));
    EXPECT_EQ(saved.size(), 104u);

    const auto restored = createClap();
    ASSERT_TRUE(restored->loadState(saved, 1));
    for (clap_id i = 0; i < 16; ++i)
        EXPECT_EQ(restored->value(i), original->value(i)) << i;
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(restored->saveState(again));
    EXPECT_EQ(again, saved);  // program 3 and its name came along
    EXPECT_EQ(restored->latency(), 8u);
    EXPECT_TRUE(bitIdentical(runClap<double>(*restored, 256), runClap<double>(*original, 256)));
}

TEST(ClapState, RefusesDamagedTruncatedAndForeignStatesAndStaysAsItWas)
{
    const auto source = createClap();
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(source->saveState(good));

    const auto target = createClap();
    selectProgram(*target, 5);
    setValues(*target, {{kDrive, 0.2f}});
    std::vector<std::uint8_t> before;
    ASSERT_TRUE(target->saveState(before));

    std::vector<std::vector<std::uint8_t>> bad;
    for (std::size_t size = 0; size < good.size(); size += 7)
        bad.emplace_back(good.begin(), good.begin() + size);
    for (std::size_t byte = 0; byte < good.size(); byte += 3) {
        bad.push_back(good);
        bad.back()[byte] ^= 0x10;
    }
    bad.push_back(good);
    bad.back().push_back(0);  // one byte too many
    bad.emplace_back(std::vector<std::uint8_t>(104, 0xAB));
    bad.emplace_back(std::vector<std::uint8_t>(4096, 0));
    for (const auto& state : bad)
        EXPECT_FALSE(target->loadState(state, 5)) << state.size() << " bytes";

    std::vector<std::uint8_t> after;
    ASSERT_TRUE(target->saveState(after));
    EXPECT_EQ(after, before);
}

TEST(ClapState, StreamErrorsAreRefused)
{
    const auto clap = createClap();
    const auto* state = clap->extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    clap_ostream_t failing{nullptr, [](const clap_ostream_t*, const void*, std::uint64_t) -> std::int64_t { return -1; }};
    EXPECT_FALSE(state->save(clap->plugin(), &failing));
    clap_ostream_t stuck{nullptr, [](const clap_ostream_t*, const void*, std::uint64_t) -> std::int64_t { return 0; }};
    EXPECT_FALSE(state->save(clap->plugin(), &stuck));
    clap_istream_t broken{nullptr, [](const clap_istream_t*, void*, std::uint64_t) -> std::int64_t { return -1; }};
    EXPECT_FALSE(state->load(clap->plugin(), &broken));
    EXPECT_FALSE(state->load(clap->plugin(), nullptr));
    EXPECT_FALSE(state->save(clap->plugin(), nullptr));
}

// ---- Latency ----

TEST(ClapLatency, ZeroOrEightAndARestartWhenOversampleChangesWhileActive)
{
    const auto clap = createClap();
    EXPECT_EQ(clap->latency(), 0u);
    setValues(*clap, {{kOversample, 1.0f}});
    EXPECT_EQ(clap->latency(), 8u);
    EXPECT_EQ(clap->hostCalls().restartRequests, 0);  // inactive: the host reads it on activation

    ASSERT_TRUE(clap->activate(kRate, 1, 256));
    EXPECT_EQ(clap->hostCalls().latencyChanges, 1);
    ASSERT_TRUE(clap->startProcessing());
    std::vector<float> buffer(256, 0.1f);
    float* channels[2] = {buffer.data(), buffer.data()};
    ClapInputEvents off;
    off.addValue(10, kOversample, 0.0);
    clap->process(channels, channels, 256, &off);
    EXPECT_EQ(clap->hostCalls().restartRequests, 1);
    clap->process(channels, channels, 256);
    EXPECT_EQ(clap->hostCalls().restartRequests, 1);  // asked once until the restart
    EXPECT_EQ(clap->latency(), 0u);

    clap->stopProcessing();
    clap->deactivate();
    ASSERT_TRUE(clap->activate(kRate, 1, 256));
    EXPECT_EQ(clap->hostCalls().latencyChanges, 2);
    setValues(*clap, {{kDrive, 0.4f}});
    EXPECT_EQ(clap->hostCalls().restartRequests, 1);  // no latency change, no restart
}

// ---- Life and threads ----

TEST(ClapLifetime, AThousandInstancesComeAndGo)
{
    if (kThreadSanitized)
        GTEST_SKIP() << "single-threaded";
    for (int n = 0; n < 1000; ++n) {
        const auto clap = createClap();
        if (n % 100 == 0) {
            ASSERT_TRUE(clap->activate(n % 200 ? 48000.0 : kRate, 1, 64));
            ASSERT_TRUE(clap->startProcessing());
            std::vector<double> buffer(64, 0.2);
            double* channels[2] = {buffer.data(), buffer.data()};
            EXPECT_EQ(clap->process(channels, channels, 64), CLAP_PROCESS_CONTINUE);
        }
    }
}

TEST(ClapThreads, MainThreadCallsBesideProcessing)
{
    const auto clap = createClap();
    ASSERT_TRUE(clap->activate(kRate, 1, 128));
    ASSERT_TRUE(clap->startProcessing());
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> left(128, 0.3f);
        std::vector<float> right(128, -0.3f);
        float* channels[2] = {left.data(), right.data()};
        for (int block = 0; block < 100; ++block) {
            ClapInputEvents events;
            events.addValue(static_cast<std::uint32_t>(block % 128), kDrive, (block % 10) / 10.0);
            clap->process(channels, channels, 128, &events);
            ASSERT_TRUE(std::isfinite(left[0]) && std::isfinite(right[127]));
        }
        done = true;
    });
    std::vector<std::uint8_t> saved;
    int rounds = 0;
    while (!done) {
        for (clap_id i = 0; i < 16; ++i)
            clap->text(i, clap->value(i));
        ASSERT_TRUE(clap->saveState(saved));
        ASSERT_TRUE(clap->loadState(saved));
        ++rounds;
    }
    audio.join();
    EXPECT_GT(rounds, 0);
}

// ---- Bad input ----

struct RawBlock {
    std::vector<float> samples[4];
    float* channels[4];
    clap_audio_buffer_t in{};
    clap_audio_buffer_t out{};
    clap_process_t process{};
    ClapInputEvents events;
    ClapOutputEvents sent;

    explicit RawBlock(std::uint32_t frames, std::uint32_t inChannels = 2, std::uint32_t outChannels = 2)
    {
        for (int c = 0; c < 4; ++c) {
            samples[c].assign(frames, 0.25f * static_cast<float>(c + 1));
            channels[c] = samples[c].data();
        }
        in = {channels, nullptr, inChannels, 0, 0};
        out = {channels, nullptr, outChannels, 0, 0};
        process.frames_count = frames;
        process.audio_inputs = &in;
        process.audio_outputs = &out;
        process.audio_inputs_count = 1;
        process.audio_outputs_count = 1;
        process.in_events = events.list();
        process.out_events = sent.list();
    }

    bool allFinite() const
    {
        for (const auto& channel : samples)
            for (float x : channel)
                if (!std::isfinite(x))
                    return false;
        return true;
    }
};

std::unique_ptr<ClapInstance> processingClap(ClapInstance::HostExtensions extensions = ClapInstance::HostExtensions::all)
{
    auto clap = createClap(extensions);
    EXPECT_TRUE(clap->activate(kRate, 1, 512));
    EXPECT_TRUE(clap->startProcessing());
    return clap;
}

TEST(ClapBadInput, MissingBuffersAreAnErrorButTheirEventsCount)
{
    const auto clap = processingClap();
    const clap_plugin_t* p = clap->plugin();
    RawBlock noOutputs(64);
    noOutputs.events.addValue(3, kDrive, 0.8);
    noOutputs.process.audio_outputs = nullptr;
    EXPECT_EQ(p->process(p, &noOutputs.process), CLAP_PROCESS_ERROR);
    EXPECT_FLOAT_EQ(static_cast<float>(clap->value(kDrive)), 0.8f);

    RawBlock noData(64);
    noData.out.data32 = nullptr;
    EXPECT_EQ(p->process(p, &noData.process), CLAP_PROCESS_ERROR);
    RawBlock nullChannel(64);
    float* withHole[2] = {nullChannel.channels[0], nullptr};
    nullChannel.out.data32 = withHole;
    EXPECT_EQ(p->process(p, &nullChannel.process), CLAP_PROCESS_ERROR);
    RawBlock noPorts(64);
    noPorts.process.audio_outputs_count = 0;
    EXPECT_EQ(p->process(p, &noPorts.process), CLAP_PROCESS_ERROR);
    EXPECT_EQ(p->process(p, nullptr), CLAP_PROCESS_ERROR);

    // Without an input the effect hears silence.
    RawBlock noInput(64);
    noInput.process.audio_inputs = nullptr;
    noInput.process.audio_inputs_count = 0;
    EXPECT_EQ(p->process(p, &noInput.process), CLAP_PROCESS_CONTINUE);
    const auto silent = processingClap();
    setValues(*silent, {{kDrive, 0.8f}});
    std::vector<float> zeros[2] = {std::vector<float>(64), std::vector<float>(64)};
    float* channels[2] = {zeros[0].data(), zeros[1].data()};
    silent->process(channels, channels, 64);
    EXPECT_EQ(noInput.samples[0], zeros[0]);
    EXPECT_EQ(noInput.samples[1], zeros[1]);
}

TEST(ClapBadInput, ZeroFramesAndOddChannelCounts)
{
    const auto clap = processingClap();
    const clap_plugin_t* p = clap->plugin();
    RawBlock empty(0);
    empty.events.addValue(0, kBass, 0.3);
    EXPECT_EQ(p->process(p, &empty.process), CLAP_PROCESS_CONTINUE);
    EXPECT_FLOAT_EQ(static_cast<float>(clap->value(kBass)), 0.3f);

    RawBlock mono(64, 1, 1);
    EXPECT_EQ(p->process(p, &mono.process), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(mono.samples[1][10], 0.5f);  // the second channel is not the plug-in's
    EXPECT_TRUE(mono.allFinite());

    // A mono input, in place, with "Channels" at stereo: both outputs carry it.
    setValues(*clap, {{kChannels, 1.0f}});
    RawBlock monoIn(64, 1, 2);
    EXPECT_EQ(p->process(p, &monoIn.process), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(monoIn.samples[0], monoIn.samples[1]);
    EXPECT_NE(monoIn.samples[0][40], 0.25f);

    RawBlock four(64, 4, 4);
    EXPECT_EQ(p->process(p, &four.process), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(four.samples[3], std::vector<float>(64, 0.0f));  // what the plug-in does not produce is silence
    EXPECT_TRUE(four.allFinite());
}

TEST(ClapBadInput, UnknownIdsTypesAndNonFiniteValuesChangeNothingUnsafe)
{
    const auto clap = processingClap(ClapInstance::HostExtensions::none);
    const clap_plugin_t* p = clap->plugin();
    RawBlock block(128);
    block.events.addValue(1, 16, 0.5);
    block.events.addValue(2, CLAP_INVALID_ID, 0.5);
    block.events.addValue(3, kDrive, std::numeric_limits<double>::quiet_NaN());
    block.events.addValue(4, kBass, std::numeric_limits<double>::infinity());
    block.events.addValue(5, 4, -7.0);
    block.events.addValue(6, kOversample, 1e300);  // a restart request with no host extensions at all
    clap_event_header_t unknown{sizeof(clap_event_header_t), 7, CLAP_CORE_EVENT_SPACE_ID, 99, 0};
    block.events.addHeader(unknown);
    clap_event_header_t foreignSpace{sizeof(clap_event_param_value_t), 8, 77, CLAP_EVENT_PARAM_VALUE, 0};
    block.events.addHeader(foreignSpace);
    clap_event_header_t tooShort{sizeof(clap_event_header_t), 9, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    block.events.addHeader(tooShort);
    EXPECT_EQ(p->process(p, &block.process), CLAP_PROCESS_CONTINUE);
    EXPECT_TRUE(block.allFinite());
    EXPECT_EQ(clap->value(kDrive), 0.0);
    EXPECT_EQ(clap->value(kBass), 1.0);
    EXPECT_EQ(clap->value(4), 0.0);
    EXPECT_EQ(clap->value(kOversample), 1.0);
    EXPECT_EQ(clap->hostCalls().restartRequests, 1);

    const auto* params = clap->extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    double v = 0.0;
    EXPECT_FALSE(params->get_value(p, 16, &v));
    EXPECT_FALSE(params->get_value(p, kDrive, nullptr));
    EXPECT_FALSE(params->get_info(p, 99, nullptr));
    char text[4];
    EXPECT_TRUE(params->value_to_text(p, 7, 1.0, text, sizeof(text)));
    EXPECT_STREQ(text, "30.");  // cut to the host's buffer
    EXPECT_FALSE(params->value_to_text(p, 7, 1.0, text, 0));
    EXPECT_FALSE(params->text_to_value(p, kDrive, nullptr, &v));
}

TEST(ClapBadInput, NonsenseRatesAndCallsOutOfOrderAreRefused)
{
    const auto clap = createClap();
    const clap_plugin_t* p = clap->plugin();
    RawBlock block(32);
    EXPECT_EQ(p->process(p, &block.process), CLAP_PROCESS_ERROR);  // not active
    EXPECT_FALSE(p->start_processing(p));
    EXPECT_FALSE(p->init(p));  // only once
    p->deactivate(p);
    p->stop_processing(p);
    p->reset(p);
    for (double rate : {0.0, -44100.0, 10.0, 1e9, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(p->activate(p, rate, 1, 256)) << rate;
    EXPECT_FALSE(p->activate(p, kRate, 1, 0));
    EXPECT_FALSE(p->activate(p, kRate, 512, 256));

    ASSERT_TRUE(p->activate(p, kRate, 1, 256));
    EXPECT_FALSE(p->activate(p, kRate, 1, 256));
    EXPECT_EQ(p->process(p, &block.process), CLAP_PROCESS_ERROR);  // not started
    ASSERT_TRUE(p->start_processing(p));
    EXPECT_FALSE(p->start_processing(p));
    p->deactivate(p);  // ignored while processing
    EXPECT_EQ(p->process(p, &block.process), CLAP_PROCESS_CONTINUE);
    p->stop_processing(p);
    p->reset(p);
    p->deactivate(p);
    EXPECT_TRUE(p->activate(p, 96000.0, 1, 256));
    p->deactivate(p);
}

// ---- Preset discovery ----

const clap_preset_discovery_factory_t* discoveryFactory(const char* id)
{
    return static_cast<const clap_preset_discovery_factory_t*>(clapLibrary().entry().get_factory(id));
}

constexpr const char* kProviderId = "example.zuk.quenchbox-rz.factory-presets";

TEST(ClapPresetDiscovery, BothFactoryIdsAnswerOneProviderCreatedOnlyByItsIdForACompatibleIndexer)
{
    const auto* factory = discoveryFactory(CLAP_PRESET_DISCOVERY_FACTORY_ID);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(discoveryFactory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT), factory);
    EXPECT_EQ(discoveryFactory("clap.preset-discovery-factory/1"), nullptr);
    ASSERT_EQ(factory->count(factory), 1u);
    const auto* descriptor = factory->get_descriptor(factory, 0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_STREQ(descriptor->id, kProviderId);
    EXPECT_STREQ(descriptor->name, "Quenchbox RZ factory programs");
    EXPECT_STREQ(descriptor->vendor, "ZUK");
    EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);

    PresetIndex index;
    ClapIndexer indexer(index);
    EXPECT_EQ(factory->create(factory, indexer.record(), "example.zuk.other"), nullptr);
    EXPECT_EQ(factory->create(factory, indexer.record(), nullptr), nullptr);
    EXPECT_EQ(factory->create(factory, nullptr, kProviderId), nullptr);
    clap_preset_discovery_indexer_t ancient = *indexer.record();
    ancient.clap_version = {0, 26, 0};
    EXPECT_EQ(factory->create(factory, &ancient, kProviderId), nullptr);
    EXPECT_TRUE(index.locations.empty()) << "a provider declares nothing before init";
}

TEST(ClapPresetDiscovery, OneFactoryLocationInThePlugInWithTheSixteenFactoryProgramsByNumber)
{
    const PresetIndex index = quenchbox::host::indexPresets(clapLibrary().entry());
    EXPECT_TRUE(index.errors.empty()) << index.errors.front();
    ASSERT_EQ(index.locations.size(), 1u);
    EXPECT_EQ(index.locations[0].provider, kProviderId);
    EXPECT_EQ(index.locations[0].kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);
    EXPECT_FALSE(index.locations[0].hasPath);
    EXPECT_EQ(index.locations[0].flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    EXPECT_FALSE(index.locations[0].name.empty());

    const char* names[16] = {"Default",    "Fat Blues",     "Crunch",       "Grunge",     "Screaming Solo", "Rusk Solo",
                             "OpAmp Solo", "Bright Crunch", "Modern Metal", "Smooth LED", "Default",        "Default",
                             "Default",    "Default",       "Default",      "Default"};
    ASSERT_EQ(index.presets.size(), 16u);
    for (int p = 0; p < 16; ++p) {
        const DiscoveredPreset& preset = index.presets[p];
        EXPECT_EQ(preset.name, names[p]);
        EXPECT_EQ(preset.loadKey, std::to_string(p));
        EXPECT_EQ(preset.pluginIds, std::vector<std::string>{"clap:example.zuk.quenchbox-rz"}) << p;
        EXPECT_TRUE(preset.flagsSet);
        EXPECT_EQ(preset.flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
}

TEST(ClapPresetDiscovery, ProvidersAreIndependentAndStopWhereTheReceiverDoes)
{
    const auto* factory = discoveryFactory(CLAP_PRESET_DISCOVERY_FACTORY_ID);
    PresetIndex first, second;
    ClapIndexer firstIndexer(first), secondIndexer(second);
    const auto* a = factory->create(factory, firstIndexer.record(), kProviderId);
    const auto* b = factory->create(factory, secondIndexer.record(), kProviderId);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_TRUE(b->init(b));
    EXPECT_TRUE(a->init(a));
    EXPECT_EQ(first.locations.size(), 1u);
    EXPECT_EQ(second.locations.size(), 1u);
    EXPECT_EQ(a->get_extension(a, "clap.anything"), nullptr);
    a->destroy(a);

    // What lies nowhere the provider declared has no metadata.
    clap_preset_discovery_metadata_receiver_t nobody{};
    EXPECT_FALSE(b->get_metadata(b, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/presets", &nobody));
    EXPECT_FALSE(b->get_metadata(b, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, "/tmp/presets", &nobody));
    EXPECT_FALSE(b->get_metadata(b, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, nullptr));
    EXPECT_FALSE(b->get_metadata(b, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &nobody));
    b->destroy(b);

    const PresetIndex limited = quenchbox::host::indexPresets(clapLibrary().entry(), 3);
    ASSERT_EQ(limited.presets.size(), 3u);
    EXPECT_EQ(limited.presets[2].name, "Crunch");
}

// What a host does with a preset its browser found: preset-load with the
// location and key discovery gave.
template <typename Sample>
Stereo<Sample> renderDiscoveredPreset(const PresetIndex& index, const DiscoveredPreset& preset)
{
    const auto clap = createClap();
    const auto* presets = clap->extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    const bool loaded = presets != nullptr
                        && presets->from_location(clap->plugin(), index.locations[0].kind, nullptr,
                                                  preset.loadKey.c_str());
    EXPECT_TRUE(loaded) << preset.loadKey;
    return runClap<Sample>(*clap, 256);
}

TEST(ClapPresetDiscovery, LoadingADiscoveredPresetSoundsLikeTheVst2ProgramOfThatNumber)
{
    const PresetIndex index = quenchbox::host::indexPresets(clapLibrary().entry());
    ASSERT_EQ(index.presets.size(), 16u);
    for (int program : {0, 3, 15}) {
        Settings s;
        s.program = program;
        EXPECT_TRUE(bitIdentical(renderDiscoveredPreset<float>(index, index.presets[program]), renderVst<float>(s)))
            << index.presets[program].name;
    }
    Settings grunge;
    grunge.program = 3;
    EXPECT_FALSE(bitIdentical(renderDiscoveredPreset<float>(index, index.presets[0]), renderVst<float>(grunge)));
}

// A host may hold its own locks while it loads a preset: the plug-in asks
// for the main-thread callback and tells of the new values only there.
TEST(ClapPresetDiscovery, ThePresetsNewValuesReachTheHostFromTheMainThreadCallback)
{
    const auto clap = createClap();
    selectProgram(*clap, 4);
    EXPECT_EQ(clap->hostCalls().rescans, 0);
    EXPECT_EQ(clap->hostCalls().callbackRequests, 1);
    clap->plugin()->on_main_thread(clap->plugin());
    EXPECT_EQ(clap->hostCalls().rescans, 1);
    clap->plugin()->on_main_thread(clap->plugin());
    EXPECT_EQ(clap->hostCalls().rescans, 1);
}

TEST(ClapPresetDiscovery, PresetLoadAnswersThePublishedDraftAndEarlierIds)
{
    const auto clap = createClap();
    const auto* published = clap->extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    ASSERT_NE(published, nullptr);
    EXPECT_EQ(clap->extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT), published);
    EXPECT_EQ(clap->extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD_EARLIER), published);
}

}  // namespace
