#include "support/GdiObjectCount.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstring>

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

const uint8_t* ProcessEnvironmentBlock()
{
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (query == nullptr || query(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) < 0)
        return nullptr;
    return reinterpret_cast<const uint8_t*>(info.PebBaseAddress);
}

long CountTableEntries()
{
    const uint8_t* peb = ProcessEnvironmentBlock();
    if (peb == nullptr) return -1;
    const uint8_t* table = nullptr;
    std::memcpy(&table, peb + kPebTableOffset, sizeof(table));
    if (table == nullptr) return -1;
    const auto self = static_cast<uint16_t>(::GetCurrentProcessId());
    long count = 0;
    for (size_t i = 0; i < kEntryCount; ++i) {
        const uint8_t* entry = table + i * kEntrySize;
        uint16_t owner;
        std::memcpy(&owner, entry + kOwnerOffset, sizeof(owner));
        if (entry[kTypeOffset] != 0 && (owner == 0 || owner == self)) ++count;
    }
    return count;
}

}  // namespace

long GdiObjectCount()
{
    const DWORD objects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (objects != 0) return static_cast<long>(objects);
    return CountTableEntries();
}

}  // namespace vorlune::test
