#ifndef QUENCHBOX_SHELL_AUDIOEFFECT_H
#define QUENCHBOX_SHELL_AUDIOEFFECT_H

#include "shell/Vst2.h"

class AEffEditor;

// The base effect: owns the record handed to the host, the host callback and
// the editor, answers the basic dispatcher opcodes 0 to 24 and supplies a
// default for every operation except processReplacing.
class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
    // Stores the value, then tells the host so that it can record automation.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { *name = '\0'; }

    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { *label = '\0'; }
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { *text = '\0'; }
    virtual void getParameterName(VstInt32 /*index*/, char* text) { *text = '\0'; }

    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }

    AEffect* getAeffect() { return &cEffect; }
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    AEffEditor* getEditor() const { return editor; }
    // The editor attaches itself during the effect's construction and sets
    // the has-editor flag; its destruction clears the flag again.
    void setEditor(AEffEditor* newEditor) { editor = newEditor; }
    void hasEditor(bool state) { setFlag(effFlagsHasEditor, state); }

protected:
    void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
    void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
    void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    void isSynth(bool state) { setFlag(effFlagsIsSynth, state); }

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;

private:
    void setFlag(VstInt32 flag, bool state);
};

// Defined by the plug-in: creates the effect for one instance. Throws
// std::bad_alloc when memory runs out.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

#endif
