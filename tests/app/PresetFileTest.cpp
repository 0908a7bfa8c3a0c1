// Preset files in the user's preset folder: names that could leave it, and
// saving, listing, renaming, deleting and importing in a temporary home.

#include "app/PresetFile.h"

#include "TemporaryHome.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace quenchbox;
using app::ParameterValues;

namespace {

class PresetFiles : public TemporaryHome {
protected:
    void SetUp() override
    {
        TemporaryHome::SetUp();
        folder = app::presetFolder();
        // The defaults as a preset holds them, at the display's resolution.
        ParameterValues defaults;
        for (const effect::ParameterInfo& p : effect::kParameters)
            defaults[p.index] = p.defaultValue;
        app::readPreset(app::formatPreset("Defaults", defaults), values);
    }

    std::filesystem::path fileOf(const std::string& name) const { return app::presetPath(folder, name); }

    // Every file under the temporary home, for checking that nothing landed outside the folder.
    std::vector<std::string> allFiles() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(std::filesystem::relative(entry.path(), root).string());
        std::sort(files.begin(), files.end());
        return files;
    }

    std::string folder;
    ParameterValues values;
};

}  // namespace

TEST_F(PresetFiles, TheFolderFollowsXdgDataHomeAndIgnoresARelativeOne)
{
    EXPECT_EQ(folder, (root / "data/quenchbox-rz/presets").string());
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("XDG_DATA_HOME", "relative/data", 1);
    setenv("HOME", root.c_str(), 1);
    EXPECT_EQ(app::presetFolder(), (root / ".local/share/quenchbox-rz/presets").string());
    setenv("HOME", home.c_str(), 1);
}

TEST_F(PresetFiles, NamesThatCouldLeaveTheFolderOrBreakAFileNameAreRefused)
{
    const std::string refused[] = {"", ".", "..", "../evil", "a/b", "a\\b", "/abs", ".hidden", "tab\tname",
                                   "new\nline", std::string("nul\0x", 5), "del\x7f", " lead", "trail ", "dot.",
                                   "x:y", "a*b", "q?", "nul", "COM1", std::string(65, 'n')};
    for (const std::string& name : refused) {
        EXPECT_FALSE(app::isValidPresetName(name)) << name;
        EXPECT_FALSE(app::savePreset(folder, name, values)) << name;
        EXPECT_FALSE(app::deletePreset(folder, name)) << name;
    }
    EXPECT_TRUE(allFiles().empty());
    for (const std::string& name : std::vector<std::string>{"Warm Crunch", "Lead (boost) #2", "a..b", "Null", "COM10", "\xC3\x89t\xC3\xA9", std::string(64, 'n')})
        EXPECT_TRUE(app::isValidPresetName(name)) << name;
}

TEST_F(PresetFiles, SavedPresetsListSortedAndLoadBack)
{
    ASSERT_TRUE(app::savePreset(folder, "clean", values));
    values[effect::kDrive] = 0.75f;
    ASSERT_TRUE(app::savePreset(folder, "Crunch", values));
    ASSERT_TRUE(app::savePreset(folder, "Boost", values));
    // Neither a leftover temporary file nor a foreign file is a preset.
    writeFile(fileOf("Boost").string() + ".new", "half a preset");
    writeFile(std::filesystem::path(folder) / "notes.txt", "hello");
    std::filesystem::create_directory(fileOf("Folder"));
    std::filesystem::create_symlink(root / "nowhere", fileOf("Dangling"));
    EXPECT_EQ(app::listPresets(folder), (std::vector<std::string>{"Boost", "clean", "Crunch"}));
    EXPECT_TRUE(app::listPresets((root / "missing").string()).empty());

    ParameterValues loaded;
    std::fill(std::begin(loaded), std::end(loaded), 0.0f);
    const app::PresetFileResult result = app::loadPreset(folder, "Crunch", loaded);
    ASSERT_TRUE(result) << result.error;
    EXPECT_TRUE(std::equal(std::begin(loaded), std::end(loaded), std::begin(values)));
}

TEST_F(PresetFiles, AFileThatIsNoPresetOrLargerThan64KiBChangesNothing)
{
    const std::string preset = std::string(app::kPresetHeader) + "\nDrive = 1\n";
    const std::string atTheLimit = preset + std::string(app::kLargestPresetFile - preset.size(), '#');
    writeFile(root / "at-limit.qbxpreset", atTheLimit);
    writeFile(root / "too-large.qbxpreset", atTheLimit + "#");
    writeFile(root / "binary.qbxpreset", std::string("\0\x01\xff# Quenchbox RZ preset\nDrive = 1\n", 30));
    for (const char* file : {"too-large.qbxpreset", "binary.qbxpreset", "missing.qbxpreset"}) {
        ParameterValues loaded = {};
        EXPECT_FALSE(app::loadPresetFile((root / file).string(), loaded)) << file;
        EXPECT_EQ(loaded[effect::kDrive], 0.0f) << file;
    }
    ParameterValues loaded = {};
    EXPECT_TRUE(app::loadPresetFile((root / "at-limit.qbxpreset").string(), loaded));
    EXPECT_EQ(loaded[effect::kDrive], 1.0f);
}

TEST_F(PresetFiles, SaveReplacesWhileSaveAsRefusesAnExistingName)
{
    ASSERT_TRUE(app::savePreset(folder, "Lead", values));
    values[effect::kLevel] = 0.25f;
    EXPECT_FALSE(app::savePresetAs(folder, "Lead", values));
    ASSERT_TRUE(app::savePreset(folder, "Lead", values));
    EXPECT_NE(readFile(fileOf("Lead")).find("Level = 0.25\n"), std::string::npos);
    EXPECT_TRUE(app::savePresetAs(folder, "Lead 2", values));
}

TEST_F(PresetFiles, RenameKeepsTheContentsUpdatesTheNameAndNeverReplaces)
{
    ASSERT_TRUE(app::savePreset(folder, "Old", values));
    ASSERT_TRUE(app::savePreset(folder, "Taken", values));
    const std::string taken = readFile(fileOf("Taken"));
    EXPECT_FALSE(app::renamePreset(folder, "Old", "Taken"));
    EXPECT_EQ(readFile(fileOf("Taken")), taken);
    EXPECT_TRUE(std::filesystem::exists(fileOf("Old")));
    EXPECT_FALSE(app::renamePreset(folder, "Old", "../Escaped"));
    EXPECT_FALSE(app::renamePreset(folder, "Missing", "Other"));

    ASSERT_TRUE(app::renamePreset(folder, "Old", "New"));
    EXPECT_FALSE(std::filesystem::exists(fileOf("Old")));
    ParameterValues loaded = {};
    app::PresetReadResult read = app::readPreset(readFile(fileOf("New")), loaded);
    EXPECT_EQ(read.name, "New");
    EXPECT_TRUE(std::equal(std::begin(loaded), std::end(loaded), std::begin(values)));
}

TEST_F(PresetFiles, DeleteRemovesOnlyThatPreset)
{
    ASSERT_TRUE(app::savePreset(folder, "Gone", values));
    ASSERT_TRUE(app::savePreset(folder, "Kept", values));
    EXPECT_TRUE(app::deletePreset(folder, "Gone"));
    EXPECT_FALSE(app::deletePreset(folder, "Gone"));
    EXPECT_EQ(app::listPresets(folder), std::vector<std::string>{"Kept"});
}

TEST_F(PresetFiles, ImportTakesThePresetsNameOrElseTheFilesStem)
{
    const std::filesystem::path shared = root / "downloads";
    writeFile(shared / "fuzz.qbxpreset", std::string(app::kPresetHeader) + "\nname = Fuzz Wall\nDrive = 1\nFoo = 2\n");
    writeFile(shared / "Bright Lead.txt", std::string(app::kPresetHeader) + "\nname = ../../etc/passwd\nBright = ON\n");
    writeFile(shared / "photo.qbxpreset", "\x89PNG\r\n\x1a\n");
    writeFile(shared / "huge.qbxpreset", std::string(app::kPresetHeader) + "\n" + std::string(app::kLargestPresetFile, '#'));

    const app::PresetFileResult fuzz = app::importPreset(folder, (shared / "fuzz.qbxpreset").string());
    ASSERT_TRUE(fuzz) << fuzz.error;
    EXPECT_EQ(fuzz.name, "Fuzz Wall");
    ASSERT_EQ(fuzz.skipped.size(), 1u);
    EXPECT_EQ(fuzz.skipped[0].reason, "unknown name 'Foo'");

    const app::PresetFileResult lead = app::importPreset(folder, (shared / "Bright Lead.txt").string());
    ASSERT_TRUE(lead) << lead.error;
    EXPECT_EQ(lead.name, "Bright Lead");
    ParameterValues loaded = {};
    EXPECT_EQ(app::readPreset(readFile(fileOf("Bright Lead")), loaded).name, "Bright Lead");
    EXPECT_EQ(loaded[effect::kBright], 1.0f);

    EXPECT_FALSE(app::importPreset(folder, (shared / "fuzz.qbxpreset").string())) << "the name is taken";
    EXPECT_FALSE(app::importPreset(folder, (shared / "photo.qbxpreset").string()));
    EXPECT_FALSE(app::importPreset(folder, (shared / "huge.qbxpreset").string()));
    EXPECT_FALSE(app::importPreset(folder, (shared / "missing.qbxpreset").string()));
    EXPECT_FALSE(app::importPreset(folder, shared.string())) << "a folder";
    EXPECT_EQ(app::listPresets(folder), (std::vector<std::string>{"Bright Lead", "Fuzz Wall"}));
}
