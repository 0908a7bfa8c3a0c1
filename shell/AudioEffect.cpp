#include "shell/AudioEffect.h"

#include "shell/AEffEditor.h"

#include <cstring>

namespace {

AudioEffect* effectOf(AEffect* record) { return static_cast<AudioEffect*>(record->object); }

VstIntPtr VSTCALLBACK dispatchEntry(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt)
{
    AudioEffect* effect = effectOf(record);
    const VstIntPtr result = effect->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return result;
}

void VSTCALLBACK processEntry(AEffect* record, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    effectOf(record)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processReplacingEntry(AEffect* record, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    effectOf(record)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processDoubleReplacingEntry(AEffect* record, double** inputs, double** outputs,
                                             VstInt32 sampleFrames)
{
    effectOf(record)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterEntry(AEffect* record, VstInt32 index, float value)
{
    effectOf(record)->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* record, VstInt32 index) { return effectOf(record)->getParameter(index); }

// Opcodes whose pointer argument is a buffer the effect writes or reads; with
// a null pointer they answer 0 and do nothing.
bool needsPointer(VstInt32 opcode)
{
    switch (opcode) {
    case effSetProgramName:
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effEditGetRect:
        return true;
    default:
        return false;
    }
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback master, VstInt32 programs, VstInt32 params)
    : audioMaster(master), numPrograms(programs), numParams(params)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 2;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    if (audioMaster)
        audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (ptr == nullptr && needsPointer(opcode))
        return 0;

    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        return editor && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return vstFourCharacters('N', 'v', 'E', 'f');
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}
