#include "GuiObjectCount.h"

#include <windows.h>
#include <winternl.h>

namespace wintest {

namespace {

// An entry of GDI's handle table as Windows lays it out for 64-bit
// processes; the table's address is in the process environment block.
struct GdiHandleEntry {
    void* kernelObject;
    ULONG owner;
    USHORT unique;
    UCHAR type;  // 0: free
    UCHAR flags;
    void* userData;
};
static_assert(sizeof(GdiHandleEntry) == 24, "64-bit GDI handle table entry");

constexpr int kGdiHandleTableSize = 0x4000;
constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;

int countGdiHandleTable()
{
    PROCESS_BASIC_INFORMATION process = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const unsigned char*>(process.PebBaseAddress);
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiSharedHandleTable);
    if (table == nullptr)
        return -1;
    int used = 0;
    for (int i = 0; i < kGdiHandleTableSize; ++i)
        used += table[i].type != 0 ? 1 : 0;
    return used;
}

BOOL CALLBACK countDescendant(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// A top-level window with all its descendants (EnumChildWindows reaches
// children of children too).
BOOL CALLBACK countWindowTree(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, &countDescendant, count);
    return TRUE;
}

}  // namespace

// Windows answers these with GetGuiResources. Wine 8 does not implement it
// (it answers 0 whatever is alive), so under wine the GDI count comes from
// the handle table and the USER count from the windows of this thread.
int gdiObjectCount()
{
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return count != 0 ? static_cast<int>(count) : countGdiHandleTable();
}

int userObjectCount()
{
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (count != 0)
        return static_cast<int>(count);
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), &countWindowTree, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace wintest
