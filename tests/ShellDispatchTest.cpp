#include "EffectHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

using quenchbox::testing::EffectHarness;

TEST(PluginRecord, DescribesTheEffectToTheHost)
{
    EffectHarness h;
    const AEffect& r = *h.record;
    EXPECT_EQ(r.magic, kEffectMagic);
    char id[4];
    std::memcpy(id, &r.uniqueID, 4);
    EXPECT_EQ(std::string(id, 4), "YLPT");  // 'TPLY', first character in the most significant byte
    EXPECT_EQ(r.numInputs, 2);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.numPrograms, 16);
    EXPECT_EQ(r.numParams, 16);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    // Replacing and double replacing: 0x1010. The core's tests link no
    // editor, so the effect has none and says so (the VST2 binary's carries
    // one: 0x1011, see the editor tests).
    EXPECT_EQ(r.flags, effFlagsCanReplacing | effFlagsCanDoubleReplacing);
    EXPECT_EQ(r.object, h.effect);
}

TEST(Dispatcher, AnswersTheFixedQueries)
{
    EffectHarness h;
    EXPECT_EQ(h.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(h.dispatch(effGetVendorVersion), 1001);
    EXPECT_EQ(h.dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(h.dispatch(effIdentify), vstFourCharacters('N', 'v', 'E', 'f'));
    EXPECT_EQ(h.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(h.dispatch(effGetTailSize), 0);
    for (int index : {0, 7, 15, 99})
        EXPECT_EQ(h.dispatch(effCanBeAutomated, index), 1);
    char receive[] = "receiveVstMidiEvent";
    char other[] = "bypass";
    EXPECT_EQ(h.dispatch(effCanDo, 0, 0, receive), 0);
    EXPECT_EQ(h.dispatch(effCanDo, 0, 0, other), 0);
    EXPECT_EQ(h.dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(h.dispatch(effSetTotalSampleToProcess, 0, -3), -3);
}

TEST(Dispatcher, NamesAreCopiedWithinTheirBounds)
{
    EffectHarness h;
    EXPECT_EQ(h.text(effGetEffectName), "Quenchbox RZ");
    EXPECT_EQ(h.text(effGetVendorString), "ZUK");
    EXPECT_EQ(h.text(effGetProductString), "ZUK Quenchbox RZ");
    EXPECT_EQ(h.dispatch(effGetEffectName, 0, 0, std::string(40, 'x').data()), 1);

    // A buffer of exactly limit + 1 bytes: nothing is written past it.
    char name[9 + 4];
    std::memset(name, '#', sizeof name);
    h.dispatch(effGetParamName, 13, 0, name);
    EXPECT_STREQ(name, "Oversamp");
    EXPECT_EQ(name[9], '#');
}

TEST(Dispatcher, UnsupportedAndDeprecatedOpcodesAnswerZero)
{
    EffectHarness h;
    char buffer[256] = {};
    for (VstInt32 opcode : {9, 16, 17, 18, 20, 21, 25, 27, 28, 29, 30, 31, 32, 33, 34, 36, 37, 38, 39, 40, 41, 43, 44,
                            46, 50, 53, 54, 55, 56, 57, 62, 64, 65, 66, 67, 68, 70, 71, 72, 74, 75, 76, 77, 78, 79, 80,
                            200, -1, std::numeric_limits<VstInt32>::min()})
        EXPECT_EQ(h.dispatch(opcode, 0, 0, buffer), 0) << "opcode " << opcode;
    // effGetProgramNameIndexed cannot report names by index.
    EXPECT_EQ(h.dispatch(effGetProgramNameIndexed, 2, 0, buffer), 0);
}

TEST(Dispatcher, ChunksAreNotSupported)
{
    EffectHarness h;
    void* chunk = &h;
    EXPECT_EQ(h.dispatch(effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(chunk, &h);
    EXPECT_EQ(h.dispatch(effSetChunk, 0, 16, &chunk), 0);
}

TEST(Dispatcher, NullPointersAreRefusedWithoutWriting)
{
    EffectHarness h;
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                            effGetParamName, effEditGetRect, effGetEffectName, effGetVendorString,
                            effGetProductString, effSetSpeakerArrangement, effCanDo, effGetSpeakerArrangement})
        EXPECT_EQ(h.dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
}

TEST(Dispatcher, SpeakerArrangementQueryClearsBothHostPointers)
{
    EffectHarness h;
    VstSpeakerArrangement arrangement{};
    VstSpeakerArrangement* input = &arrangement;
    VstSpeakerArrangement* output = &arrangement;
    EXPECT_EQ(h.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);

    EXPECT_EQ(h.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&arrangement), &arrangement), 1);
}

TEST(Dispatcher, EditorOpcodesNeedAnEditor)
{
    EffectHarness h;
    EXPECT_EQ(h.effect->getEditor(), nullptr);  // linked without one
    EXPECT_EQ(h.record->flags & effFlagsHasEditor, 0);
    ERect* rect = reinterpret_cast<ERect*>(&h);
    EXPECT_EQ(h.dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(&h));  // untouched: there is no editor to ask
    EXPECT_EQ(h.dispatch(effEditOpen, 0, 0, &h), 0);
    EXPECT_EQ(h.dispatch(effEditClose), 0);
    EXPECT_EQ(h.dispatch(effEditIdle), 0);
    EXPECT_EQ(h.dispatch(effEditKeyDown, 'a', 3, nullptr, 2.0f), 0);
    EXPECT_EQ(h.dispatch(effSetEditKnobMode, 0, 2), 0);
}

TEST(Dispatcher, KeyCodesReachTheEditor)
{
    EffectHarness h;
    auto* editor = h.attachStubEditor();
    EXPECT_EQ(h.dispatch(effEditKeyDown, 'q', 0x1234, nullptr, 5.75f), 0);
    EXPECT_EQ(editor->lastKey.character, 'q');
    EXPECT_EQ(editor->lastKey.virt, 0x34);
    EXPECT_EQ(editor->lastKey.modifier, 5);
    // A modifier no integer can hold is no modifier, not undefined behaviour.
    h.dispatch(effEditKeyDown, 'q', 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(editor->lastKey.modifier, 0);
    h.dispatch(effEditKeyDown, 'q', 0, nullptr, 1e30f);
    EXPECT_EQ(editor->lastKey.modifier, 0);
}

TEST(Dispatcher, BlockSizeSampleRateAndMainsNeedNothingElse)
{
    EffectHarness h;
    h.dispatch(effSetBlockSize, 0, 512);
    EXPECT_EQ(h.effect->getBlockSize(), 512);
    h.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(h.effect->getSampleRate(), 48000.0f);
    EXPECT_EQ(h.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(h.dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(h.dispatch(effOpen), 0);
}

TEST(Dispatcher, CloseDestroysOnlyItsOwnInstance)
{
    EffectHarness survivor;
    auto* doomed = new EffectHarness;
    EXPECT_EQ(doomed->dispatch(effClose), 1);
    doomed->record = nullptr;  // the instance is gone; the harness must not close it again
    delete doomed;

    const auto out = survivor.run<float>(std::vector<float>(64, 0.1f), std::vector<float>(64, 0.1f));
    EXPECT_TRUE(std::isfinite(out[0][63]));
    EXPECT_EQ(survivor.text(effGetProgramName), "Default");
}

TEST(Dispatcher, AutomationNotifiesTheHostAfterStoring)
{
    static float stored = -1.0f;
    static float notified = -1.0f;
    static VstInt32 notifiedIndex = -1;
    static AEffect* record = nullptr;
    auto host = [](AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) -> VstIntPtr {
        if (opcode == audioMasterAutomate) {
            notifiedIndex = index;
            notified = opt;
            stored = record->getParameter(record, index);
            EXPECT_EQ(effect, record);
        }
        return opcode == audioMasterVersion ? kVstVersion : 0;
    };
    EffectHarness h(host);
    record = h.record;
    h.effect->setParameterAutomated(4, 0.25f);
    EXPECT_EQ(notifiedIndex, 4);
    EXPECT_EQ(notified, 0.25f);
    EXPECT_EQ(stored, 0.25f);
}

}  // namespace
