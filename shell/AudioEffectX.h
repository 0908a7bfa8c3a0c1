#ifndef QUENCHBOX_SHELL_AUDIOEFFECTX_H
#define QUENCHBOX_SHELL_AUDIOEFFECTX_H

#include "shell/AudioEffect.h"

// The extended effect: answers the opcodes 25 to 79 and passes everything
// else, the deprecated opcodes of that range included, to AudioEffect.
class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual VstInt32 canDo(const char* /*text*/) { return 0; }
    virtual VstInt32 getTailSize() { return 0; }
    virtual VstInt32 getPlugCategory();

    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/, VstSpeakerArrangement* /*output*/)
    {
        return false;
    }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }

    // Tell the host that the user takes hold of a parameter and lets it go
    // again, so that it records the changes in between as one gesture.
    bool beginEdit(VstInt32 index);
    bool endEdit(VstInt32 index);
    // Asks the host to resize the editor's window; false when it does not.
    bool sizeWindow(VstInt32 width, VstInt32 height);

private:
    VstIntPtr dispatchExtended(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr dispatchEditorKey(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);
};

#endif
