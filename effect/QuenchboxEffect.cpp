#include "effect/QuenchboxEffect.h"

#include "effect/EditorFactory.h"
#include "effect/Programs.h"
#include "shell/StringCopy.h"

#include "QuenchboxVersion.h"

#include <algorithm>
#include <mutex>

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new quenchbox::effect::QuenchboxEffect(audioMaster);
}

namespace quenchbox::effect {

namespace {

constexpr std::uint32_t kSampleRateChanged = 1u << kOversample;
constexpr VstInt32 kUniqueId = vstFourCharacters('T', 'P', 'L', 'Y');

}  // namespace

QuenchboxEffect::QuenchboxEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kProgramCount, kParameterCount)
{
    // Program 0 sets every change bit, and the rate bit joins them, so the
    // first block applies every parameter and recomputes the whole engine.
    curProgram = 0;
    enableFade.snapTo(1.0f);  // the engine starts enabled
    loadProgramValues(0);
    changeMask |= kApplyAtOnce;
    setSampleRate(44100.0f);

    setBlockSize(256);
    setUniqueID(kUniqueId);
    isSynth(false);
    programsAreChunks(false);
    canProcessReplacing(true);
    canDoubleReplacing(true);
    setInitialDelay(0);
    attachEditor();
}

QuenchboxEffect::~QuenchboxEffect()
{
    closing.store(true, std::memory_order_release);
    // Wait for any holder of the locks to leave before the engine goes.
    { std::lock_guard<EffectLock> wait(paramLock); }
    { std::lock_guard<EffectLock> wait(displayLock); }
}

// The editor (Win32 or X11) where the binary carries one; without one the
// host is told there is none, and the editor opcodes answer 0.
void QuenchboxEffect::attachEditor()
{
    editor = createEditor(this);
    hasEditor(editor != nullptr);
}

void QuenchboxEffect::setSampleRate(float rate)
{
    // Stored under the lock with its change bit, so the block that takes the
    // bit reads the new rate.
    std::lock_guard<EffectLock> guard(paramLock);
    sampleRate = rate;
    changeMask |= kSampleRateChanged;
}

void QuenchboxEffect::resume()
{
    std::lock_guard<EffectLock> guard(paramLock);
    changeMask |= kApplyAtOnce;
}

void QuenchboxEffect::setParameter(VstInt32 index, float value)
{
    if (!isParameterIndex(index))
        return;
    std::lock_guard<EffectLock> guard(paramLock);
    params[index] = value;
    changeMask |= 1u << index;
}

float QuenchboxEffect::getParameter(VstInt32 index)
{
    if (!isParameterIndex(index))
        return 0.0f;
    std::lock_guard<EffectLock> guard(paramLock);
    return params[index];
}

void QuenchboxEffect::loadProgramValues(int program)
{
    float values[kParameterCount];
    programs::readValues(program, values);
    for (int i = 0; i < kParameterCount; ++i)
        setParameter(i, values[i]);
}

void QuenchboxEffect::setProgram(VstInt32 program)
{
    if (program == curProgram || !programs::isProgramIndex(program))
        return;
    // The program being left keeps its edits, so they come back on return.
    float current[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i)
        current[i] = getParameter(i);
    programs::storeValues(curProgram, current);

    curProgram = program;
    loadProgramValues(program);
}

float QuenchboxEffect::programValue(int index)
{
    if (!isParameterIndex(index))
        return 0.0f;
    float values[kParameterCount];
    programs::readValues(curProgram, values);
    return values[index];
}

void QuenchboxEffect::setProgramName(char* name) { programs::rename(curProgram, name); }

void QuenchboxEffect::getProgramName(char* name) { programs::copyName(curProgram, name); }

void QuenchboxEffect::getParameterLabel(VstInt32 /*index*/, char* label) { copyBounded(label, "", kVstMaxParamStrLen); }

void QuenchboxEffect::getParameterDisplay(VstInt32 index, char* text)
{
    if (isParameterIndex(index))
        formatParameterDisplay(index, getParameter(index), text);
}

void QuenchboxEffect::getParameterName(VstInt32 index, char* text)
{
    copyBounded(text, parameterName(index), kVstMaxParamStrLen);
}

bool QuenchboxEffect::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output)
{
    hostChannels.store(std::min(input->numChannels, output->numChannels), std::memory_order_relaxed);
    return true;
}

bool QuenchboxEffect::getEffectName(char* name)
{
    copyBounded(name, "Quenchbox RZ", kVstMaxEffectNameLen);
    return true;
}

bool QuenchboxEffect::getVendorString(char* text)
{
    copyBounded(text, "ZUK", kVstMaxVendorStrLen);
    return true;
}

bool QuenchboxEffect::getProductString(char* text)
{
    copyBounded(text, "ZUK Quenchbox RZ", kVstMaxProductStrLen);
    return true;
}

VstInt32 QuenchboxEffect::getVendorVersion() { return QUENCHBOX_VERSION_CODE; }

}  // namespace quenchbox::effect
