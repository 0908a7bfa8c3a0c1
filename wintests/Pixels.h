#ifndef QUENCHBOX_WINTESTS_PIXELS_H
#define QUENCHBOX_WINTESTS_PIXELS_H

// Pictures as plain pixel arrays, for comparing what a widget painted with
// what it should have painted: skins read back from the plug-in's resources,
// pieces of the panel, and the standard "over" composite that AlphaBlend
// performs with premultiplied pixels.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wintest {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top-down

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Image crop(int x, int y, int w, int h) const;
};

inline int channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// The pixels of a bitmap, alpha included for a 32-bit DIB section (as the
// skin loader makes them).
Image readDib(HBITMAP bitmap);
// What a window shows now, after painting what is pending.
Image captureWindow(HWND window);

// `overlay` (premultiplied) blended over `base` at (x, y) with a constant
// alpha, as AlphaBlend with AC_SRC_OVER and AC_SRC_ALPHA does it.
Image blendOver(const Image& base, const Image& overlay, int x, int y, int constantAlpha = 255);

// Largest difference of red, green or blue between two equally sized images
// in the rectangle given (the whole image by default); 256 if sizes differ.
int largestDifference(const Image& a, const Image& b);
int largestDifference(const Image& a, const Image& b, int x, int y, int w, int h);

// Saves an image as a PNG through WIC (COM must be initialised).
bool savePng(const Image& image, const std::string& path);
// Reads a PNG file through WIC, as 0xAARRGGBB; empty when it cannot.
Image loadPng(const std::string& path);

}  // namespace wintest

#endif
