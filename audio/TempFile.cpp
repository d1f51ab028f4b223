#include "audio/TempFile.h"

#include <windows.h>

#include <shlobj.h>

#include <cwchar>
#include <cwctype>

#include "io/FileUtil.h"
#include "io/WriteErrors.h"
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
            if (!file) {
                NoteWriteError(GetLastError());
                return {};
            }
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

namespace {

// "~Ve", three or more hexadecimal digits, "." and the extension: the names
// MakeTempFilePath gives beside a target.
bool IsReplacementName(const std::wstring& name, const std::wstring& extension)
{
    if (name.size() < 3 + 3 + 1 + extension.size()) return false;
    const size_t dot = name.size() - extension.size() - 1;
    if (name.compare(0, 3, L"~Ve") != 0 || name[dot] != L'.' ||
        CompareStringOrdinal(name.c_str() + dot + 1, -1, extension.c_str(), -1, TRUE) != CSTR_EQUAL)
        return false;
    for (size_t i = 3; i < dot; ++i)
        if (!iswxdigit(name[i])) return false;
    return true;
}

// What killed renders left in the folder. A file a living process holds
// refuses the delete and stays.
void RemoveLeftovers(const std::wstring& folder, const std::wstring& extension)
{
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L'\\';
    WIN32_FIND_DATAW found;
    FindHandle search(FindFirstFileW((base + L"~Ve*." + extension).c_str(), &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsReplacementName(found.cFileName, extension))
            DeleteFileW((base + found.cFileName).c_str());
    } while (FindNextFileW(search.Get(), &found));
}

}  // namespace

ReplacementFile::ReplacementFile(const std::wstring& target, const std::wstring& extension) : target_(target)
{
    std::wstring folder = FolderOf(target);
    if (folder.empty()) return;
    if (folder.back() == L':') folder += L'\\';  // a drive's root
    if (!IsDirectory(folder)) return;
    RemoveLeftovers(folder, extension);
    // Another render's clean-up may take the new file before it is held.
    for (int tries = 0; tries < 3 && !holder_; ++tries) {
        path_ = MakeTempFilePath(extension, L"~Ve", folder);
        if (path_.empty()) return;
        holder_.Reset(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!holder_) {
        NoteWriteError(GetLastError());
        DeleteIfExists(path_);
        path_.clear();
    }
}

ReplacementFile::~ReplacementFile()
{
    holder_.Reset();
    DeleteIfExists(path_);
}

bool ReplacementFile::Commit() noexcept
{
    if (path_.empty()) return false;
    holder_.Reset();  // the move needs the file to itself
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        NoteWriteError(GetLastError());
        return false;
    }
    path_.clear();
    return true;
}

}  // namespace vorlune
