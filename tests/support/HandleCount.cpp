#include "tests/support/HandleCount.h"

#include <windows.h>

#include <vector>

namespace vorlune::test {
namespace {

// SystemExtendedHandleInformation (64): the layout is the same on both
// targets because every field is pointer-sized or fixed.
struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT objectType;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

int64_t CountInSystemTable(ULONG_PTR processId)
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return -1;
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (!query) return -1;
    const LONG kLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::vector<unsigned char> buffer(1 << 16);
    for (int tries = 0; tries < 16; ++tries) {
        ULONG needed = 0;
        const LONG status = query(64, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kLengthMismatch) {
            buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
            continue;
        }
        if (status < 0) return -1;
        const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
        int64_t n = 0;
        for (ULONG_PTR i = 0; i < table->count; ++i)
            if (table->entries[i].processId == processId) ++n;
        return n;
    }
    return -1;
}

}  // namespace

int64_t CountOwnHandles()
{
    const int64_t counted = CountInSystemTable(::GetCurrentProcessId());
    if (counted > 0) return counted;
    DWORD n = 0;
    return ::GetProcessHandleCount(::GetCurrentProcess(), &n) ? n : -1;
}

int64_t CountHandlesOf(unsigned long processId) { return CountInSystemTable(processId); }

}  // namespace vorlune::test
