// Saves the main panel as the skin loader draws it at each size between
// 1x and 2x (panel-main-125.png, -150, -175 and -200) beside this program,
// or in the folder given: quenchbox-skin-figures measures them against the
// panel's source drawing and against the X11 build's panels.

#include "TestPaths.h"
#include "WidgetFixture.h"

#include "editor/EditorScale.h"
#include "editor/win32/SkinLoader.h"
#include "resources/SkinIds.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace wintest;
    using namespace quenchbox::editor;
    const std::string folder = argc > 1 ? std::string(argv[1]) + "\\" : besideThisProgram("");
    ComApartment com;
    bool saved = true;
    for (int step = 1; step < kScaleStepCount; ++step) {
        const double scale = kScaleSteps[step];
        HBITMAP panel = loadScaledPngResource(pluginModule(), SKIN_MAIN_PANEL, scale,
                                              scaledLength(kPanelWidth, scale), scaledLength(kPanelHeight, scale));
        const Image image = readDib(panel);
        if (panel)
            DeleteObject(panel);
        const std::string path = folder + "panel-main-" + std::to_string(scaledLength(100, scale)) + ".png";
        const bool ok = !image.pixels.empty() && savePng(image, path);
        std::printf("%s %s\n", ok ? "saved" : "could not save", path.c_str());
        saved = saved && ok;
    }
    return saved ? 0 : 1;
}
