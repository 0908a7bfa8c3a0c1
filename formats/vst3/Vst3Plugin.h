#ifndef QUENCHBOX_FORMATS_VST3_VST3PLUGIN_H
#define QUENCHBOX_FORMATS_VST3_VST3PLUGIN_H

#include "formats/shared/EffectAdapter.h"
#include "formats/vst3/Vst3Interface.h"

#include <atomic>
#include <cstdint>
#include <memory>

#if defined(_WIN32)
#include "win32/ThreadTimer.h"
#endif

namespace quenchbox::vst3 {

class Vst3View;

// One VST3 instance: a single component that is also its own edit
// controller, so that the processor and the controller share the one effect
// (its parameter store, programs and editor) as in the other builds, with no
// messages between halves. It translates the host's calls into the shared
// adapter's.
//
// Threads: process runs on the audio thread; everything else on the host's
// UI thread, as the interface assigns them. The host's changes reach the
// effect sample-accurately through process; setParamNormalized moves the
// effect only while it is inactive (a controller's copy that lags behind the
// audio must not undo automation), except the program change, which the
// UI thread always applies as the VST2 build's effSetProgram does.
//
// Calls back into the host: a host may hold its own locks while it calls
// the plug-in (Ardour holds its plug-in's process lock while it sets the
// program, and its restartComponent waits for that lock), so no call into
// the host is ever made from inside one of the host's calls. Restart
// requests are collected (flags OR-ed, the latency compared) and the
// editor's edits wait in the adapter's queue; sendToHost hands them over in
// one go on the UI thread's own moments, after the host's call returned:
// the view's run-loop timer while a view is attached (Linux), a timer on a
// run loop the host offers the plug-in itself through its component handler
// or context (Linux), or a timer of the UI thread's message loop (Windows).
// A Linux host that offers no run loop and attaches no view hears of them
// when a view is next attached.
//
// The host's context menu (IComponentHandler3): the editor's menu on a
// control shows the host's items for its parameter. The host makes the
// menu for a view it holds (the one showing the editor, else the newest);
// the plug-in keeps it, to run a chosen item through its target, until the
// next menu, until that view goes or until the handler goes.
class Vst3Plugin final : public IComponent,
                         public IAudioProcessor,
                         public IEditController,
                         public IUnitInfo,
#if !defined(_WIN32)
                         public ITimerHandler,
#endif
                         public IProcessContextRequirements,
                         private effect::HostMenus {
public:
    // The program-change parameter's id: outside the sixteen, fixed for good.
    static constexpr ParamID kProgramParameterId = 0x70726F67;  // "prog"
    static constexpr ProgramListID kProgramListId = 1;

    Vst3Plugin() = default;

    // ---- FUnknown ----
    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override;
    uint32 release() override;

    // ---- IPluginBase (for the component and the controller alike) ----
    tresult initialize(FUnknown* context) override;
    tresult terminate() override;

    // ---- IComponent ----
    tresult getControllerClassId(TUID classId) override;
    tresult setIoMode(IoMode mode) override;
    int32 getBusCount(MediaType type, BusDirection dir) override;
    tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) override;
    tresult getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) override;
    tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override;
    tresult setActive(TBool state) override;
    // The controller's setState and getState share their signatures with
    // these, so one pair answers both: the controller keeps no state apart
    // from the component's record, and a host that saves both gets the same
    // record twice and restores it twice, to the same values.
    tresult setState(IBStream* state) override;
    tresult getState(IBStream* state) override;

    // ---- IAudioProcessor ----
    tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                               int32 numOuts) override;
    tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arrangement) override;
    tresult canProcessSampleSize(int32 symbolicSampleSize) override;
    uint32 getLatencySamples() override;
    tresult setupProcessing(ProcessSetup& setup) override;
    tresult setProcessing(TBool state) override;
    tresult process(ProcessData& data) override;
    uint32 getTailSamples() override;

    // ---- IProcessContextRequirements: the circuit needs no transport ----
    uint32 getProcessContextRequirements() override { return 0; }

    // ---- IEditController ----
    tresult setComponentState(IBStream* state) override;
    int32 getParameterCount() override;
    tresult getParameterInfo(int32 paramIndex, ParameterInfo& info) override;
    tresult getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) override;
    tresult getParamValueByString(ParamID id, char16* string, ParamValue& valueNormalized) override;
    ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
    ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) override;
    ParamValue getParamNormalized(ParamID id) override;
    tresult setParamNormalized(ParamID id, ParamValue value) override;
    tresult setComponentHandler(IComponentHandler* handler) override;
    IPlugView* createView(FIDString name) override;

    // ---- IUnitInfo ----
    int32 getUnitCount() override;
    tresult getUnitInfo(int32 unitIndex, UnitInfo& info) override;
    int32 getProgramListCount() override;
    tresult getProgramListInfo(int32 listIndex, ProgramListInfo& info) override;
    tresult getProgramName(ProgramListID listId, int32 programIndex, String128 name) override;
    tresult getProgramInfo(ProgramListID listId, int32 programIndex, const char* attributeId,
                           String128 attributeValue) override;
    tresult hasProgramPitchNames(ProgramListID listId, int32 programIndex) override;
    tresult getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch, String128 name) override;
    UnitID getSelectedUnit() override;
    tresult selectUnit(UnitID unitId) override;
    tresult getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel, UnitID& unitId) override;
    tresult setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) override;

#if !defined(_WIN32)
    // ---- ITimerHandler: the host's run loop, offered without a view ----
    void onTimer() override { sendToHost(); }
#endif

    // ---- For the view ----
    // The effect's editor, null before initialize or where there is none.
    AEffEditor* editor() const { return initialized ? adapter.editor() : nullptr; }
    // One view at a time holds the editor.
    bool claimEditor(Vst3View& view);
    void releaseEditor(Vst3View& view);
    // The view is being destroyed.
    void forgetView(Vst3View& view);

    // Hands the host what waits for it: the editor's edits in their order,
    // the view's size request, then one restart with every flag collected
    // since the last time (a moved latency included). Call it only on the
    // UI thread, and never from inside a call of the host's.
    void sendToHost();
    // Tests reach the effect's editor side here.
    effect::QuenchboxEffect* quenchboxEffect() const { return adapter.quenchboxEffect(); }

private:
    ~Vst3Plugin();

    template <typename Sample>
    tresult processAudio(ProcessData& data);
    void applyChangesUpTo(IParameterChanges* changes, int32 frame);
    void applyAllChanges(IParameterChanges* changes);
    void selectProgram(int program);
    void sendEditorEdits();
    int32 takeRestartFlags();
    void startTicks();
    void stopTicks();
    static int programOf(ParamValue value);

    // The host's items in the editor's menu (effect::HostMenus), on the UI
    // thread.
    bool hostMenu(int index, effect::HostMenu& menu) override;
    void chooseHostMenuItem(int index, int item) override;
    void offerHostMenus();
    Vst3View* menuView() const { return editorView != nullptr ? editorView : newestView; }
    IContextMenu* createHostMenu(Vst3View& view, ParamID id);
    void copyHostMenu(effect::HostMenu& menu);
    void dropHostMenu();

    std::atomic<uint32> references{1};
    formats::EffectAdapter adapter;
    FUnknown* hostContext = nullptr;
    IComponentHandler* componentHandler = nullptr;
    bool initialized = false;
    std::atomic<bool> active{false};
    // Restart flags waiting for sendToHost; any thread may add to them.
    std::atomic<int32> pendingRestart{0};
    Vst3View* editorView = nullptr;
    Vst3View* newestView = nullptr;  // the last one created that still exists
    // The host's menu last made for the editor, with its own reference, and
    // per item its target (the menu's, unreferenced) and tag; no target for
    // what cannot be chosen.
    struct HostMenuItems {
        IContextMenu* menu = nullptr;
        Vst3View* view = nullptr;
        int parameter = -1;
        IContextMenuTarget* target[effect::kMaxHostMenuItems] = {};
        int32 tag[effect::kMaxHostMenuItems] = {};
    };
    HostMenuItems hostMenuItems;
#if defined(_WIN32)
    std::unique_ptr<win32::ThreadTimer> ticks;
#else
    IRunLoop* tickLoop = nullptr;
#endif
    SpeakerArrangement inputArrangement = SpeakerArr::kStereo;
    SpeakerArrangement outputArrangement = SpeakerArr::kStereo;
    ProcessSetup setup{kRealtime, kSample32, 1024, 44100.0};
    uint32 activeLatency = 0;

    // The parameter changes of one block, read in time order across queues.
    static constexpr int32 kMaxQueues = 64;
    int32 queueCount = 0;
    int32 nextPoint[kMaxQueues] = {};
};

}  // namespace quenchbox::vst3

#endif
