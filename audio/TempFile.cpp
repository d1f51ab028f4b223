#include "audio/TempFile.h"

#include <windows.h>

#include <shlobj.h>

#include <cwchar>

#include "io/FileUtil.h"
#include "win/Handle.h"

namespace vorlune {

namespace {

bool EnsureDirectory(const std::wstring& dir)
{
    if (FileExists(dir)) return IsDirectory(dir);
    const int result = SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    return (result == ERROR_SUCCESS || result == ERROR_FILE_EXISTS || result == ERROR_ALREADY_EXISTS) &&
           IsDirectory(dir);
}

}  // namespace

std::wstring MakeTempFilePath(const std::wstring& extension, const wchar_t* prefix, const std::wstring& directory)
{
    try {
        if (extension.empty() && directory.empty()) {
            const std::wstring dir = TempDirectory();
            if (dir.empty()) return {};
            wchar_t name[MAX_PATH];
            if (!GetTempFileNameW(dir.c_str(), prefix ? prefix : L"~Ve", 0, name)) return {};
            return name;
        }
        std::wstring dir = directory.empty() ? TempDirectory() : directory;
        if (dir.empty()) return {};
        while (dir.size() > 1 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
        if (!EnsureDirectory(dir)) return {};
        const std::wstring ext = extension.empty() ? L"tmp" : extension;
        const std::wstring stem = dir + L"\\" + (prefix ? prefix : L"");
        // Every number has a name; stop before they wrap around.
        for (unsigned n = 1; n != 0; ++n) {
            wchar_t number[16];
            swprintf(number, 16, L"%03X", n);
            const std::wstring candidate = stem + number + L"." + ext;
            if (FileExists(candidate)) continue;
            KernelHandle file(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return {};
            FILETIME now;
            GetSystemTimeAsFileTime(&now);
            if (!SetFileTime(file.Get(), &now, &now, &now)) {
                file.Reset();
                DeleteFileW(candidate.c_str());  // a failure leaves nothing behind
                return {};
            }
            return candidate;
        }
        return {};
    } catch (...) {
        return {};
    }
}

bool DeleteIfExists(const std::wstring& path) noexcept
{
    if (path.empty() || !FileExists(path)) return false;
    return DeleteFileW(path.c_str()) != 0;
}

ReplacementFile::ReplacementFile(const std::wstring& target, const std::wstring& extension) : target_(target)
{
    std::wstring folder = FolderOf(target);
    if (folder.empty()) return;
    if (folder.back() == L':') folder += L'\\';  // a drive's root
    if (IsDirectory(folder)) path_ = MakeTempFilePath(extension, L"~Ve", folder);
}

bool ReplacementFile::Commit() noexcept
{
    if (path_.empty()) return false;
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
    path_.clear();
    return true;
}

}  // namespace vorlune
