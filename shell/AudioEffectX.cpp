#include "shell/AudioEffectX.h"

#include "shell/AEffEditor.h"

#include <cmath>

namespace {

// Deprecated opcodes inside the extended range: AudioEffect answers them 0.
bool isDeprecatedExtended(VstInt32 opcode)
{
    switch (opcode) {
    case effGetNumProgramCategoriesDeprecated:
    case effCopyProgramDeprecated:
    case effConnectInputDeprecated:
    case effConnectOutputDeprecated:
    case effGetCurrentPositionDeprecated:
    case effGetDestinationBufferDeprecated:
    case effSetBlockSizeAndSampleRateDeprecated:
    case effGetErrorTextDeprecated:
    case effIdleDeprecated:
    case effGetIconDeprecated:
    case effSetViewPositionDeprecated:
    case effKeysRequiredDeprecated:
        return true;
    default:
        return false;
    }
}

bool isExtended(VstInt32 opcode)
{
    return opcode >= effProcessEvents && opcode <= effGetNumMidiOutputChannels && !isDeprecatedExtended(opcode);
}

// The string opcodes write into the host's buffer; the arrangement opcodes
// read or write through the host's pointers.
bool needsPointer(VstInt32 opcode)
{
    switch (opcode) {
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
    case effSetSpeakerArrangement:
        return true;
    default:
        return false;
    }
}

VstInt32 fromBool(bool value) { return value ? 1 : 0; }

// The key modifier travels as the integer part of the float argument; a value
// no integer can hold (the host's garbage) counts as no modifier.
unsigned char modifierFrom(float opt)
{
    if (!(std::fabs(opt) < 2147483648.0f))
        return 0;
    return static_cast<unsigned char>(static_cast<VstInt32>(opt));
}

}  // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (!isExtended(opcode))
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    if (ptr == nullptr && needsPointer(opcode))
        return 0;
    return dispatchExtended(opcode, index, value, ptr, opt);
}

VstIntPtr AudioEffectX::dispatchExtended(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effCanBeAutomated:
        return 1;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetSpeakerArrangement:
        if (value == 0)
            return 0;
        return fromBool(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                              static_cast<VstSpeakerArrangement*>(ptr)));
    case effGetEffectName:
        return fromBool(getEffectName(static_cast<char*>(ptr)));
    case effGetVendorString:
        return fromBool(getVendorString(static_cast<char*>(ptr)));
    case effGetProductString:
        return fromBool(getProductString(static_cast<char*>(ptr)));
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return ptr ? canDo(static_cast<const char*>(ptr)) : 0;
    case effGetTailSize:
        return getTailSize();
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
        return dispatchEditorKey(opcode, index, value, opt);
    case effSetEditKnobMode:
        return editor ? fromBool(editor->setKnobMode(static_cast<VstInt32>(value))) : 0;
    case effGetCurrentMidiProgram:
        return -1;
    case effGetSpeakerArrangement:
        // We announce no arrangement of our own: both of the host's pointers become null.
        if (value != 0)
            *reinterpret_cast<VstSpeakerArrangement**>(value) = nullptr;
        if (ptr != nullptr)
            *static_cast<VstSpeakerArrangement**>(ptr) = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return static_cast<VstInt32>(value);
    default:
        return 0;
    }
}

VstIntPtr AudioEffectX::dispatchEditorKey(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt)
{
    if (!editor)
        return 0;
    VstKeyCode key{index, static_cast<unsigned char>(value), modifierFrom(opt)};
    const bool handled = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    return fromBool(handled);
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return audioMaster != nullptr && audioMaster(&cEffect, audioMasterBeginEdit, index, 0, nullptr, 0.0f) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return audioMaster != nullptr && audioMaster(&cEffect, audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return audioMaster != nullptr && audioMaster(&cEffect, audioMasterEndEdit, index, 0, nullptr, 0.0f) != 0;
}
