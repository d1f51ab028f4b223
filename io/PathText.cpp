#include "io/PathText.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

#include "io/FileUtil.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

// Steps 2 and 3 of tidying.
std::wstring SlashesAndDirectory(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (!path.empty() && path.back() != L'\\' && IsDirectory(path)) path += L'\\';
    return path;
}

std::wstring CurrentDirectory()
{
    std::wstring dir;
    // The directory may change between the two calls: ask again until it fits.
    for (DWORD need = ::GetCurrentDirectoryW(0, nullptr); need > 0;) {
        dir.assign(need, L'\0');
        const DWORD got = ::GetCurrentDirectoryW(need, dir.data());
        if (got == 0) break;
        if (got < need) {
            dir.resize(got);
            return dir;
        }
        need = got;
    }
    return std::wstring();
}

std::wstring LowerCanonical(const std::wstring& path)
{
    std::wstring text = CanonicalPath(FullPath(path));
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Opens a file or directory for nothing but its identity.
KernelHandle OpenForIdentity(const std::wstring& path) noexcept
{
    CriticalErrorsOff quiet;
    return KernelHandle(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

unsigned long QuietFileAttributes(const std::wstring& path) noexcept
{
    CriticalErrorsOff quiet;
    return ::GetFileAttributesW(path.c_str());
}

bool IsDirectory(const std::wstring& path) noexcept
{
    const DWORD attributes = QuietFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring TidyPath(const std::wstring& path)
{
    size_t first = 0, last = path.size();
    while (first < last && std::iswspace(path[first])) ++first;
    while (last > first && std::iswspace(path[last - 1])) --last;
    return SlashesAndDirectory(path.substr(first, last - first));
}

std::wstring CanonicalPath(const std::wstring& path)
{
    const std::wstring text = SlashesAndDirectory(path);
    std::wstring collapsed;
    collapsed.reserve(text.size());
    for (wchar_t c : text)
        if (c != L'\\' || collapsed.empty() || collapsed.back() != L'\\' || collapsed.size() == 1)
            collapsed += c;
    wchar_t canonical[MAX_PATH];
    if (collapsed.size() < MAX_PATH) return ::PathCanonicalizeW(canonical, collapsed.c_str()) ? canonical : collapsed;
    // PathCanonicalizeW stops at MAX_PATH; a longer absolute path loses its
    // "." and ".." through the full-path rules, which have no such limit.
    if (::PathIsRelativeW(collapsed.c_str())) return collapsed;
    std::wstring full(collapsed.size() + MAX_PATH, L'\0');  // room for a drive
    const DWORD got = ::GetFullPathNameW(collapsed.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (got == 0 || got >= full.size()) return collapsed;
    full.resize(got);
    return full;
}

std::wstring LongPath(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring MakeAbsolute(const std::wstring& path)
{
    if (!::PathIsRelativeW(path.c_str())) return path;
    std::wstring full = CurrentDirectory();
    if (full.empty() || full.back() != L'\\') full += L'\\';
    return CanonicalPath(full + path);
}

std::wstring FullPath(const std::wstring& path)
{
    if (path.empty()) return path;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (got == 0) return path;
        if (got < full.size()) {
            full.resize(got);
            return full;
        }
        full.assign(got, L'\0');
    }
}

std::wstring PathFileName(const std::wstring& path)
{
    size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos) cut = path.rfind(L':');
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring PathTitle(const std::wstring& path)
{
    const std::wstring name = PathFileName(path);
    return name.substr(0, name.rfind(L'.'));
}

std::wstring PathExtension(const std::wstring& path)
{
    const std::wstring name = PathFileName(path);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

bool HasExtension(const std::wstring& path, const wchar_t* extension) noexcept
{
    try {
        const std::wstring own = PathExtension(path);
        return ::CompareStringOrdinal(own.c_str(), static_cast<int>(own.size()), extension, -1, TRUE) == CSTR_EQUAL;
    } catch (...) {
        return false;
    }
}

std::wstring Directory(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) {
        if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L"\\";
        return L".";
    }
    if (slash == 0) return L"\\";
    if (slash == 2 && path[1] == L':' && std::iswalpha(path[0])) return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool SamePath(const std::wstring& a, const std::wstring& b) noexcept
{
    try {
        if (LowerCanonical(a) == LowerCanonical(b)) return true;
    } catch (...) {
        return false;
    }
    // Other names of one existing file: its short name, a hard link.
    if (a.empty() || b.empty()) return false;
    const KernelHandle fa = OpenForIdentity(a), fb = OpenForIdentity(b);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (!fa || !fb || !::GetFileInformationByHandle(fa.Get(), &ia) || !::GetFileInformationByHandle(fb.Get(), &ib))
        return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

}  // namespace vorlune
