#include "Pixels.h"

#include "editor/win32/TopDownDib.h"

#include <wincodec.h>

#include <algorithm>
#include <utility>
#include <cstdlib>

namespace wintest {

Image Image::crop(int x, int y, int w, int h) const
{
    Image part;
    part.width = w;
    part.height = h;
    part.pixels.resize(static_cast<std::size_t>(w) * h);
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            part.at(column, row) = at(x + column, y + row);
    return part;
}

Image readDib(HBITMAP bitmap)
{
    Image image;
    BITMAP size = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(size), &size) == 0)
        return image;
    // Asked for as a top-down 32-bit DIB, whatever the bitmap's own layout.
    BITMAPINFO info = quenchbox::editor::topDownDibInfo(size.bmWidth, size.bmHeight);
    image.width = size.bmWidth;
    image.height = size.bmHeight;
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight), image.pixels.data(), &info,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != size.bmHeight)
        image = Image();
    return image;
}

Image captureWindow(HWND window)
{
    UpdateWindow(window);
    RECT client = {};
    GetClientRect(window, &client);
    const BITMAPINFO info = quenchbox::editor::topDownDibInfo(client.right, client.bottom);

    HDC windowDC = GetDC(window);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(windowDC);
    HGDIOBJ stock = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, client.right, client.bottom, windowDC, 0, 0, SRCCOPY);
    SelectObject(memory, stock);
    DeleteDC(memory);
    ReleaseDC(window, windowDC);
    GdiFlush();
    Image image = readDib(copy);
    DeleteObject(copy);
    for (std::uint32_t& pixel : image.pixels)
        pixel |= 0xFF000000u;  // a screen has no alpha
    return image;
}

Image blendOver(const Image& base, const Image& overlay, int x, int y, int constantAlpha)
{
    Image result = base;
    for (int row = 0; row < overlay.height; ++row) {
        for (int column = 0; column < overlay.width; ++column) {
            const int tx = x + column;
            const int ty = y + row;
            if (tx < 0 || ty < 0 || tx >= base.width || ty >= base.height)
                continue;
            const std::uint32_t source = overlay.at(column, row);
            const std::uint32_t destination = base.at(tx, ty);
            // Source scaled by the constant alpha, then over the destination.
            const int alpha = channel(source, 24) * constantAlpha / 255;
            std::uint32_t out = 0;
            for (int shift : {0, 8, 16, 24}) {
                const int s = channel(source, shift) * constantAlpha / 255;
                const int d = channel(destination, shift);
                out |= static_cast<std::uint32_t>(std::min(255, s + d * (255 - alpha) / 255)) << shift;
            }
            result.at(tx, ty) = out;
        }
    }
    return result;
}

int largestDifference(const Image& a, const Image& b, int x, int y, int w, int h)
{
    if (a.width != b.width || a.height != b.height)
        return 256;
    int largest = 0;
    for (int row = y; row < y + h; ++row)
        for (int column = x; column < x + w; ++column)
            for (int shift : {0, 8, 16})
                largest = std::max(largest, std::abs(channel(a.at(column, row), shift) - channel(b.at(column, row), shift)));
    return largest;
}

int largestDifference(const Image& a, const Image& b) { return largestDifference(a, b, 0, 0, a.width, a.height); }

bool savePng(const Image& image, const std::string& path)
{
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return false;
    bool saved = false;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    std::wstring widePath(path.begin(), path.end());
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    std::vector<std::uint32_t> opaque = image.pixels;
    for (std::uint32_t& pixel : opaque)
        pixel |= 0xFF000000u;
    if (SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(image.width, image.height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) &&
        SUCCEEDED(frame->WritePixels(image.height, image.width * 4, image.width * image.height * 4,
                                     reinterpret_cast<BYTE*>(opaque.data()))) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()))
        saved = true;
    if (frame)
        frame->Release();
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    factory->Release();
    return saved;
}

Image loadPng(const std::string& path)
{
    Image image;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return image;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapSource* converted = nullptr;
    const std::wstring widePath(path.begin(), path.end());
    UINT width = 0;
    UINT height = 0;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnLoad, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &converted)) &&
        SUCCEEDED(converted->GetSize(&width, &height))) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
        BYTE* bytes = reinterpret_cast<BYTE*>(pixels.data());
        if (SUCCEEDED(converted->CopyPixels(nullptr, width * 4, width * height * 4, bytes))) {
            image.width = static_cast<int>(width);
            image.height = static_cast<int>(height);
            image.pixels = std::move(pixels);
        }
    }
    if (converted)
        converted->Release();
    if (frame)
        frame->Release();
    if (decoder)
        decoder->Release();
    factory->Release();
    return image;
}

}  // namespace wintest
