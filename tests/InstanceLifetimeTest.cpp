// Instances come and go for the whole life of a host process: a thousand of
// them, each entered through the plug-in binary, processed in both formats
// and closed, must leave nothing behind. LeakSanitizer (the asan preset)
// reports any leak when the test program ends; in the plain build the
// resident memory must stay flat.

#include "host/ResidentMemory.h"
#include "host/VstPlugin.h"

#include "tests/common/SanitizerBuild.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using sanitizerbuild::kAddressSanitized;
using sanitizerbuild::kThreadSanitized;

using quenchbox::host::residentBytes;
using quenchbox::host::VstPlugin;

constexpr int kInstances = 1000;
constexpr int kWarmUp = 100;
constexpr int kBlock = 256;

template <typename Sample>
void processOneBlock(VstPlugin& plugin)
{
    std::vector<Sample> in(kBlock, Sample(0.25));
    std::vector<Sample> out[2] = {std::vector<Sample>(kBlock), std::vector<Sample>(kBlock)};
    Sample* inputs[2] = {in.data(), in.data()};
    Sample* outputs[2] = {out[0].data(), out[1].data()};
    plugin.process(inputs, outputs, kBlock);
}

void liveOneInstance(int n)
{
    const auto plugin = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    plugin->setSampleRate(n % 2 ? 48000.0 : 44100.0);
    plugin->setProgram(n % 16);
    plugin->setParameter(12, 1.0f);
    plugin->setParameter(13, n % 3 == 0 ? 1.0f : 0.0f);
    plugin->announceChannels(2);
    plugin->resume();
    processOneBlock<float>(*plugin);
    processOneBlock<double>(*plugin);
    plugin->suspend();
}

TEST(InstanceLifetime, AThousandInstancesLeaveNoLeakAndNoGrowth)
{
    if (kThreadSanitized)
        GTEST_SKIP() << "leaks are the address sanitizer's matter";
    // One instance holds the library, so that the others measure the
    // instances rather than loading and unloading the code.
    const auto keeper = VstPlugin::load(QUENCHBOX_PLUGIN_PATH);
    for (int n = 0; n < kWarmUp; ++n)
        liveOneInstance(n);
    const long before = residentBytes();
    for (int n = kWarmUp; n < kInstances; ++n)
        liveOneInstance(n);
    const long growth = residentBytes() - before;
    std::printf("resident memory after %d instances: %+ld KiB over the first %d\n", kInstances, growth / 1024,
                kWarmUp);
    if (!kAddressSanitized) {
        EXPECT_LT(growth, 512 * 1024);
    }
}

}  // namespace
