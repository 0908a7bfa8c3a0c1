// The editor's changes reach a CLAP host as parameter events: the wrapper is
// linked into this program, so the test can move the effect the way the
// editor does (setParameterAutomated between beginEdit and endEdit).

#include "formats/clap/ClapPlugin.h"
#include "host/ClapInstance.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

extern "C" const clap_plugin_entry_t clap_entry;

namespace {

using quenchbox::host::ClapInputEvents;
using quenchbox::host::ClapInstance;
using quenchbox::host::ClapOutputEvent;
using quenchbox::host::ClapOutputEvents;

quenchbox::effect::QuenchboxEffect& effectOf(const ClapInstance& clap)
{
    return *static_cast<quenchbox::clap::ClapPlugin*>(clap.plugin()->plugin_data)->quenchboxEffect();
}

void dragLikeTheEditor(quenchbox::effect::QuenchboxEffect& effect, int parameter, float value)
{
    effect.beginEdit(parameter);
    effect.setParameterAutomated(parameter, value);
    effect.endEdit(parameter);
}

bool isGesture(const ClapOutputEvent& e, std::uint16_t type, clap_id parameter)
{
    return e.type == type && e.parameter == parameter;
}

void expectOneDrag(const std::vector<ClapOutputEvent>& sent, clap_id parameter, float value)
{
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(isGesture(sent[0], CLAP_EVENT_PARAM_GESTURE_BEGIN, parameter));
    EXPECT_EQ(sent[1].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(sent[1].parameter, parameter);
    EXPECT_FLOAT_EQ(static_cast<float>(sent[1].value), value);
    EXPECT_TRUE(isGesture(sent[2], CLAP_EVENT_PARAM_GESTURE_END, parameter));
}

TEST(ClapEditorEvents, WhileNotProcessingTheyAskForAFlush)
{
    const auto clap = ClapInstance::create(clap_entry);
    dragLikeTheEditor(effectOf(*clap), 2, 0.25f);
    EXPECT_EQ(clap->hostCalls().flushRequests, 3);
    ClapOutputEvents sent;
    clap->flush(ClapInputEvents(), &sent);
    expectOneDrag(sent.received(), 2, 0.25f);
    EXPECT_FLOAT_EQ(static_cast<float>(clap->value(2)), 0.25f);
    sent.clear();
    clap->flush(ClapInputEvents(), &sent);
    EXPECT_TRUE(sent.received().empty());  // each event goes out once
}

TEST(ClapEditorEvents, WhileProcessingTheNextBlockCarriesThem)
{
    const auto clap = ClapInstance::create(clap_entry);
    ASSERT_TRUE(clap->activate(48000.0, 1, 64));
    ASSERT_TRUE(clap->startProcessing());
    dragLikeTheEditor(effectOf(*clap), 5, 0.9f);
    EXPECT_EQ(clap->hostCalls().flushRequests, 0);
    std::vector<float> buffer(64, 0.1f);
    float* channels[2] = {buffer.data(), buffer.data()};
    ClapOutputEvents sent;
    clap->process(channels, channels, 64, nullptr, &sent);
    expectOneDrag(sent.received(), 5, 0.9f);

    // Oversampling switched in the editor changes the latency: restart.
    effectOf(*clap).setParameterAutomated(13, 1.0f);
    clap->process(channels, channels, 64, nullptr, &sent);
    EXPECT_EQ(clap->hostCalls().restartRequests, 1);
}

TEST(ClapEditorEvents, AnEditorThreadBesideTheAudioThreadLosesNothing)
{
    const auto clap = ClapInstance::create(clap_entry);
    ASSERT_TRUE(clap->activate(44100.0, 1, 32));
    ASSERT_TRUE(clap->startProcessing());
    constexpr int kChanges = 300;
    std::thread editor([&] {
        for (int n = 0; n < kChanges; ++n)
            effectOf(*clap).setParameterAutomated(1, static_cast<float>(n) / kChanges);
    });
    std::vector<double> buffer(32, 0.1);
    double* channels[2] = {buffer.data(), buffer.data()};
    ClapOutputEvents sent;
    for (int block = 0; block < kChanges; ++block)
        clap->process(channels, channels, 32, nullptr, &sent);
    editor.join();
    clap->process(channels, channels, 32, nullptr, &sent);
    ASSERT_EQ(sent.received().size(), static_cast<std::size_t>(kChanges));
    EXPECT_FLOAT_EQ(static_cast<float>(sent.received().back().value), (kChanges - 1.0f) / kChanges);
}

}  // namespace
