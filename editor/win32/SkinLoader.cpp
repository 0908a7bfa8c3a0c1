#include "editor/win32/SkinLoader.h"

#include "editor/win32/TopDownDib.h"

#include <wincodec.h>

#include <cstdint>
#include <cstring>

namespace quenchbox::editor {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface>
class ComReference {
public:
    ComReference() = default;
    ~ComReference()
    {
        if (pointer)
            pointer->Release();
    }
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;

    Interface* get() const { return pointer; }
    Interface** put() { return &pointer; }
    Interface* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

private:
    Interface* pointer = nullptr;
};

// A stream over a movable copy of the resource's bytes; releasing the stream
// frees the copy.
bool openResourceStream(HINSTANCE module, int resourceId, ComReference<IStream>& stream)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "PNG");
    if (resource == nullptr)
        return false;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return false;

    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr)
        return false;
    void* destination = GlobalLock(copy);
    if (destination == nullptr) {
        GlobalFree(copy);
        return false;
    }
    std::memcpy(destination, bytes, size);
    GlobalUnlock(copy);
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, stream.put()))) {
        GlobalFree(copy);
        return false;
    }
    return true;
}

// The single frame of the PNG, converted to premultiplied BGRA.
bool decodePremultipliedBgra(IStream* stream, ComReference<IWICBitmapSource>& converted)
{
    ComReference<IWICBitmapDecoder> decoder;
    if (FAILED(CoCreateInstance(CLSID_WICPngDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                reinterpret_cast<void**>(decoder.put()))))
        return false;
    if (FAILED(decoder->Initialize(stream, WICDecodeMetadataCacheOnLoad)))
        return false;
    UINT frames = 0;
    if (FAILED(decoder->GetFrameCount(&frames)) || frames != 1)
        return false;
    ComReference<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put())))
        return false;
    return SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), converted.put()));
}

HBITMAP copyIntoTopDownDib(IWICBitmapSource* source)
{
    UINT width = 0;
    UINT height = 0;
    if (FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0)
        return nullptr;
    // The pixel count must fit the byte count CopyPixels takes.
    const std::uint64_t stride = std::uint64_t{width} * 4;
    if (stride * height > 0x7FFFFFFF)
        return nullptr;

    const BITMAPINFO info = topDownDibInfo(static_cast<LONG>(width), static_cast<LONG>(height));

    void* pixels = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (bitmap == nullptr)
        return nullptr;
    if (FAILED(source->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(stride * height),
                                  static_cast<BYTE*>(pixels)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

}  // namespace

HBITMAP loadPngResource(HINSTANCE module, int resourceId)
{
    ComReference<IStream> stream;
    if (!openResourceStream(module, resourceId, stream))
        return nullptr;
    ComReference<IWICBitmapSource> converted;
    if (!decodePremultipliedBgra(stream.get(), converted))
        return nullptr;
    return copyIntoTopDownDib(converted.get());
}

}  // namespace quenchbox::editor
