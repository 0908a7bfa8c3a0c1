// The Windows CLAP library in a host: loaded with LoadLibraryA, entered
// through clap_entry; its audio and state against the VST2 DLL, and its
// editor opened in a host window through the gui extension.

#include "EditorHost.h"
#include "FormatReference.h"
#include "Pixels.h"
#include "TestPaths.h"
#include "WinTest.h"
#include "host/ClapInstance.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using quenchbox::host::ClapInputEvents;
using quenchbox::host::ClapInstance;

constexpr std::uint32_t kFrames = wintest::kReferenceFrames;

// The library stays loaded for the whole program, as a host keeps it.
const clap_plugin_entry_t* clapEntry()
{
    static const clap_plugin_entry_t* entry = [] {
        const std::string path = wintest::besideThisProgram("QuenchboxRZ.clap");
        HMODULE library = LoadLibraryA(path.c_str());
        auto* found = library ? reinterpret_cast<const clap_plugin_entry_t*>(GetProcAddress(library, "clap_entry"))
                              : nullptr;
        return found && found->init(path.c_str()) ? found : nullptr;
    }();
    return entry;
}

std::unique_ptr<ClapInstance> createClap() { return ClapInstance::create(*clapEntry()); }

template <typename Sample>
std::vector<Sample> renderClap(ClapInstance& clap)
{
    std::vector<Sample> left = wintest::guitarLike<Sample>();
    std::vector<Sample> right = left;
    Sample* channels[2] = {left.data(), right.data()};
    if (!clap.activate(44100.0, 1, kFrames) || !clap.startProcessing())
        return {};
    clap.process(channels, channels, kFrames);
    clap.stopProcessing();
    clap.deactivate();
    return left;
}

void selectProgram(ClapInstance& clap, int program)
{
    const auto* presets = clap.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    if (presets)
        presets->from_location(clap.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                               std::to_string(program).c_str());
}

WINTEST(TheLibraryExportsOnlyTheEntryAndDescribesThePlugin)
{
    REQUIRE(clapEntry() != nullptr);
    const auto clap = createClap();
    CHECK(std::strcmp(clap->descriptor().id, "example.zuk.quenchbox-rz") == 0);
    CHECK(std::strcmp(clap->descriptor().name, "Quenchbox RZ") == 0);
    CHECK_EQ(clap->parameterCount(), 16u);
    CHECK(std::strcmp(clap->parameterInfo(13).name, "Oversample") == 0);
    CHECK_EQ(clap->text(7, 0.5), std::string("9.0 V"));
}

WINTEST(AudioIsBitIdenticalToTheVst2Dll)
{
    const std::vector<float> left = wintest::vst2OversampledProgram(4);
    REQUIRE(!left.empty());

    const auto clap = createClap();
    selectProgram(*clap, 4);
    ClapInputEvents oversample;
    oversample.addValue(0, 13, 1.0);
    clap->flush(oversample);
    CHECK_EQ(clap->latency(), 8u);
    CHECK(renderClap<float>(*clap) == left);
    CHECK(!renderClap<double>(*clap).empty());
}

WINTEST(StateRoundTripsAndDamagedStatesAreRefused)
{
    const auto original = createClap();
    selectProgram(*original, 2);
    std::vector<std::uint8_t> saved;
    REQUIRE(original->saveState(saved, 1));
    CHECK_EQ(saved.size(), std::size_t(104));

    const auto restored = createClap();
    CHECK(restored->loadState(saved, 3));
    std::vector<std::uint8_t> again;
    CHECK(restored->saveState(again) && again == saved);
    CHECK(renderClap<double>(*restored) == renderClap<double>(*original));

    const auto untouched = createClap();
    std::vector<std::uint8_t> before;
    untouched->saveState(before);
    std::vector<std::uint8_t> damaged = saved;
    damaged[40] ^= 1;
    CHECK(!untouched->loadState(damaged));
    CHECK(!untouched->loadState(std::vector<std::uint8_t>(saved.begin(), saved.begin() + 50)));
    std::vector<std::uint8_t> after;
    untouched->saveState(after);
    CHECK(after == before);
}

struct ClapEditor {
    std::unique_ptr<ClapInstance> clap = createClap();
    const clap_plugin_gui_t* gui = clap->extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
    HWND host = wintest::createHostWindow();

    ~ClapEditor() { DestroyWindow(host); }
    const clap_plugin_t* plugin() const { return clap->plugin(); }
    HWND editorWindow() const { return FindWindowExA(host, nullptr, wintest::kEditorWindowClass, nullptr); }
    bool embed()
    {
        clap_window_t window{};
        window.api = CLAP_WINDOW_API_WIN32;
        window.win32 = host;
        const bool shown = gui->create(plugin(), CLAP_WINDOW_API_WIN32, false) && gui->set_parent(plugin(), &window)
                           && gui->show(plugin());
        wintest::pumpMessages(300);
        return shown;
    }
};

WINTEST(TheGuiExtensionEmbedsAResizableEditorForWin32Only)
{
    ClapEditor editor;
    REQUIRE(editor.gui != nullptr);
    const clap_plugin_t* p = editor.plugin();
    CHECK(editor.gui->is_api_supported(p, CLAP_WINDOW_API_WIN32, false));
    CHECK(!editor.gui->is_api_supported(p, CLAP_WINDOW_API_WIN32, true));
    CHECK(!editor.gui->is_api_supported(p, CLAP_WINDOW_API_X11, false));
    CHECK(!editor.gui->create(p, CLAP_WINDOW_API_X11, false));
    const char* api = nullptr;
    bool floating = true;
    CHECK(editor.gui->get_preferred_api(p, &api, &floating) && std::strcmp(api, "win32") == 0 && !floating);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    CHECK(editor.gui->get_size(p, &width, &height));
    CHECK_EQ(width, 677u);
    CHECK_EQ(height, 480u);
    // The host's scale sizes the editor; a frame resized snaps to a step.
    CHECK(editor.gui->set_scale(p, 2.0));
    CHECK(editor.gui->get_size(p, &width, &height));
    CHECK_EQ(width, 1354u);
    CHECK_EQ(height, 960u);
    CHECK(!editor.gui->set_scale(p, 0.0));
    CHECK(editor.gui->can_resize(p));
    width = 1100;
    height = 900;
    CHECK(editor.gui->adjust_size(p, &width, &height));
    CHECK_EQ(width, 1016u);
    CHECK_EQ(height, 720u);
    CHECK(!editor.gui->set_size(p, 800, 600));
    CHECK(editor.gui->set_size(p, 846, 600));
    CHECK(editor.gui->get_size(p, &width, &height));
    CHECK_EQ(width, 846u);
    CHECK(editor.gui->set_size(p, 677, 480));
    CHECK(!editor.gui->set_transient(p, nullptr));
    CHECK(!editor.gui->set_parent(p, nullptr));
}

WINTEST(ShowHideAndDestroyInAnyOrder)
{
    ClapEditor editor;
    REQUIRE(editor.gui != nullptr && editor.embed());
    const clap_plugin_t* p = editor.plugin();
    CHECK(editor.editorWindow() != nullptr);
    CHECK(editor.gui->hide(p));
    CHECK(editor.editorWindow() == nullptr);
    CHECK(editor.gui->hide(p));
    CHECK(editor.gui->show(p));
    CHECK(editor.gui->show(p));
    CHECK(editor.editorWindow() != nullptr);
    editor.gui->destroy(p);
    CHECK(editor.editorWindow() == nullptr);
    editor.gui->destroy(p);
    CHECK(!editor.gui->show(p));

    // An instance that goes with its editor open takes the editor along.
    ClapEditor left;
    REQUIRE(left.embed());
    left.clap.reset();
    wintest::pumpMessages(50);
    CHECK(left.editorWindow() == nullptr);
}

WINTEST(TheEditorLooksExactlyAsInTheVst2Build)
{
    const wintest::Image expected = wintest::vst2EditorPicture();
    REQUIRE(expected.width == 677);
    ClapEditor editor;
    REQUIRE(editor.embed() && editor.editorWindow() != nullptr);
    const wintest::Image actual = wintest::captureWindow(editor.editorWindow());
    CHECK_EQ(actual.width, 677);
    CHECK_EQ(actual.height, 480);
    CHECK_EQ(wintest::largestDifference(actual, expected), 0);
}

}  // namespace
