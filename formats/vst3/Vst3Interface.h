#ifndef QUENCHBOX_FORMATS_VST3_VST3INTERFACE_H
#define QUENCHBOX_FORMATS_VST3_VST3INTERFACE_H

// The part of the VST3 plug-in interface this plug-in and its test hosts
// use, declared from the published interface: C++ interfaces whose method
// order and 16-byte interface ids are fixed for good, the factory, and the
// records they pass. Every record has its natural alignment on both
// platforms.

#include <cstdint>
#include <cstring>

namespace quenchbox::vst3 {

using int8 = std::int8_t;
using int16 = std::int16_t;
using int32 = std::int32_t;
using int64 = std::int64_t;
using uint32 = std::uint32_t;
using uint64 = std::uint64_t;
using char16 = char16_t;
using TBool = std::uint8_t;
using tresult = int32;
using TUID = char[16];
using FIDString = const char*;
using String128 = char16[128];

// ---- Results: COM's values on Windows, small numbers elsewhere ----
#if defined(_WIN32)
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000EL);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// ---- Interface ids ----
// An id is written as four 32-bit words. On Windows its bytes follow COM's
// GUID layout (the first word and the two halves of the second
// little-endian), elsewhere every word is big-endian.
struct InterfaceId {
    char bytes[16];

    constexpr InterfaceId(uint32 l1, uint32 l2, uint32 l3, uint32 l4)
        : bytes{
#if defined(_WIN32)
              byte(l1, 0), byte(l1, 8), byte(l1, 16), byte(l1, 24), byte(l2, 16), byte(l2, 24), byte(l2, 0),
              byte(l2, 8),
#else
              byte(l1, 24), byte(l1, 16), byte(l1, 8), byte(l1, 0), byte(l2, 24), byte(l2, 16), byte(l2, 8),
              byte(l2, 0),
#endif
              byte(l3, 24), byte(l3, 16), byte(l3, 8), byte(l3, 0), byte(l4, 24), byte(l4, 16), byte(l4, 8),
              byte(l4, 0)}
    {
    }

    bool matches(const char* other) const { return other != nullptr && std::memcmp(bytes, other, 16) == 0; }

private:
    static constexpr char byte(uint32 word, int shift) { return static_cast<char>((word >> shift) & 0xFF); }
};

// ---- The base of every interface ----
class FUnknown {
public:
    static constexpr InterfaceId iid{0x00000000, 0x00000000, 0xC0000000, 0x00000046};
    virtual tresult queryInterface(const TUID iid, void** object) = 0;
    virtual uint32 addRef() = 0;
    virtual uint32 release() = 0;

protected:
    ~FUnknown() = default;
};

class IPluginBase : public FUnknown {
public:
    static constexpr InterfaceId iid{0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625};
    virtual tresult initialize(FUnknown* context) = 0;
    virtual tresult terminate() = 0;

protected:
    ~IPluginBase() = default;
};

// seek modes
enum : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

// A host's byte stream; a call may move fewer bytes than asked for.
class IBStream : public FUnknown {
public:
    static constexpr InterfaceId iid{0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B};
    virtual tresult read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult tell(int64* pos) = 0;

protected:
    ~IBStream() = default;
};

// ---- The factory ----
constexpr int32 kManyInstances = 0x7FFFFFFF;

struct PFactoryInfo {
    enum FactoryFlags : int32 {
        kNoFlags = 0,
        kClassesDiscardable = 1 << 0,
        kLicenseCheck = 1 << 1,
        kComponentNonDiscardable = 1 << 3,
        kUnicode = 1 << 4,
    };
    char vendor[64];
    char url[256];
    char email[128];
    int32 flags;
};

struct PClassInfo {
    TUID cid;
    int32 cardinality;
    char category[32];
    char name[64];
};

struct PClassInfo2 {
    TUID cid;
    int32 cardinality;
    char category[32];
    char name[64];
    uint32 classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

struct PClassInfoW {
    TUID cid;
    int32 cardinality;
    char category[32];
    char16 name[64];
    uint32 classFlags;
    char subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown {
public:
    static constexpr InterfaceId iid{0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F};
    virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 countClasses() = 0;
    virtual tresult getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult createInstance(FIDString cid, FIDString iid, void** object) = 0;

protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
public:
    static constexpr InterfaceId iid{0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB};
    virtual tresult getClassInfo2(int32 index, PClassInfo2* info) = 0;

protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    static constexpr InterfaceId iid{0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931};
    virtual tresult getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult setHostContext(FUnknown* context) = 0;

protected:
    ~IPluginFactory3() = default;
};

// What a host tells of itself through the context of initialize.
class IHostApplication : public FUnknown {
public:
    static constexpr InterfaceId iid{0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5};
    virtual tresult getName(String128 name) = 0;
    virtual tresult createInstance(TUID cid, TUID iid, void** object) = 0;

protected:
    ~IHostApplication() = default;
};

// ---- Component: buses and state ----
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using SpeakerArrangement = uint64;
using ParamID = uint32;
using ParamValue = double;
using UnitID = int32;
using ProgramListID = int32;
using SampleRate = double;

enum : MediaType { kAudio = 0, kEvent = 1 };
enum : BusDirection { kInput = 0, kOutput = 1 };
enum : BusType { kMain = 0, kAux = 1 };

namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = 1ull << 19;  // the centre speaker
constexpr SpeakerArrangement kStereo = (1ull << 0) | (1ull << 1);
}  // namespace SpeakerArr

struct BusInfo {
    enum BusFlags : uint32 { kDefaultActive = 1 << 0, kIsControlVoltage = 1 << 1 };
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

class IComponent : public IPluginBase {
public:
    static constexpr InterfaceId iid{0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802};
    virtual tresult getControllerClassId(TUID classId) = 0;
    virtual tresult setIoMode(IoMode mode) = 0;
    virtual int32 getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
    virtual tresult getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult setActive(TBool state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;

protected:
    ~IComponent() = default;
};

// ---- Processing ----
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

struct ProcessSetup {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers {
    int32 numChannels;
    uint64 silenceFlags;
    union {
        float** channelBuffers32;
        double** channelBuffers64;
    };
};

// One parameter's changes within a block, points in time order.
class IParamValueQueue : public FUnknown {
public:
    static constexpr InterfaceId iid{0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA};
    virtual ParamID getParameterId() = 0;
    virtual int32 getPointCount() = 0;
    virtual tresult getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;

protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
public:
    static constexpr InterfaceId iid{0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D};
    virtual int32 getParameterCount() = 0;
    virtual IParamValueQueue* getParameterData(int32 index) = 0;
    virtual IParamValueQueue* addParameterData(const ParamID& id, int32& index) = 0;

protected:
    ~IParameterChanges() = default;
};

class IEventList;  // note events; this plug-in takes none
struct ProcessContext;  // transport; this plug-in needs none

struct ProcessData {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
public:
    static constexpr InterfaceId iid{0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D};
    virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                       int32 numOuts) = 0;
    virtual tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arrangement) = 0;
    virtual tresult canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 getLatencySamples() = 0;
    virtual tresult setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult setProcessing(TBool state) = 0;
    virtual tresult process(ProcessData& data) = 0;
    virtual uint32 getTailSamples() = 0;

protected:
    ~IAudioProcessor() = default;
};

// What of the transport the processor reads; flags of the context fields.
class IProcessContextRequirements : public FUnknown {
public:
    static constexpr InterfaceId iid{0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0};
    virtual uint32 getProcessContextRequirements() = 0;

protected:
    ~IProcessContextRequirements() = default;
};

// ---- Edit controller ----
struct ParameterInfo {
    enum ParameterFlags : int32 {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsHidden = 1 << 4,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

enum RestartFlags : int32 {
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
};

class IComponentHandler : public FUnknown {
public:
    static constexpr InterfaceId iid{0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6};
    virtual tresult beginEdit(ParamID id) = 0;
    virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult endEdit(ParamID id) = 0;
    virtual tresult restartComponent(int32 flags) = 0;

protected:
    ~IComponentHandler() = default;
};

class IPlugView;

class IEditController : public IPluginBase {
public:
    static constexpr InterfaceId iid{0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E};
    virtual tresult setComponentState(IBStream* state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
    virtual int32 getParameterCount() = 0;
    virtual tresult getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
    virtual tresult getParamValueByString(ParamID id, char16* string, ParamValue& valueNormalized) = 0;
    virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue getParamNormalized(ParamID id) = 0;
    virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* createView(FIDString name) = 0;

protected:
    ~IEditController() = default;
};

// ---- Units and program lists ----
constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo {
    ProgramListID id;
    String128 name;
    int32 programCount;
};

class IUnitInfo : public FUnknown {
public:
    static constexpr InterfaceId iid{0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1};
    virtual int32 getUnitCount() = 0;
    virtual tresult getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
    virtual int32 getProgramListCount() = 0;
    virtual tresult getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
    virtual tresult getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
    virtual tresult getProgramInfo(ProgramListID listId, int32 programIndex, const char* attributeId,
                                   String128 attributeValue) = 0;
    virtual tresult hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
    virtual tresult getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                        String128 name) = 0;
    virtual UnitID getSelectedUnit() = 0;
    virtual tresult selectUnit(UnitID unitId) = 0;
    virtual tresult getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                 UnitID& unitId) = 0;
    virtual tresult setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;

protected:
    ~IUnitInfo() = default;
};

// ---- The editor's view ----
constexpr FIDString kPlatformTypeHWND = "HWND";
constexpr FIDString kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

struct ViewRect {
    int32 left;
    int32 top;
    int32 right;
    int32 bottom;
};

class IPlugFrame : public FUnknown {
public:
    static constexpr InterfaceId iid{0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3};
    virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;

protected:
    ~IPlugFrame() = default;
};

class IPlugView : public FUnknown {
public:
    static constexpr InterfaceId iid{0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29};
    virtual tresult isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult attached(void* parent, FIDString type) = 0;
    virtual tresult removed() = 0;
    virtual tresult onWheel(float distance) = 0;
    virtual tresult onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult getSize(ViewRect* size) = 0;
    virtual tresult onSize(ViewRect* newSize) = 0;
    virtual tresult onFocus(TBool state) = 0;
    virtual tresult setFrame(IPlugFrame* frame) = 0;
    virtual tresult canResize() = 0;
    virtual tresult checkSizeConstraint(ViewRect* rect) = 0;

protected:
    ~IPlugView() = default;
};

// The host's content scale for a view on high-density screens.
class IPlugViewContentScaleSupport : public FUnknown {
public:
    static constexpr InterfaceId iid{0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F};
    virtual tresult setContentScaleFactor(float factor) = 0;

protected:
    ~IPlugViewContentScaleSupport() = default;
};

// ---- The host's context menu for a parameter ----
using UCoord = int32;

// An entry of a context menu. A group (submenu) is the items between a
// group start, which carries its name, and a group end.
struct IContextMenuItem {
    enum Flags : int32 {
        kIsSeparator = 1 << 0,
        kIsDisabled = 1 << 1,
        kIsChecked = 1 << 2,
        kIsGroupStart = 1 << 3 | kIsDisabled,
        kIsGroupEnd = 1 << 4 | kIsSeparator,
    };
    String128 name;
    int32 tag;  // the target's number for the item
    int32 flags;
};

// Runs the items of a menu it was handed with.
class IContextMenuTarget : public FUnknown {
public:
    static constexpr InterfaceId iid{0x3CDF2E75, 0x85D34144, 0xBF86D36B, 0xD7C4894D};
    virtual tresult executeMenuItem(int32 tag) = 0;

protected:
    ~IContextMenuTarget() = default;
};

// A menu the host made. getItem hands out the item's target without a
// reference of its own: it lives as long as the menu.
class IContextMenu : public FUnknown {
public:
    using Item = IContextMenuItem;
    static constexpr InterfaceId iid{0x2E93C863, 0x0C9C4588, 0x97DBECF5, 0xAD17817D};
    virtual int32 getItemCount() = 0;
    virtual tresult getItem(int32 index, Item& item, IContextMenuTarget** target) = 0;
    virtual tresult addItem(const Item& item, IContextMenuTarget* target) = 0;
    virtual tresult removeItem(const Item& item, IContextMenuTarget* target) = 0;
    // At x, y inside the view.
    virtual tresult popup(UCoord x, UCoord y) = 0;

protected:
    ~IContextMenu() = default;
};

// Asked of the component handler, on the UI thread: a menu filled with the
// host's items for a parameter (none: the plug-in's general menu), for a
// view of the plug-in's that exists; the caller releases it.
class IComponentHandler3 : public FUnknown {
public:
    static constexpr InterfaceId iid{0x69F11617, 0xD26B400D, 0xA4B6B964, 0x7B6EBBAB};
    virtual IContextMenu* createContextMenu(IPlugView* plugView, const ParamID* paramID) = 0;

protected:
    ~IComponentHandler3() = default;
};

// ---- The host's run loop on Linux, asked of the view's frame ----
using FileDescriptor = int;
using TimerInterval = uint64;

class IEventHandler : public FUnknown {
public:
    static constexpr InterfaceId iid{0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983};
    virtual void onFDIsSet(FileDescriptor fd) = 0;

protected:
    ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
public:
    static constexpr InterfaceId iid{0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9};
    virtual void onTimer() = 0;

protected:
    ~ITimerHandler() = default;
};

class IRunLoop : public FUnknown {
public:
    static constexpr InterfaceId iid{0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389};
    virtual tresult registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
    virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
    virtual tresult unregisterTimer(ITimerHandler* handler) = 0;

protected:
    ~IRunLoop() = default;
};

// The module's entry points: GetPluginFactory everywhere, ModuleEntry and
// ModuleExit on Linux, InitDll and ExitDll on Windows.
using GetFactoryProc = IPluginFactory* (*)();
using ModuleEntryProc = bool (*)(void*);
using ModuleExitProc = bool (*)();

}  // namespace quenchbox::vst3

#endif
