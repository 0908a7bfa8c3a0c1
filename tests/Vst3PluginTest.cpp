// The VST3 build as a host sees it: the built bundle's module loaded with
// dlopen, ModuleEntry, the factory, the component, initialize, buses,
// setup, activation and process. Where the VST2 and CLAP builds have the
// same notion, the VST3 build must agree to the bit.

#include "formats/shared/StateCodec.h"
#include "host/ClapHostedPlugin.h"
#include "host/ResidentMemory.h"
#include "formats/vst3/Vst3Strings.h"
#include "host/Vst3Instance.h"
#include "tests/common/FormatRender.h"
#include "tests/common/SanitizerBuild.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace formatrender;
using sanitizerbuild::kAddressSanitized;
using sanitizerbuild::kThreadSanitized;
using namespace quenchbox::host;

constexpr ParamID kDrive = 1;
constexpr ParamID kBass = 3;
constexpr ParamID kChannels = 12;
constexpr ParamID kOversample = 13;
constexpr ParamID kProgram = 0x70726F67;
constexpr int32 kMaxBlock = 4096;

const Vst3Module& module()
{
    static const Vst3Module loaded(QUENCHBOX_VST3_PATH);
    return loaded;
}

std::unique_ptr<Vst3Instance> createVst3()
{
    static const PClassInfo2 info = module().audioClass();
    return std::make_unique<Vst3Instance>(module().factory(), info.cid);
}

void setValues(Vst3Instance& vst3, const std::vector<std::pair<int, float>>& values)
{
    const HostContext::Calling calling(vst3.host(), "setParamNormalized");
    for (const auto& [index, value] : values)
        vst3.controller().setParamNormalized(static_cast<ParamID>(index), value);
}

void selectProgram(Vst3Instance& vst3, int program)
{
    const HostContext::Calling calling(vst3.host(), "setParamNormalized");
    vst3.controller().setParamNormalized(kProgram, program / 15.0);
}

// Processes the phrase in place, block by block; changes at their frame in
// the whole run go into the block that holds it.
template <typename Sample>
Stereo<Sample> runVst3(Vst3Instance& vst3, int blockSize, const std::vector<TimedChange>& changes = {})
{
    Stereo<Sample> io = input<Sample>();
    EXPECT_TRUE(vst3.start(kRate, kMaxBlock, sizeof(Sample) == sizeof(float) ? kSample32 : kSample64));
    for (std::size_t at = 0; at < kFrames; at += blockSize) {
        const auto frames = static_cast<int32>(std::min<std::size_t>(blockSize, kFrames - at));
        HostParameterChanges block;
        for (const TimedChange& change : changes)
            if (change.frame >= at && change.frame < at + frames)
                block.add(static_cast<ParamID>(change.index), static_cast<int32>(change.frame - at), change.value);
        Sample* channels[2] = {io[0].data() + at, io[1].data() + at};
        EXPECT_EQ(vst3.process(channels, channels, frames, &block), kResultOk);
    }
    vst3.stop();
    return io;
}

template <typename Sample>
Stereo<Sample> renderVst3(const Settings& s)
{
    const auto vst3 = createVst3();
    selectProgram(*vst3, s.program);
    setValues(*vst3, s.values);
    return runVst3<Sample>(*vst3, s.blockSize);
}

// ---- Factory, buses and parameters ----

TEST(Vst3Build, TheFactoryDescribesOneDistortionClass)
{
    PFactoryInfo factory{};
    ASSERT_EQ(module().factory().getFactoryInfo(&factory), kResultOk);
    EXPECT_STREQ(factory.vendor, "ZUK");
    EXPECT_STREQ(factory.url, "http://www.zuk.example");
    EXPECT_STREQ(factory.email, "feedback@zuk.example");
    EXPECT_EQ(module().factory().countClasses(), 1);

    const PClassInfo2 info = module().audioClass();
    EXPECT_STREQ(info.name, "Quenchbox RZ");
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.subCategories, "Fx|Distortion");
    EXPECT_STREQ(info.version, QUENCHBOX_PROJECT_VERSION);
    EXPECT_STREQ(info.vendor, "ZUK");
    EXPECT_EQ(info.cardinality, kManyInstances);
    // Saved projects find the plug-in by this id.
    EXPECT_TRUE(InterfaceId(0x1AF61810, 0xEDC301AE, 0xAA886F86, 0x6367EA7D).matches(info.cid));

    void* factory3 = nullptr;
    ASSERT_EQ(module().factory().queryInterface(IPluginFactory3::iid.bytes, &factory3), kResultOk);
    PClassInfoW wide{};
    ASSERT_EQ(static_cast<IPluginFactory3*>(factory3)->getClassInfoUnicode(0, &wide), kResultOk);
    EXPECT_EQ(utf8(wide.name, 64), "Quenchbox RZ");
    EXPECT_EQ(utf8(wide.vendor, 64), "ZUK");

    void* object = nullptr;
    EXPECT_EQ(module().factory().createInstance("no such class id", IComponent::iid.bytes, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
}

TEST(Vst3Build, OneStereoBusEachWayThatAlsoTakesMono)
{
    const auto vst3 = createVst3();
    IComponent& component = vst3->component();
    EXPECT_EQ(component.getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(component.getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(component.getBusCount(kEvent, kInput), 0);
    BusInfo bus{};
    ASSERT_EQ(component.getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
    EXPECT_EQ(bus.channelCount, 2);
    EXPECT_EQ(bus.busType, kMain);
    EXPECT_EQ(component.getBusInfo(kAudio, kOutput, 1, bus), kInvalidArgument);

    IAudioProcessor& processor = vst3->processor();
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    SpeakerArrangement surround = 0x3F;
    EXPECT_EQ(processor.setBusArrangements(&surround, 1, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor.setBusArrangements(&stereo, 1, &stereo, 0), kResultFalse);
    SpeakerArrangement now = 0;
    ASSERT_EQ(processor.getBusArrangement(kInput, 0, now), kResultOk);
    EXPECT_EQ(now, SpeakerArr::kStereo);  // the refusals kept it
    EXPECT_EQ(processor.setBusArrangements(&mono, 1, &mono, 1), kResultTrue);
    ASSERT_EQ(component.getBusInfo(kAudio, kInput, 0, bus), kResultOk);
    EXPECT_EQ(bus.channelCount, 1);
    EXPECT_EQ(processor.canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(processor.canProcessSampleSize(7), kResultFalse);
}

TEST(Vst3Build, SixteenParametersAsTheOtherBuildsNameThemAndAProgramList)
{
    const auto vst3 = createVst3();
    const auto vst = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    IEditController& controller = vst3->controller();
    const char* names[16] = {"Enable", "Drive", "Level", "Bass", "Middle", "Treble", "Deep", "Voltage",
                             "OA Gain", "LEDs", "Scale", "RZ Mode", "Channels", "Oversample", "Bright", "Mix"};
    const std::vector<int> stepped = {0, 9, 11, 12, 13, 14};
    ASSERT_EQ(controller.getParameterCount(), 17);
    for (int32 i = 0; i < 16; ++i) {
        ParameterInfo info{};
        ASSERT_EQ(controller.getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, static_cast<ParamID>(i));
        EXPECT_EQ(utf8(info.title), names[i]);
        EXPECT_EQ(utf8(info.shortTitle), vst->parameterName(i));
        EXPECT_EQ(utf8(info.units), i == 7 ? "V" : "");
        const bool isStepped = std::find(stepped.begin(), stepped.end(), i) != stepped.end();
        EXPECT_EQ(info.stepCount, isStepped ? 1 : 0) << names[i];
        EXPECT_TRUE(info.flags & ParameterInfo::kCanAutomate);
        EXPECT_EQ(info.defaultNormalizedValue, vst->parameter(i)) << names[i];
        EXPECT_EQ(controller.getParamNormalized(info.id), vst->parameter(i)) << names[i];
    }
    ParameterInfo program{};
    ASSERT_EQ(controller.getParameterInfo(16, program), kResultOk);
    EXPECT_EQ(program.id, kProgram);
    EXPECT_EQ(program.stepCount, 15);
    EXPECT_TRUE(program.flags & ParameterInfo::kIsProgramChange);
    EXPECT_EQ(controller.getParameterInfo(17, program), kInvalidArgument);

    IUnitInfo* units = vst3->unitInfo();
    ASSERT_NE(units, nullptr);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.programCount, 16);
    UnitInfo root{};
    ASSERT_EQ(units->getUnitInfo(0, root), kResultOk);
    EXPECT_EQ(root.programListId, list.id);
    for (int p = 0; p < 16; ++p) {
        String128 name{};
        ASSERT_EQ(units->getProgramName(list.id, p, name), kResultOk);
        vst->setProgram(p);
        EXPECT_EQ(utf8(name), vst->programName());
        EXPECT_EQ(vst3->parameterText(kProgram, p / 15.0), vst->programName());
    }
}

TEST(Vst3Build, TextsAreTheVst2DisplayTextsWithUnitsAndReadBack)
{
    const auto vst3 = createVst3();
    const auto vst = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    IEditController& controller = vst3->controller();
    for (int i = 0; i < 16; ++i) {
        ParameterInfo info{};
        controller.getParameterInfo(i, info);
        const int steps = info.stepCount == 1 ? 1 : 200;
        for (int n = 0; n <= steps; ++n) {
            const float v = static_cast<float>(n) / steps;
            vst->setParameter(i, v);
            const std::string text = vst3->parameterText(static_cast<ParamID>(i), v);
            EXPECT_EQ(text, vst->parameterDisplay(i) + (i == 7 ? " V" : "")) << i << " at " << v;
            String128 wide{};
            toUtf16(text.c_str(), wide, 128);
            double back = -1.0;
            ASSERT_EQ(controller.getParamValueByString(static_cast<ParamID>(i), wide, back), kResultOk) << text;
            EXPECT_EQ(vst3->parameterText(static_cast<ParamID>(i), back), text);
        }
    }
    String128 wide{};
    double v = 0.0;
    toUtf16("0.7", wide, 128);
    ASSERT_EQ(controller.getParamValueByString(kDrive, wide, v), kResultOk);
    EXPECT_FLOAT_EQ(static_cast<float>(v), 0.7f);
    toUtf16("Grunge", wide, 128);
    ASSERT_EQ(controller.getParamValueByString(kProgram, wide, v), kResultOk);
    EXPECT_DOUBLE_EQ(v, 3.0 / 15.0);
    toUtf16("a lot", wide, 128);
    EXPECT_EQ(controller.getParamValueByString(kDrive, wide, v), kResultFalse);
    EXPECT_EQ(controller.getParamValueByString(99, wide, v), kInvalidArgument);
    EXPECT_EQ(controller.getParamStringByValue(99, 0.5, wide), kInvalidArgument);
    EXPECT_DOUBLE_EQ(controller.normalizedParamToPlain(kProgram, 4.0 / 15.0), 4.0);
    EXPECT_DOUBLE_EQ(controller.plainParamToNormalized(kProgram, 4.0), 4.0 / 15.0);
}

// ---- Output against the VST2 build ----

class Vst3Output : public ::testing::TestWithParam<OutputCase> {};

TEST_P(Vst3Output, BitIdenticalToTheVst2BuildForEveryBlockSizeAndPrecision)
{
    for (int blockSize : kBlockSizes) {
        const Settings s = outputSettings(GetParam(), blockSize);
        EXPECT_TRUE(bitIdentical(renderVst3<float>(s), renderVst<float>(s))) << "32-bit, block " << blockSize;
        EXPECT_TRUE(bitIdentical(renderVst3<double>(s), renderVst<double>(s))) << "64-bit, block " << blockSize;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, Vst3Output, ::testing::ValuesIn(kOutputCases));

TEST(Vst3Changes, TakeEffectAtTheirSampleWhateverQueueTheyAreIn)
{
    const std::vector<TimedChange> changes = {
        {1000, static_cast<int>(kDrive), 0.9}, {1001, static_cast<int>(kBass), 0.1},
        {5000, static_cast<int>(kOversample), 1.0}, {5000, static_cast<int>(kDrive), 0.2}};
    const auto vst3 = createVst3();
    setValues(*vst3, {{kChannels, 1.0f}});
    EXPECT_TRUE(bitIdentical(runVst3<float>(*vst3, 4096, changes),
                             renderVstWithChanges<float>({{kChannels, 1.0f}}, changes)));
}

// ---- Programs ----

TEST(Vst3Programs, TheProgramChangeParameterPlaysTheVst2Programs)
{
    for (int program : {0, 3, 9, 15}) {
        Settings s;
        s.program = program;
        EXPECT_TRUE(bitIdentical(renderVst3<float>(s), renderVst<float>(s))) << program;
    }
    // A switch while playing glides as effSetProgram does, and the host
    // hears that every value changed, once its call has returned.
    const auto vst3 = createVst3();
    ASSERT_TRUE(vst3->start(kRate, kMaxBlock, kSample32));
    vst3->host().clearRestarts();
    selectProgram(*vst3, 4);
    EXPECT_EQ(vst3->host().restartFlags(), 0);
    vst3->host().runTimers();
    EXPECT_EQ(vst3->host().restartFlags(), kParamValuesChanged);
    EXPECT_NEAR(vst3->controller().getParamNormalized(kProgram), 4.0 / 15.0, 1e-12);
}

// ---- State ----

std::vector<std::uint8_t> stateOf(Vst3Instance& vst3)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(vst3.saveState(bytes));
    return bytes;
}

TEST(Vst3State, RoundTripsIntoAFreshInstanceOneByteAtATime)
{
    const auto saved = createVst3();
    selectProgram(*saved, 6);
    setValues(*saved, {{kDrive, 0.77f}, {kOversample, 1.0f}});
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(saved->saveState(bytes, 1));
    EXPECT_EQ(bytes.size(), quenchbox::formats::kStateSize);

    const auto restored = createVst3();
    ASSERT_EQ(restored->loadState(bytes, 1), kResultOk);
    EXPECT_EQ(stateOf(*restored), bytes);
    EXPECT_TRUE(bitIdentical(runVst3<float>(*restored, 256), runVst3<float>(*saved, 256)));
}

TEST(Vst3State, AClapStateSoundsTheSameInTheVst3Build)
{
    ClapHostedPlugin clap(QUENCHBOX_CLAP_PATH);
    clap.setProgram(2);
    clap.setParameter(static_cast<int>(kDrive), 0.66f);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(clap.instance().saveState(bytes));

    const auto vst3 = createVst3();
    ASSERT_EQ(vst3->loadState(bytes), kResultOk);
    Settings s;
    s.program = 2;
    s.values = {{static_cast<int>(kDrive), 0.66f}};
    EXPECT_TRUE(bitIdentical(runVst3<float>(*vst3, 256), renderVst<float>(s)));
}

TEST(Vst3State, RefusesDamagedTruncatedAndForeignStatesAndStaysAsItWas)
{
    const auto vst3 = createVst3();
    selectProgram(*vst3, 5);
    setValues(*vst3, {{kBass, 0.3f}});
    const std::vector<std::uint8_t> good = stateOf(*vst3);
    std::vector<std::vector<std::uint8_t>> bad = {{}, {good.begin(), good.end() - 1}, good, good, good};
    bad[2][40] ^= 0x01;         // a value's bits, the checksum no longer matches
    bad[3].push_back(0);        // one byte more
    bad[4][0] = 'X';            // not our record
    const auto other = createVst3();
    for (const auto& bytes : bad) {
        EXPECT_EQ(other->loadState(bytes), kResultFalse);
        EXPECT_EQ(other->loadState(bytes, 3), kResultFalse);
    }
    const std::vector<std::uint8_t> untouched = stateOf(*createVst3());
    EXPECT_EQ(stateOf(*other), untouched);
    EXPECT_EQ(other->component().setState(nullptr), kResultFalse);
    EXPECT_EQ(other->component().getState(nullptr), kResultFalse);
}

// ---- Latency, clearing, lifetime ----

TEST(Vst3Latency, ZeroOrEightAndARestartWhenOversampleChangesWhileActive)
{
    const auto vst3 = createVst3();
    EXPECT_EQ(vst3->processor().getLatencySamples(), 0u);
    setValues(*vst3, {{kOversample, 1.0f}});  // inactive: no restart needed
    EXPECT_EQ(vst3->processor().getLatencySamples(), 8u);
    EXPECT_EQ(vst3->host().restartFlags() & kLatencyChanged, 0);

    ASSERT_TRUE(vst3->start(kRate, kMaxBlock, kSample32));
    vst3->host().runTimers();
    vst3->host().clearRestarts();
    ASSERT_EQ(vst3->loadState(stateOf(*createVst3())), kResultOk);  // a project with it off
    EXPECT_EQ(vst3->processor().getLatencySamples(), 0u);
    vst3->host().runTimers();
    EXPECT_EQ(vst3->host().restartFlags(), kLatencyChanged);

    // Automation plays it on again: the next tick asks for the restart.
    vst3->host().clearRestarts();
    HostParameterChanges on;
    on.add(kOversample, 0, 1.0);
    float silence[64] = {};
    float* channels[2] = {silence, silence};
    ASSERT_EQ(vst3->process(channels, channels, 64, &on), kResultOk);
    EXPECT_EQ(vst3->processor().getLatencySamples(), 8u);
    vst3->host().runTimers();
    EXPECT_EQ(vst3->host().restartFlags(), kLatencyChanged);
    vst3->host().clearRestarts();
    vst3->host().runTimers();
    EXPECT_EQ(vst3->host().restartFlags(), 0);
}

// ---- Calls back into the host ----

// A host may hold its own locks while it calls the plug-in (Ardour holds its
// plug-in's process lock while it sets the program, and its restartComponent
// waits for that lock): every call back must wait for the host's UI thread
// to run the plug-in's timer, even when the host called from another thread.
TEST(Vst3HostCallbacks, NoneArrivesInsideAHostCallAndAllOnTheUiThread)
{
    const auto vst3 = createVst3();
    HostContext& host = vst3->host();
    ASSERT_EQ(host.timerCount(), 1u);  // the plug-in took the host's run loop
    ASSERT_TRUE(vst3->start(kRate, kMaxBlock, kSample32));
    ASSERT_EQ(vst3->loadState(stateOf(*createVst3())), kResultOk);
    selectProgram(*vst3, 5);
    std::thread([&] { selectProgram(*vst3, 7); }).join();
    setValues(*vst3, {{kOversample, 1.0f}});
    HostParameterChanges on;
    on.add(kOversample, 0, 1.0);
    float silence[64] = {};
    float* channels[2] = {silence, silence};
    ASSERT_EQ(vst3->process(channels, channels, 64, &on), kResultOk);
    EXPECT_TRUE(host.callbacks().empty());

    host.runTimers();
    EXPECT_EQ(host.restartFlags(), kParamValuesChanged | kLatencyChanged);
    vst3->stop();
    for (const HostCallback& callback : host.callbacks()) {
        EXPECT_STREQ(callback.during, HostContext::kRunLoop);
        EXPECT_EQ(callback.thread, std::this_thread::get_id());
    }
    EXPECT_EQ(host.callbacks().size(), 1u) << "the restart flags go out OR-ed, once";
}

TEST(Vst3Activation, ReactivationStartsFromAnEmptyCircuit)
{
    const std::vector<std::pair<int, float>> settings = {{kChannels, 1.0f}, {kOversample, 1.0f}, {kDrive, 0.8f}};
    const auto fresh = createVst3();
    setValues(*fresh, settings);
    const Stereo<double> expected = runVst3<double>(*fresh, 256);

    const auto used = createVst3();
    setValues(*used, settings);
    runVst3<double>(*used, 256, {{300, static_cast<int>(kBass), 0.2}});
    setValues(*used, {{kBass, 0.5f}});
    EXPECT_TRUE(bitIdentical(runVst3<double>(*used, 256), expected));
}

TEST(Vst3Lifetime, AThousandInstancesComeAndGoWithoutGrowth)
{
    if (kThreadSanitized)
        GTEST_SKIP() << "leaks are the address sanitizer's matter";
    const auto live = [](int n) {
        const auto vst3 = createVst3();
        if (n % 100 == 0)
            runVst3<float>(*vst3, 4096);
    };
    for (int n = 0; n < 100; ++n)
        live(n);
    const long before = residentBytes();
    for (int n = 100; n < 1000; ++n)
        live(n);
    const long growth = residentBytes() - before;
    std::printf("resident memory after 1000 VST3 instances: %+ld KiB over the first 100\n", growth / 1024);
    if (!kAddressSanitized) {
        EXPECT_LT(growth, 512 * 1024);
    }
}

// ---- Bad input ----

TEST(Vst3BadInput, MissingBuffersAreRefusedButTheirChangesCount)
{
    const auto vst3 = createVst3();
    ASSERT_TRUE(vst3->start(kRate, kMaxBlock, kSample32));
    HostParameterChanges changes;
    changes.add(kDrive, 0, 0.25);
    ProcessData data{};
    data.numSamples = 64;
    data.symbolicSampleSize = kSample32;
    data.inputParameterChanges = &changes;
    EXPECT_EQ(vst3->processor().process(data), kInvalidArgument);  // no outputs at all
    EXPECT_FLOAT_EQ(static_cast<float>(vst3->controller().getParamNormalized(kDrive)), 0.25f);

    std::vector<float> left(64, 0.5f);
    float* channels[2] = {left.data(), nullptr};
    AudioBusBuffers out{};
    out.numChannels = 2;
    out.channelBuffers32 = channels;
    data.numOutputs = 1;
    data.outputs = &out;
    changes.clear();
    changes.add(kDrive, 10, 0.5);
    EXPECT_EQ(vst3->processor().process(data), kInvalidArgument);  // a null channel
    EXPECT_FLOAT_EQ(static_cast<float>(vst3->controller().getParamNormalized(kDrive)), 0.5f);

    // Outputs without inputs hear silence; zero frames apply the changes.
    channels[1] = left.data();
    out.numChannels = 1;
    EXPECT_EQ(vst3->processor().process(data), kResultOk);
    for (float x : left)
        EXPECT_TRUE(std::isfinite(x));
    changes.clear();
    changes.add(kBass, 0, 0.125);
    data.numSamples = 0;
    EXPECT_EQ(vst3->processor().process(data), kResultOk);
    EXPECT_FLOAT_EQ(static_cast<float>(vst3->controller().getParamNormalized(kBass)), 0.125f);
    data.numSamples = -5;
    EXPECT_EQ(vst3->processor().process(data), kInvalidArgument);
}

TEST(Vst3BadInput, OffsetsIdsAndValuesOutOfRangeLeaveTheOutputFinite)
{
    const auto vst3 = createVst3();
    ASSERT_TRUE(vst3->start(kRate, kMaxBlock, kSample64));
    HostParameterChanges changes;
    changes.add(kDrive, -100, std::numeric_limits<double>::quiet_NaN());
    changes.add(kBass, 1 << 30, std::numeric_limits<double>::infinity());
    changes.add(kOversample, 3, 7.0);
    changes.add(999, 2, 0.5);
    std::vector<double> left(128, 1e300);
    std::vector<double> right(128, std::numeric_limits<double>::quiet_NaN());
    double* channels[2] = {left.data(), right.data()};
    EXPECT_EQ(vst3->process(channels, channels, 128, &changes), kResultOk);
    for (int i = 0; i < 128; ++i)
        EXPECT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << i;
    EXPECT_EQ(vst3->controller().getParamNormalized(kDrive), 0.0);
    EXPECT_EQ(vst3->controller().getParamNormalized(kBass), 1.0);
    EXPECT_EQ(vst3->controller().getParamNormalized(kOversample), 1.0);
    EXPECT_EQ(vst3->controller().getParamNormalized(999), 0.0);
    EXPECT_EQ(vst3->controller().setParamNormalized(999, 0.5), kInvalidArgument);
}

TEST(Vst3BadInput, CallsOutOfOrderGetAClearAnswer)
{
    const auto vst3 = createVst3();
    IAudioProcessor& processor = vst3->processor();
    ProcessData data{};
    EXPECT_EQ(processor.process(data), kResultFalse);  // not active
    for (double rate : {0.0, -44100.0, 10.0, 1e9, std::numeric_limits<double>::quiet_NaN()}) {
        ProcessSetup setup{kRealtime, kSample32, 256, rate};
        EXPECT_EQ(processor.setupProcessing(setup), kResultFalse) << rate;
    }
    ProcessSetup noFrames{kRealtime, kSample32, 0, kRate};
    EXPECT_EQ(processor.setupProcessing(noFrames), kResultFalse);
    ASSERT_TRUE(vst3->start(kRate, 256, kSample32));
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    EXPECT_EQ(processor.setBusArrangements(&stereo, 1, &stereo, 1), kResultFalse);  // while active
    ProcessSetup other{kRealtime, kSample32, 256, 48000.0};
    EXPECT_EQ(processor.setupProcessing(other), kResultFalse);
    EXPECT_EQ(vst3->component().setActive(1), kResultOk);  // already active
    vst3->stop();
    EXPECT_EQ(vst3->controller().createView("no such view"), nullptr);
    EXPECT_EQ(vst3->controller().createView(nullptr), nullptr);
}

}  // namespace
