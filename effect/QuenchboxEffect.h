#ifndef QUENCHBOX_EFFECT_QUENCHBOXEFFECT_H
#define QUENCHBOX_EFFECT_QUENCHBOXEFFECT_H

#include "effect/EffectLock.h"
#include "effect/HostMenu.h"
#include "effect/MeterHandoff.h"
#include "effect/ParameterGlide.h"
#include "effect/Parameters.h"
#include "effect/StageMeters.h"
#include "engine/DriveEngine.h"
#include "shell/AudioEffectX.h"

#include <atomic>
#include <cstdint>

namespace quenchbox::effect {

// The plug-in's effect: sixteen parameters guarded by paramLock with a change
// mask, the process-wide programs, and the processing entry that applies
// changes to the engine once per block without ever waiting for a lock.
class QuenchboxEffect : public AudioEffectX {
public:
    explicit QuenchboxEffect(audioMasterCallback audioMaster);
    ~QuenchboxEffect() override;

    void setSampleRate(float rate) override;
    // The first block after a resume applies every value at once.
    void resume() override;
    // The next block starts from an empty circuit, as a fresh instance with
    // the same settings would, and applies every value at once. The VST2
    // build never calls it (its circuit keeps its charge from construction
    // to destruction); the newer formats call it where they promise a reset.
    // Lock-free: safe on the audio thread.
    void clearProcessingState() { clearPending.store(true, std::memory_order_release); }
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;

    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;

    // Parameter `index` as the current program holds it: as loaded, or as
    // the user left it when another program was chosen since. 0 for an
    // unknown index.
    float programValue(int index);

    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;

    // The editor side: its meter copy, and the display copies it reads
    // under displayLock.
    void attachMeterHandoff(MeterHandoff* handoff) { meterHandoff = handoff; }
    EffectLock& displayLockForEditor() { return displayLock; }
    // The engine, for its display copies (under displayLock) and counters.
    const engine::DriveEngine& driveEngine() const { return engine; }
    // The display-dirty bits; read and cleared by the editor under displayLock.
    std::uint32_t& displayDirtyBits() { return displayDirty; }
    // What they say is stale: the frequency grid, the pre curve (input
    // coupling and op-amp stages), the post curve (tone circuit, deep
    // network, output filter).
    static constexpr std::uint32_t kGridDirty = 0x1;
    static constexpr std::uint32_t kPreCurveDirty = 0x2;
    static constexpr std::uint32_t kPostCurveDirty = 0x4;

    // The host's items for a control's menu, where the format has them
    // (null: none). Set by the format before the editor opens.
    void setHostMenus(HostMenus* menus) { hostMenus = menus; }
    HostMenus* hostMenusForEditor() const { return hostMenus; }

    // The parameter store's lock: the editor and tests may hold it to see
    // that the audio thread never waits for it.
    EffectLock& parameterLock() { return paramLock; }
    // The meters as the audio thread last left them.
    StageMeters stageMeters() const { return meters; }

private:
    void loadProgramValues(int program);
    void attachEditor();

    template <typename Sample>
    void processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames);
    template <typename Sample>
    void processMono(Sample** inputs, Sample** outputs, VstInt32 first, VstInt32 frames, bool toBoth);
    template <typename Sample>
    void processStereo(Sample** inputs, Sample** outputs, VstInt32 first, VstInt32 frames);
    std::uint32_t takeChanges(float snapshot[kParameterCount], float& rate);
    void applyChanges(std::uint32_t changes, const float snapshot[kParameterCount], float rate);
    void applyContinuous(int parameter, float value);
    void applyEnable(bool on, bool atOnce);
    int landGlides();
    bool glidesMoving() const;
    engine::DriveEngine::OutputGains outputGains() const;
    void beginGlideStep();
    void endGlideStep();
    void clearCircuit();
    void publishDisplay();
    void handOffMeters();

    std::atomic<bool> closing{false};
    std::atomic<bool> clearPending{false};
    engine::DriveEngine engine;
    int channelMode = 1;
    std::atomic<int> hostChannels{2};
    EffectLock paramLock;
    float params[kParameterCount] = {};
    std::uint32_t changeMask = 0;
    // Beside the sixteen parameter bits: apply every value at once (set by
    // construction and by every resume).
    static constexpr std::uint32_t kApplyAtOnce = 1u << kParameterCount;
    // The audio thread's glides: the continuous parameters by index (the
    // switches' entries stay unused) and the Enable crossover, 1 processed.
    ParameterGlide glides[kParameterCount];
    ParameterGlide enableFade;
    int glideStepFrames = 44;
    int glideStepFramesLeft = 0;
    std::uint32_t unpublishedGlideBits = 0;
    EffectLock displayLock;
    std::uint32_t publishMask = engine::UpdateBits::kAll;
    std::uint32_t displayDirty = 0;
    StageMeters meters;
    MeterHandoff* meterHandoff = nullptr;
    HostMenus* hostMenus = nullptr;
};

}  // namespace quenchbox::effect

#endif
