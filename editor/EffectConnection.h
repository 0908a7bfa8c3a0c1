#ifndef QUENCHBOX_EDITOR_EFFECTCONNECTION_H
#define QUENCHBOX_EDITOR_EFFECTCONNECTION_H

#include "editor/PluginConnection.h"
#include "effect/MeterHandoff.h"

namespace quenchbox::effect {
class QuenchboxEffect;
}

namespace quenchbox::editor {

// The editor's plug-in when the editor lives with the effect (the VST2, CLAP
// and VST3 builds): edits go the VST 2.4 way (setParameterAutomated between
// beginEdit and endEdit), the curves come from the engine's display copies
// under the effect's display lock, the meters through a hand-off the audio
// thread fills when its lock is free, and a resize is asked of the host with
// audioMasterSizeWindow.
class EffectConnection : public PluginConnection {
public:
    // Attaches the meter hand-off to the effect.
    explicit EffectConnection(effect::QuenchboxEffect* owner);
    ~EffectConnection() = default;

    EffectConnection(const EffectConnection&) = delete;
    EffectConnection& operator=(const EffectConnection&) = delete;

    float parameter(int index) override;
    void beginEdit(int index) override;
    void performEdit(int index, float value) override;
    void endEdit(int index) override;
    float programValue(int index) override;
    bool hostMenu(int index, effect::HostMenu& menu) override;
    void chooseHostMenuItem(int index, int item) override;
    float sampleRate() override;
    bool updateResponse(engine::ResponseCurves& curves) override;
    effect::StageMeters stageMeters() override;
    void requestResize(int width, int height) override;

    // Held while the editor detaches from the effect: the audio thread's
    // hand-off only tries it, and skips meanwhile.
    effect::EffectLock& meterLock() { return meters.lock; }

private:
    effect::QuenchboxEffect* quenchbox;
    effect::MeterHandoff meters;
};

}  // namespace quenchbox::editor

#endif
