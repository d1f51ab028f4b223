#pragma once

#include <unknwn.h>

#include <utility>

namespace vorlune {

// Holds one COM reference and releases it on every path.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Adopts a reference the caller already owns.
    static ComPtr Adopt(T* p) noexcept
    {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Takes a new reference of its own.
    static ComPtr Share(T* p) noexcept
    {
        if (p) p->AddRef();
        return Adopt(p);
    }

    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other) noexcept : p_(other.p_)
    {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    T** Put() noexcept
    {
        Reset();
        return &p_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

    T* Detach() noexcept { return std::exchange(p_, nullptr); }

    void Reset() noexcept
    {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

    template <class U>
    HRESULT As(ComPtr<U>& out) const noexcept
    {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.PutVoid());
    }

private:
    T* p_ = nullptr;
};

}  // namespace vorlune
