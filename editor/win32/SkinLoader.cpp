#include "editor/win32/SkinLoader.h"

#include "editor/ImageResampler.h"
#include "editor/win32/TopDownDib.h"
#include "resources/SkinIds.h"

#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <vector>

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

// A new top-down 32-bit DIB section and its pixels; null when the pixel
// count does not fit the byte count CopyPixels takes.
HBITMAP createTopDownDib(UINT width, UINT height, BYTE*& pixels)
{
    if (width == 0 || height == 0 || std::uint64_t{width} * 4 * height > 0x7FFFFFFF)
        return nullptr;
    const BITMAPINFO info = topDownDibInfo(static_cast<LONG>(width), static_cast<LONG>(height));
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    pixels = static_cast<BYTE*>(bits);
    return bitmap;
}

HBITMAP copyIntoTopDownDib(IWICBitmapSource* source)
{
    UINT width = 0;
    UINT height = 0;
    BYTE* pixels = nullptr;
    HBITMAP bitmap = SUCCEEDED(source->GetSize(&width, &height)) ? createTopDownDib(width, height, pixels) : nullptr;
    if (bitmap == nullptr)
        return nullptr;
    if (FAILED(source->CopyPixels(nullptr, width * 4, width * 4 * height, pixels))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

// `source` resampled by area into a new width x height DIB: the same pixels
// as the X11 build draws from the same PNG.
HBITMAP resampleIntoTopDownDib(IWICBitmapSource* source, UINT width, UINT height)
{
    UINT sourceWidth = 0;
    UINT sourceHeight = 0;
    if (FAILED(source->GetSize(&sourceWidth, &sourceHeight)) ||
        std::uint64_t{sourceWidth} * 4 * sourceHeight > 0x7FFFFFFF)
        return nullptr;
    const UINT sourceStride = sourceWidth * 4;
    std::vector<BYTE> sourcePixels(std::size_t{sourceStride} * sourceHeight);
    if (FAILED(source->CopyPixels(nullptr, sourceStride, static_cast<UINT>(sourcePixels.size()), sourcePixels.data())))
        return nullptr;
    BYTE* pixels = nullptr;
    HBITMAP bitmap = createTopDownDib(width, height, pixels);
    if (bitmap == nullptr)
        return nullptr;
    const PixelRows from{sourcePixels.data(), static_cast<int>(sourceWidth), static_cast<int>(sourceHeight),
                         static_cast<int>(sourceStride)};
    const WritablePixelRows to{pixels, static_cast<int>(width), static_cast<int>(height), static_cast<int>(width * 4)};
    if (!resampleByArea(from, to)) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

std::uint32_t bigEndian32(const BYTE* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

}  // namespace

bool pngResourceSize(HINSTANCE module, int resourceId, int& width, int& height)
{
    // The signature (8 bytes), the IHDR chunk's length and type (8), then
    // width and height as big-endian 32-bit numbers.
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "PNG");
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const auto* bytes = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr || SizeofResource(module, resource) < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return false;
    width = static_cast<int>(bigEndian32(bytes + 16));
    height = static_cast<int>(bigEndian32(bytes + 20));
    return true;
}

HBITMAP loadScaledPngResource(HINSTANCE module, int resourceId, double scale, int width, int height)
{
    if (scale == 1.0)
        return loadPngResource(module, resourceId);
    ComReference<IStream> stream;
    if (width < 1 || height < 1 || !openResourceStream(module, resourceId + SKIN_2X_OFFSET, stream))
        return nullptr;
    ComReference<IWICBitmapSource> converted;
    if (!decodePremultipliedBgra(stream.get(), converted))
        return nullptr;
    UINT sourceWidth = 0;
    UINT sourceHeight = 0;
    if (FAILED(converted->GetSize(&sourceWidth, &sourceHeight)))
        return nullptr;
    if (sourceWidth == static_cast<UINT>(width) && sourceHeight == static_cast<UINT>(height))
        return copyIntoTopDownDib(converted.get());
    return resampleIntoTopDownDib(converted.get(), static_cast<UINT>(width), static_cast<UINT>(height));
}

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
