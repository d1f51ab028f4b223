#pragma once

#include <windows.h>

#include <utility>

// Owners for Win32 handles: one owner each, move-only, released on every path.
namespace vorlune {

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type h) noexcept : h_(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type Get() const noexcept { return h_; }
    bool Valid() const noexcept { return Traits::IsValid(h_); }
    explicit operator bool() const noexcept { return Valid(); }

    Type Release() noexcept { return std::exchange(h_, Traits::Invalid()); }

    void Reset(Type h = Traits::Invalid()) noexcept
    {
        Type old = std::exchange(h_, h);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

private:
    Type h_ = Traits::Invalid();
};

// Handles for which null means none, released by one function.
template <class T, auto CloseFn>
struct NullHandleTraits {
    using Type = T;
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { CloseFn(h); }
};

// Kernel objects that use null for "none": threads, events, mappings.
struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, ::FreeLibrary>>;
using MappedView = UniqueHandle<NullHandleTraits<void*, ::UnmapViewOfFile>>;
// Memory the system allocated for the caller (FormatMessageW, CommandLineToArgvW).
using LocalMemory = UniqueHandle<NullHandleTraits<HLOCAL, ::LocalFree>>;

template <class T>
using GdiObject = UniqueHandle<NullHandleTraits<T, ::DeleteObject>>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueFont = GdiObject<HFONT>;
using UniquePen = GdiObject<HPEN>;
using UniqueRgn = GdiObject<HRGN>;

// A memory DC made with CreateCompatibleDC.
using MemoryDc = UniqueHandle<NullHandleTraits<HDC, ::DeleteDC>>;

// A window's DC from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc()
    {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~SelectGuard()
    {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    bool Ok() const noexcept { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace vorlune
