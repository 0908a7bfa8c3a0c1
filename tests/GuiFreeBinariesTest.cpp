// What the binaries without the editor need at load time, read from their
// dynamic sections as readelf -d reads them: the LV2 DSP binary and the
// core's own test program (what the core library brings into a program)
// load where no display and no GUI library exists.

#include <gtest/gtest.h>

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The DT_NEEDED entries of a 64-bit ELF file; empty when it is none.
std::vector<std::string> neededLibraries(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> needed;
    Elf64_Ehdr header{};
    if (bytes.size() < sizeof(header))
        return needed;
    std::memcpy(&header, bytes.data(), sizeof(header));
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64
        || header.e_shentsize != sizeof(Elf64_Shdr)
        || header.e_shoff + std::size_t{header.e_shnum} * sizeof(Elf64_Shdr) > bytes.size())
        return needed;
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    std::memcpy(sections.data(), bytes.data() + header.e_shoff, sections.size() * sizeof(Elf64_Shdr));
    for (const Elf64_Shdr& section : sections) {
        if (section.sh_type != SHT_DYNAMIC || section.sh_link >= sections.size())
            continue;
        const Elf64_Shdr& strings = sections[section.sh_link];
        if (section.sh_offset + section.sh_size > bytes.size() || strings.sh_offset + strings.sh_size > bytes.size())
            continue;
        for (std::size_t at = 0; at + sizeof(Elf64_Dyn) <= section.sh_size; at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry{};
            std::memcpy(&entry, bytes.data() + section.sh_offset + at, sizeof(entry));
            if (entry.d_tag == DT_NULL)
                break;
            if (entry.d_tag == DT_NEEDED && entry.d_un.d_val < strings.sh_size)
                needed.emplace_back(bytes.data() + strings.sh_offset + entry.d_un.d_val);
        }
    }
    return needed;
}

// The libraries of a window system, a toolkit or a renderer, and what only
// they bring along.
bool isGuiLibrary(const std::string& name)
{
    static const char* const prefixes[] = {"libX",     "libxcb",  "libcairo", "libfontconfig", "libfreetype",
                                           "libpng",   "libpixman", "libgtk", "libgdk",        "libGL",
                                           "libEGL",   "libwayland", "libQt", "libxkb",        "libharfbuzz"};
    for (const char* prefix : prefixes)
        if (name.rfind(prefix, 0) == 0)
            return true;
    return false;
}

std::vector<std::string> guiLibraries(const std::string& path)
{
    std::vector<std::string> gui;
    for (const std::string& name : neededLibraries(path))
        if (isGuiLibrary(name))
            gui.push_back(name);
    return gui;
}

TEST(GuiFreeBinaries, TheLv2DspBinaryAndTheCoreNeedNoGuiLibrary)
{
    ASSERT_FALSE(neededLibraries(QUENCHBOX_LV2_DSP_PATH).empty());
    EXPECT_EQ(guiLibraries(QUENCHBOX_LV2_DSP_PATH), std::vector<std::string>{});
    ASSERT_FALSE(neededLibraries("/proc/self/exe").empty());
    EXPECT_EQ(guiLibraries("/proc/self/exe"), std::vector<std::string>{});
}

// The check would see them: the VST2 binary carries the editor.
TEST(GuiFreeBinaries, TheVst2BinaryNeedsTheEditorsLibraries)
{
    const std::vector<std::string> gui = guiLibraries(QUENCHBOX_PLUGIN_PATH);
    EXPECT_NE(std::find(gui.begin(), gui.end(), "libX11.so.6"), gui.end());
    EXPECT_NE(std::find(gui.begin(), gui.end(), "libcairo.so.2"), gui.end());
}

}  // namespace
