#ifndef QUENCHBOX_FORMATS_SHARED_EFFECTADAPTER_H
#define QUENCHBOX_FORMATS_SHARED_EFFECTADAPTER_H

#include "effect/QuenchboxEffect.h"
#include "formats/shared/EditorEventQueue.h"
#include "formats/shared/StateCodec.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace quenchbox::formats {

// Told, on the editor's thread, that the editor queued a change for the host.
class EditorListener {
public:
    virtual void editorChanged() = 0;

protected:
    ~EditorListener() = default;
};

// The one place where a format newer than VST 2.4 hosts the effect. It owns
// a QuenchboxEffect and drives it through the effect's own operations, as
// the VST2 dispatcher does, so that the locks, the change mask, the glides,
// the meters and the editor behave as in the VST2 build. The effect's host
// callback comes back here: the editor's automation and gestures wait in a
// bounded queue for the format to hand them to its host. A wrapper only
// translates its format's calls into these.
class EffectAdapter {
public:
    explicit EffectAdapter(EditorListener* listener = nullptr) : editorListener(listener) {}
    ~EffectAdapter();

    EffectAdapter(const EffectAdapter&) = delete;
    EffectAdapter& operator=(const EffectAdapter&) = delete;

    // Builds the effect; false when memory ran out.
    bool create();
    bool created() const { return effect != nullptr; }
    // The effect, null before create(); tests reach the editor's side here.
    effect::QuenchboxEffect* quenchboxEffect() const { return effect.get(); }
    // The editor the effect owns, null where there is none.
    AEffEditor* editor() const;

    // ---- Life cycle ----
    // The rate and the largest block the host will send; the first block
    // afterwards applies every value at once.
    void activate(double sampleRate, std::uint32_t maxFrames);
    void deactivate();
    // The next block starts from an empty circuit (see
    // QuenchboxEffect::clearProcessingState); lock-free.
    void clearProcessingState();

    // ---- Parameters: index 0..15, normalized 0..1 ----
    // Out-of-range and non-finite values act as the nearest end; stepped
    // parameters are truncated. Unknown indices are ignored.
    void setParameter(int index, double value);
    double parameter(int index) const;

    // ---- Programs ----
    int program() const;
    // What the VST2 build's effSetProgram does, glides included; numbers
    // outside 0..15 are ignored.
    void selectProgram(int program);
    std::string programName() const;

    // ---- Saved state: the versioned record of StateCodec ----
    EncodedState saveState() const;
    // Restores a record as a VST2 host restores a project (program, its
    // name, every parameter); refuses anything else and then changes
    // nothing.
    bool loadState(const std::uint8_t* bytes, std::size_t size);

    // ---- Latency ----
    // Frames for the "Oversample" value last set, by the host or the editor.
    std::uint32_t latency() const { return oversampleLatency.load(std::memory_order_relaxed); }

    // ---- Audio ----
    // Frames [from, to) of the host's channel buffers, at most two of each
    // used: a mono input is processed on one channel and its result copied to
    // the second output; without an input the effect hears silence; further
    // outputs are zeroed. Every output pointer up to outputChannels must be
    // valid (callers check), inputs may be null.
    template <typename Sample>
    void run(Sample* const* inputs, std::uint32_t inputChannels, Sample* const* outputs,
             std::uint32_t outputChannels, std::uint32_t from, std::uint32_t to);

    // The stage meters as the last block left them; on the audio thread.
    effect::StageMeters stageMeters() const { return effect->stageMeters(); }

    // ---- The editor's changes, on their way to the host ----
    bool takeEditorEvent(EditorEvent& event) { return editorEvents.pop(event); }

private:
    static VstIntPtr VSTCALLBACK effectCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                void* ptr, float opt);
    void editorChanged(const EditorEvent& event);
    void noteOversample(float value);

    EditorListener* editorListener;
    std::unique_ptr<effect::QuenchboxEffect> effect;
    EditorEventQueue editorEvents;
    std::atomic<std::uint32_t> oversampleLatency{0};
};

}  // namespace quenchbox::formats

#endif
