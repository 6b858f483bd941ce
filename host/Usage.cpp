#include "Usage.h"

#include <windows.h>
#include <winternl.h>

#include <cstdio>

namespace {

bool OnWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Committed memory no other process shares: what a leak makes grow. Walking
// the address space gives the same figure on Windows and under Wine, whose
// process counters report the mapped size instead.
uint64_t CommittedPrivateBytes()
{
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

// Wine answers GetGuiResources with 0; its GDI objects are entries of the
// handle table that the process environment block points to, 24 bytes each
// with the object type at byte 14 (0 for a free entry). 32-bit Wine does not
// publish the table: there the count stays 0.
unsigned WineGdiObjects()
{
    const auto* peb = reinterpret_cast<const uint8_t*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const size_t tableField = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const uint8_t* table = *reinterpret_cast<const uint8_t* const*>(peb + tableField);
    if (!table)
        return 0;
    constexpr size_t kEntries = 0x10000, kEntrySize = 24, kTypeOffset = 14;
    unsigned used = 0;
    for (size_t i = 0; i < kEntries; ++i)
        used += table[i * kEntrySize + kTypeOffset] != 0;
    return used;
}

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<unsigned*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<unsigned*>(count);
        EnumChildWindows(window, CountChild, count);
    }
    return TRUE;
}

unsigned ProcessWindows()
{
    unsigned count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

ProcessUsage MeasureUsage()
{
    ProcessUsage usage;
    usage.privateBytes = CommittedPrivateBytes();
    usage.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    usage.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (OnWine()) {
        if (usage.gdiObjects == 0)
            usage.gdiObjects = WineGdiObjects();
        if (usage.userObjects == 0) {
            usage.userObjects = ProcessWindows();
            usage.userAreWindows = true;
        }
    }
    return usage;
}

void AppendUsageSample(const std::wstring& file, double seconds, const ProcessUsage& usage)
{
    const bool fresh = GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES;
    FILE* out = _wfopen(file.c_str(), L"a");
    if (!out)
        return;
    if (fresh)
        std::fprintf(out, "# seconds private-kB gdi %s\n", usage.userAreWindows ? "windows" : "user");
    std::fprintf(out, "%.0f %llu %u %u\n", seconds, static_cast<unsigned long long>(usage.privateBytes / 1024),
                 usage.gdiObjects, usage.userObjects);
    std::fclose(out);
}
