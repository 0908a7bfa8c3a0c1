#ifndef QUENCHBOX_SHELL_AEFFEDITOR_H
#define QUENCHBOX_SHELL_AEFFEDITOR_H

#include "shell/Vst2.h"

class AudioEffect;

// The editor interface the dispatcher talks to. The defaults describe an
// editor without a window; a real editor overrides getRect, open and close.
class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* owner) : effect(owner) {}
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow)
    {
        systemWindow = parentWindow;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }  // no opcode reaches it
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};

#endif
