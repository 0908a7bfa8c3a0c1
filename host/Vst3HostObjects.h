#ifndef QUENCHBOX_HOST_VST3HOSTOBJECTS_H
#define QUENCHBOX_HOST_VST3HOSTOBJECTS_H

#include "formats/vst3/Vst3Interface.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// The objects a VST3 host hands its plug-in: streams, the block's parameter
// changes, the host context and component handler. The host owns them and
// keeps them beyond the plug-in's use: their reference counts only count.
namespace quenchbox::host {

using namespace quenchbox::vst3;

// Bytes in memory as a host's stream; each call moves at most bytesPerCall.
class MemoryStream final : public IBStream {
public:
    explicit MemoryStream(std::vector<std::uint8_t> content = {}, std::size_t bytesPerCall = SIZE_MAX)
        : bytes(std::move(content)), perCall(bytesPerCall)
    {
    }
    const std::vector<std::uint8_t>& content() const { return bytes; }
    void rewind() { position = 0; }

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return ++references; }
    uint32 release() override { return --references; }
    tresult read(void* buffer, int32 numBytes, int32* numBytesRead) override;
    tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
    tresult seek(int64 pos, int32 mode, int64* result) override;
    tresult tell(int64* pos) override;

private:
    std::vector<std::uint8_t> bytes;
    std::size_t perCall;
    std::size_t position = 0;
    std::atomic<uint32> references{1};
};

// One parameter's points within a block.
class HostParamValueQueue final : public IParamValueQueue {
public:
    explicit HostParamValueQueue(ParamID parameter) : id(parameter) {}

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }
    ParamID getParameterId() override { return id; }
    int32 getPointCount() override { return static_cast<int32>(points.size()); }
    tresult getPoint(int32 index, int32& sampleOffset, ParamValue& value) override;
    tresult addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

private:
    struct Point {
        int32 offset;
        ParamValue value;
    };
    ParamID id;
    std::vector<Point> points;
};

// The changes of one block, a queue per parameter.
class HostParameterChanges final : public IParameterChanges {
public:
    // A point at offset for parameter id, in time order within its queue.
    void add(ParamID id, int32 offset, ParamValue value);
    void clear() { queues.clear(); }
    bool empty() const { return queues.empty(); }

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }
    int32 getParameterCount() override { return static_cast<int32>(queues.size()); }
    IParamValueQueue* getParameterData(int32 index) override;
    IParamValueQueue* addParameterData(const ParamID& id, int32& index) override;

private:
    std::vector<HostParamValueQueue> queues;
};

// What a plug-in tells its host through the component handler.
struct HostEdit {
    enum class Kind { begin, perform, end };
    Kind kind;
    ParamID id;
    ParamValue value;
};

// Every call the plug-in makes back into its host, with where it came from:
// the host call the plug-in was inside (`during`: its name, or "a host call"
// when the caller named none), or the run loop's timer; and the thread.
struct HostCallback {
    enum class Kind { restart, begin, perform, end };
    Kind kind;
    int32 flagsOrId;
    const char* during;
    std::thread::id thread;
};

// What the host's context menu ran: the parameter it was made for and the
// item's tag.
struct HostMenuRun {
    ParamID id;
    int32 tag;
};

class HostContext;

// A context menu the host made for one parameter: "Automation lane" (tag
// 1), a separator, "MIDI Learn" checked (2), a group "Modulate" with
// "LFO 1" (3). It is its items' target and records what it runs in its
// host; it lives while it has references.
class HostContextMenu final : public IContextMenu, public IContextMenuTarget {
public:
    static constexpr int32 kAutomationLaneTag = 1;
    static constexpr int32 kMidiLearnTag = 2;
    static constexpr int32 kLfoTag = 3;

    HostContextMenu(HostContext& host, ParamID parameter);

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return ++references; }
    uint32 release() override;
    int32 getItemCount() override { return static_cast<int32>(items.size()); }
    tresult getItem(int32 index, Item& item, IContextMenuTarget** target) override;
    tresult addItem(const Item& item, IContextMenuTarget* target) override;
    tresult removeItem(const Item& item, IContextMenuTarget* target) override;
    tresult popup(UCoord, UCoord) override { return kNotImplemented; }
    tresult executeMenuItem(int32 tag) override;

private:
    ~HostContextMenu();
    void add(const char* name, int32 tag, int32 flags);

    HostContext& context;
    ParamID id;
    std::vector<std::pair<Item, IContextMenuTarget*>> items;
    std::atomic<uint32> references{1};
};

// The host application handed to initialize, and the component handler
// that records the plug-in's edits and restart requests. It offers the
// plug-in a run loop whose timers run only when runTimers is called, as a
// host's UI thread runs them between its own calls into the plug-in, and
// context menus (IComponentHandler3) unless told not to.
class HostContext final : public IHostApplication,
                          public IComponentHandler,
                          public IComponentHandler3,
                          public IRunLoop {
public:
    static constexpr const char* kRunLoop = "the host's loop, between its calls";

    // Names the host call under way while it lives, for the record.
    class Calling {
    public:
        Calling(HostContext& host, const char* name) : context(host), outer(host.during) { host.during = name; }
        ~Calling() { context.during = outer; }
        Calling(const Calling&) = delete;
        Calling& operator=(const Calling&) = delete;

    private:
        HostContext& context;
        const char* outer;
    };

    const std::vector<HostEdit>& edits() const { return recorded; }
    void clearEdits() { recorded.clear(); }
    int32 restartFlags() const { return restarts; }
    void clearRestarts() { restarts = 0; }
    int references() const { return static_cast<int>(count.load()); }
    const std::vector<HostCallback>& callbacks() const { return calls; }
    // The host call under way, for a host's other objects (its frame).
    const char* currentCall() const { return during; }
    // Fires every registered timer once, outside any call into the plug-in.
    void runTimers();
    std::size_t timerCount() const { return timers.size(); }

    // ---- Context menus ----
    void offerContextMenus(bool offered) { menusOffered = offered; }
    // Menus made and not yet released.
    int liveMenus() const { return menus; }
    // The view and parameter the last menu was made for.
    IPlugView* lastMenuView() const { return menuView; }
    ParamID lastMenuParameter() const { return menuParameter; }
    const std::vector<HostMenuRun>& menuRuns() const { return runs; }

    tresult queryInterface(const TUID iid, void** object) override;
    uint32 addRef() override { return ++count; }
    uint32 release() override { return --count; }
    tresult getName(String128 name) override;
    tresult createInstance(TUID cid, TUID iid, void** object) override;
    tresult beginEdit(ParamID id) override;
    tresult performEdit(ParamID id, ParamValue valueNormalized) override;
    tresult endEdit(ParamID id) override;
    tresult restartComponent(int32 flags) override;
    IContextMenu* createContextMenu(IPlugView* plugView, const ParamID* paramID) override;

    tresult registerEventHandler(IEventHandler* handler, FileDescriptor fd) override;
    tresult unregisterEventHandler(IEventHandler* handler) override;
    tresult registerTimer(ITimerHandler* handler, TimerInterval milliseconds) override;
    tresult unregisterTimer(ITimerHandler* handler) override;

private:
    friend class HostContextMenu;
    void note(HostCallback::Kind kind, int32 flagsOrId);

    std::vector<HostEdit> recorded;
    std::vector<HostCallback> calls;
    std::vector<ITimerHandler*> timers;
    const char* during = "a host call";
    int32 restarts = 0;
    std::atomic<uint32> count{1};
    bool menusOffered = true;
    int menus = 0;
    IPlugView* menuView = nullptr;
    ParamID menuParameter = 0;
    std::vector<HostMenuRun> runs;
};

// A UTF-16 field as UTF-8.
std::string utf8(const char16* text, std::size_t maxUnits = 128);

}  // namespace quenchbox::host

#endif
