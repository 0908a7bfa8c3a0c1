// The built LV2 bundle in a host of ours on lilv: what it declares, its
// presets against the VST2 build's programs, its state, its latency port,
// its output at any block size and after re-activation, bad input, and a
// thousand instances.

#include "Lv2TestInstance.h"

#include "effect/Programs.h"
#include "formats/shared/ParameterDescriptions.h"
#include "host/Lv2HostedPlugin.h"
#include "host/ResidentMemory.h"
#include "host/VstPlugin.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include "tests/common/SanitizerBuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace lv2test {
namespace {

using sanitizerbuild::kAddressSanitized;
using sanitizerbuild::kThreadSanitized;

using quenchbox::effect::ParameterKind;
using quenchbox::host::Lv2HostedPlugin;
using quenchbox::host::VstPlugin;
namespace effect = quenchbox::effect;
namespace lv2 = quenchbox::lv2;

constexpr double kRate = 44100.0;
constexpr int kOversample = effect::kOversample;

Lv2HostedPlugin& bundle()
{
    static Lv2HostedPlugin hosted(QUENCHBOX_LV2_BUNDLE);
    return hosted;
}

const LilvPlugin* plugin() { return bundle().plugin(); }
LilvWorld* world() { return bundle().world(); }

struct Uri {
    explicit Uri(const char* uri) : node(lilv_new_uri(world(), uri)) {}
    ~Uri() { lilv_node_free(node); }
    Uri(const Uri&) = delete;
    Uri& operator=(const Uri&) = delete;
    LilvNode* node;
};

const LilvPort* port(std::uint32_t index) { return lilv_plugin_get_port_by_index(plugin(), index); }

bool hasProperty(std::uint32_t index, const char* property)
{
    const Uri p(property);
    return lilv_port_has_property(plugin(), port(index), p.node);
}

bool sameBits(const Stereo& a, const Stereo& b)
{
    return a.left.size() == b.left.size()
           && std::memcmp(a.left.data(), b.left.data(), a.left.size() * sizeof(float)) == 0
           && std::memcmp(a.right.data(), b.right.data(), a.right.size() * sizeof(float)) == 0;
}

bool allFinite(const std::vector<float>& samples)
{
    for (float x : samples)
        if (!std::isfinite(x))
            return false;
    return true;
}

const LV2_Feature* const* mapFeatures()
{
    static const LV2_Feature* features[] = {bundle().urids().mapFeature(), nullptr};
    return features;
}

TEST(Lv2Description, ThePluginIsANamedDistortionNeedingNoFeature)
{
    const LilvNode* uri = lilv_plugin_get_uri(plugin());
    EXPECT_STREQ(lilv_node_as_uri(uri), "http://zuk.example/plugins/quenchbox-rz");
    LilvNode* name = lilv_plugin_get_name(plugin());
    LilvNode* maker = lilv_plugin_get_author_name(plugin());
    EXPECT_STREQ(lilv_node_as_string(name), "Quenchbox RZ");
    EXPECT_STREQ(lilv_node_as_string(maker), "ZUK");
    lilv_node_free(name);
    lilv_node_free(maker);
    EXPECT_STREQ(lilv_node_as_uri(lilv_plugin_class_get_uri(lilv_plugin_get_class(plugin()))),
                 LV2_CORE__DistortionPlugin);
    LilvNodes* required = lilv_plugin_get_required_features(plugin());
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    const Uri hardRt(LV2_CORE__hardRTCapable);
    EXPECT_TRUE(lilv_plugin_has_feature(plugin(), hardRt.node));
    const Uri state(LV2_STATE__interface);
    EXPECT_TRUE(lilv_plugin_has_extension_data(plugin(), state.node));
    EXPECT_NE(bundle().description().find("version: " QUENCHBOX_MINOR_MICRO " "), std::string::npos);
}

TEST(Lv2Description, PortsAreStereoAudioSixteenControlsTheLatencyAndTheMeters)
{
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin()), 24u);
    const Uri audio(LV2_CORE__AudioPort);
    const Uri input(LV2_CORE__InputPort);
    for (std::uint32_t p = 0; p < 4; ++p) {
        EXPECT_TRUE(lilv_port_is_a(plugin(), port(p), audio.node));
        EXPECT_EQ(lilv_port_is_a(plugin(), port(p), input.node), p < 2);
    }
    // Saved projects name the controls by these: they never change.
    const char* const symbols[] = {"enable", "drive", "level", "bass", "middle", "treble", "deep", "voltage",
                                   "oa_gain", "leds", "scale", "rz_mode", "channels", "oversample", "bright", "mix"};
    float mins[24], maxs[24], defaults[24];
    lilv_plugin_get_port_ranges_float(plugin(), mins, maxs, defaults);
    float program0[effect::kParameterCount];
    const auto vst2 = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    vst2->setProgram(0);
    for (int i = 0; i < effect::kParameterCount; ++i)
        program0[i] = vst2->parameter(i);
    const Uri enabled(LV2_CORE__enabled);
    const Uri designation(LV2_CORE__designation);
    for (int i = 0; i < effect::kParameterCount; ++i) {
        SCOPED_TRACE(symbols[i]);
        const std::uint32_t p = lv2::kFirstControl + static_cast<std::uint32_t>(i);
        EXPECT_TRUE(lilv_port_is_a(plugin(), port(p), input.node));
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin(), port(p))), symbols[i]);
        EXPECT_EQ(bundle().parameterName(i), effect::kParameters[i].fullName);
        EXPECT_EQ(mins[p], 0.0f);
        EXPECT_EQ(maxs[p], 1.0f);
        EXPECT_EQ(defaults[p], program0[i]);
        const ParameterKind kind = effect::kParameters[i].kind;
        EXPECT_EQ(hasProperty(p, LV2_CORE__toggled), kind == ParameterKind::toggle);
        EXPECT_EQ(hasProperty(p, LV2_CORE__enumeration), kind == ParameterKind::choice);
        LilvScalePoints* points = lilv_port_get_scale_points(plugin(), port(p));
        EXPECT_EQ(points != nullptr ? lilv_scale_points_size(points) : 0u, kind == ParameterKind::choice ? 2u : 0u);
        lilv_scale_points_free(points);
        LilvNodes* designations = lilv_port_get_value(plugin(), port(p), designation.node);
        EXPECT_EQ(designations != nullptr && lilv_nodes_contains(designations, enabled.node), i == effect::kEnable);
        lilv_nodes_free(designations);
    }
    EXPECT_TRUE(hasProperty(lv2::kLatencyPort, LV2_CORE__reportsLatency));
    EXPECT_FALSE(lilv_port_is_a(plugin(), port(lv2::kLatencyPort), input.node));
    EXPECT_EQ(lilv_plugin_get_latency_port_index(plugin()), lv2::kLatencyPort);
    // The meters came after the latency, so the ports before kept their
    // indices; their symbols never change either.
    const Uri control(LV2_CORE__ControlPort);
    const char* const meters[] = {"clip_meter", "stage_a_meter", "stage_b_meter"};
    for (std::uint32_t m = 0; m < 3; ++m) {
        SCOPED_TRACE(meters[m]);
        const std::uint32_t p = lv2::kLatencyPort + 1 + m;
        EXPECT_TRUE(lilv_port_is_a(plugin(), port(p), control.node));
        EXPECT_FALSE(lilv_port_is_a(plugin(), port(p), input.node));
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin(), port(p))), meters[m]);
        EXPECT_EQ(mins[p], 0.0f);
    }
}

// A host that runs UIs in a process of their own (or offers no
// instance-access) can run this one: it needs a parent window and idle
// calls, nothing else.
TEST(Lv2Description, TheUiRequiresNoInstanceAccess)
{
    LilvUIs* uis = lilv_plugin_get_uis(plugin());
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    const Uri requiredFeature(LV2_CORE__requiredFeature);
    LilvNodes* required = lilv_world_find_nodes(world(), lilv_ui_get_uri(ui), requiredFeature.node, nullptr);
    std::vector<std::string> features;
    LILV_FOREACH (nodes, i, required)
        features.emplace_back(lilv_node_as_uri(lilv_nodes_get(required, i)));
    lilv_nodes_free(required);
    lilv_uis_free(uis);
    std::sort(features.begin(), features.end());
    EXPECT_EQ(features, (std::vector<std::string>{"http://lv2plug.in/ns/extensions/ui#idleInterface",
                                                  "http://lv2plug.in/ns/extensions/ui#parent"}));
}


// The state interface called directly, as a host would with a stored state.
struct StoredState {
    std::map<LV2_URID, std::pair<LV2_URID, std::string>> values;  // key: type, bytes

    static LV2_State_Status store(LV2_State_Handle h, std::uint32_t key, const void* value, std::size_t size,
                                  std::uint32_t type, std::uint32_t)
    {
        static_cast<StoredState*>(h)->values[key] = {type, std::string(static_cast<const char*>(value), size)};
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle h, std::uint32_t key, std::size_t* size, std::uint32_t* type,
                                std::uint32_t* flags)
    {
        auto& values = static_cast<StoredState*>(h)->values;
        const auto found = values.find(key);
        if (found == values.end())
            return nullptr;
        *size = found->second.second.size();
        *type = found->second.first;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return found->second.second.data();
    }
};

const LV2_State_Interface& stateOf(Lv2TestInstance& instance)
{
    const void* data = lilv_instance_get_extension_data(instance.lilv(), LV2_STATE__interface);
    return *static_cast<const LV2_State_Interface*>(data);
}

StoredState saved(Lv2TestInstance& instance)
{
    StoredState state;
    EXPECT_EQ(stateOf(instance).save(lilv_instance_get_handle(instance.lilv()), StoredState::store, &state, 0, nullptr),
              LV2_STATE_SUCCESS);
    return state;
}

LV2_State_Status restore(Lv2TestInstance& instance, StoredState& state)
{
    return stateOf(instance).restore(lilv_instance_get_handle(instance.lilv()), StoredState::retrieve, &state, 0,
                                     nullptr);
}

// Loads preset `program` (its ports and its state) into the instance.
void loadPreset(Lv2TestInstance& instance, int program)
{
    bundle().setProgram(program);
    for (int i = 0; i < effect::kParameterCount; ++i)
        instance.control(i) = bundle().parameter(i);
    auto& urids = bundle().urids();
    StoredState state;
    const std::int32_t number = program;
    const std::string name = bundle().programName() + std::string(1, '\0');
    const std::string numberBytes(reinterpret_cast<const char*>(&number), sizeof(number));
    state.values[urids.map(lv2::kProgramKeyUri)] = {urids.map(LV2_ATOM__Int), numberBytes};
    state.values[urids.map(lv2::kProgramNameKeyUri)] = {urids.map(LV2_ATOM__String), name};
    ASSERT_EQ(restore(instance, state), LV2_STATE_SUCCESS);
}

TEST(Lv2Presets, AreTheVst2ProgramsByNameAndValues)
{
    ASSERT_EQ(bundle().programCount(), effect::kProgramCount);
    const auto vst2 = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    for (int p = 0; p < effect::kProgramCount; ++p) {
        SCOPED_TRACE(p);
        bundle().setProgram(p);
        vst2->setProgram(p);
        EXPECT_EQ(bundle().programName(), vst2->programName());
        for (int i = 0; i < effect::kParameterCount; ++i)
            EXPECT_EQ(bundle().parameter(i), vst2->parameter(i)) << i;

        // The preset's state, as lilv reads it from presets.ttl, selects the
        // program in the instance.
        Lv2TestInstance instance(plugin(), kRate, mapFeatures());
        char uri[96];
        std::snprintf(uri, sizeof(uri), "%s#preset-%02d", lv2::kPluginUri, p);
        const Uri preset(uri);
        auto* map = static_cast<LV2_URID_Map*>(bundle().urids().mapFeature()->data);
        LilvState* state = lilv_state_new_from_world(world(), map, preset.node);
        ASSERT_NE(state, nullptr);
        lilv_state_restore(state, instance.lilv(), nullptr, nullptr, 0, mapFeatures());
        lilv_state_free(state);
        StoredState restored = saved(instance);
        auto& urids = bundle().urids();
        std::int32_t program = -1;
        std::memcpy(&program, restored.values[urids.map(lv2::kProgramKeyUri)].second.data(), sizeof(program));
        EXPECT_EQ(program, p);
        EXPECT_EQ(restored.values[urids.map(lv2::kProgramNameKeyUri)].second, vst2->programName() + '\0');
    }
    bundle().setProgram(0);
}

TEST(Lv2State, RoundTripsTheProgramIntoAFreshInstance)
{
    Lv2TestInstance first(plugin(), kRate, mapFeatures());
    ASSERT_TRUE(first.created());
    loadPreset(first, 4);
    StoredState state = saved(first);
    Lv2TestInstance fresh(plugin(), kRate, mapFeatures());
    ASSERT_EQ(restore(fresh, state), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved(fresh).values, state.values);
    const auto& name = state.values[bundle().urids().map(lv2::kProgramNameKeyUri)].second;
    EXPECT_EQ(name, std::string("Screaming Solo") + '\0');

    // The same ports and state sound the same in both.
    for (int i = 0; i < effect::kParameterCount; ++i)
        fresh.control(i) = first.control(i);
    first.activate();
    fresh.activate();
    const Stereo in = testSignal(4096);
    EXPECT_TRUE(sameBits(first.render(in, 256), fresh.render(in, 256)));
}

TEST(Lv2State, RefusesWhatIsMissingForeignOrDamagedAndChangesNothing)
{
    Lv2TestInstance instance(plugin(), kRate, mapFeatures());
    loadPreset(instance, 3);
    const StoredState good = saved(instance);
    auto& urids = bundle().urids();
    const LV2_URID programKey = urids.map(lv2::kProgramKeyUri);
    const LV2_URID nameKey = urids.map(lv2::kProgramNameKeyUri);
    const auto damaged = [&](auto damage) {
        StoredState s = good;
        damage(s);
        return s;
    };
    const auto programOf = [](std::int32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); };
    std::vector<StoredState> bad = {
        damaged([&](StoredState& s) { s.values.erase(programKey); }),
        damaged([&](StoredState& s) { s.values.erase(nameKey); }),
        damaged([&](StoredState& s) { s.values[programKey].first = urids.map(LV2_ATOM__Float); }),
        damaged([&](StoredState& s) { s.values[nameKey].first = urids.map(LV2_ATOM__Int); }),
        damaged([&](StoredState& s) { s.values[programKey].second = "\x03"; }),
        damaged([&](StoredState& s) { s.values[programKey].second = programOf(16); }),
        damaged([&](StoredState& s) { s.values[programKey].second = programOf(-1); }),
        damaged([&](StoredState& s) { s.values[nameKey].second = "Grunge"; }),  // no terminator
        damaged([&](StoredState& s) { s.values[nameKey].second = std::string(25, 'x') + '\0'; }),
        damaged([&](StoredState& s) { s.values[nameKey].second = std::string("Gr\0unge\0", 8); }),
        damaged([&](StoredState& s) { s.values[nameKey].second.clear(); }),
    };
    for (std::size_t n = 0; n < bad.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_NE(restore(instance, bad[n]), LV2_STATE_SUCCESS);
        EXPECT_EQ(saved(instance).values, good.values);
    }

    // Without urid:map there is nothing to save or restore by.
    Lv2TestInstance bare(plugin(), kRate, nullptr);
    ASSERT_TRUE(bare.created());
    StoredState any = good;
    EXPECT_EQ(stateOf(bare).save(lilv_instance_get_handle(bare.lilv()), StoredState::store, &any, 0, nullptr),
              LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(restore(bare, any), LV2_STATE_ERR_NO_FEATURE);
}

TEST(Lv2Latency, ThePortReportsEightSamplesWhileOversampling)
{
    Lv2TestInstance instance(plugin(), kRate, nullptr);
    float out[2][64];
    const Stereo in = testSignal(64);
    instance.run(in.left.data(), in.right.data(), out[0], out[1], 0);  // before activation
    EXPECT_EQ(instance.latency(), 0.0f);
    instance.activate();
    instance.control(kOversample) = 1.0f;
    instance.run(in.left.data(), in.right.data(), out[0], out[1], 64);
    EXPECT_EQ(instance.latency(), 8.0f);
    instance.control(kOversample) = 0.0f;
    instance.run(in.left.data(), in.right.data(), out[0], out[1], 0);
    EXPECT_EQ(instance.latency(), 0.0f);
}

TEST(Lv2Processing, OutputIsTheSameAtEveryBlockSize)
{
    // A change at a frame every block size reaches, with a glide after it.
    constexpr std::size_t kChangeAt = 7 * 4096;
    const Stereo in = testSignal(kChangeAt + 8000);
    const auto renderAt = [&](std::size_t block) {
        Lv2TestInstance instance(plugin(), kRate, mapFeatures());
        loadPreset(instance, 3);
        instance.control(effect::kChannels) = 1.0f;
        instance.control(kOversample) = 1.0f;
        instance.activate();
        return instance.render(in, block, kChangeAt, [](Lv2TestInstance& i) { i.control(effect::kDrive) = 0.9f; });
    };
    const Stereo reference = renderAt(4096);
    EXPECT_TRUE(allFinite(reference.left) && allFinite(reference.right));
    for (std::size_t block : {1u, 7u, 64u}) {
        SCOPED_TRACE(block);
        EXPECT_TRUE(sameBits(renderAt(block), reference));
    }
}

TEST(Lv2Processing, ReactivationClearsEveryProcessingState)
{
    const Stereo loud = testSignal(20000);
    const Stereo in = testSignal(8192);
    Lv2TestInstance used(plugin(), kRate, nullptr);
    Lv2TestInstance fresh(plugin(), kRate, nullptr);
    for (Lv2TestInstance* i : {&used, &fresh}) {
        i->control(effect::kChannels) = 1.0f;
        i->control(kOversample) = 1.0f;
    }
    used.activate();
    used.render(loud, 512);
    used.deactivate();
    used.activate();
    fresh.activate();
    EXPECT_TRUE(sameBits(used.render(in, 512), fresh.render(in, 512)));
}

TEST(Lv2Processing, BadInputNeverCrashesAndGivesFiniteOutput)
{
    Lv2TestInstance instance(plugin(), kRate, nullptr);  // no features at all
    ASSERT_TRUE(instance.created());
    std::vector<float> out[2] = {std::vector<float>(256, 7.0f), std::vector<float>(256, 7.0f)};
    const Stereo in = testSignal(256);
    // Before activation: silence; no ports at all: nothing to do.
    instance.run(in.left.data(), in.right.data(), out[0].data(), out[1].data(), 256);
    EXPECT_EQ(out[0][10], 0.0f);
    lilv_instance_run(instance.lilv(), 256);
    instance.activate();
    const float wild[] = {NAN, INFINITY, -INFINITY, 1e30f, -5.0f, 2.0f, 0.5f};
    for (float value : wild) {
        for (int i = 0; i < effect::kParameterCount; ++i)
            instance.control(i) = value;
        instance.run(in.left.data(), in.right.data(), out[0].data(), out[1].data(), 256);
        instance.run(in.left.data(), in.right.data(), out[0].data(), out[1].data(), 0);
        instance.run(nullptr, nullptr, out[0].data(), out[1].data(), 100);
        instance.run(in.left.data(), nullptr, out[0].data(), out[1].data(), 1);
        instance.run(in.left.data(), in.right.data(), out[0].data(), nullptr, 50);
        EXPECT_TRUE(allFinite(out[0]) && allFinite(out[1])) << value;
    }
    // Rates the circuit cannot run at are refused at instantiation.
    for (double rate : {0.0, -44100.0, static_cast<double>(NAN), 1e9}) {
        LilvInstance* refused = lilv_plugin_instantiate(plugin(), rate, nullptr);
        EXPECT_EQ(refused, nullptr) << rate;
        if (refused != nullptr)
            lilv_instance_free(refused);
    }
}

TEST(Lv2Lifetime, AThousandInstancesLeaveNoGrowth)
{
    if (kThreadSanitized)
        GTEST_SKIP() << "leaks are the address sanitizer's matter";
    const Stereo in = testSignal(256);
    std::vector<float> out[2] = {std::vector<float>(256), std::vector<float>(256)};
    const auto live = [&](int n) {
        Lv2TestInstance instance(plugin(), n % 2 ? 48000.0 : kRate, mapFeatures());
        instance.control(effect::kChannels) = 1.0f;
        instance.control(kOversample) = n % 3 == 0 ? 1.0f : 0.0f;
        instance.activate();
        instance.run(in.left.data(), in.right.data(), out[0].data(), out[1].data(), 256);
    };
    // One instance holds the library, so that the others measure the
    // instances rather than loading and unloading the code.
    const Lv2TestInstance keeper(plugin(), kRate, nullptr);
    for (int n = 0; n < 100; ++n)
        live(n);
    const long before = quenchbox::host::residentBytes();
    for (int n = 100; n < 1000; ++n)
        live(n);
    const long growth = quenchbox::host::residentBytes() - before;
    std::printf("resident memory after 1000 LV2 instances: %+ld KiB over the first 100\n", growth / 1024);
    if (!kAddressSanitized) {
        EXPECT_LT(growth, 512 * 1024);
    }
}

}  // namespace
}  // namespace lv2test
