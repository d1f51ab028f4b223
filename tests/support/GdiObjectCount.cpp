#include "support/GdiObjectCount.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vorlune::test {

namespace {

// Wine's handle table entry (also the 64-bit Windows layout): 24 bytes, the
// owner's process id at 8, the object type at 14 (0 for a free entry).
constexpr size_t kEntrySize = 24;
constexpr size_t kOwnerOffset = 8;
constexpr size_t kTypeOffset = 14;
constexpr size_t kEntryCount = 0x10000;
#ifdef _WIN64
constexpr size_t kPebTableOffset = 0xF8;
#else
constexpr size_t kPebTableOffset = 0x94;
#endif

// The table lives in the process's own memory: read through
// ReadProcessMemory, which serves this process and a child alike.
bool ReadFrom(HANDLE process, const void* at, void* to, size_t size)
{
    SIZE_T done = 0;
    return ::ReadProcessMemory(process, at, to, size, &done) && done == size;
}

long CountTableEntries(HANDLE process)
{
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (query == nullptr || query(process, ProcessBasicInformation, &info, sizeof(info), nullptr) < 0 ||
        info.PebBaseAddress == nullptr)
        return -1;
    const uint8_t* table = nullptr;
    if (!ReadFrom(process, reinterpret_cast<const uint8_t*>(info.PebBaseAddress) + kPebTableOffset, &table,
                  sizeof(table)) ||
        table == nullptr)
        return -1;
    std::vector<uint8_t> entries(kEntryCount * kEntrySize);
    if (!ReadFrom(process, table, entries.data(), entries.size())) return -1;
    const auto owner = static_cast<uint16_t>(::GetProcessId(process));
    long count = 0;
    for (size_t i = 0; i < kEntryCount; ++i) {
        const uint8_t* entry = entries.data() + i * kEntrySize;
        uint16_t id;
        std::memcpy(&id, entry + kOwnerOffset, sizeof(id));
        if (entry[kTypeOffset] != 0 && (id == 0 || id == owner)) ++count;
    }
    return count;
}

}  // namespace

long GdiObjectCount() { return GdiObjectCount(::GetCurrentProcess()); }

long GdiObjectCount(HANDLE process)
{
    const DWORD objects = ::GetGuiResources(process, GR_GDIOBJECTS);
    if (objects != 0) return static_cast<long>(objects);
    return CountTableEntries(process);
}

}  // namespace vorlune::test
