#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

// The program's skin for window benchmarks: vorlune.exe one folder above the
// benchmark, loaded as resources only.
inline HMODULE LoadProgramSkin()
{
    wchar_t self[MAX_PATH];
    std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    path.erase(path.find_last_of(L'\\'));
    path.replace(path.find_last_of(L'\\'), std::wstring::npos, L"\\vorlune.exe");
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

inline double Median(std::vector<double> v)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
