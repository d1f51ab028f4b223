#include "app/PathText.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

namespace vorlune {
namespace {

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = QuietFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

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

}  // namespace

unsigned long QuietFileAttributes(const std::wstring& path) noexcept
{
    const UINT old = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    ::SetErrorMode(old);
    return attributes;
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
    // PathCanonicalizeW works within MAX_PATH; a longer path keeps its dots.
    wchar_t canonical[MAX_PATH];
    if (collapsed.size() < MAX_PATH && ::PathCanonicalizeW(canonical, collapsed.c_str())) return canonical;
    return collapsed;
}

std::wstring MakeAbsolute(const std::wstring& path)
{
    if (!::PathIsRelativeW(path.c_str())) return path;
    std::wstring full = CurrentDirectory();
    if (full.empty() || full.back() != L'\\') full += L'\\';
    return CanonicalPath(full + path);
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

}  // namespace vorlune
