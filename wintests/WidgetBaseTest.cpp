// What all widgets share: window classes named per module and unregistered
// after the last window of a class, frame strips over the panel, and a
// widget set that leaves no GDI or USER object behind.

#include "GuiObjectCount.h"
#include "TestPaths.h"
#include "WidgetFixture.h"
#include "WinTest.h"

#include "editor/win32/CSkinWindow.h"
#include "resources/SkinIds.h"

#include <cstring>
#include <string>

namespace {

using namespace wintest;
namespace editor = quenchbox::editor;

std::string windowClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool classRegistered(HINSTANCE module, const char* name)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof(info);
    return GetClassInfoExA(module, name, &info) != FALSE;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A copy of the plug-in under another file name in the temporary folder,
// loaded beside the original; removed again at the end.
class PluginCopy {
public:
    explicit PluginCopy(const std::string& fileName)
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        path = std::string(folder) + fileName;
        CopyFileA(besideThisProgram("QuenchboxRZ.dll").c_str(), path.c_str(), FALSE);
        module = LoadLibraryA(path.c_str());
    }
    ~PluginCopy()
    {
        if (module)
            FreeLibrary(module);
        DeleteFileA(path.c_str());
    }
    PluginCopy(const PluginCopy&) = delete;
    PluginCopy& operator=(const PluginCopy&) = delete;

    HINSTANCE handle() const { return module; }

private:
    std::string path;
    HMODULE module = nullptr;
};

WINTEST(ClassNamesJoinTheModuleFileNameAndTheLiteralWithinTheBuffer)
{
    char name[editor::kClassNameSize];
    editor::composeWindowClassName("C:\\Plugins\\Quenchbox RZ.dll", "CLedDialWindowClass", name);
    CHECK_EQ(std::string(name), std::string("Quenchbox RZ.dllCLedDialWindowClass"));
    editor::composeWindowClassName("QuenchboxRZ.dll", "CZUKSliderClass", name);
    CHECK_EQ(std::string(name), std::string("CZUKSliderClass"));  // no folder: the bare literal

    // A file name too long for the buffer is cut; the literal stays whole.
    const std::string longName = "C:\\x\\" + std::string(300, 'q') + ".dll";
    editor::composeWindowClassName(longName.c_str(), "CLedButtonWindowClass", name);
    CHECK_EQ(std::strlen(name), editor::kClassNameSize - 1);
    CHECK(endsWith(name, "CLedButtonWindowClass"));
}

WINTEST(TwoCopiesOfThePluginRegisterDifferentClasses)
{
    ComApartment com;
    PluginCopy copy("Quenchbox Copy.dll");
    PluginCopy longCopy(std::string(150, 'z') + ".dll");
    REQUIRE(copy.handle() != nullptr && longCopy.handle() != nullptr);
    PanelWindow parent(pluginModule());

    editor::CLedDial original;
    editor::CLedDial second;
    editor::CLedDial third;
    original.create(pluginModule(), parent.handle(), parent.panel(), 27, SKIN_WHITE_RING);
    second.create(copy.handle(), parent.handle(), parent.panel(), 127, SKIN_WHITE_RING);
    third.create(longCopy.handle(), parent.handle(), parent.panel(), 257, SKIN_RED_RING);
    REQUIRE(original.window() && second.window() && third.window());

    CHECK_EQ(windowClassOf(original.window()), std::string("QuenchboxRZ.dllCLedDialWindowClass"));
    CHECK_EQ(windowClassOf(second.window()), std::string("Quenchbox Copy.dllCLedDialWindowClass"));
    const std::string longClass = windowClassOf(third.window());
    CHECK_EQ(longClass.size(), editor::kClassNameSize - 1);
    CHECK(endsWith(longClass, "CLedDialWindowClass"));

    // Each module's class goes with its own last window.
    second.destroy();
    CHECK(!classRegistered(copy.handle(), "Quenchbox Copy.dllCLedDialWindowClass"));
    CHECK(classRegistered(pluginModule(), "QuenchboxRZ.dllCLedDialWindowClass"));
    original.destroy();
    third.destroy();
    CHECK(!classRegistered(pluginModule(), "QuenchboxRZ.dllCLedDialWindowClass"));
}

WINTEST(ClassesAreCountedAcrossOpenSetsAndUnregisteredAfterTheLast)
{
    ComApartment com;
    PanelWindow first(pluginModule());
    PanelWindow second(pluginModule());
    WidgetSet one;
    WidgetSet two;
    one.create(pluginModule(), first.handle(), first.panel());
    two.create(pluginModule(), second.handle(), second.panel());

    // Per class: 6 dials, 3 icons, 1 scope, 8 buttons, 4 sliders, 4 labels.
    const int perSet[] = {6, 6, 6, 6, 6, 6, 3, 3, 3, 1, 8, 8, 8, 8, 8, 8, 8, 8, 4, 4, 4, 4, 4, 4, 4, 4};
    std::vector<editor::CSkinWindow*> widgets = one.all();
    REQUIRE(widgets.size() == 26);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        REQUIRE(widgets[i]->window() != nullptr);
        CHECK_EQ(widgets[i]->liveWindowsOfClass(), 2 * perSet[i]);
    }

    one.destroy();
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        CHECK_EQ(widgets[i]->liveWindowsOfClass(), perSet[i]);
        CHECK(classRegistered(pluginModule(), widgets[i]->registeredClassName()));
    }
    two.destroy();
    for (editor::CSkinWindow* widget : widgets) {
        CHECK_EQ(widget->liveWindowsOfClass(), 0);
        CHECK(!classRegistered(pluginModule(), widget->registeredClassName()));
    }

    // Reopening registers the classes again.
    one.create(pluginModule(), first.handle(), first.panel());
    CHECK(classRegistered(pluginModule(), one.dials[0].registeredClassName()));
    one.destroy();
}

WINTEST(AFrameStripShowsEachFrameOverTheSameBackground)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    const Image skin = loadSkin(pluginModule(), SKIN_ONOFF_SWITCH);
    const Image background = parent.panelImage().crop(113, 356, 58, 28);
    REQUIRE(skin.height == 56);

    editor::CLedButton button;
    button.create(pluginModule(), parent.handle(), parent.panel(), 113, 356, SKIN_ONOFF_SWITCH, 14);
    REQUIRE(button.window() != nullptr);
    for (int frame = 0; frame < 2; ++frame) {
        button.setState(frame);
        const Image expected = blendOver(background, skin.crop(0, 28 * frame, 58, 28), 0, 0);
        CHECK(largestDifference(captureWindow(button.window()), expected) <= 2);
    }
    // The two frames really differ, so the comparison above tells them apart.
    CHECK(largestDifference(blendOver(background, skin.crop(0, 0, 58, 28), 0, 0),
                            blendOver(background, skin.crop(0, 28, 58, 28), 0, 0)) > 40);
}

WINTEST(AWidgetSetMadeAndDestroyedAHundredTimesLeavesNoGuiObjects)
{
    ComApartment com;
    PanelWindow parent(pluginModule());
    WidgetSet set;
    const auto cycle = [&] {
        set.create(pluginModule(), parent.handle(), parent.panel());
        for (auto& dial : set.dials) {
            dial.setValue(0, 60);
            InvalidateRect(dial.window(), nullptr, FALSE);
        }
        for (auto& label : set.labels)
            label.setText("9.0 V");
        set.scope.plot(0.0f, 0.0f, 0xBB2452);
        set.scope.commit();
        UpdateWindow(parent.handle());
        for (editor::CSkinWindow* widget : set.all())
            UpdateWindow(widget->window());
        set.destroy();
    };
    // The first rounds also fill caches that GDI and USER keep for good (under
    // wine the second round still adds three GDI objects); a leak grows with
    // every round after them.
    for (int i = 0; i < 3; ++i)
        cycle();

    const int gdiBefore = gdiObjectCount();
    const int userBefore = userObjectCount();
    REQUIRE(gdiBefore > 0 && userBefore > 0);
    for (int i = 0; i < 100; ++i)
        cycle();
    CHECK_EQ(gdiObjectCount(), gdiBefore);
    CHECK_EQ(userObjectCount(), userBefore);
}

}  // namespace
