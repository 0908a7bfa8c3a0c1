#include "host/Vst3HostObjects.h"

#include "formats/vst3/Vst3Strings.h"

#include <algorithm>
#include <cstring>

namespace quenchbox::host {

namespace {

template <typename Interface, typename Object>
tresult answer(Object* self, const TUID iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    if (FUnknown::iid.matches(iid) || Interface::iid.matches(iid)) {
        *object = static_cast<Interface*>(self);
        self->addRef();
        return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
}

}  // namespace

std::string utf8(const char16* text, std::size_t maxUnits) { return fromUtf16(text, maxUnits); }

// ---- MemoryStream ----

tresult MemoryStream::queryInterface(const TUID iid, void** object) { return answer<IBStream>(this, iid, object); }

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    if (buffer == nullptr || numBytes < 0)
        return kInvalidArgument;
    const std::size_t count = std::min({static_cast<std::size_t>(numBytes), perCall, bytes.size() - position});
    if (count > 0)
        std::memcpy(buffer, bytes.data() + position, count);
    position += count;
    if (numBytesRead != nullptr)
        *numBytesRead = static_cast<int32>(count);
    return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (buffer == nullptr || numBytes < 0)
        return kInvalidArgument;
    const std::size_t count = std::min(static_cast<std::size_t>(numBytes), perCall);
    const auto* from = static_cast<const std::uint8_t*>(buffer);
    if (position + count > bytes.size())
        bytes.resize(position + count);
    std::copy(from, from + count, bytes.begin() + static_cast<std::ptrdiff_t>(position));
    position += count;
    if (numBytesWritten != nullptr)
        *numBytesWritten = static_cast<int32>(count);
    return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
    const int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? static_cast<int64>(position)
                                                                   : static_cast<int64>(bytes.size());
    const int64 target = base + pos;
    if (target < 0 || target > static_cast<int64>(bytes.size()))
        return kResultFalse;
    position = static_cast<std::size_t>(target);
    if (result != nullptr)
        *result = target;
    return kResultOk;
}

tresult MemoryStream::tell(int64* pos)
{
    if (pos == nullptr)
        return kInvalidArgument;
    *pos = static_cast<int64>(position);
    return kResultOk;
}

// ---- Parameter changes ----

tresult HostParamValueQueue::queryInterface(const TUID iid, void** object)
{
    return answer<IParamValueQueue>(this, iid, object);
}

tresult HostParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= getPointCount())
        return kInvalidArgument;
    sampleOffset = points[static_cast<std::size_t>(index)].offset;
    value = points[static_cast<std::size_t>(index)].value;
    return kResultOk;
}

tresult HostParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    points.push_back({sampleOffset, value});
    index = getPointCount() - 1;
    return kResultOk;
}

void HostParameterChanges::add(ParamID id, int32 offset, ParamValue value)
{
    int32 index = 0;
    int32 point = 0;
    addParameterData(id, index)->addPoint(offset, value, point);
}

tresult HostParameterChanges::queryInterface(const TUID iid, void** object)
{
    return answer<IParameterChanges>(this, iid, object);
}

IParamValueQueue* HostParameterChanges::getParameterData(int32 index)
{
    return index >= 0 && index < getParameterCount() ? &queues[static_cast<std::size_t>(index)] : nullptr;
}

IParamValueQueue* HostParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (std::size_t q = 0; q < queues.size(); ++q)
        if (queues[q].getParameterId() == id) {
            index = static_cast<int32>(q);
            return &queues[q];
        }
    queues.emplace_back(id);
    index = getParameterCount() - 1;
    return &queues.back();
}

// ---- Host context ----

tresult HostContext::queryInterface(const TUID iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IHostApplication::iid.matches(iid))
        *object = static_cast<IHostApplication*>(this);
    else if (IComponentHandler::iid.matches(iid))
        *object = static_cast<IComponentHandler*>(this);
    else if (IComponentHandler3::iid.matches(iid) && menusOffered)
        *object = static_cast<IComponentHandler3*>(this);
    else if (IRunLoop::iid.matches(iid))
        *object = static_cast<IRunLoop*>(this);
    else
        return kNoInterface;
    addRef();
    return kResultOk;
}

tresult HostContext::getName(String128 name)
{
    toUtf16("quenchbox-render", name, 128);
    return kResultOk;
}

tresult HostContext::createInstance(TUID, TUID, void** object)
{
    if (object != nullptr)
        *object = nullptr;
    return kNotImplemented;
}

void HostContext::note(HostCallback::Kind kind, int32 flagsOrId)
{
    calls.push_back({kind, flagsOrId, during, std::this_thread::get_id()});
}

tresult HostContext::beginEdit(ParamID id)
{
    note(HostCallback::Kind::begin, static_cast<int32>(id));
    recorded.push_back({HostEdit::Kind::begin, id, 0.0});
    return kResultOk;
}

tresult HostContext::performEdit(ParamID id, ParamValue valueNormalized)
{
    note(HostCallback::Kind::perform, static_cast<int32>(id));
    recorded.push_back({HostEdit::Kind::perform, id, valueNormalized});
    return kResultOk;
}

tresult HostContext::endEdit(ParamID id)
{
    note(HostCallback::Kind::end, static_cast<int32>(id));
    recorded.push_back({HostEdit::Kind::end, id, 0.0});
    return kResultOk;
}

tresult HostContext::restartComponent(int32 flags)
{
    note(HostCallback::Kind::restart, flags);
    restarts |= flags;
    return kResultOk;
}

// ---- Context menus ----

// A menu for a parameter; the plug-in's general menu (no parameter) is not
// made by this host, nor a menu without a view.
IContextMenu* HostContext::createContextMenu(IPlugView* plugView, const ParamID* paramID)
{
    if (plugView == nullptr || paramID == nullptr)
        return nullptr;
    menuView = plugView;
    menuParameter = *paramID;
    ++menus;
    return new HostContextMenu(*this, *paramID);
}

HostContextMenu::HostContextMenu(HostContext& host, ParamID parameter) : context(host), id(parameter)
{
    add("Automation lane", kAutomationLaneTag, 0);
    add("", 0, Item::kIsSeparator);
    add("MIDI Learn", kMidiLearnTag, Item::kIsChecked);
    add("Modulate", 0, Item::kIsGroupStart);
    add("LFO 1", kLfoTag, 0);
    add("", 0, Item::kIsGroupEnd);
}

HostContextMenu::~HostContextMenu() { --context.menus; }

void HostContextMenu::add(const char* name, int32 tag, int32 flags)
{
    Item item{};
    toUtf16(name, item.name, 128);
    item.tag = tag;
    item.flags = flags;
    items.emplace_back(item, this);
}

tresult HostContextMenu::queryInterface(const TUID iid, void** object)
{
    if (object == nullptr)
        return kInvalidArgument;
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IContextMenu::iid.matches(iid))
        *object = static_cast<IContextMenu*>(this);
    else if (IContextMenuTarget::iid.matches(iid))
        *object = static_cast<IContextMenuTarget*>(this);
    else
        return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 HostContextMenu::release()
{
    const uint32 left = --references;
    if (left == 0)
        delete this;
    return left;
}

// The target comes without a reference of its own, as hosts hand it out.
tresult HostContextMenu::getItem(int32 index, Item& item, IContextMenuTarget** target)
{
    if (index < 0 || index >= getItemCount())
        return kInvalidArgument;
    item = items[static_cast<std::size_t>(index)].first;
    if (target != nullptr)
        *target = items[static_cast<std::size_t>(index)].second;
    return kResultOk;
}

tresult HostContextMenu::addItem(const Item& item, IContextMenuTarget* target)
{
    items.emplace_back(item, target);
    return kResultOk;
}

tresult HostContextMenu::removeItem(const Item& item, IContextMenuTarget* target)
{
    for (auto at = items.begin(); at != items.end(); ++at)
        if (at->first.tag == item.tag && at->second == target) {
            items.erase(at);
            return kResultOk;
        }
    return kResultFalse;
}

tresult HostContextMenu::executeMenuItem(int32 tag)
{
    context.runs.push_back({id, tag});
    return kResultOk;
}

// ---- The run loop: timers only; the plug-in has no descriptor to watch
// without a view ----

tresult HostContext::registerEventHandler(IEventHandler*, FileDescriptor) { return kNotImplemented; }

tresult HostContext::unregisterEventHandler(IEventHandler*) { return kNotImplemented; }

tresult HostContext::registerTimer(ITimerHandler* handler, TimerInterval)
{
    if (handler == nullptr)
        return kInvalidArgument;
    timers.push_back(handler);
    return kResultOk;
}

tresult HostContext::unregisterTimer(ITimerHandler* handler)
{
    timers.erase(std::remove(timers.begin(), timers.end(), handler), timers.end());
    return kResultOk;
}

void HostContext::runTimers()
{
    const Calling timer(*this, kRunLoop);
    for (ITimerHandler* handler : std::vector<ITimerHandler*>(timers))
        handler->onTimer();
}

}  // namespace quenchbox::host
