// The skin loader, and the skins the library carries: each decodes to the
// size and frames the editor lays out, transparency is kept as premultiplied
// alpha, and the artwork lines up with what the widgets compute.

#include "WidgetFixture.h"
#include "WinTest.h"

#include "editor/win32/SkinLoader.h"
#include "resources/SkinIds.h"

#include <cmath>

namespace {

using namespace wintest;
namespace editor = quenchbox::editor;

struct SkinShape {
    int id;
    int width;
    int height;
};

constexpr SkinShape kSkins[] = {
    {SKIN_MAIN_PANEL, 677, 480},      {SKIN_ABOUT_PANEL, 677, 480},      {SKIN_ABOUT_BUTTON, 40, 80},
    {SKIN_UPDATE_BUTTON, 40, 80},     {SKIN_OVERSAMPLE_BUTTON, 40, 80},  {SKIN_CHANNELS_BUTTON, 40, 80},
    {SKIN_ONOFF_SWITCH, 58, 56},      {SKIN_MODE_SWITCH, 58, 56},        {SKIN_RATE_SWITCH, 58, 56},
    {SKIN_BLANK_SWITCH, 58, 28},      {SKIN_DIAL_FRAME, 94, 94},         {SKIN_RED_RING, 94, 94},
    {SKIN_WHITE_RING, 94, 94},        {SKIN_SLIDER_THUMB, 28, 28},       {SKIN_SLIDER_TRACK, 194, 28},
    {SKIN_CLIPPER_ICON, 63, 58},      {SKIN_STAGE_A_ICON, 59, 54},       {SKIN_STAGE_B_ICON, 59, 54},
    {SKIN_SCOPE_BACKGROUND, 180, 54},
};

constexpr int kDialCentresX[6] = {74, 174, 304, 404, 504, 604};  // pixel columns; row 218
constexpr double kPi = 3.14159265358979323846;

// The PNG colour type stored in the resource's header: 2 RGB, 6 RGBA.
int pngColourType(HINSTANCE module, int skinId)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(skinId), "PNG");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    return bytes && SizeofResource(module, resource) > 25 ? bytes[25] : -1;
}

bool everyPixel(const Image& image, bool (*test)(std::uint32_t))
{
    for (std::uint32_t pixel : image.pixels)
        if (!test(pixel))
            return false;
    return !image.pixels.empty();
}

WINTEST(LoaderAnswersNullForWhatIsNotAPngSkin)
{
    ComApartment com;
    const HINSTANCE module = pluginModule();
    REQUIRE(module != nullptr);
    CHECK(editor::loadPngResource(module, 118) == nullptr);  // no such id
    CHECK(editor::loadPngResource(module, 1) == nullptr);    // the version information, not a "PNG"
    CHECK(editor::loadPngResource(nullptr, SKIN_MAIN_PANEL) == nullptr);  // the host's module has no skins
}

WINTEST(EverySkinDecodesToItsLayoutSize)
{
    ComApartment com;
    for (const SkinShape& skin : kSkins) {
        const Image image = loadSkin(pluginModule(), skin.id);
        CHECK_EQ(image.width, skin.width);
        CHECK_EQ(image.height, skin.height);
        // Premultiplied: no colour channel exceeds its alpha.
        CHECK(everyPixel(image, [](std::uint32_t p) {
            const int a = channel(p, 24);
            return channel(p, 0) <= a && channel(p, 8) <= a && channel(p, 16) <= a;
        }));
        CHECK_EQ(pngColourType(pluginModule(), skin.id), skin.id == SKIN_SCOPE_BACKGROUND ? 2 : 6);
    }
}

WINTEST(TransparentPixelsComeOutAsFourZeroBytes)
{
    ComApartment com;
    for (int id : {SKIN_DIAL_FRAME, SKIN_SLIDER_TRACK, SKIN_BLANK_SWITCH})
        CHECK(everyPixel(loadSkin(pluginModule(), id), [](std::uint32_t p) { return p == 0; }));
    // A skin with partial transparency keeps it.
    const Image thumb = loadSkin(pluginModule(), SKIN_SLIDER_THUMB);
    REQUIRE(!thumb.pixels.empty());
    CHECK_EQ(thumb.at(0, 0), 0u);
    CHECK_EQ(channel(thumb.at(14, 14), 24), 255);
}

WINTEST(TheOpaqueDisplayBackgroundComesOutWithFullAlpha)
{
    ComApartment com;
    CHECK(everyPixel(loadSkin(pluginModule(), SKIN_SCOPE_BACKGROUND),
                     [](std::uint32_t p) { return channel(p, 24) == 255; }));
}

WINTEST(LitLedsStayInsideTheirSegmentsOfTheRing)
{
    ComApartment com;
    for (int id : {SKIN_RED_RING, SKIN_WHITE_RING}) {
        const Image ring = loadSkin(pluginModule(), id);
        REQUIRE(ring.width == 94);
        int litPixels = 0;
        for (int y = 0; y < ring.height; ++y) {
            for (int x = 0; x < ring.width; ++x) {
                if (channel(ring.at(x, y), 24) == 0)
                    continue;
                ++litPixels;
                const double dx = x - 47.0;
                const double dy = y - 47.0;
                const double distanceSquared = dx * dx + dy * dy;
                CHECK(distanceSquared >= 38.0 * 38.0 && distanceSquared <= 47.0 * 47.0);
                // Degrees into the sweep, which starts at -235 degrees; the
                // segments' edges lie on multiples of 10.
                const double intoSweep = std::fmod(std::atan2(dy, dx) * 180.0 / kPi + 235.0 + 360.0, 360.0);
                const double toEdge = std::fabs(std::remainder(intoSweep, 10.0));
                CHECK(intoSweep < 290.0);
                CHECK(toEdge > 0.5);
            }
        }
        CHECK(litPixels > 29 * 15);
    }
}

WINTEST(ThePanelPrintsAnUnlitLedUnderEveryLitOne)
{
    ComApartment com;
    const Image panel = loadSkin(pluginModule(), SKIN_MAIN_PANEL);
    REQUIRE(panel.width == 677);
    for (int centreX : kDialCentresX) {
        for (int k = 0; k < 29; ++k) {
            // The LED's middle against the gap after it, on the same radius.
            const double led = (-230.0 + 10.0 * k) * kPi / 180.0;
            const double gap = led + 5.0 * kPi / 180.0;
            const auto pixelAt = [&](double angle) {
                return panel.at(static_cast<int>(std::floor(centreX + 0.5 + 42.5 * std::cos(angle))),
                                static_cast<int>(std::floor(218 + 0.5 + 42.5 * std::sin(angle))));
            };
            const std::uint32_t ledPixel = pixelAt(led);
            const std::uint32_t gapPixel = pixelAt(gap);
            int difference = 0;
            for (int shift : {0, 8, 16})
                difference = std::max(difference, std::abs(channel(ledPixel, shift) - channel(gapPixel, shift)));
            CHECK(difference >= 12);
        }
    }
}

WINTEST(DisplayMarksSitWhereTheLogarithmicAxisPutsTheirFrequencies)
{
    ComApartment com;
    const Image display = loadSkin(pluginModule(), SKIN_SCOPE_BACKGROUND);
    REQUIRE(display.width == 180);
    // Column i of the display shows 20 Hz x 1102.5^(i / 180).
    for (double frequency : {40.0, 200.0, 1000.0, 5000.0}) {
        const int column = static_cast<int>(std::lround(180.0 * std::log(frequency / 20.0) / std::log(1102.5)));
        const int mark = channel(display.at(column, 20), 8);
        CHECK(mark > channel(display.at(column - 2, 20), 8) + 10);
        CHECK(mark > channel(display.at(column + 2, 20), 8) + 10);
    }
}

}  // namespace
