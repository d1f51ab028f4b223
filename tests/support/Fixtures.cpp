#include "support/Fixtures.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vorlune::test {

std::wstring FixturePath(const wchar_t* name)
{
    const wchar_t* dir = _wgetenv(L"VORLUNE_FIXTURES");
    if (!dir || !*dir) return {};
    // A Unix path from the test script: Wine shows the root as drive Z.
    std::wstring path = dir;
    if (path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    path += L'\\';
    path += name;
    return Exists(path) ? path : std::wstring();
}

std::wstring TempDirectory()
{
    wchar_t dir[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, dir);
    return n ? std::wstring(dir, n) : std::wstring();
}

TempPath::TempPath(const wchar_t* suffix)
{
    static LONG counter = 0;
    path_ = TempDirectory() + L"vorlune-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(InterlockedIncrement(&counter)) + suffix;
    DeleteFileW(path_.c_str());
}

TempPath::~TempPath() { DeleteFileW(path_.c_str()); }

int CountTempFiles(const wchar_t* pattern)
{
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((TempDirectory() + pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do {
        ++n;
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return n;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint64_t SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<uint8_t> ReadAll(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    if (GetFileSizeEx(h, &size) && size.QuadPart < (1ll << 31)) {
        bytes.resize(size_t(size.QuadPart));
        DWORD got = 0;
        if (!bytes.empty() && (!ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr) || got != bytes.size()))
            bytes.clear();
    }
    CloseHandle(h);
    return bytes;
}

bool WriteAll(const std::wstring& path, const void* data, size_t size)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = size == 0 || (WriteFile(h, data, DWORD(size), &done, nullptr) && done == size);
    CloseHandle(h);
    return ok;
}

namespace {
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
}  // namespace

bool ReadPcmWav(const std::wstring& path, PcmWav& out)
{
    const std::vector<uint8_t> b = ReadAll(path);
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) || memcmp(b.data() + 8, "WAVE", 4)) return false;
    size_t pos = 12;
    bool haveFmt = false;
    while (pos + 8 <= b.size()) {
        const uint32_t size = U32(&b[pos + 4]);
        const uint8_t* body = &b[pos + 8];
        const size_t avail = b.size() - pos - 8;
        if (!memcmp(&b[pos], "fmt ", 4) && size >= 16 && avail >= 16) {
            out.formatTag = U16(body);
            out.channels = U16(body + 2);
            out.rate = U32(body + 4);
            out.bits = U16(body + 14);
            haveFmt = true;
        } else if (!memcmp(&b[pos], "data", 4)) {
            if (!haveFmt || out.bits != 16 || out.formatTag != 1) return false;
            const size_t n = std::min<size_t>(size, avail) / 2;
            out.samples.resize(n);
            memcpy(out.samples.data(), body, n * 2);
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

double Correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    const size_t n = std::min(a.size(), b.size());
    if (n == 0) return 0;
    double ma = 0, mb = 0;
    for (size_t i = 0; i < n; ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= n;
    mb /= n;
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = a[i] - ma, y = b[i] - mb;
        sab += x * y;
        saa += x * x;
        sbb += y * y;
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

}  // namespace vorlune::test
