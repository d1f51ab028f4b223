#include "support/TempDir.h"

#include "support/Fixtures.h"

#include <winioctl.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace vorlune::test {

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(dir.c_str());
}

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    std::wstring base = TempDirectory();
    if (base.empty()) throw std::runtime_error("no temporary directory");
    if (base.back() == L'\\') base.pop_back();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = base + L"\\VorluneTest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++);
        if (::CreateDirectoryW(path_.c_str(), nullptr)) return;
    }
    throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    return WriteAll(path, bytes.data(), bytes.size());
}

std::string ReadFileBytes(const std::wstring& path)
{
    const std::vector<uint8_t> bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

int64_t FileLength(const std::wstring& path)
{
    HANDLE f = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size{};
    const bool ok = ::GetFileSizeEx(f, &size);
    ::CloseHandle(f);
    return ok ? size.QuadPart : -1;
}

bool CanOpenExclusively(const std::wstring& path)
{
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(f);
    return true;
}

bool MakeSparseFile(const std::wstring& path, uint64_t length)
{
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    // Where the file system cannot mark it, a plain extension is still a
    // hole on the usual Linux file systems under Wine.
    DWORD unused = 0;
    ::DeviceIoControl(f, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(length);
    const bool ok = ::SetFilePointerEx(f, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(f);
    ::CloseHandle(f);
    return ok;
}

}  // namespace vorlune::test
