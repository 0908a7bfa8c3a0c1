#include "app/WasapiAudio.h"

#include "editor/win32/Utf16.h"

#include <initguid.h>  // defines the property keys below, once, here

#include <avrt.h>
#include <functiondiscoverykeys_devpkey.h>
#include <ksmedia.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace quenchbox::app {

namespace {

constexpr double kHundredNanosecondsPerSecond = 1e7;
// A device that signals no period for this long has stopped for good.
constexpr DWORD kSilentDeviceMilliseconds = 2000;
// How many periods of input may wait for the output before the oldest are
// dropped: more would only add latency.
constexpr std::size_t kPendingPeriods = 8;

// Set whenever an endpoint comes, goes, or the defaults change.
std::atomic<bool> endpointsChanged{true};

template <typename Interface>
void releaseInterface(Interface*& pointer)
{
    if (pointer != nullptr)
        pointer->Release();
    pointer = nullptr;
}

std::string hresultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lx", static_cast<unsigned long>(result));
    return text;
}

std::wstring deviceId(IMMDevice* device)
{
    wchar_t* id = nullptr;
    if (device == nullptr || FAILED(device->GetId(&id)))
        return {};
    std::wstring copy = id;
    CoTaskMemFree(id);
    return copy;
}

// A text property of an endpoint: its own name ("Speakers (USB Audio)") or
// its adapter's ("USB Audio").
std::string deviceProperty(IMMDevice* device, const PROPERTYKEY& key)
{
    IPropertyStore* store = nullptr;
    if (FAILED(device->OpenPropertyStore(STGM_READ, &store)))
        return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::string text;
    if (SUCCEEDED(store->GetValue(key, &value)) && value.vt == VT_LPWSTR)
        text = editor::utf8(value.pwszVal);
    PropVariantClear(&value);
    store->Release();
    return text;
}

REFERENCE_TIME framesToDuration(UINT32 frames, unsigned rate)
{
    return static_cast<REFERENCE_TIME>(std::llround(frames * kHundredNanosecondsPerSecond / rate));
}

UINT32 durationToFrames(REFERENCE_TIME duration, unsigned rate)
{
    return static_cast<UINT32>(std::llround(duration * static_cast<double>(rate) / kHundredNanosecondsPerSecond));
}

bool readSampleFormat(const WAVEFORMATEX& format, WasapiAudio::SampleFormat& sampleFormat)
{
    WORD tag = format.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22) {
        const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
        if (IsEqualGUID(extensible.SubFormat, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT))
            tag = WAVE_FORMAT_IEEE_FLOAT;
        else if (IsEqualGUID(extensible.SubFormat, KSDATAFORMAT_SUBTYPE_PCM))
            tag = WAVE_FORMAT_PCM;
    }
    using Format = WasapiAudio::SampleFormat;
    if (tag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32)
        sampleFormat = Format::float32;
    else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16)
        sampleFormat = Format::int16;
    else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 24)
        sampleFormat = Format::int24;
    else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 32)
        sampleFormat = Format::int32;  // 24 valid bits in 32 are left-justified: read and written as 32
    else
        return false;
    return true;
}

// The formats exclusive mode offers the device, best first.
WAVEFORMATEXTENSIBLE exclusiveFormat(unsigned rate, WORD channels, WasapiAudio::SampleFormat sampleFormat)
{
    using Format = WasapiAudio::SampleFormat;
    WAVEFORMATEXTENSIBLE format{};
    const WORD bits = sampleFormat == Format::int16 ? 16 : sampleFormat == Format::int24 ? 24 : 32;
    format.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    format.Format.nChannels = channels;
    format.Format.nSamplesPerSec = rate;
    format.Format.wBitsPerSample = bits;
    format.Format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.Format.nAvgBytesPerSec = rate * format.Format.nBlockAlign;
    format.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    format.Samples.wValidBitsPerSample = bits;
    format.dwChannelMask = channels == 1 ? SPEAKER_FRONT_CENTER : channels == 2 ? SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT : 0;
    format.SubFormat = sampleFormat == Format::float32 ? KSDATAFORMAT_SUBTYPE_IEEE_FLOAT : KSDATAFORMAT_SUBTYPE_PCM;
    return format;
}

unsigned bytesPerSample(WasapiAudio::SampleFormat format)
{
    using Format = WasapiAudio::SampleFormat;
    return format == Format::int16 ? 2 : format == Format::int24 ? 3 : 4;
}

float readSample(const BYTE* at, WasapiAudio::SampleFormat format)
{
    using Format = WasapiAudio::SampleFormat;
    switch (format) {
    case Format::float32: {
        float value = 0.0f;
        std::memcpy(&value, at, sizeof(value));
        return value;
    }
    case Format::int16: {
        std::int16_t value = 0;
        std::memcpy(&value, at, sizeof(value));
        return static_cast<float>(value) / 32768.0f;
    }
    case Format::int24: {
        const std::int32_t value = static_cast<std::int32_t>((static_cast<std::uint32_t>(at[0]) << 8)
                                                            | (static_cast<std::uint32_t>(at[1]) << 16)
                                                            | (static_cast<std::uint32_t>(at[2]) << 24));
        return static_cast<float>(value / 2147483648.0);
    }
    case Format::int32: {
        std::int32_t value = 0;
        std::memcpy(&value, at, sizeof(value));
        return static_cast<float>(value / 2147483648.0);
    }
    }
    return 0.0f;
}

// Integers take the sample clipped to full scale.
void writeSample(BYTE* at, float sample, WasapiAudio::SampleFormat format)
{
    using Format = WasapiAudio::SampleFormat;
    const double clipped = std::clamp(static_cast<double>(sample), -1.0, 1.0);
    switch (format) {
    case Format::float32:
        std::memcpy(at, &sample, sizeof(sample));
        break;
    case Format::int16: {
        const auto value = static_cast<std::int16_t>(std::llrint(clipped * 32767.0));
        std::memcpy(at, &value, sizeof(value));
        break;
    }
    case Format::int24: {
        const auto value = static_cast<std::int32_t>(std::llrint(clipped * 8388607.0));
        at[0] = static_cast<BYTE>(value & 0xff);
        at[1] = static_cast<BYTE>((value >> 8) & 0xff);
        at[2] = static_cast<BYTE>((value >> 16) & 0xff);
        break;
    }
    case Format::int32: {
        const auto value = static_cast<std::int32_t>(std::llrint(clipped * 2147483647.0));
        std::memcpy(at, &value, sizeof(value));
        break;
    }
    }
}

bool createEnumerator(IMMDeviceEnumerator*& enumerator)
{
    return SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                      __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator)));
}

// The active endpoints of one direction, with the default one's id.
std::vector<IMMDevice*> activeEndpoints(IMMDeviceEnumerator* enumerator, EDataFlow flow)
{
    std::vector<IMMDevice*> devices;
    IMMDeviceCollection* collection = nullptr;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(flow, DEVICE_STATE_ACTIVE, &collection)))
        return devices;
    collection->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        IMMDevice* device = nullptr;
        if (SUCCEEDED(collection->Item(i, &device)))
            devices.push_back(device);
    }
    collection->Release();
    return devices;
}

std::wstring defaultEndpointId(IMMDeviceEnumerator* enumerator, EDataFlow flow)
{
    IMMDevice* device = nullptr;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(flow, eConsole, &device)))
        return {};
    std::wstring id = deviceId(device);
    device->Release();
    return id;
}

std::vector<WasapiAudio::Endpoint> readEndpoints(IMMDeviceEnumerator* enumerator)
{
    std::vector<WasapiAudio::Endpoint> endpoints;
    for (const EDataFlow flow : {eRender, eCapture}) {
        const std::wstring defaultId = defaultEndpointId(enumerator, flow);
        for (IMMDevice* device : activeEndpoints(enumerator, flow)) {
            endpoints.push_back({flow == eRender, deviceProperty(device, PKEY_Device_FriendlyName),
                                 deviceId(device) == defaultId});
            device->Release();
        }
    }
    return endpoints;
}

// The endpoint named `name` (its own name or its adapter's), or the one on
// the adapter named `adapter`; null when none is.
IMMDevice* namedEndpoint(IMMDeviceEnumerator* enumerator, EDataFlow flow, const std::string& name,
                         const std::string& adapter)
{
    IMMDevice* found = nullptr;
    for (IMMDevice* device : activeEndpoints(enumerator, flow)) {
        const std::string own = deviceProperty(device, PKEY_Device_FriendlyName);
        const std::string its = deviceProperty(device, PKEY_DeviceInterface_FriendlyName);
        if (found == nullptr && (own == name || its == name || (!adapter.empty() && its == adapter)))
            found = device;
        else
            device->Release();
    }
    return found;
}

}  // namespace

// Told by Windows, on a thread of its own, when endpoints come and go: marks
// the device list for reading again, and the open streams' devices gone
// when it is theirs.
class EndpointWatch final : public IMMNotificationClient {
public:
    EndpointWatch(std::atomic<bool>* gone, std::wstring outputId, std::wstring inputId)
        : gone(gone), ids{std::move(outputId), std::move(inputId)}
    {
    }

    // Owned by the one who registered it, who unregisters it before it goes.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IMMNotificationClient))) {
            *object = static_cast<IMMNotificationClient*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR id, DWORD state) override
    {
        endpointsChanged = true;
        if (state != DEVICE_STATE_ACTIVE)
            goneIfOurs(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override
    {
        endpointsChanged = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR id) override
    {
        endpointsChanged = true;
        goneIfOurs(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override
    {
        endpointsChanged = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY key) override
    {
        if (IsEqualPropertyKey(key, PKEY_Device_FriendlyName))
            endpointsChanged = true;
        return S_OK;
    }

private:
    void goneIfOurs(LPCWSTR id)
    {
        if (gone != nullptr && id != nullptr)
            for (const std::wstring& ours : ids)
                if (!ours.empty() && ours == id)
                    gone->store(true);
    }

    std::atomic<bool>* const gone;
    const std::wstring ids[2];
};

std::vector<WasapiAudio::Endpoint> WasapiAudio::endpoints()
{
    // One enumerator and one watch for the process, so that the list is
    // read again only when Windows says it changed.
    static std::mutex guard;
    static IMMDeviceEnumerator* watched = nullptr;
    static EndpointWatch watch(nullptr, {}, {});
    static std::vector<Endpoint> known;
    const std::lock_guard<std::mutex> lock(guard);
    if (watched == nullptr) {
        if (!createEnumerator(watched))
            return {};
        watched->RegisterEndpointNotificationCallback(&watch);
        endpointsChanged = true;
    }
    if (endpointsChanged.exchange(false))
        known = readEndpoints(watched);
    return known;
}

std::vector<std::string> WasapiAudio::deviceList()
{
    std::vector<std::string> lines;
    for (const Endpoint& endpoint : endpoints())
        lines.push_back((endpoint.output ? "output: " : "input: ") + endpoint.name +
                        (endpoint.isDefault ? " (default)" : ""));
    return lines;
}

std::vector<std::string> WasapiAudio::deviceNames()
{
    std::vector<std::string> names;
    for (const Endpoint& endpoint : endpoints())
        if (endpoint.output)
            names.push_back(endpoint.name);
    return names;
}

WasapiAudio::WasapiAudio(AppEngine& engine, const Options& options) : engine(engine), options(options) {}

WasapiAudio::~WasapiAudio() { close(); }

bool WasapiAudio::findDevices(std::string& error)
{
    if (options.device.empty()) {
        if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &output.device))) {
            error = kNoDevice;
            return false;
        }
        enumerator->GetDefaultAudioEndpoint(eCapture, eConsole, &input.device);  // none: the input is silent
        return true;
    }
    output.device = namedEndpoint(enumerator, eRender, options.device, {});
    input.device = namedEndpoint(enumerator, eCapture, options.device, {});
    if (output.device == nullptr && input.device != nullptr)
        output.device = namedEndpoint(enumerator, eRender, {},
                                      deviceProperty(input.device, PKEY_DeviceInterface_FriendlyName));
    if (output.device == nullptr) {
        error = "WASAPI: no output device is named '" + options.device + "' (see --list-devices)";
        return false;
    }
    if (input.device == nullptr)
        input.device = namedEndpoint(enumerator, eCapture, {},
                                     deviceProperty(output.device, PKEY_DeviceInterface_FriendlyName));
    if (input.device == nullptr)
        enumerator->GetDefaultAudioEndpoint(eCapture, eConsole, &input.device);
    return true;
}

bool WasapiAudio::initializeShared(Stream& stream, bool isCapture, std::string& error)
{
    WAVEFORMATEX* mix = nullptr;
    HRESULT result = stream.client->GetMixFormat(&mix);
    if (FAILED(result)) {
        error = "WASAPI: the device names no mixing format (" + hresultText(result) + ")";
        return false;
    }
    DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK;
    // The input follows the output's rate: Windows converts it when its own
    // mixer runs at another.
    if (isCapture && mix->nSamplesPerSec != rate) {
        mix->nSamplesPerSec = rate;
        mix->nAvgBytesPerSec = rate * mix->nBlockAlign;
        flags |= AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
    }
    const bool known = readSampleFormat(*mix, stream.format);
    stream.channels = mix->nChannels;
    if (!isCapture)
        rate = mix->nSamplesPerSec;
    if (known)
        result = stream.client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, 0, 0, mix, nullptr);
    CoTaskMemFree(mix);
    if (!known) {
        error = "WASAPI: the device's mixing format is none of float, 16, 24 or 32-bit integers";
        return false;
    }
    if (FAILED(result)) {
        error = std::string("WASAPI: cannot open the ") + (isCapture ? "input" : "output") + " in shared mode ("
                + hresultText(result) + ")";
        return false;
    }
    if (!isCapture) {
        REFERENCE_TIME defaultPeriod = 0;
        stream.client->GetDevicePeriod(&defaultPeriod, nullptr);
        period = std::max<UINT32>(durationToFrames(defaultPeriod, rate), 1);
    }
    return true;
}

bool WasapiAudio::initializeExclusive(Stream& stream, bool isCapture, std::string& error)
{
    WAVEFORMATEX* mix = nullptr;
    WORD channels = 2;
    if (SUCCEEDED(stream.client->GetMixFormat(&mix))) {
        channels = mix->nChannels;
        CoTaskMemFree(mix);
    }
    WAVEFORMATEXTENSIBLE format{};
    bool found = false;
    for (SampleFormat candidate : {SampleFormat::float32, SampleFormat::int32, SampleFormat::int24, SampleFormat::int16}) {
        format = exclusiveFormat(rate, channels, candidate);
        if (stream.client->IsFormatSupported(AUDCLNT_SHAREMODE_EXCLUSIVE, &format.Format, nullptr) == S_OK) {
            stream.format = candidate;
            found = true;
            break;
        }
    }
    if (!found) {
        error = "WASAPI: the " + std::string(isCapture ? "input" : "output")
                + " takes no float, 32, 24 or 16-bit samples at " + std::to_string(rate) + " Hz in exclusive mode";
        return false;
    }
    stream.channels = channels;
    REFERENCE_TIME minimum = 0;
    stream.client->GetDevicePeriod(nullptr, &minimum);
    const UINT32 frames = isCapture ? period : std::clamp<UINT32>(options.bufferFrames, kFewestBufferFrames, kMostBufferFrames);
    REFERENCE_TIME duration = std::max(minimum, framesToDuration(frames, rate));
    const DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK;
    HRESULT result = stream.client->Initialize(AUDCLNT_SHAREMODE_EXCLUSIVE, flags, duration, duration, &format.Format, nullptr);
    if (result == AUDCLNT_E_BUFFER_SIZE_NOT_ALIGNED) {
        // The device wants a period of its own alignment: asked again for the
        // one it named, on a new client.
        UINT32 aligned = 0;
        stream.client->GetBufferSize(&aligned);
        releaseInterface(stream.client);
        result = stream.device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                         reinterpret_cast<void**>(&stream.client));
        duration = framesToDuration(aligned, rate);
        if (SUCCEEDED(result))
            result = stream.client->Initialize(AUDCLNT_SHAREMODE_EXCLUSIVE, flags, duration, duration, &format.Format,
                                               nullptr);
    }
    if (result == AUDCLNT_E_DEVICE_IN_USE)
        error = "WASAPI: the device is in use by another program";
    else if (result == AUDCLNT_E_EXCLUSIVE_MODE_NOT_ALLOWED)
        error = "WASAPI: Windows' sound settings do not let programs take this device in exclusive mode";
    else if (FAILED(result))
        error = std::string("WASAPI: cannot open the ") + (isCapture ? "input" : "output") + " in exclusive mode ("
                + hresultText(result) + ")";
    if (FAILED(result))
        return false;
    if (!isCapture) {
        UINT32 bufferFrames = 0;
        stream.client->GetBufferSize(&bufferFrames);
        period = bufferFrames;
    }
    return true;
}

bool WasapiAudio::initialize(Stream& stream, bool isCapture, std::string& error)
{
    stream.id = deviceId(stream.device);
    HRESULT result =
        stream.device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&stream.client));
    if (FAILED(result)) {
        error = "WASAPI: cannot reach the device (" + hresultText(result) + ")";
        return false;
    }
    if (!(options.exclusive ? initializeExclusive(stream, isCapture, error)
                            : initializeShared(stream, isCapture, error)))
        return false;
    stream.bytesPerFrame = stream.channels * bytesPerSample(stream.format);
    stream.client->GetBufferSize(&stream.bufferFrames);
    stream.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    result = stream.client->SetEventHandle(stream.event);
    if (SUCCEEDED(result))
        result = isCapture ? stream.client->GetService(__uuidof(IAudioCaptureClient),
                                                       reinterpret_cast<void**>(&stream.capture))
                           : stream.client->GetService(__uuidof(IAudioRenderClient),
                                                       reinterpret_cast<void**>(&stream.render));
    if (FAILED(result)) {
        error = "WASAPI: the device refuses event-driven streaming (" + hresultText(result) + ")";
        return false;
    }
    return true;
}

// The output starts with its buffer full of silence, the input just before
// it, so that the first input arrives while that silence plays.
bool WasapiAudio::startStreams(std::string& error)
{
    BYTE* data = nullptr;
    HRESULT result = output.render->GetBuffer(output.bufferFrames, &data);
    if (SUCCEEDED(result))
        result = output.render->ReleaseBuffer(output.bufferFrames, AUDCLNT_BUFFERFLAGS_SILENT);
    if (SUCCEEDED(result) && input.client != nullptr)
        result = input.client->Start();
    if (SUCCEEDED(result))
        result = output.client->Start();
    if (FAILED(result))
        error = "WASAPI: the device does not start (" + hresultText(result) + ")";
    return SUCCEEDED(result);
}

bool WasapiAudio::open(std::string& error)
{
    close();
    processed = false;
    gone = false;
    rate = options.rate;
    if (!createEnumerator(enumerator)) {
        error = "WASAPI: Windows' audio service does not answer";
        return false;
    }
    bool opened = findDevices(error) && initialize(output, false, error);
    // An input that cannot open leaves the input silent rather than no sound at all.
    std::string inputError;
    if (opened && input.device != nullptr && !initialize(input, true, inputError))
        release(input);
    if (opened) {
        mixerRate = !options.exclusive && rate != options.rate;
        const std::size_t pendingFrames = kPendingPeriods * std::max<std::size_t>(period, input.bufferFrames);
        for (std::vector<float>& channel : pending)
            channel.assign(pendingFrames, 0.0f);
        pendingRead = 0;
        pendingCount = 0;
        for (std::vector<float>& channel : channels)
            channel.assign(period, 0.0f);
        watch = std::make_unique<EndpointWatch>(&gone, output.id, input.id);
        enumerator->RegisterEndpointNotificationCallback(watch.get());
        engine.start(rate);
        opened = startStreams(error);
    }
    if (!opened) {
        close();
        return false;
    }
    running = true;
    audioThread = std::thread([this] { run(); });
    return true;
}

void WasapiAudio::release(Stream& stream)
{
    if (stream.client != nullptr)
        stream.client->Stop();
    releaseInterface(stream.render);
    releaseInterface(stream.capture);
    releaseInterface(stream.client);
    releaseInterface(stream.device);
    if (stream.event != nullptr)
        CloseHandle(stream.event);
    stream = Stream{};
}

void WasapiAudio::close()
{
    running = false;
    if (audioThread.joinable()) {
        SetEvent(output.event);
        audioThread.join();
    }
    if (watch != nullptr) {
        enumerator->UnregisterEndpointNotificationCallback(watch.get());
        watch.reset();
    }
    release(input);
    release(output);
    releaseInterface(enumerator);
    engine.stop();
}

// The audio thread: woken by either stream's event, it takes what the input
// captured and fills what the output has played. A failing call means the
// device went (unplugged, disabled, taken in exclusive mode): the thread ends
// and says so.
void WasapiAudio::run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DWORD taskIndex = 0;
    HANDLE proAudio = AvSetMmThreadCharacteristicsW(L"Pro Audio", &taskIndex);  // best effort
    const HANDLE events[2] = {output.event, input.event};
    const DWORD eventCount = input.client != nullptr ? 2 : 1;
    while (running.load(std::memory_order_relaxed)) {
        if (WaitForMultipleObjects(eventCount, events, FALSE, kSilentDeviceMilliseconds) == WAIT_TIMEOUT) {
            gone = true;
            break;
        }
        if (!running.load(std::memory_order_relaxed))
            break;
        HRESULT result = readCapture();
        if (SUCCEEDED(result))
            result = writeRender();
        if (FAILED(result)) {
            gone = true;
            break;
        }
    }
    if (proAudio != nullptr)
        AvRevertMmThreadCharacteristics(proAudio);
    CoUninitialize();
}

// Every packet the input has, into the pending ring; when the ring is full
// the oldest input goes, a dropout.
HRESULT WasapiAudio::readCapture()
{
    if (input.capture == nullptr)
        return S_OK;
    const std::size_t capacity = pending[0].size();
    UINT32 packet = 0;
    HRESULT result = input.capture->GetNextPacketSize(&packet);
    while (SUCCEEDED(result) && packet > 0) {
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        result = input.capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
        if (FAILED(result))
            break;
        if ((flags & AUDCLNT_BUFFERFLAGS_DATA_DISCONTINUITY) != 0 && processed.load(std::memory_order_relaxed))
            ++glitches;
        const bool silent = (flags & AUDCLNT_BUFFERFLAGS_SILENT) != 0;
        const unsigned sampleBytes = bytesPerSample(input.format);
        for (UINT32 i = 0; i < frames; ++i) {
            if (pendingCount == capacity) {
                pendingRead = (pendingRead + 1) % capacity;
                --pendingCount;
                if (i == 0)
                    ++glitches;
            }
            const std::size_t at = (pendingRead + pendingCount) % capacity;
            for (unsigned c = 0; c < 2; ++c) {
                const unsigned from = std::min(c, input.channels - 1);
                pending[c][at] = silent ? 0.0f : readSample(data + i * input.bytesPerFrame + from * sampleBytes, input.format);
            }
            ++pendingCount;
        }
        result = input.capture->ReleaseBuffer(frames);
        if (SUCCEEDED(result))
            result = input.capture->GetNextPacketSize(&packet);
    }
    return result;
}

// One period from the pending input, or from none when there is no input
// device, into the engine.
void WasapiAudio::processPeriod(bool haveInput)
{
    if (haveInput) {
        const std::size_t capacity = pending[0].size();
        for (unsigned i = 0; i < period; ++i) {
            channels[0][i] = pending[0][pendingRead];
            channels[1][i] = pending[1][pendingRead];
            pendingRead = (pendingRead + 1) % capacity;
        }
        pendingCount -= period;
    }
    const bool stereo = input.channels > 1;
    engine.process(haveInput ? channels[0].data() : nullptr, haveInput && stereo ? channels[1].data() : nullptr,
                   channels[2].data(), channels[3].data(), period);
    processed.store(true, std::memory_order_relaxed);
}

// As many whole periods as the output has room for. Until the input has a
// period to give, the output plays silence; once playing, that is a dropout.
HRESULT WasapiAudio::writeRender()
{
    UINT32 room = output.bufferFrames;
    if (!options.exclusive) {
        UINT32 padding = 0;
        const HRESULT result = output.client->GetCurrentPadding(&padding);
        if (FAILED(result))
            return result;
        room -= std::min(padding, room);
    }
    const unsigned sampleBytes = bytesPerSample(output.format);
    for (; room >= period; room -= period) {
        BYTE* data = nullptr;
        HRESULT result = output.render->GetBuffer(period, &data);
        if (FAILED(result))
            return result;
        const bool haveInput = pendingCount >= period;
        if (!haveInput && input.capture != nullptr) {
            if (processed.load(std::memory_order_relaxed))
                ++glitches;
            result = output.render->ReleaseBuffer(period, AUDCLNT_BUFFERFLAGS_SILENT);
            if (FAILED(result))
                return result;
            continue;
        }
        processPeriod(haveInput);
        for (unsigned i = 0; i < period; ++i)
            for (unsigned c = 0; c < output.channels; ++c)
                writeSample(data + i * output.bytesPerFrame + c * sampleBytes, c < 2 ? channels[2 + c][i] : 0.0f,
                            output.format);
        result = output.render->ReleaseBuffer(period, 0);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

std::string WasapiAudio::route() const
{
    if (output.client == nullptr)
        return "WASAPI, not open";
    REFERENCE_TIME inputLatency = 0;
    if (input.client != nullptr)
        input.client->GetStreamLatency(&inputLatency);
    // The input waits for a whole period, the output plays a buffer ahead.
    const unsigned latency = durationToFrames(inputLatency, rate) + period + output.bufferFrames;
    std::string line = engine.route(options.exclusive ? "WASAPI exclusive" : "WASAPI shared", rate, period, latency);
    if (input.client == nullptr)
        line += "; no input device opens, the input is silent";
    if (mixerRate) {
        char asked[64];
        std::snprintf(asked, sizeof(asked), "; shared mode plays at Windows' mixing rate, not %g kHz",
                      options.rate / 1000.0);
        line += asked;
    }
    return line;
}

}  // namespace quenchbox::app
