// The host's items in the editor's menu on a control, in the two formats
// that have them (CLAP's context-menu extension, VST3's
// IComponentHandler3), through what the editor's connection calls: the
// effect's host menus. The wrappers are linked into this program, so the
// effect they own is at hand; the test hosts offer the same menu in both
// formats. Then what is particular to each: the VST3 menu's references and
// view, CLAP's item of ours in the host's menu.

#include "formats/clap/ClapPlugin.h"
#include "formats/vst3/Vst3Factory.h"
#include "formats/vst3/Vst3Plugin.h"
#include "host/ClapInstance.h"
#include "host/Vst3Instance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern "C" const clap_plugin_entry_t clap_entry;

namespace {

using quenchbox::effect::HostMenu;
using quenchbox::effect::HostMenus;
using quenchbox::effect::QuenchboxEffect;
using quenchbox::host::ClapInputEvents;
using quenchbox::host::ClapInstance;
using quenchbox::host::ClapMenuEntry;
using quenchbox::host::ClapOutputEvents;
using quenchbox::host::HostContext;
using quenchbox::host::HostContextMenu;
using quenchbox::host::Vst3Instance;
using quenchbox::vst3::IEditController;
using quenchbox::vst3::ParamID;

constexpr int kDrive = 1;
constexpr int kBass = 3;

// A run of the host's menu: the parameter and the host's number for the item.
using MenuRun = std::pair<std::uint32_t, std::int32_t>;

// One format's instance, in this process, with its test host.
class MenuFormat {
public:
    virtual ~MenuFormat() = default;
    virtual QuenchboxEffect& effect() = 0;
    virtual std::vector<MenuRun> runs() = 0;
    // The host's numbers for "Automation lane", "MIDI Learn" and "LFO 1".
    virtual std::int32_t automationLane() const = 0;
    virtual std::int32_t midiLearn() const = 0;
    virtual std::int32_t lfo() const = 0;
};

class ClapFormat final : public MenuFormat {
public:
    explicit ClapFormat(bool hostHasMenus)
        : clap(ClapInstance::create(clap_entry, hostHasMenus ? ClapInstance::HostExtensions::all
                                                             : ClapInstance::HostExtensions::none))
    {
    }
    QuenchboxEffect& effect() override
    {
        return *static_cast<quenchbox::clap::ClapPlugin*>(clap->plugin()->plugin_data)->quenchboxEffect();
    }
    std::vector<MenuRun> runs() override
    {
        std::vector<MenuRun> runs;
        for (const quenchbox::host::ClapMenuAction& action : clap->hostMenuActions()) {
            EXPECT_EQ(action.kind, CLAP_CONTEXT_MENU_TARGET_KIND_PARAM);
            runs.emplace_back(action.id, static_cast<std::int32_t>(action.action));
        }
        return runs;
    }
    std::int32_t automationLane() const override { return ClapInstance::kAutomationLaneAction; }
    std::int32_t midiLearn() const override { return ClapInstance::kMidiLearnAction; }
    std::int32_t lfo() const override { return ClapInstance::kLfoAction; }

    std::unique_ptr<ClapInstance> clap;
};

const char* vst3ClassId()
{
    static quenchbox::vst3::PClassInfo2 info{};
    quenchbox::vst3::theFactory().getClassInfo2(0, &info);
    return info.cid;
}

// The host holds a view of the editor (created, not attached: no window
// system here), which its menus are made for.
class Vst3Format final : public MenuFormat {
public:
    explicit Vst3Format(bool hostHasMenus) : vst3(quenchbox::vst3::theFactory(), vst3ClassId())
    {
        vst3.host().offerContextMenus(hostHasMenus);
        view = vst3.controller().createView("editor");
    }
    ~Vst3Format() override { releaseView(); }
    void releaseView()
    {
        if (view != nullptr)
            view->release();
        view = nullptr;
    }
    QuenchboxEffect& effect() override
    {
        return *static_cast<quenchbox::vst3::Vst3Plugin*>(&vst3.component())->quenchboxEffect();
    }
    std::vector<MenuRun> runs() override
    {
        std::vector<MenuRun> runs;
        for (const quenchbox::host::HostMenuRun& run : vst3.host().menuRuns())
            runs.emplace_back(run.id, run.tag);
        return runs;
    }
    std::int32_t automationLane() const override { return HostContextMenu::kAutomationLaneTag; }
    std::int32_t midiLearn() const override { return HostContextMenu::kMidiLearnTag; }
    std::int32_t lfo() const override { return HostContextMenu::kLfoTag; }

    Vst3Instance vst3;
    quenchbox::vst3::IPlugView* view = nullptr;
};

enum class Format { clap, vst3 };

std::unique_ptr<MenuFormat> create(Format format, bool hostHasMenus = true)
{
    if (format == Format::clap)
        return std::make_unique<ClapFormat>(hostHasMenus);
    return std::make_unique<Vst3Format>(hostHasMenus);
}

// What the editor's connection does: no host menus, no items.
bool hostItems(MenuFormat& format, int index, HostMenu& menu)
{
    menu.count = 0;
    HostMenus* menus = format.effect().hostMenusForEditor();
    return menus != nullptr && menus->hostMenu(index, menu) && menu.count > 0;
}

void choose(MenuFormat& format, int index, int item)
{
    if (HostMenus* menus = format.effect().hostMenusForEditor())
        menus->chooseHostMenuItem(index, item);
}

void expectItem(const HostMenu& menu, int at, const char* label, bool enabled, bool checked)
{
    ASSERT_LT(at, menu.count);
    EXPECT_STREQ(menu.items[at].label, label) << at;
    EXPECT_EQ(menu.items[at].enabled, enabled) << label;
    EXPECT_EQ(menu.items[at].checked, checked) << label;
    EXPECT_FALSE(menu.items[at].separator) << label;
}

class HostMenuItems : public ::testing::TestWithParam<Format> {};

TEST_P(HostMenuItems, TheHostsItemsForAParameterComeWithTheirLabelsAndFlagsAndTheirGroupsFlat)
{
    const auto format = create(GetParam());
    HostMenu menu;
    ASSERT_TRUE(hostItems(*format, kDrive, menu));
    ASSERT_EQ(menu.count, 5);
    expectItem(menu, 0, "Automation lane", true, false);
    EXPECT_TRUE(menu.items[1].separator);
    expectItem(menu, 2, "MIDI Learn", true, true);
    expectItem(menu, 3, "Modulate", false, false);  // the group's heading
    expectItem(menu, 4, "LFO 1", true, false);      // the separator that closed the group ends the menu: left off
}

TEST_P(HostMenuItems, ChoosingAnItemRunsItInTheHostForThatParameterOnlyWhereItCanBeChosen)
{
    const auto format = create(GetParam());
    HostMenu menu;
    ASSERT_TRUE(hostItems(*format, kDrive, menu));
    choose(*format, kDrive, 2);
    choose(*format, kDrive, 4);
    choose(*format, kDrive, 1);    // a separator
    choose(*format, kDrive, 3);    // a heading
    choose(*format, kDrive, 99);   // past the end
    choose(*format, kDrive, -1);
    choose(*format, kBass, 0);     // not the menu's parameter
    EXPECT_EQ(format->runs(), (std::vector<MenuRun>{{kDrive, format->midiLearn()}, {kDrive, format->lfo()}}));

    // The next menu replaces the last.
    ASSERT_TRUE(hostItems(*format, kBass, menu));
    choose(*format, kDrive, 0);
    choose(*format, kBass, 0);
    EXPECT_EQ(format->runs().back(), MenuRun(kBass, format->automationLane()));
    EXPECT_EQ(format->runs().size(), 3u);
}

TEST_P(HostMenuItems, AHostWithoutMenusGivesNoneAndUnknownParametersHaveNone)
{
    const auto without = create(GetParam(), false);
    HostMenu menu;
    menu.count = 3;
    EXPECT_FALSE(hostItems(*without, kDrive, menu));
    EXPECT_EQ(menu.count, 0);
    choose(*without, kDrive, 0);
    EXPECT_TRUE(without->runs().empty());

    const auto with = create(GetParam());
    HostMenus* menus = with->effect().hostMenusForEditor();
    ASSERT_NE(menus, nullptr);
    for (int index : {-1, 16, 1 << 30}) {
        menu.count = 3;
        EXPECT_FALSE(menus->hostMenu(index, menu)) << index;
        EXPECT_EQ(menu.count, 0) << index;
        menus->chooseHostMenuItem(index, 0);
    }
    EXPECT_TRUE(with->runs().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, HostMenuItems, ::testing::Values(Format::clap, Format::vst3),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return info.param == Format::clap ? "Clap" : "Vst3";
                         });

// ---- VST3: the menu's references and its view ----

TEST(Vst3HostMenu, MadeForTheHostsViewAndTheParameterAndReleasedWhenReplacedOrTheViewGoes)
{
    Vst3Format format(true);
    HostContext& host = format.vst3.host();
    ASSERT_NE(format.view, nullptr);
    const int handlerReferences = host.references();
    HostMenu menu;
    ASSERT_TRUE(hostItems(format, kDrive, menu));
    EXPECT_EQ(host.lastMenuView(), format.view);
    EXPECT_EQ(host.lastMenuParameter(), static_cast<ParamID>(kDrive));
    EXPECT_EQ(host.liveMenus(), 1);
    EXPECT_EQ(host.references(), handlerReferences) << "the IComponentHandler3 asked for goes back";

    ASSERT_TRUE(hostItems(format, kBass, menu));
    EXPECT_EQ(host.liveMenus(), 1) << "the last menu goes with the next";
    format.releaseView();
    EXPECT_EQ(host.liveMenus(), 0) << "the menu goes with its view";
    choose(format, kBass, 0);
    EXPECT_TRUE(format.runs().empty());
    EXPECT_FALSE(hostItems(format, kBass, menu)) << "no view, no menu";
}

TEST(Vst3HostMenu, TheHostMenusComeAndGoWithTheComponentHandler)
{
    Vst3Format format(true);
    HostMenu menu;
    ASSERT_TRUE(hostItems(format, kDrive, menu));
    IEditController& controller = format.vst3.controller();
    controller.setComponentHandler(nullptr);
    EXPECT_EQ(format.effect().hostMenusForEditor(), nullptr);
    EXPECT_EQ(format.vst3.host().liveMenus(), 0);
    controller.setComponentHandler(&format.vst3.host());
    EXPECT_TRUE(hostItems(format, kDrive, menu));
}

// ---- CLAP: the main thread, and our item in the host's menu ----

TEST(ClapContextMenu, TheHostsMenuIsAskedForAndRunOnlyOnTheMainThread)
{
    ClapFormat format(true);
    HostMenus* menus = format.effect().hostMenusForEditor();
    ASSERT_NE(menus, nullptr);
    HostMenu menu;
    ASSERT_TRUE(menus->hostMenu(kDrive, menu));
    bool answered = true;
    std::thread([&] {
        menus->chooseHostMenuItem(kDrive, 0);
        HostMenu elsewhere;
        answered = menus->hostMenu(kDrive, elsewhere);
    }).join();
    EXPECT_FALSE(answered);
    EXPECT_TRUE(format.runs().empty());
}


TEST(ClapContextMenu, AParametersMenuOffersResetToProgramValueAndTheGlobalMenuNothing)
{
    ClapFormat format(true);
    std::vector<ClapMenuEntry> entries;
    const clap_context_menu_target_t drive{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, kDrive};
    ASSERT_TRUE(format.clap->pluginMenu(&drive, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, CLAP_CONTEXT_MENU_ITEM_ENTRY);
    EXPECT_EQ(entries[0].label, "Reset to program value");
    EXPECT_TRUE(entries[0].enabled);

    const clap_context_menu_target_t global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
    EXPECT_TRUE(format.clap->pluginMenu(&global, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(format.clap->pluginMenu(nullptr, entries));
    EXPECT_TRUE(entries.empty());
    const clap_context_menu_target_t unknown{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, 16};
    EXPECT_FALSE(format.clap->pluginMenu(&unknown, entries));
    const clap_context_menu_target_t otherKind{7, kDrive};
    EXPECT_FALSE(format.clap->pluginMenu(&otherKind, entries));
}

TEST(ClapContextMenu, ResetMovesTheParameterToTheProgramsValueAsOneGesture)
{
    ClapFormat format(true);
    ClapInstance& clap = *format.clap;
    ClapInputEvents moved;
    moved.addValue(0, kDrive, 0.05);
    clap.flush(moved);
    const float programValue = format.effect().programValue(kDrive);
    ASSERT_NE(programValue, 0.05f);

    std::vector<ClapMenuEntry> entries;
    const clap_context_menu_target_t drive{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, kDrive};
    ASSERT_TRUE(clap.pluginMenu(&drive, entries));
    ASSERT_TRUE(clap.performPluginMenuAction(&drive, entries[0].action));
    EXPECT_FLOAT_EQ(static_cast<float>(clap.value(kDrive)), programValue);
    EXPECT_GT(clap.hostCalls().flushRequests, 0) << "the host is asked to collect the gesture";

    ClapOutputEvents sent;
    clap.flush(ClapInputEvents(), &sent);
    ASSERT_EQ(sent.received().size(), 3u);
    EXPECT_EQ(sent.received()[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(sent.received()[1].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_FLOAT_EQ(static_cast<float>(sent.received()[1].value), programValue);
    EXPECT_EQ(sent.received()[2].type, CLAP_EVENT_PARAM_GESTURE_END);
    for (const auto& event : sent.received())
        EXPECT_EQ(event.parameter, static_cast<clap_id>(kDrive));

    // Actions that are not ours, or targets without a parameter, do nothing.
    const clap_context_menu_target_t global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
    EXPECT_FALSE(clap.performPluginMenuAction(&drive, entries[0].action + 1));
    EXPECT_FALSE(clap.performPluginMenuAction(&global, entries[0].action));
    EXPECT_FALSE(clap.performPluginMenuAction(nullptr, entries[0].action));
    sent.clear();
    clap.flush(ClapInputEvents(), &sent);
    EXPECT_TRUE(sent.received().empty());
}

}  // namespace
