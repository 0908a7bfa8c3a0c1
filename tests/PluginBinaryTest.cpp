// The built library as a host sees it: loaded with dlopen, entered through
// its exported symbols only.

#include "host/PluginLibrary.h"
#include "shell/Vst2.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

VstIntPtr VSTCALLBACK modernHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

VstIntPtr VSTCALLBACK ancientHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

class PluginBinary : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = quenchbox::host::openPluginLibrary(QUENCHBOX_PLUGIN_PATH);
        ASSERT_NE(library, nullptr) << dlerror();
    }
    void TearDown() override
    {
        if (library)
            dlclose(library);
    }
    EntryPoint symbol(const char* name) { return reinterpret_cast<EntryPoint>(dlsym(library, name)); }

    void* library = nullptr;
};

TEST_F(PluginBinary, ExportsTheEntryPointUnderBothNames)
{
    ASSERT_NE(symbol("VSTPluginMain"), nullptr);
    EXPECT_EQ(symbol("main"), symbol("VSTPluginMain"));
    // Nothing of the implementation leaks into the host's symbol space.
    EXPECT_EQ(dlsym(library, "createEffectInstance"), nullptr);
}

TEST_F(PluginBinary, RefusesHostsThatDoNotAnswerTheVersionQuery)
{
    EXPECT_EQ(symbol("VSTPluginMain")(ancientHost), nullptr);
    EXPECT_EQ(symbol("VSTPluginMain")(nullptr), nullptr);
}

TEST_F(PluginBinary, InstancesAreCreatedAndClosedIndependently)
{
    AEffect* first = symbol("VSTPluginMain")(modernHost);
    AEffect* second = symbol("main")(modernHost);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->magic, kEffectMagic);
    EXPECT_EQ(first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f), 1);

    float left[32] = {0.5f};
    float right[32] = {};
    float* io[2] = {left, right};
    second->processReplacing(second, io, io, 32);
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
